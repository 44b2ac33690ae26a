// The engine's files read by outside programs: LibreOffice (recomputed values and formula
// text) and python3-xlrd (stored values, column widths, merged ranges, print area).
#include "XlsTestUtil.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>
#include <map>

using namespace xlstest;
using xls::Workbook;

namespace {

const QString kValues = QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,UTF8,1,,0,false,true,false,false,false,-1");
const QString kFormulas = QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,UTF8,1,,0,false,true,false,true,false,-1");

// Converts files to one csv per sheet (<name>-<sheet>.csv) in `outDir`, all in one run.
void convert(const QTemporaryDir &tmp, const QString &filter, const QString &outDir, const QStringList &files)
{
    QStringList args{QStringLiteral("--convert-to"), filter, QStringLiteral("--outdir"), outDir};
    args += files;
    const ogx::test::ProcessResult r = ogx::test::runLibreOffice(args, tmp.path());
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
}

QString csv(const QString &dir, const QString &base, const QString &sheet)
{
    QFile f(dir + QLatin1Char('/') + base + QLatin1Char('-') + sheet + QStringLiteral(".csv"));
    if (!f.open(QIODevice::ReadOnly))
        return QStringLiteral("(missing %1-%2.csv)").arg(base, sheet);
    return QString::fromUtf8(f.readAll());
}

// Cell (row, col) of a csv text (simple: no embedded newlines in the tested cells).
QString csvCell(const QString &text, int row, int col)
{
    const QStringList lines = text.split(QLatin1Char('\n'));
    if (row > lines.size())
        return QString();
    QStringList cells;
    QString cur;
    bool quoted = false;
    const QString line = lines[row - 1];
    for (int i = 0; i < line.size(); ++i) {
        const QChar ch = line[i];
        if (ch == QLatin1Char('"')) {
            if (quoted && i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                cur += ch;
                ++i;
            } else {
                quoted = !quoted;
            }
        } else if (ch == QLatin1Char(',') && !quoted) {
            cells << cur;
            cur.clear();
        } else {
            cur += ch;
        }
    }
    cells << cur;
    return col <= cells.size() ? cells[col - 1] : QString();
}

QString oracleScript()
{
    return QString::fromUtf8(ogx::test::readFile(ogx::test::sourceDir() + QStringLiteral("/tests/xls/oracle.py")));
}

// Stored values read by xlrd equal the values LibreOffice recomputes.
void expectStoredEqualsRecomputed(const QString &xlsPath, const QString &csvDir, const QString &base,
                                  const QString &skip = QString())
{
    QStringList args{QStringLiteral("compare"), xlsPath, csvDir, base};
    if (!skip.isEmpty())
        args << skip;
    const ogx::test::ProcessResult r = ogx::test::runPython(oracleScript(), args);
    EXPECT_EQ(r.exitCode, 0) << base.toStdString() << ":\n" << r.out.toStdString() << r.err.toStdString();
}

QStringList facts(const QString &xlsPath)
{
    const ogx::test::ProcessResult r = ogx::test::runPython(oracleScript(), {QStringLiteral("facts"), xlsPath});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    return QString::fromUtf8(r.out).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

} // namespace

TEST(XlsOracle, RoundTripsReadTheSameAndStoredResultsMatchLibreOffice)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    const QString dir = tmp.path();
    const QStringList names{QStringLiteral("basic"), QStringLiteral("report"), QStringLiteral("bigsst")};
    QStringList files;
    for (const QString &n : names) {
        const QString in = dir + QStringLiteral("/in_") + n + QStringLiteral(".xls");
        const QString out = dir + QStringLiteral("/out_") + n + QStringLiteral(".xls");
        ASSERT_TRUE(QFile::copy(QString::fromStdString(fixture((n + QStringLiteral(".xls")).toUtf8().constData())), in));
        Workbook::open(in.toStdString()).saveAs(out.toStdString());
        files << in << out;
    }
    // Strings that split across CONTINUE records inside 16-bit text.
    std::vector<std::string> texts;
    {
        Workbook wb = Workbook::open(fixture("basic.xls"));
        for (int i = 0; i < 400; ++i) {
            std::string t = "șăț " + std::to_string(i) + " ";
            for (int k = 0; k < 13 + i % 29; ++k)
                t += (k % 2) ? "Ț" : "î";
            texts.push_back(t);
            wb.setText(20 + i, 1, t);
        }
        wb.saveAs(QString(dir + QStringLiteral("/out_sst.xls")).toStdString());
        files << dir + QStringLiteral("/out_sst.xls");
    }
    const QString vals = dir + QStringLiteral("/vals"), fmls = dir + QStringLiteral("/fmls");
    convert(tmp, kValues, vals, files);
    convert(tmp, kFormulas, fmls, files);

