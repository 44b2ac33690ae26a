#include "contracts/RegisterExports.h"

#include "contracts/ContractService.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Settings.h"
#include "reports/ExportXLSModel.h"
#include "reports/ReportRunner.h"
#include "text/CodeChecks.h"

#include <QFile>
#include <QMap>

#include <algorithm>

namespace ogx {

namespace {

// Deletes a temporary template copy when the export ends, however it ends.
struct TempFile {
    QString path;
    ~TempFile()
    {
        if (!path.isEmpty())
            QFile::remove(path);
    }
};

// "<number>[/<suffix>]/<date>", or " -" for the date when there is none.
QString numberAndDate(qint64 number, const QString &suffix, const QDate &date)
{
    QString s = QString::number(number);
    if (!suffix.trimmed().isEmpty())
        s += u'/' + suffix;
    s += u'/';
    s += date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QStringLiteral(" -");
    return s;
}

} // namespace

QString ExportContracts(const Workspace &ws, Database &db, ExportXLSModel &model, const RegisterExportOptions &opt)
{
    ContractService svc(db);
    const ResultSet rows = svc.listContracts(opt.filter, opt.order);
    TempFile copy{ExtractFixedTemplate(ws, QStringLiteral("Expirate"), QStringLiteral("List"))};
    if (!model.OpenTemplate(copy.path))
        throw Error(u"Nu pot deschide modelul " + copy.path);
    model.ReplaceText(QStringLiteral("#PRIMARIE"), opt.commune);
    model.ReplaceText(QStringLiteral("#PERIOADA"), QStringLiteral(" "));
    model.ReplaceText(QStringLiteral("#TIPCON"), opt.typeText);
    model.FillFromDataset(rows);
    model.SaveAndShow();
    return model.lastReportFile();
}

ResultSet NominalTableRows(Database &db, const ResultSet &contracts, Progress &progress)
{
    // Categories of each contract with their surfaces, in category order.
    const ResultSet groups = db.query(QStringLiteral(
        "SELECT IDCON, CATEG, SUM(SUPRAF) AS TSUP FROM Parcele GROUP BY IDCON, CATEG ORDER BY IDCON, CATEG"));
    QMap<qint64, QList<int>> byContract;
    for (int i = 0; i < groups.rowCount(); ++i)
        byContract[groups.integer(i, 0)].append(i);

    struct Row {
        QString nume1, ndcon, ndinr, categ;
        double sup = 0;
        qint64 durata = 0;
    };
    QList<Row> rows;
    const int n = contracts.rowCount();
    progress.ContorShow(QStringLiteral("Pregatesc tabelul..."), n / 30);
    for (int i = 0; i < n; ++i) {
        if (i > 0 && i % 30 == 0)
            progress.ContorStep();
        const ContractRecord c = contractFromRow(contracts, i);
        Row r;
        r.nume1 = c.NUME1;
        const QList<int> g = byContract.value(c.IDCON);
        if (g.isEmpty() || groups.text(g.first(), 1).trimmed().isEmpty()) {
            r.categ = QStringLiteral(" - ");
        } else {
            QString cat;
            double sum = 0;
            for (int k : g) {
                cat += groups.text(k, 1) + QStringLiteral("; ");
                sum += groups.number(k, 2);
            }
            r.categ = cat.trimmed().left(250);
            r.sup = sum;
        }
        r.ndcon = numberAndDate(c.NRCON, c.NRCPER, c.DATACON).left(45);
        r.ndinr = numberAndDate(c.NRINREG, c.NRIPER, c.DATAINREG).left(45);
        // Years only; a contract without both dates has no duration.
        r.durata = (c.EXPIRA.isValid() && c.DATACON.isValid()) ? c.EXPIRA.year() - c.DATACON.year() : 0;
        rows.append(r);
    }
    std::stable_sort(rows.begin(), rows.end(), [](const Row &a, const Row &b) {
        const int c = QString::compare(a.nume1, b.nume1);
        return c != 0 ? c < 0 : QString::compare(a.ndcon, b.ndcon) < 0;
    });
    progress.ContorHide();

    using K = ResultSet::Kind;
    ResultSet out({QStringLiteral("NUME1"), QStringLiteral("NDCON"), QStringLiteral("NDINR"), QStringLiteral("SUP"),
                   QStringLiteral("DURATA"), QStringLiteral("CATEG")},
                  {K::Text, K::Text, K::Text, K::Number, K::Number, K::Text});
    out.reserve(int(rows.size()));
    for (const Row &r : rows)
        out.appendRow({r.nume1, r.ndcon, r.ndinr, r.sup, QVariant::fromValue<qlonglong>(r.durata), r.categ});
    return out;
}

QString ExportNominalTable(const Workspace &ws, Database &db, ExportXLSModel &model, const RegisterExportOptions &opt,
                           Progress &progress)
{
    ContractService svc(db);
    const ResultSet table = NominalTableRows(db, svc.listContracts(opt.filter, opt.order), progress);
    const QString tpl = InstalledTemplate(ws, QStringLiteral("TabNom.xls"));
    if (!model.OpenTemplate(tpl))
        throw Error(u"Nu pot deschide modelul " + tpl);
    model.FillFromDataset(table);
    model.SaveAndShow();
    return model.lastReportFile();
}

QString ExportParcels(const Workspace &ws, Database &db, ExportXLSModel &model, qint64 idcon, const QString &order)
{
    ContractService svc(db);
    const auto c = svc.contract(idcon);
    const ResultSet parcels = svc.listParcels(idcon, order);
    if (!c || parcels.isEmpty())
        throw Error(NoParcelsText());
    TempFile copy{ExtractFixedTemplate(ws, QStringLiteral("DetCon"), QStringLiteral("DetCon"))};
    if (!model.OpenTemplate(copy.path))
        throw Error(u"Nu pot deschide modelul " + copy.path);
    model.ReplaceText(QStringLiteral("#NUME1"), c->NUME1);
    model.FillFromDataset(parcels);
    model.SaveAndShow();
    return model.lastReportFile();
}

bool ParseRegisterOptions(QStringList &args, RegisterExportOptions &opt, QString &error)
{
    QStringList rest;
    for (int i = 0; i < args.size(); ++i) {
        const QString a = args[i];
        auto value = [&](QString &out) {
            if (i + 1 >= args.size()) {
                error = a + QStringLiteral(" needs a value");
                return false;
            }
            out = args[++i];
            return true;
        };
        auto number = [&](qint64 &out) {
            QString v;
            if (!value(v))
                return false;
            bool ok = false;
            out = v.trimmed().toLongLong(&ok);
            if (!ok || out < 0) {
                error = a + QStringLiteral(" needs a whole number, not ") + v;
                return false;
            }
            return true;
        };
        bool ok = true;
        if (a == u"--lessor")
            ok = value(opt.filter.lessor);
        else if (a == u"--lessee")
            ok = value(opt.filter.lessee);
        else if (a == u"--type") {
            ok = value(opt.filter.type);
            if (ok)
                opt.typeText = opt.filter.type;
        } else if (a == u"--suffix")
            ok = value(opt.filter.suffix);
        else if (a == u"--reg-suffix")
            ok = value(opt.filter.regSuffix);
        else if (a == u"--number")
            ok = number(opt.filter.number);
        else if (a == u"--reg-number")
            ok = number(opt.filter.regNumber);
        else if (a == u"--all")
            opt.filter.onlyActive = false;
        else if (a == u"--order") {
            QString f;
            ok = value(f);
            if (ok) {
                opt.order = ContractOrderFor(f);
                if (opt.order.isEmpty())
                    opt.order = ParcelOrderFor(f);
                if (opt.order.isEmpty()) {
                    error = QStringLiteral("unknown column ") + f;
                    ok = false;
                }
            }
        } else
            rest << a;
        if (!ok)
            return false;
    }
    args = rest;
    return true;
}

void addContractReports(ReportRunner &runner)
{
    const QString options = QStringLiteral(
        "[--lessor TEXT] [--lessee TEXT] [--type TEXT] [--number N] [--suffix TEXT] [--reg-number N] "
        "[--reg-suffix TEXT] [--all] [--order FIELD]");
    auto prepare = [](ReportContext &ctx, RegisterExportOptions &opt) {
        QStringList args = ctx.args;
        QString error;
        if (!ParseRegisterOptions(args, opt, error))
            throw ReportArgumentError(error);
        opt.commune = ctx.db.settings().ReadSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA"));
        return args;
    };
    runner.add({QStringLiteral("contracts"), options + QStringLiteral("  the listed contracts (Export in Excel)"),
                [prepare](ReportContext &ctx) {
                    RegisterExportOptions opt;
                    if (!prepare(ctx, opt).isEmpty())
                        throw ReportArgumentError(QStringLiteral("unknown argument ") + ctx.args.join(u' '));
                    ExportContracts(ctx.ws, ctx.db, ctx.model, opt);
                }});
    runner.add({QStringLiteral("nominal"), options + QStringLiteral("  nominal table of the listed contracts"),
                [prepare](ReportContext &ctx) {
                    RegisterExportOptions opt;
                    if (!prepare(ctx, opt).isEmpty())
                        throw ReportArgumentError(QStringLiteral("unknown argument ") + ctx.args.join(u' '));
                    NoProgress none;
                    ExportNominalTable(ctx.ws, ctx.db, ctx.model, opt, none);
                }});
    runner.add({QStringLiteral("parcels"),
                QStringLiteral("--contract IDCON [--order FIELD]  the parcels of one contract"),
                [prepare](ReportContext &ctx) {
                    RegisterExportOptions opt;
                    QStringList rest = prepare(ctx, opt);
                    qint64 idcon = -1;
                    if (rest.size() == 2 && rest[0] == u"--contract") {
                        bool ok = false;
                        idcon = rest[1].toLongLong(&ok);
                        if (!ok)
                            idcon = -1;
                    }
                    if (idcon < 0)
                        throw ReportArgumentError(QStringLiteral("parcels needs --contract IDCON"));
                    ExportParcels(ctx.ws, ctx.db, ctx.model, idcon, opt.order);
                }});
}

int ValidateCommand(const QStringList &args, QTextStream &out, QTextStream &err)
{
    if (args.size() != 2) {
        err << "usage: validate cnp|cif|email|phone TEXT\n";
        return 2;
    }
    const QString kind = args[0].toLower();
    bool valid = false;
    if (kind == u"cnp")
        valid = CheckCnp(args[1]);
    else if (kind == u"cif")
        valid = CheckCif(args[1]);
    else if (kind == u"email")
        valid = CheckEmail(args[1]);
    else if (kind == u"phone")
        valid = CheckPhone(args[1]);
    else {
        err << "usage: validate cnp|cif|email|phone TEXT\n";
        return 2;
    }
    out << (valid ? "valid" : "invalid") << '\n';
    out.flush();
    return valid ? 0 : 1;
}

} // namespace ogx
