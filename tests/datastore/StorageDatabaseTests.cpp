#include "datastore/ActionLog.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Schema.h"
#include "datastore/Settings.h"
#include "StorageFixture.h"
#include "dbf/Store.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>

#include <cstring>

#include <sys/wait.h>
#include <unistd.h>

using namespace ogx;
using ogx::test::StorageTest;

namespace {

// The layouts as the table definitions give them: name type length decimals.
const char *kExpectedLayouts = R"(Contract: IDCON N 10 0, TIPCON C 32 0, NRCON N 12 0, NRCPER C 12 0, DATACON D 8 0, NRINREG N 12 0, NRIPER C 12 0, DATAINREG D 8 0, EXPIRA D 8 0, NUME1 C 40 0, CNP1 C 13 0, ADRESA1 C 80 0, LOC1 C 24 0, JUD1 C 24 0, MAMA C 24 0, TATA C 24 0, CISERIA C 4 0, CINR C 10 0, CIPOL C 32 0, ACTP C 240 0, TELEFON C 25 0, EMAIL C 60 0, NOTIFICARI C 200 0, NUME2 C 250 0, CNP2 C 13 0, ADRESA2 C 80 0, LOC2 C 24 0, JUD2 C 24 0, SUPRAFT N 10 4, VALOARE N 12 4, OBS C 254 0, TIPPLATA C 10 0, FISIER C 160 0
Log: IDLOG N 10 0, DATAL D 8 0, ORA C 12 0, ACTIUNE C 120 0, UTILIZATOR C 16 0
Parcele: IDCON N 10 0, IDPARC N 10 0, ACT C 32 0, TARLADEN C 32 0, TARLANR C 32 0, PARCNR N 10 0, PARCDET C 20 0, APARCNR N 6 0, ACULTNR C 4 0, BLOCF N 10 0, NRCAD C 30 0, NRCADOLD C 30 0, CATEG C 40 0, CULTURA C 40 0, SUPRAF N 10 4, SUPU N 10 4, VECINN C 100 0, VECINE C 100 0, VECINS C 100 0, VECINV C 100 0, LOCALIT C 32 0, SIRUTA N 6 0
Plati2: IDCON N 10 0, IDPLATA N 10 0, TIPPLATA N 6 0, DOCJUS C 32 0, NRP C 12 0, DATAP D 8 0, ANAFERENT N 6 0, PRODUS C 32 0, UM C 5 0, BUC N 10 2, PRETU N 10 2, DEPLATA N 10 2, PLATA N 10 2, SCOP C 240 0
)";

const QString kDbfRead = QStringLiteral(R"(
import sys, dbfread
for name in ['Contract', 'Log', 'Parcele', 'Plati2']:
    t = dbfread.DBF(sys.argv[1] + '/' + name + '.dbf', load=True)
    print(name + ': ' + ', '.join('%s %s %d %d' % (f.name, f.type, f.length, f.decimal_count) for f in t.fields))
t = dbfread.DBF(sys.argv[1] + '/Contract.dbf')
print(t.encoding)
for r in t:
    print(r['IDCON'], r['NUME1'], r['DATACON'], r['SUPRAFT'], r['VALOARE'], r['EXPIRA'])
)");

class DatabaseTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        db = std::make_unique<Database>(ws, &clock);
        CreateTables(*db);
    }
    std::unique_ptr<Database> db;
};

QStringList strs(std::initializer_list<const char *> items)
{
    QStringList out;
    for (const char *i : items)
        out << QString::fromUtf8(i);
    return out;
}

int insertContract(Database &db, qlonglong id, const QString &name)
{
    return db.exec(QStringLiteral("INSERT INTO Contract (IDCON, NRCON, NUME1, DATACON, SUPRAFT, VALOARE, TIPPLATA) "
                                  "VALUES (?, ?, ?, ?, ?, ?, ?)"),
                   {id, id * 10, name, QDate(2024, 3, 1), 1.25, 1234.5, QStringLiteral("LEI")});
}

} // namespace

