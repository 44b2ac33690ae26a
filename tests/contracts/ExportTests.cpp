// The register's exports read back from the saved workbooks with python3-xlrd, and the
// command-line helpers.
#include "ContractsTestSupport.h"

#include "contracts/RegisterExports.h"
#include "datastore/Error.h"
#include "datastore/Settings.h"
#include "datastore/ShellOpener.h"
#include "reports/ExportXLSModel.h"
#include "reports/ReportRunner.h"
#include "TestSupport.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>

using namespace ogx;
using namespace ogx::test;

namespace {

// Cells of the first sheet as xlrd stores them: [row][col] -> text, or the number's text
// ("4", "3.25"), dates as dd.MM.yyyy.
QList<QStringList> sheetCells(const QString &xls)
{
    const QString script = QStringLiteral(
        "import sys, json, xlrd\n"
        "b = xlrd.open_workbook(sys.argv[1])\n"
        "s = b.sheet_by_index(0)\n"
        "rows = []\n"
        "for r in range(s.nrows):\n"
        "    row = []\n"
        "    for c in range(s.ncols):\n"
        "        cell = s.cell(r, c)\n"
        "        if cell.ctype == 3:\n"
        "            y, m, d, *_ = xlrd.xldate_as_tuple(cell.value, b.datemode)\n"
        "            row.append('%02d.%02d.%04d' % (d, m, y))\n"
        "        elif cell.ctype == 2:\n"
        "            v = round(cell.value, 6)\n"
        "            row.append(str(int(v)) if v == int(v) else repr(v))\n"
        "        else:\n"
        "            row.append(str(cell.value))\n"
        "    rows.append(row)\n"
        "print(json.dumps(rows))\n");
    const auto r = runPython(script, {xls});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    QList<QStringList> out;
    for (const auto &row : QJsonDocument::fromJson(r.out).array()) {
        QStringList cells;
        for (const auto &c : row.toArray())
            cells << c.toString();
        out << cells;
    }
    return out;
}

class Exports : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        model = std::make_unique<ExportXLSModel>(ws, shell);
        db->settings().WriteSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA"), QStringLiteral("BOSANCI"));
    }
    qint64 contract(const char *nume1, qint64 nr, const char *per, const char *start, const char *end)
    {
        ContractInput c = validContract();
        c.NUME1 = QLatin1String(nume1);
        c.NRCON = nr;
        c.NRCPER = QLatin1String(per);
        c.DATACON = dmy(start);
        c.EXPIRA = dmy(end);
        c.NRINREG = nr + 100;
        return svc->addContract(c);
    }
    void parcel(qint64 id, double supraf, const char *categ)
    {
        ParcelInput p = validParcel(supraf);
        p.CATEG = QLatin1String(categ);
        svc->addParcel(id, p);
    }
    RecordingShellOpener shell;
    std::unique_ptr<ExportXLSModel> model;
};

} // namespace

