// The spreadsheet engine on its own: loading (and refusing) files, round trips, cell
// access, row/column operations with reference adjustment, and stored results.
#include "XlsTestUtil.h"

#include "xls/CompoundFile.h"

#include <gtest/gtest.h>

#include <QTemporaryDir>

#include <cstring>
#include <map>
#include <filesystem>

using namespace xlstest;
using xls::CellValue;
using xls::Workbook;

namespace {

// Offset in the file of the first record `id` of the (contiguously stored) workbook stream
// of bigsst.xls, or 0.
std::size_t recordOffset(const std::vector<std::uint8_t> &f, std::uint16_t id)
{
    const std::uint8_t bof[] = {0x09, 0x08, 0x10, 0x00, 0x00, 0x06, 0x05, 0x00};
    auto it = std::search(f.begin(), f.end(), std::begin(bof), std::end(bof));
    if (it == f.end())
        return 0;
    std::size_t p = std::size_t(it - f.begin());
    while (p + 4 <= f.size()) {
        const std::uint16_t rid = std::uint16_t(f[p] | (f[p + 1] << 8));
        const std::uint16_t len = std::uint16_t(f[p + 2] | (f[p + 3] << 8));
        if (rid == id)
            return p;
        if (rid == 0x000A)
            return 0;
        p += 4 + len;
    }
    return 0;
}

std::string openError(const std::vector<std::uint8_t> &bytes)
{
    try {
        Workbook::fromBytes(bytes, "bad.xls");
    } catch (const xls::Error &e) {
        return e.what();
    }
    return "(opened)";
}

const char *const kFixtures[] = {"basic.xls", "report.xls", "bigsst.xls"};

} // namespace

TEST(XlsLoad, RefusesBadFilesWithAReason)
{
    const std::vector<std::uint8_t> good = fileBytes(fixture("bigsst.xls"));
    ASSERT_GT(good.size(), 20000u);
    struct Case {
        const char *what;
        std::vector<std::uint8_t> bytes;
        const char *reason;
    };
    std::vector<Case> cases;
    cases.push_back({"text file", std::vector<std::uint8_t>(600, 'x'), "not a compound file"});
    cases.push_back({"empty", {}, "not a compound file"});
    cases.push_back({"truncated", std::vector<std::uint8_t>(good.begin(), good.begin() + 20000), "truncated"});

    std::vector<std::uint8_t> enc = good;
    const std::size_t afterBof = recordOffset(enc, 0x00E1);
    ASSERT_NE(afterBof, 0u);
    enc[afterBof] = 0x2F; // FILEPASS
    enc[afterBof + 1] = 0x00;
    cases.push_back({"encrypted", enc, "encrypted"});

    std::vector<std::uint8_t> biff5 = good;
    const std::size_t bof = recordOffset(biff5, 0x0809);
    ASSERT_NE(bof, 0u);
    biff5[bof + 5] = 0x05; // version 0x0500
    cases.push_back({"BIFF5", biff5, "BIFF5"});

    std::vector<std::uint8_t> badSheet = good;
    const std::size_t bs = recordOffset(badSheet, 0x0085);
    ASSERT_NE(bs, 0u);
    badSheet[bs + 4] ^= 0x10; // BOUNDSHEET points elsewhere
    cases.push_back({"sheet offset", badSheet, "no sheet starts"});

    std::vector<std::uint8_t> badSst = good;
    const std::size_t sst = recordOffset(badSst, 0x00FC);
    ASSERT_NE(sst, 0u);
    badSst[sst + 10] = 0xFF; // unique count far beyond the strings held
    badSst[sst + 11] = 0xFF;
    cases.push_back({"string count", badSst, "string"});

    for (const Case &c : cases) {
        const std::string err = openError(c.bytes);
        EXPECT_EQ(err.rfind("bad.xls: ", 0), 0u) << c.what << ": " << err;
        EXPECT_NE(err.find(c.reason), std::string::npos) << c.what << ": " << err;
    }
    try {
        Workbook::open("/nonexistent/dir/none.xls");
        ADD_FAILURE() << "opened a missing file";
    } catch (const xls::Error &e) {
        EXPECT_NE(std::string(e.what()).find("/nonexistent/dir/none.xls"), std::string::npos);
    }
}

