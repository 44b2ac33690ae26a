#pragma once
// The road from the program's entry to the main window: directories, settings, working
// mode, the data steps, the session and the clean-up. The same sequence serves the GUI
// (with the splash and the main window as its view) and `ogorix-cli init` (headless).
//
// Steps that belong to other parts of the program (tables, administration settings,
// backup unpacking, the session) are hooks: an unset hook is skipped.

#include "app/platform/FileTypeRegistration.h"
#include "datastore/Prompter.h"
#include "datastore/Settings.h"
#include "datastore/Workspace.h"
#include "session/AdminSettings.h"

#include "datastore/Clock.h"
#include "datastore/Database.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace ogx {

// What the start-up shows while it works. Every call may be ignored (headless runs).
class StartupView {
public:
    virtual ~StartupView() = default;
    virtual void setSplashText(const QString &) {}
    virtual void setProgressMaximum(int) {}
    virtual void setProgress(int) {}
    virtual void stepProgress() {}
    virtual void setStatusText(const QString &) {}
    virtual void setCaption(const QString &) {}
    virtual void hideSplash() {}
    // Lets pending window messages run between steps so the splash stays painted.
    virtual void processEvents() {}
};

class Startup;

// The data steps (tables, log, templates, schema, pack, identifiers) are the start-up's
// own; the hooks are the steps that belong to other parts of the program.
struct StartupHooks {
    std::function<void(Startup &)> openBackupForWork; // step 8: unpack ws.openedBackup into ws.dataDir
    std::function<void(Startup &)> loadAdminSettings; // step 10, when a window shows them (else loaded here)
    std::function<int(Startup &)> runSession;         // step 20: the main window until the user leaves
};

struct StartupOptions {
    QString programDir;       // the resolved workspace
    QString machineDir;       // folder of the machine settings file
    QString executablePath;   // the running program
    QStringList arguments;    // positional arguments (an archive to work in)
    bool headless = false;    // ogorix-cli: no update hand-off, no file-type registration, no session
    QString home;             // the user's home folder (default automatic backup folder)
    FileTypeRegistration fileTypes{userDataHome(), true};
};

class Startup {
public:
    enum class Outcome { Finished, EndedForUpdate };

    // `clock` gives today's date to the data (log rows, the weekly pack); it must outlive
    // the Startup.
    Startup(StartupOptions options, StartupHooks hooks, StartupView &view, Prompter &prompter,
            const Clock &clock);
    ~Startup();

    // Runs the whole sequence. Throws ogx::Error when a step fails (a workspace that
    // cannot be created, a table that cannot be opened...); the Temp directory is removed
    // whatever happens once it was made.
    Outcome run();

    // The session's exit code (0 when no session ran).
    int exitCode() const { return m_exitCode; }

    const Workspace &workspace() const { return m_ws; }
    Workspace &workspace() { return m_ws; }
    const Settings &settings() const { return *m_settings; }
    const Clock &clock() const { return m_clock; }
    // The unit's identity, constants and paths, loaded at step 10.
    AdminSettings &adminSettings() { return m_admin; }
    // The tables of the Data directory, open from step 13 to the end of the run.
    Database &database();
    bool databaseOpen() const { return m_db != nullptr; }
    // Closes and reopens the tables (a restore replaces them underneath).
    void closeDatabase();
    void openDatabase();
    StartupView &view() { return m_view; }
    Prompter &prompter() { return m_prompter; }
    const QString &statusText() const { return m_status; }
    QString caption() const;

    static QString operatorText();

private:
    void setStatus(const QString &text);
    void makeDirectories();
    bool updateHandOff();
    void chooseWorkingMode();
    void startUpdater();
    void call(const std::function<void(Startup &)> &hook);

    StartupOptions m_options;
    StartupHooks m_hooks;
    StartupView &m_view;
    Prompter &m_prompter;
    const Clock &m_clock;
    Workspace m_ws;
    std::unique_ptr<Database> m_db;
    AdminSettings m_admin;
    std::unique_ptr<Settings> m_settings;
    QString m_status;
    QString m_tempToRemove;
    int m_exitCode = 0;
};

} // namespace ogx