TEST_F(Exports, NominalTableDurationsCategoriesAndTotal)
{
    const qint64 a = contract("POPESCU ION", 12, "A", "15.03.2010", "01.01.2015");
    parcel(a, 2, "Teren arabil");
    parcel(a, 1.5, "Pasuni naturale");
    parcel(a, 0.25, "Teren arabil");
    contract("ANTON VASILE", 3, "", "01.10.2024", "01.10.2031"); // no parcels
    const qint64 c = contract("POPESCU ION", 5, "", "01.01.2020", "01.01.2030");
    parcel(c, 1, "Paduri");

    RegisterExportOptions opt;
    opt.filter.onlyActive = false;
    NoProgress none;
    const QString file = ExportNominalTable(ws, *db, *model, opt, none);
    ASSERT_FALSE(file.isEmpty());
    EXPECT_EQ(shell.opened, QStringList{file});
    EXPECT_EQ(QFileInfo(file).fileName(), QStringLiteral("Rap0.xls"));
    const auto cells = sheetCells(file);
    ASSERT_GE(cells.size(), 8);
    // Detail rows from row 5 on, ordered by lessor, then by the number text.
    const QStringList r1 = cells[4], r2 = cells[5], r3 = cells[6];
    EXPECT_EQ(r1.mid(0, 7), (QStringList{QStringLiteral("1"), QStringLiteral("ANTON VASILE"),
                                         QStringLiteral("3/01.10.2024"), QStringLiteral("103/05.03.2024"),
                                         QStringLiteral("-"), QStringLiteral("7"), QStringLiteral(" - ")}));
    EXPECT_EQ(r2.mid(0, 7), (QStringList{QStringLiteral("2"), QStringLiteral("POPESCU ION"),
                                         QStringLiteral("12/A/15.03.2010"), QStringLiteral("112/05.03.2024"),
                                         QStringLiteral("3.75"), QStringLiteral("5"),
                                         QStringLiteral("Pasuni naturale; Teren arabil;")}));
    EXPECT_EQ(r3[2], QStringLiteral("5/01.01.2020"));
    EXPECT_EQ(r3[6], QStringLiteral("Paduri;"));
    EXPECT_EQ(cells[7][1], QStringLiteral("TOTAL"));
    EXPECT_EQ(cells[7][4], QStringLiteral("4.75"));

    // Only the active contracts by default.
    RegisterExportOptions active;
    const auto cells2 = sheetCells(ExportNominalTable(ws, *db, *model, active, none));
    EXPECT_EQ(cells2[4][1], QStringLiteral("ANTON VASILE"));
    EXPECT_EQ(cells2[5][2], QStringLiteral("5/01.01.2020"));
    EXPECT_EQ(cells2[6][1], QStringLiteral("TOTAL"));
}

TEST_F(Exports, ContractListFollowsFilterOrderAndHead)
{
    const qint64 a = contract("POPESCU ION", 12, "A", "15.03.2022", "01.01.2030");
    parcel(a, 2.5, "Teren arabil");
    contract("POPA ANA", 3, "", "01.10.2024", "01.10.2031");
    contract("IONESCU DAN", 4, "", "01.10.2024", "01.10.2031");

    RegisterExportOptions opt;
    opt.filter.lessor = QStringLiteral("POP");
    opt.order = ContractOrderFor(QStringLiteral("NUME1"));
    opt.typeText = QStringLiteral("ARENDA");
    opt.commune = QStringLiteral("BOSANCI");
    const auto cells = sheetCells(ExportContracts(ws, *db, *model, opt));
    EXPECT_EQ(cells[0][1], QStringLiteral("BOSANCI"));
    EXPECT_EQ(cells[2][11], QStringLiteral("CONTRACTE DE ARENDA"));
    ASSERT_GE(cells.size(), 9);
    EXPECT_EQ(cells[6][10], QStringLiteral("POPA ANA"));
    EXPECT_EQ(cells[7][10], QStringLiteral("POPESCU ION"));
    EXPECT_EQ(cells[7][1], QStringLiteral("12"));
    EXPECT_EQ(cells[7][3], QStringLiteral("A"));
    EXPECT_EQ(cells[7][4], QStringLiteral("15.03.2022"));
    EXPECT_EQ(cells[7][9], QStringLiteral("01.01.2030"));
    EXPECT_EQ(cells[7][20], QStringLiteral("ALBA"));
    EXPECT_EQ(cells[8][17], QStringLiteral("TOTAL"));
    EXPECT_EQ(cells[8][21], QStringLiteral("2.5"));
    EXPECT_EQ(cells[8][22], QStringLiteral("1000"));
    // The temporary template copy is gone.
    EXPECT_FALSE(QFileInfo::exists(ws.programFile(QStringLiteral("List0.xls"))));
}