TEST(XlsLoad, RoundTripKeepsCellsFormatsAndOtherStreams)
{
    for (const char *name : kFixtures) {
        SCOPED_TRACE(name);
        const std::vector<std::uint8_t> in = fileBytes(fixture(name));
        Workbook a = Workbook::fromBytes(in, name);
        const std::vector<std::uint8_t> out = a.toBytes();
        Workbook b = Workbook::fromBytes(out, name);
        ASSERT_EQ(a.sheetCount(), b.sheetCount());
        for (int s = 1; s <= a.sheetCount(); ++s) {
            a.selectSheet(s);
            b.selectSheet(s);
            EXPECT_EQ(a.sheetName(s), b.sheetName(s));
            EXPECT_EQ(describeSheet(a), describeSheet(b));
        }
        // Writing is deterministic: a second round trip gives the same bytes.
        EXPECT_EQ(Workbook::fromBytes(out).toBytes(), out);

        // Every stream other than the workbook is carried over byte for byte.
        const auto cin = xls::detail::CompoundFile::parse(in);
        const auto cout = xls::detail::CompoundFile::parse(out);
        ASSERT_EQ(cin.entries.size(), cout.entries.size());
        for (std::size_t i = 0; i < cin.entries.size(); ++i) {
            EXPECT_EQ(cin.entries[i].name, cout.entries[i].name);
            if (cin.entries[i].name != u"Workbook") {
                EXPECT_EQ(cin.entries[i].data, cout.entries[i].data);
            }
        }
    }
}

TEST(XlsCells, ReadWriteKeepsFormatsAndText)
{
    Workbook wb = Workbook::open(fixture("report.xls"));
    EXPECT_EQ(wb.sheetCount(), 2);
    EXPECT_EQ(wb.sheetName(2), "Sumar");
    EXPECT_EQ(wb.rowCount(), 7);
    EXPECT_EQ(wb.colCount(), 8);
    EXPECT_EQ(wb.cell(1, 1).text, "#PRIMARIE");
    EXPECT_EQ(wb.cell(4, 3).kind, CellValue::Number);
    EXPECT_EQ(wb.cell(4, 3).number, 1.5);
    EXPECT_EQ(wb.cell(40, 40).kind, CellValue::Empty);
    const int moneyXf = wb.cellFormat(4, 3);
    EXPECT_NE(moneyXf, 15);

    const std::string ro = "Șerban Ţăruş îâă ȘȚ";
    wb.setText(4, 3, ro);                      // text into a number cell keeps its format
    wb.setMoney(4, 4, 1234.56785);             // 4 decimals, half away from zero
    wb.setMoneyUnits(5, 3, -123456);           // -12.3456
    wb.setInteger(12, 2, 42);                  // a new cell far below
    wb.setEmptyText(4, 7);
    wb.setNumber(1, 1, 2.5);
    EXPECT_EQ(wb.cellFormat(4, 3), moneyXf);
    EXPECT_EQ(wb.rowCount(), 12);

    Workbook back = Workbook::fromBytes(wb.toBytes());
    EXPECT_EQ(back.cell(4, 3).text, ro);
    EXPECT_EQ(back.cellFormat(4, 3), moneyXf);
    EXPECT_EQ(back.cell(4, 4).number, 1234.5679);
    EXPECT_EQ(back.cell(5, 3).number, -12.3456);
    EXPECT_FALSE(back.cell(5, 3).hasFormula);
    EXPECT_EQ(back.cell(12, 2).number, 42);
    EXPECT_EQ(back.cell(4, 7).kind, CellValue::Empty);
    EXPECT_EQ(back.cellFormat(4, 7), 15);
    EXPECT_EQ(back.cell(1, 1).toText(), "2.5");
    // E4 = C4*D4 now multiplies a text: #VALUE!
    EXPECT_EQ(back.cell(4, 5).kind, CellValue::Error);
    EXPECT_EQ(back.cell(4, 5).text, "#VALUE!");

    EXPECT_THROW(wb.cell(0, 1), xls::Error);
    EXPECT_THROW(wb.setText(1, 257, "x"), xls::Error);
    EXPECT_THROW(wb.selectSheet(3), xls::Error);
    EXPECT_EQ(wb.activeSheet(), 1);
}

