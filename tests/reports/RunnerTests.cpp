// Reports run headless by name: the report is saved under its report name and its path is
// printed instead of being opened.

#include "ReportTestUtil.h"

#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Schema.h"
#include "reports/ExportXLSModel.h"
#include "reports/ReportRunner.h"

using namespace ogx;
using namespace reporttest;

namespace {

class FixedClock final : public Clock {
public:
    QDate today() const override { return {2026, 12, 10}; }
    QTime now() const override { return {10, 0}; }
};

class RunnerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        ws = makeWorkspace(dir);
        db = std::make_unique<Database>(ws, &clock);
        CreateTables(*db);
        const QString insert = QStringLiteral(
            "INSERT INTO Contract (IDCON, TIPCON, NRCON, NRCPER, DATACON, NRINREG, DATAINREG, EXPIRA, NUME1, CNP1, "
            "ADRESA1, NUME2, SUPRAFT, VALOARE, TIPPLATA) VALUES (?, 'ARENDA', ?, ?, ?, ?, ?, ?, ?, ?, ?, 'SC AGRO SRL', ?, ?, 'LEI')");
        db->exec(insert, {1, 12, QStringLiteral("A"), QDate(2024, 3, 15), 3, QDate(2024, 3, 16), QDate(2029, 3, 15),
                          QStringLiteral("POPESCU ION"), QStringLiteral("1700101123456"), QStringLiteral("Str. Mare 1"), 1.5, 1200.5});
        db->exec(insert, {2, 13, QString(), QDate(2023, 1, 10), 4, QVariant(), QDate(2028, 1, 10),
                          QStringLiteral("ANDREI MARIA"), QString(), QString(), 2.25, 0});
    }

    int command(const QStringList &args)
    {
        ReportRunner runner;
        addGenericReports(runner);
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        const int status = runner.runCommand(ws, *db, args, o, e);
        o.flush();
        e.flush();
        return status;
    }

    QTemporaryDir dir;
    Workspace ws;
    FixedClock clock;
    std::unique_ptr<Database> db;
    QString out, err;
};

TEST_F(RunnerTest, TemplateReportFillsAShippedTemplateAndPrintsTheReportPath)
{
    ASSERT_EQ(command({QStringLiteral("template"), QStringLiteral("Expirate"), QStringLiteral("--sql"),
                       QStringLiteral("SELECT * FROM Contract ORDER BY NUME1, DATACON"), QStringLiteral("--set"),
                       QStringLiteral("#PRIMARIE=COMUNA VALEA"), QStringLiteral("--set"), QStringLiteral("#tipcon=ARENDA"),
                       QStringLiteral("--zero"), QStringLiteral("0")}),
              0)
        << err.toStdString();
    const QString report = ws.programDir + QStringLiteral("/Rap0.xls");
    EXPECT_EQ(out, report + u'\n');
    EXPECT_FALSE(QFile::exists(ws.programDir + QStringLiteral("/Tpl0.xls"))) << "the template copy is removed";

    xls::Workbook b = xls::Workbook::open(report.toStdString());
    EXPECT_EQ(text(b, 1, 2), QStringLiteral("COMUNA VALEA"));
    EXPECT_EQ(text(b, 3, 12), QStringLiteral("CONTRACTE DE ARENDA"));
    EXPECT_EQ(text(b, 7, 11), QStringLiteral("ANDREI MARIA"));
    EXPECT_EQ(text(b, 8, 11), QStringLiteral("POPESCU ION"));
    EXPECT_EQ(text(b, 8, 4), QStringLiteral("A"));
    EXPECT_EQ(text(b, 8, 3), QStringLiteral("/"));
    EXPECT_EQ(kind(b, 7, 4), xls::CellValue::Empty);
    // A blank date counts as zero; the zero placeholder asked for is the number 0.
    EXPECT_EQ(kind(b, 7, 9), xls::CellValue::Number);
    EXPECT_EQ(number(b, 7, 9), 0);
    EXPECT_EQ(kind(b, 7, 23), xls::CellValue::Number);
    EXPECT_EQ(number(b, 7, 23), 0);

    // As LibreOffice shows it: dates dd.mm.yyyy, surfaces with 4 decimals, money with 2,
    // totals over every record.
    const QVector<QStringList> csv = libreOfficeCsv(report, QStringLiteral("Raport"), dir.path() + QStringLiteral("/lo"));
    ASSERT_GE(csv.size(), 9);
    EXPECT_EQ(csv[7].value(0), QStringLiteral("2"));
    EXPECT_EQ(csv[7].value(4), QStringLiteral("15.03.2024"));
    EXPECT_EQ(csv[7].value(9), QStringLiteral("15.03.2029"));
    EXPECT_EQ(csv[7].value(21), QStringLiteral("1.5000"));
    EXPECT_EQ(csv[7].value(22).remove(u','), QStringLiteral("1200.50"));
    EXPECT_EQ(csv[8].value(17), QStringLiteral("TOTAL"));
    EXPECT_EQ(csv[8].value(21), QStringLiteral("3.7500"));
    EXPECT_EQ(csv[8].value(22).remove(u','), QStringLiteral("1200.50"));
}