TEST_F(DatabaseTest, AFreshDataDirectoryHoldsTheFourTablesOtherProgramsRead)
{
    QStringList files = QDir(ws.dataDir).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, strs({"Contract.dbf", "Log.dbf", "Ogorix.lck", "Parcele.dbf", "Plati2.dbf"}));
    for (const QString &f : strs({"Contract.dbf", "Log.dbf", "Parcele.dbf", "Plati2.dbf"}))
        EXPECT_EQ(static_cast<unsigned char>(test::readFile(dataFile(f)).at(29)), 0xC8) << f.toStdString();

    insertContract(*db, 1, QStringLiteral("ŞTEFĂNESCU ȘTEFAN ÎNTÂI"));
    insertContract(*db, 2, QStringLiteral("Popa Ion"));

    const auto py = test::runPython(kDbfRead, {ws.dataDir});
    ASSERT_EQ(py.exitCode, 0) << py.err.toStdString();
    const QString out = QString::fromUtf8(py.out);
    EXPECT_TRUE(out.startsWith(QString::fromUtf8(kExpectedLayouts))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("cp1250\n"))) << out.toStdString();
    EXPECT_TRUE(out.contains(QStringLiteral("1 ŞTEFĂNESCU ŞTEFAN ÎNTÂI 2024-03-01 1.25 1234.5 None\n"))) << out.toStdString();

    const QString outDir = m_dir.path() + QStringLiteral("/csv");
    const auto lo = test::runLibreOffice({QStringLiteral("--infilter=dBase:33"), QStringLiteral("--convert-to"),
                                          QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76,1"), QStringLiteral("--outdir"), outDir,
                                          dataFile(QStringLiteral("Contract.dbf"))},
                                         m_dir.path());
    ASSERT_EQ(lo.exitCode, 0) << lo.err.toStdString();
    const QString csv = QString::fromUtf8(test::readFile(outDir + QStringLiteral("/Contract.csv")));
    EXPECT_TRUE(csv.startsWith(QStringLiteral("\"IDCON,N,10,0\",\"TIPCON,C,32\""))) << csv.left(200).toStdString();
    EXPECT_TRUE(csv.contains(QStringLiteral("ŞTEFĂNESCU ŞTEFAN ÎNTÂI"))) << csv.toStdString();
    EXPECT_TRUE(csv.contains(QStringLiteral("Popa Ion"))) << csv.toStdString();
    EXPECT_TRUE(csv.contains(QStringLiteral("1234.5"))) << csv.toStdString();
}

TEST_F(DatabaseTest, QueriesGiveTypedValuesAndBindEveryValue)
{
    const QString tricky = QStringLiteral("Ion \"Nea\" O'Brien; DROP TABLE x");
    insertContract(*db, 7, tricky);
    db->exec(QStringLiteral("INSERT INTO Contract (IDCON, NUME1) VALUES (:id, :name)"),
             QVariantMap{{QStringLiteral("id"), 8}, {QStringLiteral("name"), QStringLiteral("  cu blanc")}});
    const ResultSet r = db->query(QStringLiteral("SELECT IDCON, nume1, DATACON, EXPIRA, SUPRAFT, VALOARE, "
                                                 "MAX(DATACON) OVER () AS M FROM Contract WHERE IDCON >= ? ORDER BY IDCON"),
                                  {7});
    ASSERT_EQ(r.rowCount(), 2);
    EXPECT_EQ(r.columns(), strs({"IDCON", "NUME1", "DATACON", "EXPIRA", "SUPRAFT", "VALOARE", "M"}));
    EXPECT_EQ(r.value(0, QStringLiteral("IDCON")), QVariant(qlonglong(7)));
    EXPECT_EQ(r.value(0, QStringLiteral("Nume1")).toString(), tricky);
    EXPECT_EQ(r.text(1, 1), QStringLiteral("  cu blanc"));
    EXPECT_EQ(r.value(0, 2), QVariant(QDate(2024, 3, 1)));
    EXPECT_EQ(r.kind(2), ResultSet::Kind::Date);
    EXPECT_TRUE(r.isNull(0, QStringLiteral("EXPIRA")));
    EXPECT_TRUE(r.value(1, 2).isNull());
    EXPECT_EQ(r.text(0, 2), QStringLiteral("01.03.2024"));
    EXPECT_EQ(r.text(0, 5), QStringLiteral("1234.5"));
    EXPECT_DOUBLE_EQ(r.number(0, 4), 1.25);
    EXPECT_EQ(r.value(0, 6), QVariant(QStringLiteral("2024-03-01"))); // an expression stays ISO text
    EXPECT_EQ(r.date(0, 6), QDate(2024, 3, 1));
    EXPECT_THROW(r.value(0, QStringLiteral("NOPE")), Error);
    // Dates compare and filter as ISO text; a blank date is NULL.
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Contract WHERE DATACON >= ?"), {QDate(2024, 1, 1)}),
              QVariant(qlonglong(1)));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Contract WHERE DATACON IS NULL")), QVariant(qlonglong(1)));
    EXPECT_TRUE(db->isReadOnly(QStringLiteral("SELECT * FROM Contract")));
    EXPECT_FALSE(db->isReadOnly(QStringLiteral("DELETE FROM Contract")));
}

