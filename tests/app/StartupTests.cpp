#include "app/Startup.h"
#include "app/WorkspaceLocator.h"
#include "datastore/Error.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QThread>

using namespace ogx;

namespace {

struct RecordingView : StartupView {
    QStringList statuses;
    QString caption;
    bool splashHidden = false;
    void setStatusText(const QString &t) override { statuses << t; }
    void setCaption(const QString &t) override { caption = t; }
    void hideSplash() override { splashHidden = true; }
};

struct ScriptedPrompter : Prompter {
    struct Shown { QString title, text; int kind, buttons; };
    QList<Shown> shown;
    int Mesaj(const QString &title, const QString &text, int kind, int buttons) override
    {
        shown.append({title, text, kind, buttons});
        return ResultOk;
    }
    void ShowProblemHint(const QString &, QWidget *) override {}
};

class StartupTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        options.programDir = m_dir.path() + QStringLiteral("/ws");
        options.machineDir = m_dir.path() + QStringLiteral("/machine");
        options.executablePath = QStringLiteral("/usr/bin/ogorix");
        options.fileTypes = {m_dir.path() + QStringLiteral("/share"), false};
        options.home = m_dir.path() + QStringLiteral("/home");
    }
    Startup::Outcome run(StartupHooks hooks = {})
    {
        Startup s(options, hooks, view, prompter, clock);
        const auto outcome = s.run();
        ws = s.workspace();
        status = s.statusText();
        return outcome;
    }
    QString iniValue(const QString &file, const QString &line) { return QString::fromLatin1(test::readFile(file)).contains(line) ? line : QString(); }

    QTemporaryDir m_dir;
    StartupOptions options;
    RecordingView view;
    ScriptedPrompter prompter;
    SystemClock clock;
    Workspace ws;
    QString status;
};

} // namespace

TEST_F(StartupTest, FirstStartOnAnEmptyFolder)
{
    StartupHooks hooks;
    bool sessionSawTemp = false;
    hooks.runSession = [&](Startup &s) {
        sessionSawTemp = QFileInfo(s.workspace().tempDir).isDir();
        return 7;
    };
    Startup s(options, hooks, view, prompter, clock);
    EXPECT_EQ(s.run(), Startup::Outcome::Finished);
    EXPECT_EQ(s.exitCode(), 7);
    EXPECT_EQ(s.settings().ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("Versiune")), 1.0151);
    EXPECT_GT(s.settings().ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("LASTPACK")), 0);
    for (const char *table : {"Contract.dbf", "Parcele.dbf", "Plati2.dbf", "Log.dbf", "ModCon3.rtf", "COf.rtf"})
        EXPECT_TRUE(QFileInfo::exists(s.workspace().dataFile(QString::fromLatin1(table)))) << table;
    for (const char *key : {"IDCON", "IDPARC", "IDLOG", "IDPLATA"})
        EXPECT_EQ(s.settings().ReadSetting(QStringLiteral("INDEX"), QString::fromLatin1(key)), QStringLiteral("1")) << key;
    EXPECT_TRUE(sessionSawTemp);
    EXPECT_EQ(s.statusText(), QStringLiteral("Lucru local."));
    EXPECT_EQ(view.caption, QStringLiteral("Ogorix  ver.1.0151"));
    EXPECT_TRUE(view.splashHidden);
    const Workspace w = s.workspace();
    EXPECT_TRUE(QFileInfo(w.dataDir).isDir());
    EXPECT_EQ(w.dataDir, options.programDir + QStringLiteral("/Data"));
    EXPECT_FALSE(w.networkMode());
    EXPECT_EQ(s.settings().ReadSetting(QStringLiteral("47"), QStringLiteral("VER")), QStringLiteral("1.0151"));
    EXPECT_EQ(s.settings().ReadMachineSetting(QStringLiteral("CALE")), options.programDir);
    EXPECT_EQ(s.settings().ReadMachineSetting(QStringLiteral("VER")), QStringLiteral("1.0151"));
    EXPECT_TRUE(w.operatorText.contains(QStringLiteral(" - ")));
    EXPECT_TRUE(prompter.shown.isEmpty());
}

