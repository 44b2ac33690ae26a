// sql, pack, demo, document, backup and admin-password: work on an existing workspace.

#include "backup/Backup.h"
#include "cli/Cli.h"
#include "cli/CliPrompter.h"
#include "datastore/ActionLog.h"
#include "datastore/Database.h"
#include "datastore/DemoData.h"
#include "datastore/Error.h"
#include "datastore/Pack.h"
#include "datastore/Schema.h"
#include "datastore/Settings.h"
#include "datastore/ShellOpener.h"
#include "datastore/SqlCsv.h"
#include "documents/DocumentCommands.h"
#include "contracts/RegisterExports.h"
#include "documents/SaleOfferDocument.h"
#include "reports/ReportRunner.h"
#include "session/AdminPassword.h"

namespace ogx {
namespace {

// The tables of the workspace; made when missing, as the start-up would.
struct OpenData {
    explicit OpenData(Cli &cli) : ws(cli.workspace()), db(ws, &cli.clock()) { CreateTables(db); }
    Workspace ws;
    Database db;
};

// "--name VALUE" options after the command words; false on an unknown or incomplete one.
bool takeOptions(QStringList &args, const QStringList &names, QMap<QString, QString> &values, QString &error)
{
    QStringList rest;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (!args[i].startsWith(QStringLiteral("--"))) {
            rest << args[i];
            continue;
        }
        const QString name = args[i].mid(2);
        if (!names.contains(name)) {
            error = QStringLiteral("optiune necunoscuta: ") + args[i];
            return false;
        }
        if (i + 1 >= args.size()) {
            error = args[i] + QStringLiteral(" cere o valoare");
            return false;
        }
        values[name] = args[++i];
    }
    args = rest;
    return true;
}

qint64 positiveNumber(const QString &text, const QString &what)
{
    bool ok = false;
    const qint64 v = text.toLongLong(&ok);
    if (!ok || v <= 0)
        throw Error(what + QStringLiteral(" trebuie sa fie un numar intreg pozitiv: ") + text);
    return v;
}

int sql(Cli &cli, QStringList args)
{
    const bool write = args.removeAll(QStringLiteral("--write")) > 0;
    if (args.size() != 1)
        return cli.usageError(QStringLiteral("folosire: sql [--write] \"INSTRUCTIUNE\""));
    OpenData data(cli);
    runSqlCsv(data.db, args[0], write, cli.out());
    cli.out().flush();
    return CliOk;
}

int pack(Cli &cli, const QStringList &args)
{
    if (!args.isEmpty())
        return cli.usageError(QStringLiteral("pack nu primeste argumente"));
    OpenData data(cli);
    PackNow(data.db);
    cli.out() << "Tabelele au fost compactate." << Qt::endl;
    return CliOk;
}

int demo(Cli &cli, QStringList args)
{
    QMap<QString, QString> opt;
    QString error;
    if (!takeOptions(args, {QStringLiteral("contracts"), QStringLiteral("seed")}, opt, error) || !args.isEmpty()
        || !opt.contains(QStringLiteral("contracts")))
        return cli.usageError(error.isEmpty() ? QStringLiteral("folosire: demo --contracts N [--seed S]") : error);
    const int n = int(positiveNumber(opt.value(QStringLiteral("contracts")), QStringLiteral("--contracts")));
    const quint32 seed = quint32(opt.contains(QStringLiteral("seed"))
                                     ? positiveNumber(opt.value(QStringLiteral("seed")), QStringLiteral("--seed"))
                                     : 1);
    OpenData data(cli);
    const DemoSummary s = fillDemoRegister(data.db, n, seed);
    SyncIdCounters(data.db);
    cli.out() << "Contracte: " << s.contracts << ", parcele: " << s.parcels << ", plati: " << s.payments
              << ", linii de istoric: " << s.logLines << Qt::endl;
    return CliOk;
}

int document(Cli &cli, QStringList args)
{
    const QString kind = args.isEmpty() ? QString() : args.takeFirst();
    QMap<QString, QString> opt;
    QString error;
    const bool parsed = takeOptions(args, {QStringLiteral("contract"), QStringLiteral("parcel"), QStringLiteral("price")},
                                    opt, error);
    RecordingShellOpener shell; // print the path instead of opening the document
    if (parsed && args.isEmpty() && kind == QStringLiteral("contract") && opt.size() == 1
        && opt.contains(QStringLiteral("contract"))) {
        OpenData data(cli);
        cli.out() << ListContract(data.db, shell,
                                  positiveNumber(opt.value(QStringLiteral("contract")), QStringLiteral("--contract")))
                  << Qt::endl;
        return CliOk;
    }
    if (parsed && args.isEmpty() && kind == QStringLiteral("offer") && opt.size() == 2
        && opt.contains(QStringLiteral("parcel")) && opt.contains(QStringLiteral("price"))) {
        if (!SalePriceAccepted(opt.value(QStringLiteral("price"))))
            throw Error(missingPriceHint());
        OpenData data(cli);
        cli.out() << ProduceSaleOffer(data.db, shell,
                                      positiveNumber(opt.value(QStringLiteral("parcel")), QStringLiteral("--parcel")),
                                      opt.value(QStringLiteral("price")))
                  << Qt::endl;
        return CliOk;
    }
    return cli.usageError(error.isEmpty() ? QStringLiteral("folosire: document contract --contract IDCON"
                                                           " | document offer --parcel IDPARC --price PRET")
                                          : error);
}

int backup(Cli &cli, const QStringList &args)
{
    const QString verb = args.value(0);
    if (args.size() != 2 || (verb != QStringLiteral("save") && verb != QStringLiteral("restore")
                             && verb != QStringLiteral("list")))
        return cli.usageError(QStringLiteral("folosire: backup save|restore|list FISIER"));
    if (verb == QStringLiteral("list")) {
        const CommandOutput r = BackupListCommand(args[1]);
        cli.out() << r.out;
        cli.err() << r.err;
        cli.out().flush();
        cli.err().flush();
        return r.exitStatus;
    }
    const Workspace ws = cli.workspace();
    CliPrompter prompter(cli.err());
    NoProgress progress;
    const BackupContext ctx{ws, prompter, progress};
    const bool done = verb == QStringLiteral("save") ? SaveBackup(ctx, args[1]) : RestoreBackup(ctx, args[1]);
    return done ? CliOk : CliFailed;
}

int report(Cli &cli, const QStringList &args)
{
    OpenData data(cli);
    ReportRunner runner;
    addGenericReports(runner);
    addContractReports(runner);
    return runner.runCommand(data.ws, data.db, args, cli.out(), cli.err());
}

int adminPassword(Cli &cli, const QStringList &args)
{
    const AdminPasswordCommandResult r = RunAdminPasswordCommand(Settings(cli.workspace()), args);
    if (!r.output.isEmpty())
        (r.exitCode == CliUsage ? cli.err() : cli.out()) << r.output << Qt::endl;
    return r.exitCode;
}

} // namespace