TEST_F(DatabaseTest, FailingStatementsNameTheTableAndWriteNothing)
{
    insertContract(*db, 1, QStringLiteral("A"));
    const QByteArray before = test::readFile(dataFile(QStringLiteral("Contract.dbf")));
    struct Case {
        QString sql;
        QVariantList params;
        QString message;
    };
    const QList<Case> cases = {
        {QStringLiteral("UPDATE Contract SET VALOARE = ?"), {1e9}, QStringLiteral("Contract.dbf: value 1000000000.0000 is too wide for column VALOARE N(12,4)")},
        {QStringLiteral("UPDATE Contract SET EXPIRA = ?"), {QStringLiteral("31.02.2024")}, QStringLiteral("Contract.dbf: column EXPIRA: '31.02.2024' is not a date")},
        {QStringLiteral("UPDATE Contract SET NUME1 = ?"), {QStringLiteral("Łódź 😀")}, QStringLiteral("Contract.dbf: column NUME1: character U+1F600 is not in code page 1250")},
        {QStringLiteral("INSERT INTO Contract (IDCON, NRCON) VALUES (2, ?)"), {QStringLiteral("12a")}, QStringLiteral("'12a' is not a number")},
        {QStringLiteral("SELEC * FROM Contract"), {}, QStringLiteral("statement: SELEC * FROM Contract")},
        {QStringLiteral("DELETE FROM Contract; DELETE FROM Log"), {}, QStringLiteral("one statement")},
        {QStringLiteral("ATTACH '/tmp/x.db' AS x"), {}, QStringLiteral("not authorized")},
    };
    for (const Case &c : cases) {
        try {
            db->exec(c.sql, c.params);
            ADD_FAILURE() << c.sql.toStdString() << " succeeded";
        } catch (const Error &e) {
            EXPECT_TRUE(e.message().contains(c.message)) << e.message().toStdString();
        }
        EXPECT_EQ(test::readFile(dataFile(QStringLiteral("Contract.dbf"))), before) << c.sql.toStdString();
    }
}

TEST_F(DatabaseTest, ATransactionCommitsWithItsLogLineOrLeavesNothing)
{
    insertContract(*db, 1, QStringLiteral("A"));
    const QByteArray contract = test::readFile(dataFile(QStringLiteral("Contract.dbf")));
    const QByteArray log = test::readFile(dataFile(QStringLiteral("Log.dbf")));
    {
        Transaction t(*db);
        db->exec(QStringLiteral("DELETE FROM Contract WHERE IDCON = 1"));
        WriteLog(*db, QStringLiteral("Stergere Contract Nr.10 / 01.03.2024, A."));
        EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Log")), QVariant(qlonglong(1)));
        // no commit: an error in the caller would leave here the same way
    }
    EXPECT_EQ(test::readFile(dataFile(QStringLiteral("Contract.dbf"))), contract);
    EXPECT_EQ(test::readFile(dataFile(QStringLiteral("Log.dbf"))), log);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Contract")), QVariant(qlonglong(1)));

    {
        Transaction t(*db);
        db->exec(QStringLiteral("UPDATE Contract SET OBS = 'x' WHERE IDCON = 1"));
        {
            Transaction inner(*db);
            insertContract(*db, 2, QStringLiteral("B"));
        } // inner rolled back alone
        WriteLog(*db, QStringLiteral("Modificare Contract Nr.10 / 01.03.2024, A."));
        t.commit();
    }
    Database other(ws, &clock); // another program sees the committed state
    EXPECT_EQ(other.scalar(QStringLiteral("SELECT group_concat(IDCON || OBS) FROM Contract")), QVariant(QStringLiteral("1x")));
    const ResultSet logRows = other.query(QStringLiteral("SELECT * FROM Log"));
    ASSERT_EQ(logRows.rowCount(), 1);
    EXPECT_EQ(logRows.integer(0, QStringLiteral("IDLOG")), 2); // id 1 went with the rolled-back transaction
    EXPECT_EQ(logRows.date(0, QStringLiteral("DATAL")), QDate(2025, 3, 14));
    EXPECT_EQ(logRows.text(0, QStringLiteral("ORA")), QStringLiteral("09:05:07"));
    EXPECT_EQ(logRows.text(0, QStringLiteral("ACTIUNE")), QStringLiteral("Modificare Contract Nr.10 / 01.03.2024, A."));
    EXPECT_EQ(logRows.text(0, QStringLiteral("UTILIZATOR")), QStringLiteral("STATIA-CONTABILI"));
}

