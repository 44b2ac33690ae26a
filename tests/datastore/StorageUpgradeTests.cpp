#include "datastore/ActionLog.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Pack.h"
#include "datastore/Schema.h"
#include "datastore/Settings.h"
#include "datastore/Upgrade.h"
#include "StorageFixture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

using namespace ogx;
using dbf::Field;
using ogx::test::StorageTest;

namespace {

QStringList dataFiles(const QString &dir)
{
    return QDir(dir).entryList(QDir::Files, QDir::Name);
}

// Writes a table file with the given fields and rows (values as dBase text, by position).
void writeTable(const QString &path, const std::vector<Field> &fields, const std::vector<std::vector<std::string>> &rows)
{
    dbf::Table t{dbf::Layout(fields)};
    std::string err;
    for (const auto &row : rows) {
        char *rec = t.record(t.appendBlank());
        for (std::size_t i = 0; i < row.size(); ++i) {
            const Field &f = t.layout().field(static_cast<int>(i));
            if (f.type == 'D') {
                std::memcpy(rec + f.offset, row[i].data(), std::min<std::size_t>(8, row[i].size()));
                continue;
            }
            ASSERT_TRUE(dbf::encodeText(f, row[i], rec, err)) << err;
        }
    }
    dbf::writeFileAtomically(path.toStdString(), t.serialize({2010, 5, 1}));
}

QString layoutText(Database &db, const QString &table)
{
    QStringList parts;
    for (const Field &f : db.fields(table))
        parts << QStringLiteral("%1 %2 %3 %4").arg(QString::fromStdString(f.name)).arg(QChar::fromLatin1(f.type)).arg(f.length).arg(f.decimals);
    parts.sort();
    return parts.join(u',');
}

QString expectedLayoutText(const QString &table)
{
    QStringList parts;
    for (const Field &f : tableLayout(table))
        parts << QStringLiteral("%1 %2 %3 %4").arg(QString::fromStdString(f.name)).arg(QChar::fromLatin1(f.type)).arg(f.length).arg(f.decimals);
    parts.sort();
    return parts.join(u',');
}

// Contract as the first versions wrote it.
std::vector<Field> oldContractFields()
{
    return {Field::number("IDCON", 10, 0), Field::number("NRCON", 12, 0), Field::date("DATACON"), Field::date("EXPIRA"),
            Field::text("NUME1", 40), Field::text("CNP1", 13), Field::text("NUME2", 40), Field::text("CNP2", 13),
            Field::number("SUPRAFT", 10, 4), Field::number("VALOARE", 12, 4), Field::text("TIPPLATA", 10)};
}

class UpgradeTest : public StorageTest {
protected:
    void start()
    {
        db = std::make_unique<Database>(ws, &clock);
        CreateTables(*db);
        UpgradeSchema(*db, [this] { ++installs; }, QStringLiteral("IASI"));
    }
    std::unique_ptr<Database> db;
    int installs = 0;
};

} // namespace

TEST(ParcelNumbers, SplitIntoNumberAndDetail)
{
    struct Case {
        const char *text;
        qint64 number;
        const char *detail;
    };
    const Case cases[] = {{"12/a", 12, "A"}, {"0045", 45, ""}, {"9A", 9, "A"}, {"A9", 0, "A9"},
                          {" 12 - b", 12, "- B"}, {"7", 7, ""}, {"B3", 0, "B3"}, {"", 0, ""}, {"3\\c", 3, "C"}};
    for (const Case &c : cases) {
        const auto [n, d] = splitParcelNumber(QString::fromUtf8(c.text));
        EXPECT_EQ(n, c.number) << c.text;
        EXPECT_EQ(d, QString::fromUtf8(c.detail)) << c.text;
    }
}

TEST_F(UpgradeTest, ANewDataDirectoryGetsTheFourTablesAndTheKeys)
{
    start();
    EXPECT_EQ(installs, 4); // every template step runs once from version 0
    EXPECT_EQ(dataFiles(ws.dataDir),
              (QStringList{QStringLiteral("Contract.dbf"), QStringLiteral("Log.dbf"), QStringLiteral("Ogorix.lck"),
                           QStringLiteral("Ogorix.set"), QStringLiteral("Parcele.dbf"), QStringLiteral("Plati2.dbf")}));
    EXPECT_EQ(db->settings().ReadSetting(QStringLiteral("CONST"), QStringLiteral("Versiune")), QStringLiteral("1.0151"));
    EXPECT_EQ(WeeklyPack(*db), PackResult::Packed);
    EXPECT_EQ(db->settings().ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("LASTPACK")),
              weeksSince1899(clock.day));
    for (const QString &t : Database::tableNames())
        EXPECT_EQ(layoutText(*db, t), expectedLayoutText(t)) << t.toStdString();
}

