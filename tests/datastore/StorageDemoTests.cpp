#include "datastore/Database.h"
#include "datastore/DemoData.h"
#include "datastore/Error.h"
#include "datastore/Schema.h"
#include "datastore/Settings.h"
#include "datastore/SqlCsv.h"
#include "StorageFixture.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QTextStream>

using namespace ogx;
using ogx::test::StorageTest;

namespace {

// Control digits computed here independently of the generator.
bool validCnp(const QString &c)
{
    if (c.size() != 13)
        return false;
    const QString w = QStringLiteral("279146358279");
    int s = 0;
    for (int i = 0; i < 12; ++i) {
        if (!c[i].isDigit())
            return false;
        s += c[i].digitValue() * w[i].digitValue();
    }
    const int r = s % 11 == 10 ? 1 : s % 11;
    const QDate birth(((c[0] == u'5' || c[0] == u'6') ? 2000 : 1900) + c.mid(1, 2).toInt(), c.mid(3, 2).toInt(), c.mid(5, 2).toInt());
    return c[12].digitValue() == r && birth.isValid() && QStringLiteral("1256").contains(c[0]);
}

bool validCif(const QString &c)
{
    if (c.size() < 2 || c.size() > 10)
        return false;
    const QString p = c.rightJustified(10, u'0');
    const QString w = QStringLiteral("753217532");
    int s = 0;
    for (int i = 0; i < 9; ++i)
        s += p[i].digitValue() * w[i].digitValue();
    return p[9].digitValue() == (s * 10 % 11) % 10;
}

class DemoTest : public StorageTest {
protected:
    void SetUp() override
    {
        StorageTest::SetUp();
        db = std::make_unique<Database>(ws, &clock);
        CreateTables(*db);
    }
    std::unique_ptr<Database> db;
};

} // namespace

TEST(DemoCodes, KnownControlDigits)
{
    // 000001859 x 753217532 = 7 + 40 + 15 + 18 = 80; 800 mod 11 = 8
    EXPECT_EQ(makeCif(1859), QStringLiteral("18598"));
    EXPECT_TRUE(validCnp(makeCnp(1985, 2, 28, 'M', 22, 12)));
    EXPECT_TRUE(makeCnp(2003, 7, 1, 'F', 40, 999).startsWith(QStringLiteral("603070140999")));
}

TEST_F(DemoTest, TheDemoRegisterIsRealisticAndReproducible)
{
    const DemoSummary s = fillDemoRegister(*db, 80, 7);
    EXPECT_EQ(s.contracts, 80);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Contract")), QVariant(qlonglong(80)));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Parcele")), QVariant(qlonglong(s.parcels)));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Plati2")), QVariant(qlonglong(s.payments)));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Log")), QVariant(qlonglong(80)));
    EXPECT_GT(s.payments, 80);

    const ResultSet codes = db->query(QStringLiteral("SELECT CNP1, CNP2, NUME2 FROM Contract"));
    for (int i = 0; i < codes.rowCount(); ++i) {
        EXPECT_TRUE(validCnp(codes.text(i, 0))) << codes.text(i, 0).toStdString();
        const QString lessee = codes.text(i, 1);
        EXPECT_TRUE(lessee.size() == 13 ? validCnp(lessee) : validCif(lessee)) << lessee.toStdString();
    }
    // 1 to 6 parcels each, the contract's surface is the sum of its parcels, keys are unique.
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Contract C WHERE "
                                        "(SELECT COUNT(*) FROM Parcele P WHERE P.IDCON = C.IDCON) NOT BETWEEN 1 AND 6 "
                                        "OR abs(SUPRAFT - (SELECT SUM(SUPRAF) FROM Parcele P WHERE P.IDCON = C.IDCON)) > 0.00005")),
              QVariant(qlonglong(0)));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(DISTINCT IDPARC) FROM Parcele")), QVariant(qlonglong(s.parcels)));
    EXPECT_GE(db->scalar(QStringLiteral("SELECT COUNT(DISTINCT TARLADEN) FROM Parcele")).toInt(), 5);
    EXPECT_GE(db->scalar(QStringLiteral("SELECT COUNT(DISTINCT ANAFERENT) FROM Plati2")).toInt(), 3);
    // Every row is either an amount due or a payment.
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Plati2 WHERE (DEPLATA > 0) = (PLATA > 0)")), QVariant(qlonglong(0)));
    EXPECT_EQ(db->settings().PeekId(QStringLiteral("IDCON")), QStringLiteral("81"));

    // The same seed in another workspace gives the same tables.
    ogx::test::FixedClock sameClock;
    QTemporaryDir other;
    Workspace ws2 = ws;
    ws2.dataDir = other.path();
    Database db2(ws2, &sameClock);
    CreateTables(db2);
    fillDemoRegister(db2, 80, 7);
    for (const QString &t : Database::tableNames())
        EXPECT_EQ(test::readFile(db2.tablePath(t)), test::readFile(db->tablePath(t))) << t.toStdString();
}

TEST_F(DemoTest, SqlPrintsCsvAndRefusesChangesUnlessAllowed)
{
    db->exec(QStringLiteral("INSERT INTO Contract (IDCON, NRCON, NUME1, DATACON, SUPRAFT, OBS) VALUES (?, ?, ?, ?, ?, ?)"),
             {1, 5, QStringLiteral("POPA, \"NEA\" ION"), QDate(2024, 3, 1), 1.5, QStringLiteral("doua\nranduri")});
    db->exec(QStringLiteral("INSERT INTO Contract (IDCON, NRCON, NUME1) VALUES (2, 6, 'ŞTEFĂNESCU')"));
    QString text;
    QTextStream out(&text);
    const int rows = runSqlCsv(*db, QStringLiteral("SELECT IDCON, NUME1, DATACON, SUPRAFT, OBS, SUPRAFT * 2 AS D2 FROM Contract ORDER BY IDCON"),
                               false, out);
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(text, QStringLiteral("IDCON,NUME1,DATACON,SUPRAFT,OBS,D2\n"
                                   "1,\"POPA, \"\"NEA\"\" ION\",01.03.2024,1.5,\"doua\nranduri\",3\n"
                                   "2,ŞTEFĂNESCU,,,,\n"));

    const QByteArray before = test::readFile(dataFile(QStringLiteral("Contract.dbf")));
    EXPECT_THROW(runSqlCsv(*db, QStringLiteral("DELETE FROM Contract"), false, out), Error);
    EXPECT_THROW(runSqlCsv(*db, QStringLiteral("CREATE TEMP TABLE x AS SELECT 1"), false, out), Error);
    EXPECT_EQ(test::readFile(dataFile(QStringLiteral("Contract.dbf"))), before);
    text.clear();
    EXPECT_EQ(runSqlCsv(*db, QStringLiteral("UPDATE Contract SET OBS = 'x'"), true, out), 2);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT group_concat(OBS) FROM Contract")), QVariant(QStringLiteral("x,x")));
}
