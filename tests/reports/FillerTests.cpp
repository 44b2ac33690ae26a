// The workbook filler: typed placeholder replacement, sheet choice, block copies and the
// detail row filled in place.

#include "ReportTestUtil.h"

#include "datastore/Error.h"
#include "reports/ExpXLSOLE.h"

using namespace ogx;
using namespace reporttest;

namespace {

class FillerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ws = makeWorkspace(dir);
    }

    static ResultSet products(int count)
    {
        const QVector<QVector<QVariant>> all = {
            {QStringLiteral("GRAU"), 1000.0, 0.85},
            {QStringLiteral("PORUMB"), 0.0, 0.6},
            {QStringLiteral("ORZ"), 250.5, 0.7},
        };
        return dataset({QStringLiteral("PRODUS"), QStringLiteral("BUC"), QStringLiteral("PRETU")},
                       {Kind::Text, Kind::Number, Kind::Number}, all.mid(0, count));
    }

    QTemporaryDir dir;
    Workspace ws;
    RecordingShellOpener shell;
};

TEST_F(FillerTest, ReplaceOnSheetKeepsTheValueTypeForWholeCellsOnly)
{
    ExpXLSOLE f(ws, shell);
    ASSERT_TRUE(f.OpenWorkbook(fixture("filler.xls")));
    f.ReplaceOnSheet(QStringLiteral("[NRP]"), 17);
    f.ReplaceOnSheet(QStringLiteral("[ADRESA]"), QStringLiteral("Str. Mare [ADRESA] 1"));
    f.ReplaceOnSheet(QStringLiteral("#produs"), QStringLiteral("GRAU, nu #PRODUS"));
    xls::Workbook &b = f.XCell();
    // Whole cell: a number stays a number.
    EXPECT_EQ(kind(b, 1, 1), xls::CellValue::Number);
    EXPECT_EQ(number(b, 1, 1), 17);
    // Compared untrimmed: " [NRP]" is not the key itself, so the value goes in as text.
    EXPECT_EQ(kind(b, 1, 2), xls::CellValue::Text);
    EXPECT_EQ(text(b, 1, 2), QStringLiteral(" 17"));
    // Every occurrence, in any case.
    EXPECT_EQ(text(b, 1, 3), QStringLiteral("Nr. 17 / 17"));
    // "[Adresa]" is found by "[ADRESA]"; a value holding the key is inserted once.
    EXPECT_EQ(text(b, 1, 4), QStringLiteral("Str. Mare [ADRESA] 1"));
    EXPECT_EQ(text(b, 2, 1), QStringLiteral("Produs: GRAU, nu #PRODUS"));
    EXPECT_EQ(text(b, 7, 2), QStringLiteral("GRAU, nu #PRODUS")) << "the detail row is a cell like any other";
    // Only the active sheet.
    b.selectSheet(2);
    EXPECT_EQ(text(b, 1, 1), QStringLiteral("[NRP]"));
}

TEST_F(FillerTest, SelectSheetBeyondTheLastKeepsTheCurrentSheet)
{
    ExpXLSOLE f(ws, shell);
    ASSERT_TRUE(f.OpenWorkbook(fixture("filler.xls")));
    f.SelectSheet(2);
    EXPECT_EQ(f.XCell().activeSheet(), 2);
    f.SelectSheet(5);
    EXPECT_EQ(f.XCell().activeSheet(), 2);
    f.ReplaceOnSheet(QStringLiteral("[NRP]"), QStringLiteral("A-12"));
    EXPECT_EQ(text(f.XCell(), 1, 1), QStringLiteral("A-12"));
    f.SelectSheet(1);
    EXPECT_EQ(text(f.XCell(), 1, 1), QStringLiteral("[NRP]"));
}

TEST_F(FillerTest, CopyBlockAndInsertCopiesPushTheRowsBelowDown)
{
    ExpXLSOLE f(ws, shell);
    ASSERT_TRUE(f.OpenWorkbook(fixture("filler.xls")));
    xls::Workbook &b = f.XCell();
    f.CopyBlock(3, 9, 3);  // "Bloc 1..3" above "Semnatura"
    EXPECT_EQ(text(b, 9, 1), QStringLiteral("Bloc 1"));
    EXPECT_EQ(text(b, 11, 1), QStringLiteral("Bloc 3"));
    EXPECT_EQ(text(b, 12, 1), QStringLiteral("Semnatura"));
    EXPECT_EQ(text(b, 3, 1), QStringLiteral("Bloc 1"));

    f.InsertCopies(4, 2);  // "Bloc 2" three times, everything under it two rows lower
    EXPECT_EQ(text(b, 4, 1), QStringLiteral("Bloc 2"));
    EXPECT_EQ(text(b, 5, 1), QStringLiteral("Bloc 2"));
    EXPECT_EQ(text(b, 6, 1), QStringLiteral("Bloc 2"));
    EXPECT_EQ(text(b, 7, 1), QStringLiteral("Bloc 3"));
    EXPECT_EQ(text(b, 9, 1), QStringLiteral("%NRCRT"));
    EXPECT_EQ(b.formulaText(10, 5), "SUM(E8:E9)");
    EXPECT_EQ(text(b, 14, 1), QStringLiteral("Semnatura"));
}