TEST_F(DatabaseTest, AnOpenTransactionKeepsOtherWritersOut)
{
    Database other(ws, &clock);
    other.store().lockTimeout = std::chrono::milliseconds(200);
    // Even a transaction begun with plain SQL keeps the write lock until it ends.
    db->exec(QStringLiteral("BEGIN"));
    insertContract(*db, 1, QStringLiteral("A"));
    EXPECT_THROW(insertContract(other, 2, QStringLiteral("B")), Error);
    EXPECT_THROW(other.query(QStringLiteral("SELECT COUNT(*) FROM Contract")), Error);
    db->exec(QStringLiteral("COMMIT"));
    insertContract(other, 2, QStringLiteral("B"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(NUME1) FROM Contract")), QVariant(QStringLiteral("A,B")));
}

TEST_F(DatabaseTest, AChangeAndItsLogLineSurviveACrashTogetherOrNotAtAll)
{
    insertContract(*db, 1, QStringLiteral("A"));
    WriteLog(*db, QStringLiteral("Adaugare Contract Nr.10 / 01.03.2024, A."));
    const QByteArray contract = test::readFile(dataFile(QStringLiteral("Contract.dbf")));
    const QByteArray log = test::readFile(dataFile(QStringLiteral("Log.dbf")));
    db.reset();
    for (const char *point : {"journal-written", "mid-data", "before-journal-delete"}) {
        const pid_t pid = fork();
        if (pid == 0) {
            static const char *at = nullptr;
            at = point;
            dbf::setFailHook([](const char *p) {
                if (std::strcmp(p, at) == 0)
                    _exit(42);
            });
            Database mine(ws, &clock);
            Transaction t(mine);
            mine.exec(QStringLiteral("UPDATE Contract SET NUME1 = 'B', SUPRAFT = 2 WHERE IDCON = 1"));
            WriteLog(mine, QStringLiteral("Modificare Contract Nr.10 / 01.03.2024, B."));
            t.commit();
            _exit(0);
        }
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status));
        EXPECT_EQ(WEXITSTATUS(status), 42) << point;
        Database next(ws, &clock);
        EXPECT_EQ(next.scalar(QStringLiteral("SELECT NUME1 FROM Contract")), QVariant(QStringLiteral("A"))) << point;
        EXPECT_EQ(test::readFile(dataFile(QStringLiteral("Contract.dbf"))), contract) << point;
        EXPECT_EQ(test::readFile(dataFile(QStringLiteral("Log.dbf"))), log) << point;
        EXPECT_FALSE(QFile::exists(dataFile(QStringLiteral("Ogorix.jnl")))) << point;
    }
}

TEST_F(DatabaseTest, PurgeLogKeepsTheNewestRows)
{
    auto fill = [&](int from, int to) {
        Transaction t(*db);
        auto st = db->prepare(QStringLiteral("INSERT INTO Log (IDLOG, ACTIUNE) VALUES (?, 'x')"));
        for (int i = from; i <= to; ++i)
            st.exec({i});
        t.commit();
    };
    fill(1, 999);
    PurgeLog(*db);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Log")), QVariant(qlonglong(999)));
    fill(1000, 1500);
    PurgeLog(*db);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT MIN(IDLOG) || '-' || MAX(IDLOG) || '/' || COUNT(*) FROM Log")),
              QVariant(QStringLiteral("500-1500/1001")));
}