TEST_F(UpgradeTest, Version1_0120ReplacesOnlyItsTemplates)
{
    {
        Database first(ws, &clock);
        CreateTables(first);
        first.settings().WriteSettingNumber(QStringLiteral("CONST"), QStringLiteral("Versiune"), 1.012);
    }
    for (const char *f : {"COf.rtf", "expirate.xls", "Cen1.xls", "Lista.xls"})
        test::writeFile(dataFile(QString::fromLatin1(f)), "edited by the user");
    const QByteArray contract = test::readFile(dataFile(QStringLiteral("Contract.dbf")));
    start();
    EXPECT_EQ(installs, 2); // below 1.0131 and below 1.0125
    const QStringList files = dataFiles(ws.dataDir);
    EXPECT_FALSE(files.contains(QStringLiteral("COf.rtf")));
    EXPECT_FALSE(files.contains(QStringLiteral("expirate.xls")));
    EXPECT_TRUE(files.contains(QStringLiteral("Cen1.xls")));
    EXPECT_TRUE(files.contains(QStringLiteral("Lista.xls")));
    EXPECT_EQ(test::readFile(dataFile(QStringLiteral("Contract.dbf"))), contract);
}

TEST_F(UpgradeTest, AnOldContractsTableIsSplitIntoContractsAndParcels)
{
    writeTable(dataFile(QStringLiteral("Contracte.dbf")),
               {Field::number("NRCON", 10, 0), Field::date("DATACON"), Field::date("EXPIRA"), Field::text("NUME1", 40),
                Field::text("CNP1", 13), Field::text("NUME2", 40), Field::text("CNP2", 13), Field::text("TARLADEN", 32),
                Field::text("TARLANR", 32), Field::text("PARCNR", 10), Field::number("SUPRAF", 10, 4)},
               {{"6", "20050301", "20100301", "ION", "1", "AGRO", "2", "T2", "2", "0045", "2.0000"},
                {"5", "20050301", "20100301", "POPA", "1", "AGRO", "2", "T1", "1", "12/a", "1.5000"},
                {"5", "20050301", "20100301", "POPA", "1", "AGRO", "2", "T1", "1", "9A", "0.2500"},
                {"5", "20050301", "20100301", "POPA", "1", "AGRO", "2", "T1", "1", " 12 - b", "0.1000"}});
    test::writeFile(dataFile(QStringLiteral("PLATI.DBF")), "old payments");
    start();
    const QStringList files = dataFiles(ws.dataDir);
    EXPECT_FALSE(files.contains(QStringLiteral("Contracte.dbf")));
    EXPECT_FALSE(files.contains(QStringLiteral("PLATI.DBF")));
    const ResultSet c = db->query(QStringLiteral("SELECT IDCON, NRCON, DATACON, EXPIRA, NUME1, SUPRAFT, VALOARE, TIPPLATA "
                                                 "FROM Contract ORDER BY IDCON"));
    ASSERT_EQ(c.rowCount(), 2);
    EXPECT_EQ(c.integer(0, 0), 1);
    EXPECT_EQ(c.integer(0, 1), 5);
    EXPECT_EQ(c.date(0, 2), QDate(2005, 3, 1));
    EXPECT_EQ(c.date(0, 3), QDate(2010, 3, 1));
    EXPECT_EQ(c.text(0, 4), QStringLiteral("POPA"));
    EXPECT_DOUBLE_EQ(c.number(0, 5), 1.85);
    EXPECT_EQ(c.text(0, 7), QStringLiteral("LEI"));
    EXPECT_EQ(c.integer(1, 0), 2);
    EXPECT_EQ(c.integer(1, 1), 6);
    EXPECT_DOUBLE_EQ(c.number(1, 5), 2.0);
    const ResultSet p = db->query(QStringLiteral("SELECT IDCON, IDPARC, PARCNR, PARCDET, SUPRAF, BLOCF FROM Parcele ORDER BY IDPARC"));
    ASSERT_EQ(p.rowCount(), 4);
    QStringList got;
    for (int i = 0; i < p.rowCount(); ++i)
        got << QStringLiteral("%1:%2:%3:%4:%5:%6").arg(p.text(i, 0), p.text(i, 1), p.text(i, 2), p.text(i, 3), p.text(i, 4), p.text(i, 5));
    // Row order of the old table: NRCON, DATACON, NUME1; the three rows of contract 5 keep their file order.
    EXPECT_EQ(got, (QStringList{QStringLiteral("1:1:12:A:1.5:0"), QStringLiteral("1:2:9:A:0.25:0"),
                                QStringLiteral("1:3:12:- B:0.1:0"), QStringLiteral("2:4:45::2:0")}));
    EXPECT_EQ(db->settings().PeekId(QStringLiteral("IDCON")), QStringLiteral("3"));
    EXPECT_EQ(db->settings().PeekId(QStringLiteral("IDPARC")), QStringLiteral("5"));
}