TEST_F(RunnerTest, WrongRequestsAreUsageErrors)
{
    struct Case { QStringList args; int status; const char *message; };
    const Case cases[] = {
        {{QStringLiteral("nosuch")}, 2, "Unknown report \"nosuch\""},
        {{QStringLiteral("template")}, 2, "No template given"},
        {{QStringLiteral("template"), QStringLiteral("Expirate"), QStringLiteral("--sql"), QStringLiteral("DELETE FROM Contract")},
         2, "may only read"},
        {{QStringLiteral("template"), QStringLiteral("/no/such/file.xls")}, 2, "No template file"},
        {{QStringLiteral("template"), QStringLiteral("NoSuchModel")}, 1, "cannot be written"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        EXPECT_EQ(command(c.args), c.status);
        EXPECT_TRUE(err.contains(QString::fromLatin1(c.message))) << err.toStdString();
        EXPECT_TRUE(out.isEmpty());
    }
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Contract")).toInt(), 2);

    // Without arguments: the list of reports.
    EXPECT_EQ(command({}), 0);
    EXPECT_TRUE(out.startsWith(QStringLiteral("template "))) << out.toStdString();
}

TEST_F(RunnerTest, ReportsOfOtherPartsPlugInByName)
{
    ReportRunner runner;
    runner.add({QStringLiteral("Parcele"), QStringLiteral("NUME1  the parcels of a lessor"), [](ReportContext &ctx) {
                    if (ctx.args.size() != 1)
                        throw ReportArgumentError(QStringLiteral("one lessor name"));
                    const QString tpl = ExtractFixedTemplate(ctx.ws, QStringLiteral("DetCon"), QStringLiteral("DetCon"));
                    ASSERT_TRUE(ctx.model.OpenTemplate(tpl));
                    ctx.model.ReplaceText(QStringLiteral("#NUME1"), ctx.args[0]);
                    ctx.model.FillFromDataset(ctx.db.query(QStringLiteral("SELECT * FROM Parcele")));
                    ctx.model.SaveAndShow();
                    QFile::remove(tpl);
                }});
    const QStringList files = runner.run(QStringLiteral("parcele"), ws, *db, {QStringLiteral("POPESCU ION")});
    ASSERT_EQ(files, QStringList{ws.programDir + QStringLiteral("/Rap0.xls")});
    xls::Workbook b = xls::Workbook::open(files[0].toStdString());
    EXPECT_EQ(text(b, 2, 2), QStringLiteral("Arendator: POPESCU ION"));
    EXPECT_EQ(text(b, 6, 2), QStringLiteral("TOTAL")) << "no parcels: head and foot only";
    EXPECT_THROW(runner.run(QStringLiteral("parcele"), ws, *db, {}), ReportArgumentError);
}

} // namespace
