#pragma once
// Connects the start-up's hooks to the windows of the session and owns what the GUI
// needs for the whole run: the session's windows (created once, when the workspace is
// known), the rights of the run, the shell.

#include "app/Startup.h"
#include "datastore/Prompter.h"
#include "datastore/ShellOpener.h"
#include "session/SessionRules.h"

#include <QObject>
#include <functional>
#include <memory>

namespace ogx {

struct SessionWindows;
class ExportXLSModel;
class TAddPret;
class TEvidente;
class TForm21;
class QtArchiveFileDialogs;

class GuiWiring : public QObject {
    Q_OBJECT
public:
    explicit GuiWiring(ShellOpener &shell, QObject *parent = nullptr);
    ~GuiWiring() override;

    // The message box and progress window of the run. Before the session's windows exist
    // (the first steps of the start-up) a message box of its own serves.
    Prompter &prompter();
    StartupHooks hooks();

    // Creates the session's windows over the start-up's workspace and settings; call once,
    // right after the Startup is made.
    void createWindows(Startup &startup);

public slots:
    // A second copy was started: restore and raise the main window.
    void bringForward();

private:
    int runSession(Startup &startup);
    void runCommand(Startup &startup, int command);
    void openRegister(Startup &startup);
    // Runs a command of a window; an error reaches the user as a message.
    void guarded(const std::function<void()> &work);

    class PrompterProxy;
    ShellOpener &m_shell;
    SessionState m_state;
    std::unique_ptr<PrompterProxy> m_proxy;
    std::unique_ptr<SessionWindows> m_windows;
    // Made when first needed, then reused for the rest of the run.
    std::unique_ptr<ExportXLSModel> m_reports;
    std::unique_ptr<TEvidente> m_register;
    std::unique_ptr<TAddPret> m_addPret;
    std::unique_ptr<QtArchiveFileDialogs> m_dialogs;
    std::unique_ptr<TForm21> m_form21;
};

} // namespace ogx