TEST(XlsCells, SharedStringTableSplitsInsideSixteenBitStrings)
{
    Workbook wb = Workbook::open(fixture("basic.xls"));
    // Many 16-bit strings of odd lengths, then one far longer than a record.
    std::vector<std::string> texts;
    for (int i = 0; i < 700; ++i) {
        std::string t = "ăâîșț-" + std::to_string(i) + "-";
        for (int k = 0; k < i % 17; ++k)
            t += "ț";
        texts.push_back(t);
    }
    std::string huge;
    for (int i = 0; i < 6000; ++i)
        huge += (i % 3 == 0) ? "ș" : "a";
    texts.push_back(huge);
    for (std::size_t i = 0; i < texts.size(); ++i)
        wb.setText(int(i) + 20, 1, texts[i]);
    Workbook back = Workbook::fromBytes(wb.toBytes());
    for (std::size_t i = 0; i < texts.size(); ++i)
        ASSERT_EQ(back.cell(int(i) + 20, 1).text, texts[i]) << i;
    EXPECT_EQ(back.cell(2, 1).text, "Ștefan Țăran");
}

TEST(XlsRows, DetailRowExpansionAdjustsReferencesEverywhere)
{
    Workbook wb = Workbook::open(fixture("report.xls"));
    // The report pipeline: one copy of the detail row (row 4) per record, inserted at the
    // detail row, which moves down; finally the detail row is deleted.
    int detail = 4;
    const double areas[] = {2.5, 1.25, 4};
    for (int rec = 0; rec < 3; ++rec) {
        wb.insertRowCopies(detail, detail, detail, 1);
        wb.setInteger(detail, 1, rec + 1);
        wb.setText(detail, 2, "Nume " + std::to_string(rec));
        wb.setNumber(detail, 3, areas[rec]);
        wb.setNumber(detail, 4, 10);
        ++detail;
    }
    EXPECT_EQ(detail, 7);
    EXPECT_EQ(wb.formulaText(5, 5), "C5*D5");
    EXPECT_EQ(wb.formulaText(7, 5), "C7*D7");                // the detail row itself moved
    EXPECT_EQ(wb.formulaText(8, 3), "SUM(C3:C7)");           // spans the insertion point: grows
    EXPECT_EQ(wb.formulaText(8, 5), "SUM(E$3:E7)");
    EXPECT_EQ(wb.formulaText(8, 4), "SUM(D7)");              // followed the moved cell
    EXPECT_EQ(wb.formulaText(9, 2), "E8-E7");
    EXPECT_EQ(wb.formulaText(6, 6), "INT(E6/2)+Sumar!$B$1");
    wb.deleteRows(detail, 1);
    EXPECT_EQ(wb.formulaText(7, 3), "SUM(C3:C6)");           // shrinks
    EXPECT_EQ(wb.formulaText(7, 4), "SUM(#REF!)");           // the deleted cell
    EXPECT_EQ(wb.rowCount(), 9);
    EXPECT_EQ(wb.cell(9, 1).text, "Sfarsit");
    std::vector<Workbook::Range> merged = wb.mergedRanges();
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[1].row1, 7);                            // "Total" merge moved down 3, up 1
    EXPECT_EQ(merged[1].col2, 2);

    wb.selectSheet(2);
    EXPECT_EQ(wb.formulaText(1, 1), "Raport!E7");
    EXPECT_EQ(wb.formulaText(1, 3), "SUM(Raport!#REF!)*2");  // its only row was deleted
    EXPECT_EQ(wb.formulaText(1, 4), "Raport!B8&\"/\"&Raport!A9");

    wb.recalculate();
    wb.selectSheet(1);
    EXPECT_EQ(wb.cell(7, 3).number, 7.75);                   // 2.5 + 1.25 + 4
    EXPECT_EQ(wb.cell(7, 5).number, 77.5);
    EXPECT_EQ(wb.cell(7, 6).text, "mic");
    EXPECT_EQ(wb.cell(4, 6).number, 112);                    // INT(25/2) + 100
    EXPECT_EQ(wb.cell(7, 7).number, 11.07);                  // ROUND(77.5/7; 2)
    wb.selectSheet(2);
    EXPECT_EQ(wb.cell(1, 1).number, 77.5);
    EXPECT_EQ(wb.cell(1, 3).text, "#REF!");
}