TEST_F(UpgradeTest, OldLayoutsGetEveryColumnAndKeepTheirValues)
{
    writeTable(dataFile(QStringLiteral("Contract.dbf")), oldContractFields(),
               {{"1", "17", "20080115", "20180115", "VASILE ŞTEFAN", "1790101", "SC AGRO SRL", "RO123", "3.5", "250", "LEI"}});
    writeTable(dataFile(QStringLiteral("Parcele.dbf")),
               {Field::number("IDCON", 10, 0), Field::number("IDPARC", 10, 0), Field::text("TARLADEN", 32),
                Field::text("TARLANR", 32), Field::number("PARCNR", 10, 0), Field::text("PARCDET", 20),
                Field::number("BLOCF", 10, 0), Field::number("SUPRAF", 10, 4)},
               {{"1", "1", "LA PUT", "12", "7", "B", "44", "3.5"}});
    writeTable(dataFile(QStringLiteral("Plati2.dbf")),
               {Field::number("IDCON", 10, 0), Field::number("IDPLATA", 10, 0), Field::number("TIPPLATA", 6, 0),
                Field::text("DOCJUS", 32), Field::text("NRP", 12), Field::date("DATAP"), Field::number("ANAFERENT", 6, 0),
                Field::text("PRODUS", 32), Field::text("UM", 5), Field::number("BUC", 10, 2), Field::number("PRETU", 10, 2),
                Field::number("DEPLATA", 10, 2), Field::number("PLATA", 10, 2), Field::text("SCOP", 240),
                Field::text("ACT", 10), Field::text("SERIA", 5), Field::number("NUMARA", 8, 0)},
               {{"1", "1", "0", "Dispozitie", "3", "20090301", "2008", "LEI", "", "0", "0", "0", "125.5", "arenda", "x", "AB", "12"}});
    start();
    for (const QString &t : Database::tableNames())
        EXPECT_EQ(layoutText(*db, t), expectedLayoutText(t)) << t.toStdString();
    const ResultSet c = db->query(QStringLiteral("SELECT * FROM Contract"));
    EXPECT_EQ(c.text(0, QStringLiteral("NUME1")), QStringLiteral("VASILE ŞTEFAN"));
    EXPECT_EQ(c.integer(0, QStringLiteral("NRINREG")), 17);
    EXPECT_EQ(c.date(0, QStringLiteral("DATAINREG")), QDate(2008, 1, 15));
    EXPECT_EQ(c.text(0, QStringLiteral("JUD1")), QStringLiteral("IASI"));
    EXPECT_EQ(c.text(0, QStringLiteral("TIPCON")), QStringLiteral("ARENDA"));
    EXPECT_EQ(c.text(0, QStringLiteral("NUME2")), QStringLiteral("SC AGRO SRL"));
    EXPECT_DOUBLE_EQ(c.number(0, QStringLiteral("VALOARE")), 250);
    const ResultSet p = db->query(QStringLiteral("SELECT * FROM Parcele"));
    EXPECT_EQ(p.text(0, QStringLiteral("CATEG")), QStringLiteral("Teren arabil"));
    EXPECT_DOUBLE_EQ(p.number(0, QStringLiteral("SUPU")), 3.5);
    EXPECT_EQ(p.value(0, QStringLiteral("SIRUTA")), QVariant(qlonglong(0)));
    EXPECT_EQ(p.text(0, QStringLiteral("TARLADEN")), QStringLiteral("LA PUT"));
    EXPECT_EQ(p.integer(0, QStringLiteral("BLOCF")), 44);
    const ResultSet pl = db->query(QStringLiteral("SELECT * FROM Plati2"));
    EXPECT_DOUBLE_EQ(pl.number(0, QStringLiteral("PLATA")), 125.5);
    EXPECT_EQ(pl.text(0, QStringLiteral("SCOP")), QStringLiteral("arenda"));

    // Up to date now: a second start changes no table file.
    QMap<QString, QByteArray> before;
    for (const QString &t : Database::tableNames())
        before[t] = test::readFile(db->tablePath(t));
    db.reset();
    start();
    for (const QString &t : Database::tableNames())
        EXPECT_EQ(test::readFile(db->tablePath(t)), before[t]) << t.toStdString();
}

