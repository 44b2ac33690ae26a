#pragma once
// ogorix-cli: the headless front end over the same core as the GUI.

#include "datastore/Clock.h"
#include "datastore/Workspace.h"

#include <QStringList>
#include <QTextStream>
#include <functional>
#include <map>

namespace ogx {

// Exit statuses.
enum CliStatus { CliOk = 0, CliFailed = 1, CliUsage = 2 };

class Cli {
public:
    Cli(QTextStream &out, QTextStream &err);

    // Runs one command line (without the program name) and returns the exit status.
    int run(QStringList args);

    QTextStream &out() { return m_out; }
    QTextStream &err() { return m_err; }
    const Clock &clock() const { return m_clock; }
    const QString &programDir() const { return m_programDir; }
    const QString &machineDir() const { return m_machineDir; }
    // The workspace of an existing installation in the mode the start-up would choose
    // (Data is made when missing; Temp is private to this command and removed at its
    // end). Throws ogx::Error.
    Workspace workspace() const;

    using Command = std::function<int(Cli &, QStringList args)>;
    // Registers a command ("init", "settings", ...) with one line of help.
    void addCommand(const QString &name, const QString &usage, Command command);

    int usageError(const QString &message);

private:
    void printHelp();
    void removeTemp();

    QTextStream &m_out;
    QTextStream &m_err;
    SystemClock m_clock;
    QString m_programDir;
    QString m_machineDir;
    struct Entry { QString usage; Command command; };
    std::map<QString, Entry> m_commands;
};

// Command groups, each in its own file.
void addCoreCommands(Cli &cli);
void addTextCommands(Cli &cli);
void addDataCommands(Cli &cli);

} // namespace ogx