TEST(XlsRows, BlockCopiesShiftRelativeReferencesOnly)
{
    Workbook wb = Workbook::open(fixture("report.xls"));
    // Copy the head rows 1-3 twice below the foot.
    wb.insertRowCopies(1, 3, 9, 2);
    EXPECT_EQ(wb.cell(9, 1).text, "#PRIMARIE");
    EXPECT_EQ(wb.cell(14, 5).text, "Valoare");
    EXPECT_EQ(wb.mergedRanges().size(), 4u);                 // A1:D1 copied twice
    // Copy the detail+total rows 4-5 above themselves: the source moves down by 4.
    wb.insertRowCopies(4, 5, 4, 2);
    EXPECT_EQ(wb.formulaText(4, 5), "C4*D4");
    EXPECT_EQ(wb.formulaText(6, 5), "C6*D6");
    EXPECT_EQ(wb.formulaText(5, 5), "SUM(E$3:E4)");          // relative end moved with its copy
    EXPECT_EQ(wb.formulaText(7, 5), "SUM(E$3:E6)");          // $3 kept, relative end shifted
    EXPECT_EQ(wb.formulaText(9, 5), "SUM(E$3:E8)");          // the original, grown
    EXPECT_EQ(wb.formulaText(4, 6), "INT(E4/2)+Sumar!$B$1");
    EXPECT_EQ(wb.cell(13, 1).text, "#PRIMARIE");             // rows below moved by 4
    EXPECT_THROW(wb.insertRowCopies(4, 6, 5, 1), xls::Error); // into itself
    EXPECT_THROW(wb.insertRowCopies(1, 1, 2, 70000), xls::Error);
    EXPECT_EQ(wb.cell(13, 1).text, "#PRIMARIE");             // refused calls changed nothing
}

TEST(XlsColumns, CopiesWidthsAndHiding)
{
    Workbook wb = Workbook::open(fixture("report.xls"));
    const int wC = wb.columnWidth(3);
    EXPECT_EQ(wb.columnWidth(1), 1714);
    EXPECT_TRUE(wb.columnHidden(8));
    EXPECT_EQ(wb.columnWidth(8), 0);
    wb.insertColCopies(3, 4, 5, 2);                          // C:D copied to E:H, E.. moved right
    EXPECT_EQ(wb.colCount(), 12);
    EXPECT_EQ(wb.cell(3, 5).text, "Suprafata");
    EXPECT_EQ(wb.cell(3, 8).text, "Pret");
    EXPECT_EQ(wb.cell(3, 9).text, "Valoare");
    EXPECT_EQ(wb.formulaText(4, 9), "C4*D4");                // moved, references unchanged
    EXPECT_EQ(wb.formulaText(5, 7), "SUM(G3:G4)");           // copy of SUM(C3:C4)
    EXPECT_EQ(wb.formulaText(5, 9), "SUM(I$3:I4)");
    EXPECT_TRUE(wb.columnHidden(12));                        // H moved to L
    EXPECT_EQ(wb.columnWidth(7), wC);
    EXPECT_EQ(wb.mergedRanges()[0].col2, 4);                 // A1:D1 ends before the insertion
    wb.setColumnWidth(2, 0);
    wb.setColumnWidth(12, 3000);
    wb.setColumnWidth(200, 512);
    Workbook back = Workbook::fromBytes(wb.toBytes());
    EXPECT_TRUE(back.columnHidden(2));
    EXPECT_EQ(back.columnWidth(2), 0);
    EXPECT_FALSE(back.columnHidden(12));
    EXPECT_EQ(back.columnWidth(12), 3000);
    EXPECT_EQ(back.columnWidth(200), 512);
    EXPECT_EQ(back.columnWidth(199), wb.columnWidth(199));
    back.selectSheet(2);
    EXPECT_EQ(back.formulaText(1, 3), "SUM(Raport!C4:D4)*2");
    EXPECT_EQ(back.formulaText(1, 1), "Raport!I5");
    EXPECT_THROW(back.setColumnWidth(257, 10), xls::Error);
}

