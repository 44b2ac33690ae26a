#include "cli/Cli.h"

#include "app/WorkspaceLocator.h"
#include "app/WorkspaceResolver.h"
#include "datastore/Error.h"
#include "datastore/Helpers.h"

#include <QDir>

#include <QCoreApplication>
#include <QDate>

namespace ogx {

Cli::Cli(QTextStream &out, QTextStream &err) : m_out(out), m_err(err) {}

void Cli::addCommand(const QString &name, const QString &usage, Command command)
{
    m_commands[name] = Entry{usage, std::move(command)};
}

Workspace Cli::workspace() const
{
    Workspace ws = resolveWorkspace(m_programDir, m_machineDir);
    // A private Temp folder per command, so a command never removes the Temp folder of a
    // program running in the same workspace.
    ws.tempDir += QStringLiteral("/cli-") + QString::number(QCoreApplication::applicationPid());
    if (!QDir().mkpath(ws.tempDir))
        throw Error(QStringLiteral("Nu pot crea directorul %1").arg(ws.tempDir));
    return ws;
}

void Cli::removeTemp()
{
    const QString temp = m_programDir + QStringLiteral("/Temp");
    DeletePath(temp + QStringLiteral("/cli-") + QString::number(QCoreApplication::applicationPid()));
    QDir().rmdir(temp); // only when nothing else is in it
}

int Cli::usageError(const QString &message)
{
    m_err << "ogorix-cli: " << message << Qt::endl << "Incercati 'ogorix-cli help'." << Qt::endl;
    return CliUsage;
}

void Cli::printHelp()
{
    m_out << "Folosire: ogorix-cli [--workspace DIR] [--today YYYY-MM-DD] COMANDA [ARGUMENTE]\n"
             "         ogorix-cli --version | help\n\n"
             "Optiuni:\n"
             "  --workspace DIR      directorul de lucru (altfel OGORIX_HOME, ogorix.portable sau\n"
             "                       ~/.local/share/Ogorix)\n"
             "  --today YYYY-MM-DD   lucreaza ca si cum azi ar fi data data\n\n"
             "Comenzi:\n";
    for (const auto &[name, entry] : m_commands)
        m_out << "  " << entry.usage << "\n";
    m_out.flush();
}

int Cli::run(QStringList args)
{
    QString workspaceArg;
    while (!args.isEmpty() && args.first().startsWith(QStringLiteral("--"))) {
        const QString opt = args.takeFirst();
        if (opt == QStringLiteral("--version")) {
            m_out << "ogorix-cli " << Workspace::versionText() << Qt::endl;
            return CliOk;
        }
        if (opt == QStringLiteral("--help")) {
            printHelp();
            return CliOk;
        }
        if (opt != QStringLiteral("--workspace") && opt != QStringLiteral("--today"))
            return usageError(QStringLiteral("optiune necunoscuta: ") + opt);
        if (args.isEmpty())
            return usageError(opt + QStringLiteral(" cere o valoare"));
        const QString value = args.takeFirst();
        if (opt == QStringLiteral("--workspace")) {
            workspaceArg = value;
        } else {
            const QDate today = QDate::fromString(value, QStringLiteral("yyyy-MM-dd"));
            if (!today.isValid())
                return usageError(QStringLiteral("data nu este de forma YYYY-MM-DD: ") + value);
            m_clock = SystemClock(today);
        }
    }
    if (args.isEmpty() || args.first() == QStringLiteral("help")) {
        printHelp();
        return CliOk;
    }
    const QString name = args.takeFirst();
    const auto it = m_commands.find(name);
    if (it == m_commands.end())
        return usageError(QStringLiteral("comanda necunoscuta: ") + name);

    m_programDir = locateWorkspace(workspaceArg, QCoreApplication::applicationDirPath());
    m_machineDir = locateMachineDir();
    int status = CliFailed;
    try {
        status = it->second.command(*this, args);
    } catch (const Error &e) {
        m_err << "ogorix-cli: " << e.message() << Qt::endl;
    }
    removeTemp();
    return status;
}

} // namespace ogx
