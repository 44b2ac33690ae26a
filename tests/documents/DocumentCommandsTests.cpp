#include "documents/DocumentCommands.h"

#include "TestSupport.h"
#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Schema.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace ogx;
using namespace ogx::test;

namespace {

QString s(const char *t) { return QString::fromUtf8(t); }

struct FixedClock final : Clock {
    QDate today() const override { return QDate(2026, 12, 10); }
    QTime now() const override { return QTime(9, 30); }
};

class DocumentCommandsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Workspace ws;
    FixedClock clock;
    RecordingShellOpener shell;
    std::unique_ptr<Database> db;

    void SetUp() override
    {
        ws.programDir = dir.path();
        ws.dataDir = ws.localDataDir = dir.filePath(s("Data"));
        ws.tempDir = dir.filePath(s("Temp"));
        ws.machineDir = dir.filePath(s("machine"));
        ws.operatorText = s("PC - test");
        QDir().mkpath(ws.dataDir);
        QDir().mkpath(ws.machineDir);
        db = std::make_unique<Database>(ws, &clock);
        CreateTables(*db);
        db->exec(s("INSERT INTO Contract (IDCON, TIPCON, NRCON, NRCPER, DATACON, EXPIRA, NUME1, CNP1, NUME2, "
                   "SUPRAFT, VALOARE, TIPPLATA, JUD1, LOC1) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)"),
                 {7, s("ARENDA"), 15, s(""), QDate(2020, 10, 1), QDate(2030, 10, 1), s("Ionescu Ana"),
                  s("2850228123457"), s("SC Campia SRL"), 3.5, 800, s("KG/HA"), s("Vaslui"), s("Vutcani")});
        // inserted out of order: the document lists them by IDPARC
        const struct {
            int id;
            const char *tarla;
            int parc;
            const char *det;
            double supraf;
        } rows[] = {{32, "T9", 44, "", 2}, {30, "T8", 12, "A", 1.5}};
        for (const auto &r : rows)
            db->exec(s("INSERT INTO Parcele (IDCON, IDPARC, TARLANR, PARCNR, PARCDET, SUPRAF, CATEG, LOCALIT, "
                       "NRCAD) VALUES (7, ?, ?, ?, ?, ?, ?, ?, ?)"),
                     {r.id, s(r.tarla), r.parc, s(r.det), r.supraf, s("Teren arabil"), s("Vutcani"), s("70011")});
    }

    QStringList logLines()
    {
        const ResultSet r = db->query(s("SELECT ACTIUNE FROM Log ORDER BY IDLOG"));
        QStringList out;
        for (int i = 0; i < r.rowCount(); ++i)
            out.append(r.text(i, 0));
        return out;
    }
};

TEST_F(DocumentCommandsTest, LoadsTheContractAndItsParcelsInListOrder)
{
    const auto c = LoadContract(*db, 7);
    ASSERT_TRUE(c.has_value());
    EXPECT_EQ(c->NUME1, s("Ionescu Ana"));
    EXPECT_EQ(c->DATACON, QDate(2020, 10, 1));
    EXPECT_EQ(c->VALOARE, 800);
    const QList<ParcelRecord> parcels = LoadParcels(*db, 7);
    ASSERT_EQ(parcels.size(), 2);
    EXPECT_EQ(parcels[0].IDPARC, 30);
    EXPECT_EQ(parcels[0].PARCDET, s("A"));
    EXPECT_EQ(parcels[1].SUPRAF, 2);
    EXPECT_FALSE(LoadContract(*db, 8).has_value());
    EXPECT_FALSE(LoadParcel(*db, 99).has_value());
    EXPECT_THROW(ListContract(*db, shell, 8), Error);
}

TEST_F(DocumentCommandsTest, ListContractInstallsFillsStoresAndLogsOnce)
{
    // The Data directory holds no template yet: the shipped one is installed first.
    const QString path = ListContract(*db, shell, 7);
    EXPECT_EQ(path, ws.dataFile(s("C7.rtf")));
    EXPECT_TRUE(QFile::exists(ws.dataFile(s("ModCon3.rtf"))));
    const QByteArray rtf = readFile(path);
    const qsizetype first = rtf.indexOf("T8"), second = rtf.indexOf("T9");
    EXPECT_TRUE(first > 0 && first < second);
    EXPECT_TRUE(rtf.contains("12/A"));
    EXPECT_TRUE(rtf.contains("D-na. Ionescu Ana"));
    EXPECT_TRUE(rtf.contains("10 (zece) ani"));
    EXPECT_TRUE(rtf.contains("800 kg/ha sau \xeen bani"));
    EXPECT_FALSE(rtf.contains("[N"));
    EXPECT_EQ(logLines(), QStringList{s("Vizualizare/Listare Contract SC Campia SRL")});

    EXPECT_EQ(ListContract(*db, shell, 7), path);
    EXPECT_EQ(shell.opened, (QStringList{path, path}));
    EXPECT_EQ(logLines().size(), 1);
}

TEST_F(DocumentCommandsTest, SaleOfferOfAParcel)
{
    EXPECT_THROW(ProduceSaleOffer(*db, shell, 30, s("1500.5")), Error);  // COf.rtf is not installed here
    EXPECT_TRUE(shell.opened.isEmpty());
    ListContract(*db, shell, 7);  // installs every missing template
    const QString path = ProduceSaleOffer(*db, shell, 30, s("1500.5"));
    EXPECT_EQ(path, dir.filePath(s("COF0.rtf")));
    const QByteArray rtf = readFile(path);
    EXPECT_TRUE(rtf.contains("PRIM\\'c3RIA VUTCANI"));
    EXPECT_TRUE(rtf.contains("1500.5 lei (adic\\'e3 unamiicincisute lei si cincizeci bani)"));
    EXPECT_TRUE(rtf.contains("12/A"));
    EXPECT_TRUE(rtf.contains("Data: 10.12.2026"));
    EXPECT_EQ(logLines().size(), 1);  // the offer is not logged
    EXPECT_THROW(ProduceSaleOffer(*db, shell, 99, s("10")), Error);
}

} // namespace
