// The report generator: template markers, detail rows, head keys, zero placeholder, report
// names and the saved report as LibreOffice and python3-xlrd read it.

#include "ReportTestUtil.h"

#include "datastore/Error.h"
#include "reports/ExportXLSModel.h"

#include <gmock/gmock.h>

using namespace ogx;
using namespace reporttest;
using ::testing::HasSubstr;

namespace {

class PipelineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ws = makeWorkspace(dir);
    }

    // NUME1, SUPRAFT, VALOARE, DATACON, OBS: a full record, one of zeros and blanks, another.
    static ResultSet contracts()
    {
        return dataset({QStringLiteral("IDCON"), QStringLiteral("NUME1"), QStringLiteral("SUPRAFT"),
                        QStringLiteral("VALOARE"), QStringLiteral("DATACON"), QStringLiteral("OBS")},
                       {Kind::Number, Kind::Text, Kind::Number, Kind::Number, Kind::Date, Kind::Text},
                       {{qlonglong(7), QStringLiteral("POPESCU ION"), 1.5, 1200.5, QDate(2024, 3, 15), QStringLiteral("obs1")},
                        {qlonglong(8), QStringLiteral("IONESCU ANA"), 0.0, 0.0, QVariant(), QString()},
                        {qlonglong(9), QStringLiteral("VASILE ȘTEFAN"), 2.25, 300.0, QDate(2023, 1, 1), QStringLiteral("x")}});
    }

    xls::Workbook report() const
    {
        EXPECT_EQ(shell.opened.size(), 1);
        return xls::Workbook::open(QString(ws.programDir + QStringLiteral("/Rap0.xls")).toStdString());
    }

    QTemporaryDir dir;
    Workspace ws;
    RecordingShellOpener shell;
};