TEST_F(UpgradeTest, AnUpgradeWaitsForTheOtherWorkstations)
{
    writeTable(dataFile(QStringLiteral("Contract.dbf")), oldContractFields(), {{"1", "17", "20080115"}});
    const QByteArray before = test::readFile(dataFile(QStringLiteral("Contract.dbf")));
    auto other = std::make_unique<Database>(ws, &clock);
    try {
        start();
        ADD_FAILURE() << "upgraded while another program was working";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("celelalte statii"))) << e.message().toStdString();
    }
    EXPECT_EQ(test::readFile(dataFile(QStringLiteral("Contract.dbf"))), before);
    EXPECT_EQ(db->settings().ReadSetting(QStringLiteral("CONST"), QStringLiteral("Versiune")), QStringLiteral("1.0151"));
    other.reset();
    db.reset();
    installs = 0;
    start();
    EXPECT_EQ(installs, 1); // the template steps do not repeat; the TELEFON column step installs once
    EXPECT_EQ(layoutText(*db, QStringLiteral("Contract")), expectedLayoutText(QStringLiteral("Contract")));
}

TEST_F(UpgradeTest, TheWeeklyPackRunsOncePerWeekAndOnlyWhenAlone)
{
    start();
    db->exec(QStringLiteral("INSERT INTO Contract (IDCON) VALUES (1), (2), (3)"));
    db->exec(QStringLiteral("INSERT INTO Log (IDLOG) VALUES (1), (2)"));
    db->exec(QStringLiteral("DELETE FROM Contract WHERE IDCON = 2"));
    db->exec(QStringLiteral("DELETE FROM Log WHERE IDLOG = 1"));
    int steps = 0;
    EXPECT_EQ(WeeklyPack(*db, [&] { ++steps; }), PackResult::Packed);
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(dbf::Table::load(db->tablePath(QStringLiteral("Contract")).toStdString()).recordCount(), 2u);
    EXPECT_EQ(dbf::Table::load(db->tablePath(QStringLiteral("Log")).toStdString()).recordCount(), 2u); // never packed
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(rowid || ':' || IDCON) FROM Contract")), QVariant(QStringLiteral("1:1,2:3")));

    db->exec(QStringLiteral("DELETE FROM Contract WHERE IDCON = 3"));
    EXPECT_EQ(WeeklyPack(*db, [&] { ++steps; }), PackResult::NotDue); // same week
    EXPECT_EQ(steps, 6);
    EXPECT_EQ(dbf::Table::load(db->tablePath(QStringLiteral("Contract")).toStdString()).recordCount(), 2u);

    clock.day = clock.day.addDays(7);
    const double lastPack = db->settings().ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("LASTPACK"));
    {
        Database other(ws, &clock); // another workstation is working: skipped, tried again later
        EXPECT_EQ(WeeklyPack(*db), PackResult::Busy);
        EXPECT_EQ(db->settings().ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("LASTPACK")), lastPack);
        EXPECT_EQ(other.scalar(QStringLiteral("SELECT COUNT(*) FROM Contract")), QVariant(qlonglong(1)));
    }
    EXPECT_EQ(WeeklyPack(*db), PackResult::Packed);
    EXPECT_EQ(dbf::Table::load(db->tablePath(QStringLiteral("Contract")).toStdString()).recordCount(), 1u);
    EXPECT_THROW(db->packTable(QStringLiteral("Contract")), Error); // not exclusive
}
