#pragma once
// Connects the start-up's hooks to the parts of the program and owns the GUI-side
// services (message box, shell) for the whole run.

#include "app/Startup.h"
#include "datastore/Prompter.h"
#include "datastore/ShellOpener.h"

#include <QObject>
#include <QPointer>
#include <memory>

class QMainWindow;

namespace ogx {

class StartupView;
class TErori;
class TContor;
class GuiPrompter;

class GuiWiring : public QObject {
    Q_OBJECT
public:
    explicit GuiWiring(ShellOpener &shell, QObject *parent = nullptr);
    ~GuiWiring() override;

    Prompter &prompter();
    StartupHooks hooks(StartupView &splash);

public slots:
    // A second copy was started: restore and raise the main window.
    void bringForward();

private:
    int runSession(Startup &startup);

    ShellOpener &m_shell;
    std::unique_ptr<TErori> m_erori;   // the system's message box, created once
    std::unique_ptr<TContor> m_contor; // the progress window, created once
    std::unique_ptr<GuiPrompter> m_prompter;
    QPointer<QMainWindow> m_mainWindow;
};

} // namespace ogx