TEST_F(PipelineTest, FillsOneRowPerRecordBetweenHeadAndFoot)
{
    ExportXLSModel m(ws, shell);
    ASSERT_TRUE(m.OpenTemplate(fixture("pipeline.xls")));
    EXPECT_TRUE(m.opened());
    m.ReplaceText(QStringLiteral("#PRIMARIE"), QStringLiteral("COMUNA VALEA"));
    m.ReplaceText(QStringLiteral("#AZI"), QStringLiteral("10.12.2026"));
    m.ReplaceText(QStringLiteral("5"), QStringLiteral("cinci"));  // D1 holds the number 5
    m.ReplaceNumber(QStringLiteral("[suma]"), 1234.56789);
    m.FillFromDataset(contracts());
    m.SaveAndShow();

    const QString saved = ws.programDir + QStringLiteral("/Rap0.xls");
    EXPECT_EQ(m.lastReportFile(), saved);
    EXPECT_EQ(shell.opened, QStringList{saved});
    EXPECT_FALSE(m.opened());
    xls::Workbook b = report();

    // Head: first occurrence only, trimmed, numbers untouched, ReplaceNumber on whole cells.
    EXPECT_EQ(text(b, 1, 1), QStringLiteral("COMUNA VALEA si #primarie"));
    EXPECT_EQ(kind(b, 1, 2), xls::CellValue::Number);
    EXPECT_DOUBLE_EQ(number(b, 1, 2), 1234.5679);
    EXPECT_EQ(text(b, 1, 3), QStringLiteral("Total [SUMA] lei"));
    EXPECT_EQ(kind(b, 1, 4), xls::CellValue::Number);
    EXPECT_EQ(text(b, 2, 1), QStringLiteral("Lista din 10.12.2026"));
    EXPECT_EQ(text(b, 3, 2), QStringLiteral("Nume"));

    const double serial2024 = QDate(1899, 12, 30).daysTo(QDate(2024, 3, 15));
    const double serial2023 = QDate(1899, 12, 30).daysTo(QDate(2023, 1, 1));
    struct Expected {
        int nr; const char *name; QVariant sup, val, date; const char *obs;
    };
    const Expected rows[] = {
        {1, "POPESCU ION", 1.5, 1200.5, serial2024, "obs1"},
        {2, "IONESCU ANA", QStringLiteral("-"), QStringLiteral("-"), QStringLiteral("-"), ""},
        {3, "VASILE ȘTEFAN", 2.25, 300.0, serial2023, "x"},
    };
    for (int i = 0; i < 3; ++i) {
        const int r = 4 + i;
        const Expected &e = rows[i];
        SCOPED_TRACE(r);
        EXPECT_EQ(kind(b, r, 1), xls::CellValue::Number);
        EXPECT_EQ(number(b, r, 1), e.nr);
        EXPECT_EQ(text(b, r, 2), QString::fromUtf8(e.name));
        for (int c : {3, 4, 5}) {
            const QVariant &want = c == 3 ? e.sup : c == 4 ? e.val : e.date;
            if (want.typeId() == QMetaType::QString) {
                EXPECT_EQ(text(b, r, c), want.toString()) << c;
            } else {
                EXPECT_EQ(kind(b, r, c), xls::CellValue::Number) << c;
                EXPECT_DOUBLE_EQ(number(b, r, c), want.toDouble()) << c;
            }
        }
        // An empty text field is an empty cell, not the placeholder.
        if (*e.obs)
            EXPECT_EQ(text(b, r, 6), QString::fromUtf8(e.obs));
        else
            EXPECT_EQ(kind(b, r, 6), xls::CellValue::Empty);
        // A "#" name of no field, literal text and formulas survive in every row.
        EXPECT_EQ(text(b, r, 7), QStringLiteral("#NUMEFARA"));
        EXPECT_EQ(b.formulaText(r, 8), "A" + std::to_string(r) + "*2");
        EXPECT_EQ(number(b, r, 8), 2.0 * e.nr);
        EXPECT_EQ(text(b, r, 9), QStringLiteral("literal"));
        EXPECT_EQ(kind(b, r, 10), xls::CellValue::Empty);
        // Generated rows keep the detail row's formats (dates stay dates).
        EXPECT_EQ(b.cellFormat(r, 5), b.cellFormat(4, 5));
    }
    // The detail row is gone; the foot follows the records and its totals span them.
    EXPECT_EQ(text(b, 7, 2), QStringLiteral("TOTAL"));
    EXPECT_EQ(b.formulaText(7, 3), "SUM(C3:C6)");
    EXPECT_DOUBLE_EQ(number(b, 7, 3), 3.75);
    EXPECT_DOUBLE_EQ(number(b, 7, 4), 1500.5);
    EXPECT_DOUBLE_EQ(number(b, 7, 8), 12);
    EXPECT_EQ(text(b, 8, 1), QStringLiteral("Semnatura"));
    EXPECT_EQ(b.rowCount(), 8);
    b.selectSheet(2);
    EXPECT_EQ(b.formulaText(1, 1), "Raport!D7");

    // Outside readers: LibreOffice recomputes the totals; xlrd reads stored values and formats.
    const QVector<QStringList> csv = libreOfficeCsv(saved, QStringLiteral("Raport"), dir.path() + QStringLiteral("/csv"));
    ASSERT_GE(csv.size(), 7);
    EXPECT_EQ(csv[6].value(1), QStringLiteral("TOTAL"));
    EXPECT_EQ(csv[6].value(2), QStringLiteral("3.7500"));
    EXPECT_EQ(csv[6].value(3), QStringLiteral("1500.50"));
    EXPECT_EQ(csv[6].value(7), QStringLiteral("12.0000"));
    EXPECT_EQ(csv[3].value(4), QStringLiteral("15.03.2024"));
    EXPECT_EQ(csv[4].value(2), QStringLiteral("-"));

    const XlrdSheet x = xlrdSheet(saved);
    ASSERT_EQ(x.cells.size(), 8);
    const QJsonArray date = x.cells[3].toArray()[4].toArray();
    EXPECT_EQ(date[0].toInt(), 3) << "xlrd sees a date cell";
    EXPECT_EQ(date[1].toDouble(), serial2024);
    EXPECT_EQ(x.cells[6].toArray()[2].toArray()[1].toDouble(), 3.75);
    EXPECT_EQ(x.cells[6].toArray()[3].toArray()[1].toDouble(), 1500.5);
}

TEST_F(PipelineTest, MarkersMatchInAnyCaseWithStrayBlanksAndTabs)
{
    struct Case { const char *nrcrt, *name, *dbf; };
    const Case cases[] = {
        {"%NRCRT", "#NUME1", "#DBF"},
        {"%nrcrt\t", " #nume1\t", "\t#dbf "},
        {"  %NrCrt  ", "\t\t#Nume1  ", " #DbF\r\n"},
    };
    const ResultSet data = contracts();
    int n = 0;
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        const QString tpl = editedCopy(fixture("pipeline.xls"), dir.path() + QStringLiteral("/t%1.xls").arg(n++),
                                       [&](xls::Workbook &b) {
                                           b.setText(4, 1, c.nrcrt);
                                           b.setText(4, 2, c.name);
                                           b.setText(4, 10, c.dbf);
                                       });
        ExportXLSModel m(ws, shell);
        ASSERT_TRUE(m.OpenTemplate(tpl));
        m.FillFromDataset(data);
        xls::Workbook &b = m.XCell();
        for (int r = 4; r <= 6; ++r) {
            EXPECT_EQ(number(b, r, 1), r - 3);
            EXPECT_EQ(text(b, r, 2), data.text(r - 4, 1));
        }
        EXPECT_EQ(text(b, 7, 2), QStringLiteral("TOTAL"));
    }
}