void addDataCommands(Cli &cli)
{
    cli.addCommand(QStringLiteral("sql"),
                   QStringLiteral("sql [--write] \"SELECT ...\"   o instructiune SQLite peste Contract, Parcele, Plati2, Log; "
                                  "rezultatul in CSV"),
                   sql);
    cli.addCommand(QStringLiteral("pack"), QStringLiteral("pack                 compacteaza tabelele acum"), pack);
    cli.addCommand(QStringLiteral("demo"),
                   QStringLiteral("demo --contracts N [--seed S]   adauga un registru de proba"), demo);
    cli.addCommand(QStringLiteral("document"),
                   QStringLiteral("document contract --contract IDCON | document offer --parcel IDPARC --price PRET"),
                   document);
    cli.addCommand(QStringLiteral("backup"),
                   QStringLiteral("backup save|restore|list FISIER   salvare, restaurare, continutul unei arhive .ogx"),
                   backup);
    cli.addCommand(QStringLiteral("report"),
                   QStringLiteral("report [NUME [ARGUMENTE]]   ruleaza un raport, afiseaza fisierul salvat "
                                  "(fara argumente: lista rapoartelor)"),
                   report);
    cli.addCommand(QStringLiteral("admin-password"),
                   QStringLiteral("admin-password set TEXT | clear | verify TEXT   parola administratorului"),
                   adminPassword);
}

} // namespace ogx
