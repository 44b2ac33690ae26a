#include "app/Wiring.h"

#include "backup/Backup.h"
#include "datastore/ActionLog.h"
#include "datastore/Error.h"
#include "session/ui/SessionWindows.h"

#include <QApplication>
#include <QDir>

namespace ogx {

// Forwards to the session's message box once it exists.
class GuiWiring::PrompterProxy final : public Prompter, public Progress {
public:
    Prompter *prompter = nullptr;
    Progress *progress = nullptr;
    int Mesaj(const QString &title, const QString &text, int kind, int buttons) override
    {
        return prompter ? prompter->Mesaj(title, text, kind, buttons) : ResultCancel;
    }
    void ShowProblemHint(const QString &text, QWidget *control) override
    {
        if (prompter)
            prompter->ShowProblemHint(text, control);
    }
    void ContorShow(const QString &caption, int maximum) override
    {
        if (progress)
            progress->ContorShow(caption, maximum);
    }
    void ContorStep() override
    {
        if (progress)
            progress->ContorStep();
    }
    void ContorHide() override
    {
        if (progress)
            progress->ContorHide();
    }
};

GuiWiring::GuiWiring(ShellOpener &shell, QObject *parent)
    : QObject(parent), m_shell(shell), m_proxy(std::make_unique<PrompterProxy>())
{
}

GuiWiring::~GuiWiring() = default;

Prompter &GuiWiring::prompter() { return *m_proxy; }

void GuiWiring::createWindows(Startup &startup)
{
    m_windows = std::make_unique<SessionWindows>(startup.workspace(), startup.adminSettings(), m_state, m_shell);
    m_windows->form4.home = QDir::homePath();
    m_proxy->prompter = &m_windows->prompter;
    m_proxy->progress = &m_windows->prompter;
}

StartupHooks GuiWiring::hooks()
{
    StartupHooks h;
    h.openBackupForWork = [this](Startup &s) {
        const ArchiveResult r = OpenBackupForWork(s.workspace().openedBackup, s.workspace().dataDir, *m_proxy);
        if (!r.ok) // never work in (and later write back) a partly unpacked archive
            throw Error(QStringLiteral("Salvarea %1 nu poate fi deschisa: %2").arg(s.workspace().openedBackup, r.error));
    };
    h.loadAdminSettings = [this](Startup &) { m_windows->form4.LoadAdminSettings(); };
    h.runSession = [this](Startup &s) { return runSession(s); };
    return h;
}

int GuiWiring::runSession(Startup &startup)
{
    SessionWindows &w = *m_windows;
    const Workspace &ws = startup.workspace();
    Database &db = startup.database();
    w.form3.setCaption(startup.caption());
    w.form3.setStatusText(startup.statusText());
    if (ws.networkMode())
        w.form4.setServerPathText(ws.dataDir);
    w.logView.setDatabase(&db);
    w.form3.writeLog = [&db](const QString &text) { WriteLog(db, text); };
    w.form3.onCommand = [this, &startup](MainCommand c) { runCommand(startup, int(c)); };
    w.form3.RunSession();
    return 0;
}

void GuiWiring::runCommand(Startup &, int)
{
    // The register, the reports and the other windows connect here as they are built.
}

void GuiWiring::bringForward()
{
    if (!m_windows)
        return;
    QWidget *window = &m_windows->form3;
    if (window->isMinimized())
        window->showNormal();
    window->raise();
    window->activateWindow();
}

} // namespace ogx