TEST_F(PipelineTest, ZeroPlaceholderIsADashOrWhatTheReportSets)
{
    const ResultSet data = contracts();
    ExportXLSModel m(ws, shell);
    ASSERT_TRUE(m.OpenTemplate(fixture("pipeline.xls")));
    EXPECT_EQ(m.zeroPlaceholder(), QVariant(QStringLiteral("-")));
    m.setZeroPlaceholder(0);
    m.FillFromDataset(data);
    {
        xls::Workbook &b = m.XCell();
        for (int c : {3, 4, 5}) {
            EXPECT_EQ(kind(b, 5, c), xls::CellValue::Number) << c;
            EXPECT_EQ(number(b, 5, c), 0) << c;
        }
        EXPECT_EQ(kind(b, 5, 6), xls::CellValue::Empty);
    }
    // The next template starts again with "-".
    ASSERT_TRUE(m.OpenTemplate(fixture("pipeline.xls")));
    EXPECT_EQ(m.zeroPlaceholder(), QVariant(QStringLiteral("-")));
    m.FillFromDataset(data);
    EXPECT_EQ(text(m.XCell(), 5, 3), QStringLiteral("-"));
}

TEST_F(PipelineTest, EmptyResultLeavesHeadAndFootOnly)
{
    ExportXLSModel m(ws, shell);
    ASSERT_TRUE(m.OpenTemplate(fixture("pipeline.xls")));
    m.FillFromDataset(dataset({QStringLiteral("NUME1")}, {Kind::Text}, {}));
    m.SaveAndShow();
    xls::Workbook b = report();
    EXPECT_EQ(b.rowCount(), 5);
    EXPECT_EQ(text(b, 3, 1), QStringLiteral("Nr"));
    EXPECT_EQ(text(b, 4, 2), QStringLiteral("TOTAL"));
    EXPECT_EQ(b.formulaText(4, 3), "SUM(C3:C3)");
    EXPECT_EQ(number(b, 4, 3), 0);
    EXPECT_EQ(text(b, 5, 1), QStringLiteral("Semnatura"));
}

TEST_F(PipelineTest, LastMarkedRowIsTheDetailRowAndEveryMarkerIsEmptied)
{
    const QString tpl = editedCopy(fixture("pipeline.xls"), dir.path() + QStringLiteral("/two.xls"),
                                   [](xls::Workbook &b) { b.setText(2, 5, "#dbf"); });
    ExportXLSModel m(ws, shell);
    ASSERT_TRUE(m.OpenTemplate(tpl));
    m.FillFromDataset(contracts());
    xls::Workbook &b = m.XCell();
    EXPECT_EQ(kind(b, 2, 5), xls::CellValue::Empty);
    EXPECT_EQ(text(b, 2, 1), QStringLiteral("  Lista din #azi  "));
    EXPECT_EQ(text(b, 4, 2), QStringLiteral("POPESCU ION"));
    EXPECT_EQ(text(b, 7, 2), QStringLiteral("TOTAL"));
}

TEST_F(PipelineTest, TemplateWithoutDetailRowIsLeftAsItIs)
{
    const QString tpl = editedCopy(fixture("pipeline.xls"), dir.path() + QStringLiteral("/none.xls"),
                                   [](xls::Workbook &b) { b.setText(4, 10, "#DBF2"); });
    ExportXLSModel m(ws, shell);
    ASSERT_TRUE(m.OpenTemplate(tpl));
    m.FillFromDataset(contracts());
    xls::Workbook &b = m.XCell();
    EXPECT_EQ(b.rowCount(), 6);
    EXPECT_EQ(text(b, 4, 2), QStringLiteral(" #nume1"));
    EXPECT_EQ(text(b, 4, 10), QStringLiteral("#DBF2"));
    EXPECT_EQ(text(b, 5, 2), QStringLiteral("TOTAL"));
}

TEST_F(PipelineTest, TemplateThatCannotBeOpenedFailsQuietlyAndLaterCallsReportNoOpenFile)
{
    const QString garbage = dir.path() + QStringLiteral("/garbage.xls");
    test::writeFile(garbage, QByteArray("not a workbook at all"));
    ExportXLSModel m(ws, shell);
    for (const QString &path : QStringList{dir.path() + QStringLiteral("/missing.xls"), garbage}) {
        ASSERT_TRUE(m.OpenTemplate(fixture("pipeline.xls")));
        EXPECT_FALSE(m.OpenTemplate(path));
        EXPECT_FALSE(m.opened());
        try {
            m.ReplaceText(QStringLiteral("#PRIMARIE"), QStringLiteral("x"));
            ADD_FAILURE() << "no error without a workbook";
        } catch (const Error &e) {
            EXPECT_EQ(e.message(), QStringLiteral("There is no open file"));
        }
        EXPECT_THROW(m.FillFromDataset(contracts()), Error);
        m.SaveAndShow();
        EXPECT_TRUE(shell.opened.isEmpty());
        EXPECT_FALSE(QFile::exists(ws.programDir + QStringLiteral("/Rap0.xls")));
    }
}

