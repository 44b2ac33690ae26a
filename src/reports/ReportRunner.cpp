#include "reports/ReportRunner.h"

#include "datastore/Database.h"
#include "datastore/ShellOpener.h"
#include "reports/ExpXLSOLE.h"
#include "reports/ExportXLSModel.h"

#include <QFile>
#include <QFileInfo>

namespace ogx {

void ReportRunner::add(ReportDefinition report)
{
    for (ReportDefinition &r : m_reports)
        if (r.name.compare(report.name, Qt::CaseInsensitive) == 0) {
            r = std::move(report);
            return;
        }
    m_reports.push_back(std::move(report));
}

const ReportDefinition *ReportRunner::find(const QString &name) const
{
    for (const ReportDefinition &r : m_reports)
        if (r.name.compare(name, Qt::CaseInsensitive) == 0)
            return &r;
    return nullptr;
}

QStringList ReportRunner::run(const QString &name, const Workspace &ws, Database &db, const QStringList &args) const
{
    const ReportDefinition *report = find(name);
    if (!report)
        throw ReportArgumentError(QStringLiteral("Unknown report \"%1\"").arg(name));
    RecordingShellOpener shell;
    ExportXLSModel model(ws, shell);
    ExpXLSOLE filler(ws, shell);
    ReportContext ctx{ws, db, model, filler, args};
    report->build(ctx);
    return shell.opened;
}

int ReportRunner::runCommand(const Workspace &ws, Database &db, const QStringList &args, QTextStream &out,
                             QTextStream &err) const
{
    if (args.isEmpty()) {
        for (const ReportDefinition &r : m_reports)
            out << r.name << u' ' << r.usage << u'\n';
        return 0;
    }
    const ReportDefinition *report = find(args.first());
    try {
        const QStringList files = run(args.first(), ws, db, args.mid(1));
        if (files.isEmpty()) {
            err << "report " << args.first() << ": no report file was written (every report name is in use)\n";
            return 1;
        }
        for (const QString &f : files)
            out << f << u'\n';
        return 0;
    } catch (const ReportArgumentError &e) {
        err << "report: " << e.message() << u'\n';
        if (report)
            err << "usage: report " << report->name << u' ' << report->usage << u'\n';
        return 2;
    } catch (const Error &e) {
        err << "report " << args.first() << ": " << e.message() << u'\n';
        return 1;
    } catch (const std::exception &e) {
        // Direct engine work of a report (xls::Error) and anything else that went wrong.
        err << "report " << args.first() << ": " << QString::fromStdString(e.what()) << u'\n';
        return 1;
    }
}

namespace {

void templateReport(ReportContext &ctx)
{
    QString file;
    QString sql;
    QVariantList params;
    QList<QPair<QString, QString>> keys;
    QVariant zero;
    const QStringList &a = ctx.args;
    for (int i = 0; i < a.size(); ++i) {
        const QString &arg = a[i];
        auto next = [&]() -> QString {
            if (i + 1 >= a.size())
                throw ReportArgumentError(QStringLiteral("%1 needs a value").arg(arg));
            return a[++i];
        };
        if (arg == u"--sql") {
            sql = next();
        } else if (arg == u"--param") {
            params << next();
        } else if (arg == u"--set") {
            const QString kv = next();
            const qsizetype eq = kv.indexOf(u'=');
            if (eq <= 0)
                throw ReportArgumentError(QStringLiteral("--set takes KEY=VALUE, not \"%1\"").arg(kv));
            keys.append({kv.left(eq), kv.mid(eq + 1)});
        } else if (arg == u"--zero") {
            // A whole number is written as a number, anything else as text.
            const QString z = next();
            bool whole = false;
            const qlonglong n = z.toLongLong(&whole);
            zero = whole ? QVariant(n) : QVariant(z);
        } else if (file.isEmpty() && !arg.startsWith(u"--")) {
            file = arg;
        } else {
            throw ReportArgumentError(QStringLiteral("Unexpected argument \"%1\"").arg(arg));
        }
    }
    if (file.isEmpty())
        throw ReportArgumentError(QStringLiteral("No template given"));

    ResultSet rows;
    if (!sql.isEmpty()) {
        if (!ctx.db.isReadOnly(sql))
            throw ReportArgumentError(QStringLiteral("The query of a report may only read"));
        rows = ctx.db.query(sql, params);
    }

    QString copy;
    QString path = file;
    if (!QFileInfo(file).isFile()) {
        if (file.contains(u'/') || file.contains(u'.'))
            throw ReportArgumentError(QStringLiteral("No template file %1").arg(file));
        copy = ExtractFixedTemplate(ctx.ws, file, QStringLiteral("Tpl"));
        path = copy;
    }
    struct Cleanup {
        QString file;
        ~Cleanup()
        {
            if (!file.isEmpty())
                QFile::remove(file);
        }
    } cleanup{copy};

    if (!ctx.model.OpenTemplate(path))
        throw Error(QStringLiteral("The template %1 cannot be read").arg(file));
    if (zero.isValid())
        ctx.model.setZeroPlaceholder(zero);
    for (const auto &kv : keys)
        ctx.model.ReplaceText(kv.first, kv.second);
    ctx.model.FillFromDataset(rows);
    ctx.model.SaveAndShow();
}

} // namespace

void addGenericReports(ReportRunner &runner)
{
    runner.add({QStringLiteral("template"),
                QStringLiteral("FILE|NAME [--sql SELECT] [--param VALUE]... [--set KEY=VALUE]... [--zero TEXT]  "
                               "any template filled with the rows of a query"),
                templateReport});
}

} // namespace ogx