TEST_F(Exports, ParcelsOfOneContract)
{
    const qint64 a = contract("POPESCU ION", 12, "", "15.03.2022", "01.01.2030");
    EXPECT_THROW(
        try { ExportParcels(ws, *db, *model, a); } catch (const Error &e) {
            EXPECT_EQ(e.message(), NoParcelsText());
            throw;
        },
        Error);
    parcel(a, 1.2345, "Teren arabil");
    parcel(a, 2, "Paduri");
    const auto cells = sheetCells(ExportParcels(ws, *db, *model, a, ParcelOrderFor(QStringLiteral("CATEG"))));
    EXPECT_EQ(cells[1][1], QStringLiteral("Arendator: POPESCU ION"));
    EXPECT_EQ(cells[5][12], QStringLiteral("Paduri"));
    EXPECT_EQ(cells[6][12], QStringLiteral("Teren arabil"));
    EXPECT_EQ(cells[6][8], QStringLiteral("1.2345"));
    EXPECT_EQ(cells[7][8], QStringLiteral("3.2345"));
    EXPECT_FALSE(QFileInfo::exists(ws.programFile(QStringLiteral("DetCon0.xls"))));
}

TEST_F(Exports, CommandLineReportsAndOptions)
{
    contract("POPESCU ION", 12, "", "15.03.2022", "01.01.2030");
    contract("IONESCU DAN", 4, "", "01.10.2010", "01.10.2015");
    ReportRunner runner;
    addContractReports(runner);
    QStringList files = runner.run(QStringLiteral("contracts"), ws, *db,
                                   {QStringLiteral("--all"), QStringLiteral("--order"), QStringLiteral("NUME1")});
    ASSERT_EQ(files.size(), 1);
    auto cells = sheetCells(files[0]);
    EXPECT_EQ(cells[0][1], QStringLiteral("BOSANCI"));
    EXPECT_EQ(cells[6][10], QStringLiteral("IONESCU DAN"));
    EXPECT_EQ(cells[7][10], QStringLiteral("POPESCU ION"));

    files = runner.run(QStringLiteral("nominal"), ws, *db, {QStringLiteral("--lessor"), QStringLiteral("ION")});
    cells = sheetCells(files.value(0));
    EXPECT_EQ(cells[4][1], QStringLiteral("TOTAL")); // the only ION... contract has expired: nothing listed

    EXPECT_THROW(runner.run(QStringLiteral("parcels"), ws, *db, {}), ReportArgumentError);
    EXPECT_THROW(runner.run(QStringLiteral("contracts"), ws, *db, {QStringLiteral("--number"), QStringLiteral("x")}),
                 ReportArgumentError);

    RegisterExportOptions opt;
    QString error;
    QStringList args = {QStringLiteral("--lessee"), QStringLiteral("AGRO"), QStringLiteral("--type"),
                        QStringLiteral("ARENDA"), QStringLiteral("--number"), QStringLiteral("12"),
                        QStringLiteral("--suffix"), QStringLiteral("A"), QStringLiteral("--reg-number"),
                        QStringLiteral("7"), QStringLiteral("--reg-suffix"), QStringLiteral("B"),
                        QStringLiteral("--contract"), QStringLiteral("3")};
    ASSERT_TRUE(ParseRegisterOptions(args, opt, error)) << error.toStdString();
    EXPECT_EQ(args, (QStringList{QStringLiteral("--contract"), QStringLiteral("3")}));
    EXPECT_EQ(FilterExpression(opt.filter, QDate(2026, 1, 2)),
              QStringLiteral("(NUME2='AGRO*') AND (TIPCON='ARENDA*') AND (EXPIRA>='02.01.2026') AND (NRCON=12) "
                             "AND (NRINREG=7) AND (NRCPER='A*') AND (NRIPER='B*')"));
    EXPECT_EQ(opt.typeText, QStringLiteral("ARENDA"));
}

TEST(ContractCli, Validate)
{
    struct Case { const char *kind, *text; int rc; const char *out; };
    const Case cases[] = {
        {"cnp", "1850302123451", 0, "valid\n"},     {"cnp", "1850302123452", 1, "invalid\n"},
        {"cif", "RO 18547290", 0, "valid\n"},       {"email", "ab@mail.ro", 1, "invalid\n"},
        {"phone", "0744-123 456", 0, "valid\n"},    {"iban", "x", 2, ""},
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.kind);
        QString o, e;
        QTextStream out(&o), err(&e);
        EXPECT_EQ(ValidateCommand({QLatin1String(tc.kind), QLatin1String(tc.text)}, out, err), tc.rc);
        out.flush();
        EXPECT_EQ(o, QLatin1String(tc.out));
    }
}