    const std::map<QString, QStringList> sheets{
        {QStringLiteral("basic"), {QStringLiteral("Date"), QStringLiteral("Alta")}},
        {QStringLiteral("report"), {QStringLiteral("Raport"), QStringLiteral("Sumar")}},
        {QStringLiteral("bigsst"), {QStringLiteral("Mare")}}};
    for (const auto &[n, list] : sheets) {
        for (const QString &s : list) {
            EXPECT_EQ(csv(vals, QStringLiteral("in_") + n, s), csv(vals, QStringLiteral("out_") + n, s)) << n.toStdString();
            EXPECT_EQ(csv(fmls, QStringLiteral("in_") + n, s), csv(fmls, QStringLiteral("out_") + n, s)) << n.toStdString();
        }
        expectStoredEqualsRecomputed(dir + QStringLiteral("/out_") + n + QStringLiteral(".xls"), vals,
                                     QStringLiteral("out_") + n);
    }
    // The LibreOffice-written files store 0 for text results; ours store the text.
    EXPECT_EQ(csvCell(csv(vals, QStringLiteral("out_basic"), QStringLiteral("Date")), 7, 7), QStringLiteral("8 kg"));

    const QString sstVals = csv(vals, QStringLiteral("out_sst"), QStringLiteral("Date"));
    const QStringList sstFacts = facts(dir + QStringLiteral("/out_sst.xls"));
    for (int i = 0; i < int(texts.size()); ++i) {
        const QString t = QString::fromStdString(texts[std::size_t(i)]);
        ASSERT_EQ(csvCell(sstVals, 20 + i, 1), t) << i;
        ASSERT_TRUE(sstFacts.contains(QStringLiteral("Date text A%1 %2").arg(20 + i).arg(t))) << i;
    }
    expectStoredEqualsRecomputed(dir + QStringLiteral("/out_sst.xls"), vals, QStringLiteral("out_sst"));
}

TEST(XlsOracle, FilledReportReadsRightInLibreOfficeAndXlrd)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    Workbook wb = Workbook::open(fixture("report.xls"));
    // Forty records poured into the detail row 4 the way the report pipeline does it.
    int detail = 4;
    double sumArea = 0, sumValue = 0;
    for (int rec = 1; rec <= 40; ++rec) {
        wb.insertRowCopies(detail, detail, detail, 1);
        const double area = rec * 0.37, price = 100 + rec;
        wb.setInteger(detail, 1, rec);
        wb.setText(detail, 2, "Arendator " + std::to_string(rec) + " ș");
        wb.setMoney(detail, 3, area);
        wb.setMoney(detail, 4, price);
        sumArea += std::round(area * 10000) / 10000;
        sumValue += (std::round(area * 10000) / 10000) * price;
        ++detail;
    }
    wb.deleteRows(detail, 1);
    wb.insertColCopies(3, 3, 4, 1); // a second "Suprafata" column
    wb.setColumnWidth(2, 0);
    wb.setColumnWidth(1, 4000);
    const QString out = tmp.filePath(QStringLiteral("report.xls"));
    wb.saveAs(out.toStdString());

    const QString vals = tmp.filePath(QStringLiteral("vals")), fmls = tmp.filePath(QStringLiteral("fmls"));
    convert(tmp, kValues, vals, {out});
    convert(tmp, kFormulas, fmls, {out});
    const QString v = csv(vals, QStringLiteral("report"), QStringLiteral("Raport"));
    const QString f = csv(fmls, QStringLiteral("report"), QStringLiteral("Raport"));
    const QString s = csv(fmls, QStringLiteral("report"), QStringLiteral("Sumar"));
    EXPECT_EQ(csvCell(v, 4, 2), QStringLiteral("Arendator 1 ș"));
    EXPECT_EQ(csvCell(v, 43, 1), QStringLiteral("40"));
    EXPECT_EQ(csvCell(v, 44, 1), QStringLiteral("Total"));
    EXPECT_NEAR(csvCell(v, 44, 3).toDouble(), sumArea, 0.005);
    EXPECT_NEAR(csvCell(v, 44, 4).toDouble(), sumArea, 0.005);
    EXPECT_NEAR(csvCell(v, 44, 6).toDouble(), sumValue, 0.005);
    EXPECT_EQ(csvCell(v, 44, 7), QStringLiteral("mare"));
    EXPECT_EQ(csvCell(f, 10, 6), QStringLiteral("=C10*E10"));
    EXPECT_EQ(csvCell(f, 44, 3), QStringLiteral("=SUM(C3:C43)"));
    EXPECT_EQ(csvCell(f, 44, 4), QStringLiteral("=SUM(D3:D43)"));
    EXPECT_EQ(csvCell(f, 44, 6), QStringLiteral("=SUM(F$3:F43)"));
    EXPECT_EQ(csvCell(f, 45, 2), QStringLiteral("=F44-#REF!#REF!"));
    EXPECT_EQ(csvCell(s, 1, 1), QStringLiteral("=$Raport.F44"));
    expectStoredEqualsRecomputed(out, vals, QStringLiteral("report"));

    const QStringList x = facts(out);
    for (const char *fact : {"Raport col 1 width 4000", "Raport col 2 width 0 hidden", "Raport merged A1:E1",
                             "Raport merged A44:B44", "name Print_Area Raport A1:H46"})
        EXPECT_TRUE(x.contains(QString::fromUtf8(fact))) << fact << "\n" << x.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(x.contains(QStringLiteral("Raport col 9 width 2857 hidden"))); // H moved to I
}