TEST_F(PipelineTest, ReportStillOpenKeepsItsNameUntilClosed)
{
    auto makeReport = [&](const QString &unit) {
        ExportXLSModel m(ws, shell);
        EXPECT_TRUE(m.OpenTemplate(fixture("pipeline.xls")));
        m.ReplaceText(QStringLiteral("#PRIMARIE"), unit);
        m.SaveAndShow();
        return m.lastReportFile();
    };
    const QString rap0 = ws.programDir + QStringLiteral("/Rap0.xls");
    const QString rap1 = ws.programDir + QStringLiteral("/Rap1.xls");
    EXPECT_EQ(makeReport(QStringLiteral("UNU")), rap0);

    // Rap0.xls open in LibreOffice (its lock file beside it): the next report is Rap1.xls.
    const QString lock = ws.programDir + QStringLiteral("/.~lock.Rap0.xls#");
    test::writeFile(lock, QByteArray("user,host,..;"));
    EXPECT_EQ(makeReport(QStringLiteral("DOI")), rap1);
    EXPECT_EQ(text(xls::Workbook::open(rap0.toStdString()), 1, 1), QStringLiteral("UNU si #primarie"));

    // Closed again: the next report overwrites Rap0.xls.
    QFile::remove(lock);
    EXPECT_EQ(makeReport(QStringLiteral("TREI")), rap0);
    EXPECT_EQ(text(xls::Workbook::open(rap0.toStdString()), 1, 1), QStringLiteral("TREI si #primarie"));
    EXPECT_EQ(shell.opened, (QStringList{rap0, rap1, rap0}));

    // Microsoft Office's lock file counts the same.
    test::writeFile(ws.programDir + QStringLiteral("/~$Rap0.xls"), QByteArray("x"));
    EXPECT_EQ(makeReport(QStringLiteral("PATRU")), rap1);
}

TEST_F(PipelineTest, EveryReportNameTakenDropsTheReportSilently)
{
    for (int n = 0; n <= 100; ++n) {
        const QString name = QStringLiteral("Rap%1.xls").arg(n);
        test::writeFile(ws.programDir + u'/' + name, QByteArray("old"));
        test::writeFile(ws.programDir + QStringLiteral("/.~lock.") + name + u'#', QByteArray("x"));
    }
    ExportXLSModel m(ws, shell);
    ASSERT_TRUE(m.OpenTemplate(fixture("pipeline.xls")));
    m.SaveAndShow();
    EXPECT_TRUE(m.lastReportFile().isEmpty());
    EXPECT_TRUE(shell.opened.isEmpty());
    EXPECT_FALSE(m.opened());
    EXPECT_THROW(m.XCell(), Error);
    EXPECT_EQ(test::readFile(ws.programDir + QStringLiteral("/Rap100.xls")), QByteArray("old"));
}

TEST_F(PipelineTest, ExpressionColumnsGoByTheirValues)
{
    // Columns of computed expressions carry no declared type: numbers, ISO dates and texts
    // are told apart by value.
    const QString tpl = editedCopy(fixture("pipeline.xls"), dir.path() + QStringLiteral("/expr.xls"),
                                   [](xls::Workbook &b) { b.setText(4, 6, "#ULTIMA"); });
    ExportXLSModel m(ws, shell);
    ASSERT_TRUE(m.OpenTemplate(tpl));
    m.FillFromDataset(dataset({QStringLiteral("NUME1"), QStringLiteral("SUPRAFT"), QStringLiteral("DATACON"), QStringLiteral("ULTIMA")},
                              {Kind::Unknown, Kind::Unknown, Kind::Unknown, Kind::Unknown},
                              {{QStringLiteral("A"), 2.5, QStringLiteral("2024-03-15"), QStringLiteral("12/3")},
                               {QVariant(), qlonglong(0), QVariant(), QVariant()}}));
    xls::Workbook &b = m.XCell();
    EXPECT_EQ(text(b, 4, 2), QStringLiteral("A"));
    EXPECT_EQ(number(b, 4, 3), 2.5);
    EXPECT_EQ(number(b, 4, 5), QDate(1899, 12, 30).daysTo(QDate(2024, 3, 15)));
    EXPECT_EQ(text(b, 4, 6), QStringLiteral("12/3"));
    EXPECT_EQ(kind(b, 5, 2), xls::CellValue::Empty);
    EXPECT_EQ(text(b, 5, 3), QStringLiteral("-"));
    EXPECT_EQ(kind(b, 5, 5), xls::CellValue::Empty);
}

} // namespace
