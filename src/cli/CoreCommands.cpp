// init and settings: the start-up's data steps and the two settings files.

#include "app/Startup.h"
#include "cli/Cli.h"
#include "cli/CliPrompter.h"
#include "cli/Hooks.h"
#include "datastore/Settings.h"

#include <QDir>

namespace ogx {
namespace {

int init(Cli &cli, const QStringList &args)
{
    if (!args.isEmpty())
        return cli.usageError(QStringLiteral("init nu primeste argumente"));
    StartupOptions options;
    options.programDir = cli.programDir();
    options.machineDir = cli.machineDir();
    options.headless = true;
    options.home = QDir::homePath();
    StartupView view;
    CliPrompter prompter(cli.err());
    Startup startup(options, headlessStartupHooks(cli), view, prompter, cli.clock());
    startup.run();
    cli.out() << startup.statusText() << Qt::endl;
    return CliOk;
}

int settings(Cli &cli, QStringList args)
{
    const QString verb = args.isEmpty() ? QString() : args.takeFirst();
    const bool machine = !args.isEmpty() && args.first() == QStringLiteral("--machine");
    if (machine)
        args.removeFirst();
    const int want = (verb == QStringLiteral("get") ? 2 : 3) - (machine ? 1 : 0);
    if ((verb != QStringLiteral("get") && verb != QStringLiteral("set")) || args.size() != want)
        return cli.usageError(QStringLiteral("folosire: settings get SECTIUNE CHEIE | settings set SECTIUNE CHEIE VALOARE"
                                             " | settings get --machine CHEIE | settings set --machine CHEIE VALOARE"));
    const Settings s(cli.workspace());
    if (verb == QStringLiteral("get")) {
        cli.out() << (machine ? s.ReadMachineSetting(args[0]) : s.ReadSetting(args[0], args[1])) << Qt::endl;
    } else if (machine) {
        s.WriteMachineSetting(args[0], args[1]);
    } else {
        s.WriteSetting(args[0], args[1], args[2]);
    }
    return CliOk;
}

} // namespace

void addCoreCommands(Cli &cli)
{
    cli.addCommand(QStringLiteral("init"), QStringLiteral("init                 pregateste datele (ca la pornire) si afiseaza modul de lucru"), init);
    cli.addCommand(QStringLiteral("settings"),
                   QStringLiteral("settings get|set [--machine] SECTIUNE CHEIE [VALOARE]   citeste/scrie setari"),
                   settings);
}

} // namespace ogx