TEST_F(DatabaseTest, SyncIdCountersFollowTheTables)
{
    SyncIdCounters(*db);
    for (const char *key : {"IDCON", "IDPARC", "IDLOG", "IDPLATA"})
        EXPECT_EQ(db->settings().ReadSetting(QStringLiteral("INDEX"), QString::fromLatin1(key)), QStringLiteral("1")) << key;

    insertContract(*db, 41, QStringLiteral("A"));
    db->settings().SetNextId(QStringLiteral("IDPARC"), 100);
    SyncIdCounters(*db);
    EXPECT_EQ(db->settings().PeekId(QStringLiteral("IDCON")), QStringLiteral("42"));
    EXPECT_EQ(db->settings().PeekId(QStringLiteral("IDPARC")), QStringLiteral("1")); // alone: set exactly

    // While another workstation works, a counter is only raised: it may have just taken 100.
    db->settings().SetNextId(QStringLiteral("IDPARC"), 100);
    db->settings().SetNextId(QStringLiteral("IDCON"), 5);
    Database other(ws, &clock);
    SyncIdCounters(*db);
    EXPECT_EQ(db->settings().PeekId(QStringLiteral("IDPARC")), QStringLiteral("100"));
    EXPECT_EQ(db->settings().PeekId(QStringLiteral("IDCON")), QStringLiteral("42"));
}

TEST_F(DatabaseTest, FillComboDistinctListsNonBlankValuesInOrder)
{
    insertContract(*db, 1, QStringLiteral("POPA"));
    insertContract(*db, 2, QStringLiteral("ANTON"));
    insertContract(*db, 3, QStringLiteral("POPA"));
    insertContract(*db, 4, QStringLiteral("   "));
    insertContract(*db, 5, QStringLiteral(" ZETA"));
    EXPECT_EQ(FillComboDistinct(*db, QStringLiteral("Contract"), QString(), QStringLiteral("NUME1")),
              strs({" ZETA", "ANTON", "POPA"}));
    EXPECT_EQ(FillComboDistinct(*db, QStringLiteral("Contract"), QStringLiteral("IDCON > ?"), QStringLiteral("NUME1"), {2}),
              strs({" ZETA", "POPA"}));
    EXPECT_EQ(FillComboDistinct(*db, QStringLiteral("Contract"), QStringLiteral("  "), QStringLiteral("DATACON")),
              strs({"01.03.2024"}));
    EXPECT_THROW(FillComboDistinct(*db, QStringLiteral("Contract; DROP"), QString(), QStringLiteral("NUME1")), Error);
}

TEST_F(DatabaseTest, TwoProgramsAddingAtOnceNeverShareAnIdentifier)
{
    db.reset();
    constexpr int kEach = 60;
    std::vector<pid_t> children;
    for (int p = 0; p < 2; ++p) {
        const pid_t pid = fork();
        if (pid == 0) {
            int failures = 0;
            try {
                Database mine(ws, &clock);
                for (int i = 0; i < kEach; ++i) {
                    Transaction t(mine);
                    const qlonglong id = mine.settings().NextId(QStringLiteral("IDCON")).toLongLong();
                    insertContract(mine, id, QStringLiteral("P%1").arg(p));
                    WriteLog(mine, QStringLiteral("Adaugare Contract Nr.%1").arg(id));
                    t.commit();
                }
            } catch (const std::exception &e) {
                fprintf(stderr, "%s\n", e.what());
                failures = 1;
            }
            _exit(failures);
        }
        children.push_back(pid);
    }
    for (pid_t pid : children) {
        int status = 0;
        waitpid(pid, &status, 0);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    Database after(ws, &clock);
    EXPECT_EQ(after.scalar(QStringLiteral("SELECT COUNT(*) || '/' || COUNT(DISTINCT IDCON) FROM Contract")),
              QVariant(QStringLiteral("120/120")));
    EXPECT_EQ(after.scalar(QStringLiteral("SELECT COUNT(*) || '/' || COUNT(DISTINCT IDLOG) FROM Log")),
              QVariant(QStringLiteral("120/120")));
}