TEST(XlsFormulas, StoredResultsFollowSpreadsheetRules)
{
    Workbook wb = Workbook::open(fixture("basic.xls"));
    wb.recalculate();
    struct Expect {
        int row, col;
        CellValue::Kind kind;
        std::string text;
    };
    const Expect table[] = {
        {2, 4, CellValue::Bool, "FALSE"},      {3, 4, CellValue::Bool, "TRUE"},
        {2, 5, CellValue::Text, "Ștefan Țăran!"}, {7, 2, CellValue::Error, "#DIV/0!"},
        {7, 3, CellValue::Number, "8"},        {7, 4, CellValue::Number, "2.68"},
        {7, 5, CellValue::Number, "35"},       {7, 6, CellValue::Text, "da"},
        {7, 7, CellValue::Text, "8 kg"},       {8, 2, CellValue::Number, "10.25"},
        {8, 3, CellValue::Number, "0"},        {8, 4, CellValue::Number, "1"},
        {8, 5, CellValue::Number, "14.25"},    {8, 6, CellValue::Bool, "FALSE"},
    };
    for (const Expect &e : table) {
        const CellValue v = wb.cell(e.row, e.col);
        EXPECT_EQ(v.kind, e.kind) << e.row << "," << e.col;
        EXPECT_EQ(v.toText(), e.text) << e.row << "," << e.col;
        EXPECT_TRUE(v.hasFormula);
    }
    wb.selectSheet(2);
    EXPECT_EQ(wb.cell(1, 2).number, 56.5);
    wb.selectSheet(1);
    wb.setNumber(2, 2, 100);                                  // results follow a change
    wb.recalculate();
    EXPECT_EQ(wb.cell(2, 3).number, 200);
    EXPECT_EQ(wb.cell(7, 5).number, 105);
    wb.selectSheet(2);
    EXPECT_EQ(wb.cell(1, 1).number, 101);
}