TEST_F(StartupTest, TempIsRemovedAtTheEndAndAfterAnError)
{
    run();
    EXPECT_FALSE(QFileInfo::exists(options.programDir + QStringLiteral("/Temp")));

    StartupHooks failing;
    failing.runSession = [](Startup &s) -> int {
        QFile f(s.workspace().tempDir + QStringLiteral("/x.tmp"));
        f.open(QIODevice::WriteOnly);
        throw Error(QStringLiteral("boom"));
    };
    {
        Startup s(options, failing, view, prompter, clock);
        EXPECT_THROW(s.run(), Error);
    }
    EXPECT_FALSE(QFileInfo::exists(options.programDir + QStringLiteral("/Temp")));
}

TEST_F(StartupTest, AWorkspaceThatCannotBeCreatedNamesTheFolder)
{
    test::writeFile(m_dir.path() + QStringLiteral("/file"), "x");
    options.programDir = m_dir.path() + QStringLiteral("/file/ws");
    try {
        run();
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(options.programDir)) << e.message().toStdString();
    }
}

TEST_F(StartupTest, ServerPathChoosesNetworkModeOnlyWhenComplete)
{
    // A server Data directory made by another workstation, with Plati2.dbf missing.
    StartupOptions serverOptions = options;
    serverOptions.programDir = m_dir.path() + QStringLiteral("/server");
    serverOptions.machineDir = m_dir.path() + QStringLiteral("/server-machine");
    { Startup other(serverOptions, {}, view, prompter, clock); other.run(); }
    const QString server = serverOptions.programDir + QStringLiteral("/Data");
    ASSERT_TRUE(QFile::rename(server + QStringLiteral("/Plati2.dbf"), server + QStringLiteral("/Plati2.bak")));
    test::writeFile(options.machineDir + QStringLiteral("/Ogorix.ini"), "[47]\r\nSERVER=" + server.toUtf8() + "\r\n");

    run();
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Conectare server"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("Baza de date ") + server
                                          + QStringLiteral("\rNU este accesibila sau este incompleta!\r"
                                                           "Verificati conexiunea si baza si reporniti programul!"));
    EXPECT_EQ(prompter.shown[0].kind, 1);
    EXPECT_EQ(prompter.shown[0].buttons, 4);
    EXPECT_EQ(status, QStringLiteral("Lucru local."));
    EXPECT_FALSE(ws.networkMode());

    ASSERT_TRUE(QFile::rename(server + QStringLiteral("/Plati2.bak"), server + QStringLiteral("/Plati2.dbf")));
    prompter.shown.clear();
    run();
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_TRUE(ws.networkMode());
    EXPECT_EQ(ws.dataDir, server);
    EXPECT_EQ(status, QStringLiteral("Lucru in retea: ") + server);
    EXPECT_EQ(ws.localDataDir, options.programDir + QStringLiteral("/Data"));
}

TEST_F(StartupTest, AnArchiveOnTheCommandLineIsWorkedIn)
{
    const QString archive = m_dir.path() + QStringLiteral("/Copie.OGX");
    test::writeFile(archive, "archive");
    options.arguments = {archive};
    QString unpackedInto;
    StartupHooks hooks;
    hooks.openBackupForWork = [&](Startup &s) {
        unpackedInto = s.workspace().dataDir;
    };
    run(hooks);
    EXPECT_EQ(unpackedInto, options.programDir + QStringLiteral("/Temp/DIR0/Data"));
    EXPECT_EQ(ws.programDir, options.programDir + QStringLiteral("/Temp/DIR0"));
    EXPECT_EQ(ws.tempDir, ws.programDir + QStringLiteral("/Tmp"));
    EXPECT_EQ(ws.openedBackup, archive);
    EXPECT_TRUE(view.statuses.contains(QStringLiteral("Lucru in Salvare: ") + archive));
    EXPECT_EQ(status, QStringLiteral("Lucru in salvarea: COPIE.OGX."));
    EXPECT_FALSE(QFileInfo::exists(ws.tempDir)); // the run's Temp directory is gone

    // Another extension is ignored and the program starts normally.
    const QString other = m_dir.path() + QStringLiteral("/notes.txt");
    test::writeFile(other, "x");
    options.arguments = {other};
    run();
    EXPECT_FALSE(ws.backupMode());
    EXPECT_EQ(status, QStringLiteral("Lucru local."));
}

