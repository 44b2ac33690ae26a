// ogorix-cli: start-up data steps, settings, queries, reports, documents and backups
// without windows.

#include "cli/Cli.h"

#include <QCoreApplication>
#include <QTextStream>

#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Ogorix"));
    QTextStream out(stdout);
    QTextStream err(stderr);
    ogx::Cli cli(out, err);
    ogx::addCoreCommands(cli);
    ogx::addTextCommands(cli);
    ogx::addDataCommands(cli);
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const int status = cli.run(args);
    out.flush();
    err.flush();
    return status;
}