TEST(XlsOracle, InsertedRowsMoveFormatsValidationsLinksAndBreaks)
{
    QTemporaryDir tmp;
    ASSERT_TRUE(tmp.isValid());
    Workbook wb = Workbook::open(fixture("misc.xls"));
    wb.insertRowCopies(4, 4, 4, 2);                           // rows 4-5 copies, "Porumb" to 6
    wb.setText(5, 1, "Soia");
    const QString out = tmp.filePath(QStringLiteral("misc.xls"));
    wb.saveAs(out.toStdString());
    const QString fodsDir = tmp.filePath(QStringLiteral("fods")), vals = tmp.filePath(QStringLiteral("vals"));
    convert(tmp, QStringLiteral("fods"), fodsDir, {out});
    convert(tmp, kValues, vals, {out});
    // The copies of the VLOOKUP row keep the source's stored result: the evaluator does not
    // know VLOOKUP, so those cells are flagged for recalculation (which LibreOffice does).
    expectStoredEqualsRecomputed(out, vals, QStringLiteral("misc"), QStringLiteral("Lista!C4,Lista!C5"));

    QFile f(fodsDir + QStringLiteral("/misc.fods"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QString x = QString::fromUtf8(f.readAll());
    // Conditional format B3:B5 spans the insertion point: it grows to B3:B7.
    EXPECT_TRUE(x.contains(QStringLiteral("calcext:target-range-address=\"Lista.B3:Lista.B7\""))) << "conditional format";
    // The validation covers the grown range: B3..B7 carry it.
    EXPECT_EQ(x.count(QStringLiteral("table:content-validation-name=")), 5);
    // Rows: the hyperlink row (6 before) is now row 8 and still starts a new page.
    const QString body = x.mid(x.indexOf(QStringLiteral("<table:table table:name=\"Lista\"")));
    const QStringList rows = body.split(QStringLiteral("<table:table-row"));
    int linkRow = 0;
    QString linkRowText;
    for (int i = 1; i < rows.size(); ++i)
        if (rows[i].contains(QStringLiteral("https://example.org/"))) {
            linkRow = i;
            linkRowText = rows[i];
        }
    EXPECT_EQ(linkRow, 8);
    const int styleAt = linkRowText.indexOf(QStringLiteral("table:style-name=\""));
    ASSERT_GE(styleAt, 0);
    const QString style = linkRowText.mid(styleAt + 18, linkRowText.indexOf(QLatin1Char('"'), styleAt + 18) - styleAt - 18);
    const int def = x.indexOf(QStringLiteral("<style:style style:name=\"") + style + QStringLiteral("\" style:family=\"table-row\""));
    ASSERT_GE(def, 0) << style.toStdString();
    EXPECT_TRUE(x.mid(def, 300).contains(QStringLiteral("fo:break-before=\"page\""))) << x.mid(def, 300).toStdString();
    const QString v = csv(vals, QStringLiteral("misc"), QStringLiteral("Lista"));
    EXPECT_EQ(csvCell(v, 7, 3), QStringLiteral("50"));         // SUM(B3:B4) grew to SUM(B3:B6)
    EXPECT_EQ(csvCell(v, 5, 1), QStringLiteral("Soia"));
}