TEST_F(StartupTest, UpdateHandOff)
{
    QDir().mkpath(options.programDir);
    const QString marker = m_dir.path() + QStringLiteral("/started");
    const QString package = options.programDir + QStringLiteral("/UpOgorix");
    test::writeFile(package, "#!/bin/sh\necho \"$1\" > '" + marker.toUtf8() + ".tmp' && mv '" + marker.toUtf8()
                                 + ".tmp' '" + marker.toUtf8() + "'\n");
    QFile::setPermissions(package, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);

    EXPECT_EQ(run(), Startup::Outcome::EndedForUpdate);
    EXPECT_EQ(iniValue(options.programDir + QStringLiteral("/Data/Ogorix.set"), QStringLiteral("UpGradeOn=1")),
              QStringLiteral("UpGradeOn=1"));
    for (int i = 0; i < 600 && !QFile::exists(marker); ++i) // the package runs on its own; allow a loaded machine
        QThread::msleep(50);
    EXPECT_EQ(test::readFile(marker).trimmed(), QByteArray("/usr/bin/ogorix"));

    EXPECT_EQ(run(), Startup::Outcome::Finished); // started again after the update
    EXPECT_FALSE(QFile::exists(package));
    EXPECT_EQ(iniValue(options.programDir + QStringLiteral("/Data/Ogorix.set"), QStringLiteral("UpGradeOn=0")),
              QStringLiteral("UpGradeOn=0"));
}

TEST_F(StartupTest, FileTypeIsRegisteredOnceAndNeverRewritten)
{
    run();
    const QString package = options.fileTypes.dataHome + QStringLiteral("/mime/packages/ogorix-ogx.xml");
    const QString desktop = options.fileTypes.dataHome + QStringLiteral("/applications/ogorix-ogxfile.desktop");
    EXPECT_TRUE(test::readFile(package).contains("*.ogx"));
    EXPECT_TRUE(test::readFile(desktop).contains("Exec=\"/usr/bin/ogorix\" %f"));
    test::writeFile(desktop, "changed by hand");
    run();
    EXPECT_EQ(test::readFile(desktop), QByteArray("changed by hand"));
}

TEST(WorkspaceLocator, Precedence)
{
    QTemporaryDir dir;
    const QString exeDir = dir.path() + QStringLiteral("/bin");
    QDir().mkpath(exeDir);
    qputenv("OGORIX_HOME", QByteArray());
    qputenv("XDG_DATA_HOME", (dir.path() + QStringLiteral("/xdg")).toUtf8());
    EXPECT_EQ(locateWorkspace(QString(), exeDir), dir.path() + QStringLiteral("/xdg/Ogorix"));
    test::writeFile(exeDir + QStringLiteral("/ogorix.portable"), "");
    EXPECT_EQ(locateWorkspace(QString(), exeDir), exeDir);
    qputenv("OGORIX_HOME", (dir.path() + QStringLiteral("/home/")).toUtf8());
    EXPECT_EQ(locateWorkspace(QString(), exeDir), dir.path() + QStringLiteral("/home"));
    EXPECT_EQ(locateWorkspace(dir.path() + QStringLiteral("/cli/../given"), exeDir), dir.path() + QStringLiteral("/given"));
    qunsetenv("OGORIX_HOME");
    qputenv("OGORIX_MACHINE_DIR", (dir.path() + QStringLiteral("/m")).toUtf8());
    EXPECT_EQ(locateMachineDir(), dir.path() + QStringLiteral("/m"));
    qunsetenv("OGORIX_MACHINE_DIR");
}