TEST(XlsSave, NeverOverwritesAndLeavesNoPartialFile)
{
    QTemporaryDir dir;
    const std::filesystem::path target = dir.filePath(QStringLiteral("out.xls")).toStdString();
    Workbook wb = Workbook::open(fixture("basic.xls"));
    wb.saveAs(target);
    const auto size = std::filesystem::file_size(target);
    wb.setText(1, 1, "changed");
    EXPECT_THROW(wb.saveAs(target), xls::Error);
    EXPECT_EQ(std::filesystem::file_size(target), size);
    EXPECT_EQ(Workbook::open(target).cell(1, 1).text, "Nume");
    EXPECT_THROW(wb.saveAs(dir.filePath(QStringLiteral("missing/dir/x.xls")).toStdString()), xls::Error);
    int files = 0;
    for (const auto &e : std::filesystem::directory_iterator(dir.path().toStdString())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(XlsFormulas, UnsupportedFunctionKeepsItsResultAndAsksForRecalculation)
{
    Workbook wb = Workbook::open(fixture("misc.xls"));
    wb.setNumber(5, 2, 99);                                   // VLOOKUP("Orz"...) would now be 99
    const std::vector<std::uint8_t> out = wb.toBytes();
    Workbook back = Workbook::fromBytes(out);
    EXPECT_EQ(back.cell(3, 3).text, "Gr");                    // LEFT is evaluated
    EXPECT_EQ(back.cell(4, 3).number, 25);                    // VLOOKUP keeps its stored result
    EXPECT_TRUE(back.cell(4, 3).hasFormula);
    EXPECT_EQ(back.formulaText(4, 3), "VLOOKUP(\"Orz\",A3:B5,2,0)");
    EXPECT_EQ(back.cell(5, 3).number, 20);

    // In the file: the VLOOKUP cell carries "always calculate", the evaluated one does not,
    // and RECALCID asks Excel for a full recalculation.
    const auto cf = xls::detail::CompoundFile::parse(out);
    const int wbEntry = cf.findRootChild(u"Workbook");
    ASSERT_GE(wbEntry, 0);
    const auto &s = cf.entries[std::size_t(wbEntry)].data;
    std::map<std::pair<int, int>, int> flags;
    bool recalcId = false;
    for (std::size_t p = 0; p + 4 <= s.size();) {
        const int id = s[p] | (s[p + 1] << 8), len = s[p + 2] | (s[p + 3] << 8);
        if (id == 0x0006)
            flags[{s[p + 4] | (s[p + 5] << 8), s[p + 6] | (s[p + 7] << 8)}] = s[p + 4 + 14] | (s[p + 4 + 15] << 8);
        if (id == 0x01C1)
            recalcId = s[p + 8] == 0 && s[p + 9] == 0 && s[p + 10] == 0 && s[p + 11] == 0;
        if (id == 0 && len == 0)
            break;
        p += 4 + std::size_t(len);
    }
    EXPECT_TRUE(recalcId);
    EXPECT_EQ(flags[std::make_pair(3, 2)] & 1, 1);
    EXPECT_EQ(flags[std::make_pair(2, 2)] & 1, 0);
}

TEST(XlsCompoundFile, LargeWorkbookUsesDifatSectors)
{
    // More than 109 FAT sectors (about 7 MB) need DIFAT sectors.
    Workbook wb = Workbook::open(fixture("report.xls"));
    wb.insertRowCopies(4, 4, 5, 64000);
    for (int r = 64004; r >= 5; r -= 7)
        wb.setText(r, 2, "Arendator " + std::to_string(r));
    const std::vector<std::uint8_t> out = wb.toBytes();
    ASSERT_GT(out.size(), 7u * 1024 * 1024);
    const std::uint32_t difatCount = out[0x48] | (out[0x49] << 8) | (out[0x4A] << 16) | (std::uint32_t(out[0x4B]) << 24);
    EXPECT_GT(difatCount, 0u);
    EXPECT_EQ(out.size() % 512, 0u);
    Workbook back = Workbook::fromBytes(out);
    EXPECT_EQ(back.rowCount(), 64007);
    EXPECT_EQ(back.cell(64004, 2).text, "Arendator 64004");
    EXPECT_EQ(back.formulaText(64004, 5), "C64004*D64004");
    EXPECT_EQ(back.formulaText(64005, 5), "SUM(E$3:E4)");     // the total does not span the copies
}

TEST(XlsRows, DeletingRowsShrinksOrDropsFormatsValidationsAndLinks)
{
    struct Case {
        int row, n;
        int cfFirst, cfLast;  // conditional format rows after the delete (0: dropped)
        int dvFirst, dvLast;  // validation rows (0: dropped)
        int link;             // hyperlink row
        int breakRow;         // page break before this row
    };
    const Case cases[] = {
        {4, 1, 3, 4, 3, 4, 5, 5},   // one row inside: ranges shrink, the rest moves up
        {3, 3, 0, 0, 0, 0, 3, 3},   // the whole range: format and validation vanish
        {1, 1, 2, 4, 2, 4, 5, 5},   // above: everything moves up
        {7, 5, 3, 5, 3, 5, 6, 6},   // below: nothing moves
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.row);
        Workbook wb = Workbook::open(fixture("misc.xls"));
        wb.deleteRows(c.row, c.n);
        const auto recs = records(wb.toBytes());
        int cf1 = 0, cf2 = 0, dv1 = 0, dv2 = 0, link = 0, brk = 0, dvCount = -1;
        for (const auto &[id, d] : recs) {
            if (id == 0x01B0) { cf1 = u16at(d, 14) + 1; cf2 = u16at(d, 16) + 1; }
            if (id == 0x01BE) { dv1 = u16at(d, d.size() - 8) + 1; dv2 = u16at(d, d.size() - 6) + 1; }
            if (id == 0x01B2) dvCount = u16at(d, 14);
            if (id == 0x01B8) link = u16at(d, 0) + 1;
            if (id == 0x001B) brk = u16at(d, 2) + 1;
        }
        EXPECT_EQ(cf1, c.cfFirst);
        EXPECT_EQ(cf2, c.cfLast);
        EXPECT_EQ(dv1, c.dvFirst);
        EXPECT_EQ(dv2, c.dvLast);
        EXPECT_EQ(dvCount, c.dvFirst ? 1 : 0);
        EXPECT_EQ(link, c.link);
        EXPECT_EQ(brk, c.breakRow);
        Workbook::fromBytes(wb.toBytes());
    }
}

TEST(XlsFormulas, LongDependencyChainsAreEvaluated)
{
    // Row 9 holds B9 = B10+1 above the constant B10 = 1: copies of row 9 make a chain of
    // 20 000 formulas each needing the one below, far deeper than any recursion limit.
    Workbook wb = Workbook::open(fixture("basic.xls"));
    wb.insertRowCopies(9, 9, 9, 20000);
    EXPECT_EQ(wb.formulaText(9, 2), "B10+1");
    EXPECT_EQ(wb.formulaText(20009, 2), "B20010+1");
    wb.recalculate();
    EXPECT_EQ(wb.cell(9, 2).number, 20002);
    // A change at the far end of the chain reaches its head.
    wb.setNumber(20010, 2, 5);
    wb.recalculate();
    EXPECT_EQ(wb.cell(9, 2).number, 20006);
    EXPECT_EQ(wb.cell(20009, 2).number, 6);
}
