// ogorix: the GUI program. One copy per desktop; the splash runs the start-up sequence,
// then the main window runs until the user leaves it.

#include "app/Form1U.h"
#include "app/Startup.h"
#include "app/WorkspaceLocator.h"
#include "app/platform/DesktopShellOpener.h"
#include "app/platform/SingleInstance.h"
#include "app/Wiring.h"
#include "datastore/Error.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QToolTip>

using namespace ogx;

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ogorix"));
    QApplication::setApplicationVersion(Workspace::versionText());

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Ogorix - registrul contractelor de arenda"));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption workspaceOption(QStringLiteral("workspace"),
                                             QStringLiteral("Directorul de lucru al programului."),
                                             QStringLiteral("DIR"));
    parser.addOption(workspaceOption);
    parser.addPositionalArgument(QStringLiteral("arhiva"), QStringLiteral("O salvare .ogx in care se lucreaza."));
    parser.process(app);

    SingleInstance single(SingleInstance::defaultKey());
    if (single.anotherCopyRuns())
        return 0; // the first copy comes forward; this one shows nothing
    single.listen();

    QPalette tips = QToolTip::palette();
    tips.setColor(QPalette::ToolTipBase, Qt::white);
    QToolTip::setPalette(tips);

    StartupOptions options;
    options.programDir = locateWorkspace(parser.value(workspaceOption), QApplication::applicationDirPath());
    options.machineDir = locateMachineDir();
    options.executablePath = QApplication::applicationFilePath();
    options.arguments = parser.positionalArguments();
    options.home = QDir::homePath();

    DesktopShellOpener shell;
    SystemClock clock;
    GuiWiring wiring(shell);
    TForm1 splash;
    QObject::connect(&single, &SingleInstance::activationRequested, &wiring, &GuiWiring::bringForward);

    int exitCode = 0;
    QObject::connect(&splash, &TForm1::startRequested, &app, [&] {
        try {
            Startup startup(options, wiring.hooks(), splash, wiring.prompter(), clock);
            wiring.createWindows(startup);
            startup.run();
            exitCode = startup.exitCode();
        } catch (const Error &e) {
            splash.hideSplash();
            wiring.prompter().Mesaj(QStringLiteral("Ogorix"), e.message(), ErrorKind, ButtonOk);
            exitCode = 1;
        }
        QApplication::exit(exitCode);
    });
    splash.show();
    return app.exec() == 0 ? exitCode : 1;
}