TEST_F(FillerTest, ThreeRecordsFillRowsSevenToNine)
{
    ExpXLSOLE f(ws, shell);
    ASSERT_TRUE(f.OpenWorkbook(fixture("filler.xls")));
    f.FillRows(products(3));
    const QString out = f.SaveAndOpen(true);
    EXPECT_EQ(out, ws.programDir + QStringLiteral("/XLSTmp0.xls"));
    EXPECT_EQ(shell.opened, QStringList{out});
    EXPECT_FALSE(f.isOpen());

    xls::Workbook b = xls::Workbook::open(out.toStdString());
    const char *names[] = {"GRAU", "PORUMB", "ORZ"};
    for (int i = 0; i < 3; ++i) {
        const int r = 7 + i;
        SCOPED_TRACE(r);
        EXPECT_EQ(number(b, r, 1), i + 1);
        EXPECT_EQ(text(b, r, 2), QString::fromLatin1(names[i]));
        EXPECT_EQ(b.formulaText(r, 5), "C" + std::to_string(r) + "*D" + std::to_string(r));
        EXPECT_EQ(kind(b, r, 6), xls::CellValue::Empty);
    }
    // A zero number leaves its cell empty.
    EXPECT_EQ(kind(b, 8, 3), xls::CellValue::Empty);
    EXPECT_EQ(number(b, 9, 3), 250.5);
    // The rows under the detail row moved down by two; the total spans the records.
    EXPECT_EQ(text(b, 10, 2), QStringLiteral("Total"));
    EXPECT_EQ(b.formulaText(10, 5), "SUM(E6:E9)");
    EXPECT_DOUBLE_EQ(number(b, 10, 5), 1000 * 0.85 + 250.5 * 0.7);
    EXPECT_EQ(text(b, 11, 1), QStringLiteral("Semnatura"));
    // The template itself is only read.
    xls::Workbook tpl = xls::Workbook::open(fixture("filler.xls").toStdString());
    EXPECT_EQ(text(tpl, 7, 6), QStringLiteral("#DBF"));
}

TEST_F(FillerTest, NoRecordsInsertNothingAndKeepTheDetailRow)
{
    ExpXLSOLE f(ws, shell);
    ASSERT_TRUE(f.OpenWorkbook(fixture("filler.xls")));
    f.FillRows(products(0));
    xls::Workbook &b = f.XCell();
    EXPECT_EQ(b.rowCount(), 9);
    EXPECT_EQ(kind(b, 7, 6), xls::CellValue::Empty);
    EXPECT_EQ(text(b, 7, 2), QStringLiteral("#PRODUS"));
    EXPECT_EQ(text(b, 8, 2), QStringLiteral("Total"));

    f.FillRows(products(1));  // the marker is gone: nothing more happens
    EXPECT_EQ(text(b, 7, 2), QStringLiteral("#PRODUS"));
}

TEST_F(FillerTest, MissingTemplateOpensNothing)
{
    ExpXLSOLE f(ws, shell);
    EXPECT_FALSE(f.OpenWorkbook(dir.path() + QStringLiteral("/Aviz.xls")));
    EXPECT_FALSE(f.isOpen());
    EXPECT_THROW(f.ReplaceOnSheet(QStringLiteral("[NRP]"), 1), Error);
    EXPECT_THROW(f.SaveAndOpen(true), Error);
    EXPECT_TRUE(shell.opened.isEmpty());

    // A leftover XLSTmp0.xls that is free is replaced; one still open is skipped.
    test::writeFile(ws.programDir + QStringLiteral("/XLSTmp0.xls"), QByteArray("old"));
    test::writeFile(ws.programDir + QStringLiteral("/.~lock.XLSTmp0.xls#"), QByteArray("x"));
    ASSERT_TRUE(f.OpenWorkbook(fixture("filler.xls")));
    EXPECT_EQ(f.outputName(), ws.programDir + QStringLiteral("/XLSTmp1.xls"));
    EXPECT_EQ(f.SaveAndOpen(false), ws.programDir + QStringLiteral("/XLSTmp1.xls"));
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_EQ(test::readFile(ws.programDir + QStringLiteral("/XLSTmp0.xls")), QByteArray("old"));
}

} // namespace
