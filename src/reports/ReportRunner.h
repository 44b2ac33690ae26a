#pragma once
// ReportRunner — every report by name, runnable without windows.
//
// A report is a builder over a ReportContext: it asks nothing (its parameters come as
// arguments), runs its queries, fills its template through ctx.model (or ctx.filler) and
// ends with SaveAndShow (SaveAndOpen). The runner gives it a recording shell, so the report
// is saved under its report name ("Rap<n>.xls", "XLSTmp<n>.xls") in the program directory
// and its path is returned instead of being opened.
//
//   ReportRunner runner;
//   addGenericReports(runner);                       // "template"
//   runner.add({u"expirate"_s, u"[TIPCON]  the listed contracts"_s,
//               [](ReportContext &ctx) { ... ctx.model.SaveAndShow(); }});
//   QStringList files = runner.run(u"expirate"_s, ws, db, {u"ARENDA"_s});
//
// ogorix-cli wires it as its "report" command:
//   cli.addCommand(u"report"_s, u"report [NAME [ARGS...]]  run a report, print the file"_s,
//       [](Cli &cli, QStringList args) {
//           const Workspace ws = cli.workspace();
//           Database db(ws, &cli.clock());
//           ReportRunner runner;
//           addGenericReports(runner);   // and each domain's addXxxReports(runner)
//           return runner.runCommand(ws, db, args, cli.out(), cli.err());
//       });
// The GUI runs the same builders with its own ExportXLSModel and the desktop's shell.

#include "datastore/Error.h"
#include "datastore/Workspace.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <vector>

namespace ogx {

class Database;
class ExportXLSModel;
class ExpXLSOLE;

// Thrown by a builder whose arguments are wrong; the command answers with its usage.
class ReportArgumentError : public Error {
public:
    using Error::Error;
};

struct ReportContext {
    const Workspace &ws;
    Database &db;
    ExportXLSModel &model;
    ExpXLSOLE &filler;
    QStringList args;
};

struct ReportDefinition {
    QString name;   // compared without regard to case
    QString usage;  // arguments and one line of what the report lists
    std::function<void(ReportContext &)> build;
};

class ReportRunner {
public:
    // A later definition of the same name replaces the earlier one.
    void add(ReportDefinition report);
    const std::vector<ReportDefinition> &reports() const { return m_reports; }
    const ReportDefinition *find(const QString &name) const;

    // Runs a report headless and returns the files it produced (in the order it asked the
    // shell to open them). Throws ReportArgumentError for an unknown name or wrong
    // arguments, ogx::Error for anything that failed.
    QStringList run(const QString &name, const Workspace &ws, Database &db, const QStringList &args) const;

    // "report": without arguments lists the reports with their usage; "report NAME ARGS..."
    // runs one and prints each produced file on its own line. Returns 0, 1 on failure (the
    // message on err), 2 on a usage error.
    int runCommand(const Workspace &ws, Database &db, const QStringList &args, QTextStream &out,
                   QTextStream &err) const;

private:
    std::vector<ReportDefinition> m_reports;
};

// "template FILE [--sql SELECT] [--param VALUE]... [--set KEY=VALUE]... [--zero TEXT]":
// fills any template (a .xls file, or the name of a shipped template such as "Expirate")
// with the rows of a read-only query, replacing head keys first; a quick way to try a
// template or to produce a one-off list. --zero sets the zero placeholder (a whole number is
// written as a number).
void addGenericReports(ReportRunner &runner);

} // namespace ogx
