#include "app/Wiring.h"

#include "backup/Backup.h"
#include "backup/ui/ArchiveFileDialogs.h"
#include "backup/ui/SalvareU.h"
#include "contracts/ui/EvidenteU.h"
#include "documents/DocumentCommands.h"
#include "documents/ui/AddPretU.h"
#include "reports/ExportXLSModel.h"
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

GuiWiring::~GuiWiring()
{
    // Windows that refer to the session's windows go first.
    m_register.reset();
    m_addPret.reset();
    m_form21.reset();
    m_reports.reset();
    m_windows.reset();
}

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
    w.form3.setCaption(startup.caption());
    w.form3.setStatusText(startup.statusText());
    if (ws.networkMode())
        w.form4.setServerPathText(ws.dataDir);
    w.logView.setDatabase(&startup.database());
    w.form3.writeLog = [&startup](const QString &text) { WriteLog(startup.database(), text); };
    w.form3.onCommand = [this, &startup](MainCommand c) { runCommand(startup, int(c)); };
    w.form3.rightsChanged = [this](bool readOnly) {
        if (m_register)
            m_register->setReadOnly(readOnly);
    };

    // The backup window and the backup at the end of the run; a restore replaces the
    // tables under the open database.
    m_dialogs = std::make_unique<QtArchiveFileDialogs>();
    m_form21 = std::make_unique<TForm21>(BackupContext{ws, w.prompter, w.prompter}, *m_dialogs);
    m_form21->database = DatabaseSeam{[&startup] { startup.closeDatabase(); },
                                      [&startup] { startup.openDatabase(); }};
    connectBackup(w.form3, *m_form21, [&startup] { return startup.adminSettings().backupFolder; }, startup.clock());

    w.form3.RunSession();
    return 0;
}

void GuiWiring::runCommand(Startup &startup, int command)
{
    // The reports and the other windows connect here as they are built.
    if (MainCommand(command) == MainCommand::Contracte)
        guarded([&] { openRegister(startup); });
}

void GuiWiring::guarded(const std::function<void()> &work)
{
    try {
        work();
    } catch (const Error &e) {
        m_windows->prompter.Mesaj(QStringLiteral("Eroare"), e.message(), ErrorKind, ButtonOk);
    }
}

void GuiWiring::openRegister(Startup &startup)
{
    SessionWindows &w = *m_windows;
    if (!m_register) {
        Database &db = startup.database();
        m_reports = std::make_unique<ExportXLSModel>(startup.workspace(), m_shell);
        m_register = std::make_unique<TEvidente>(startup.workspace(), db, w.prompter, w.prompter, m_shell, *m_reports);
        m_register->setAdminSettings(&startup.adminSettings());
        m_register->setMainWindow(&w.form3);
        m_addPret = std::make_unique<TAddPret>(w.prompter, m_register.get());
        TEvidente *ev = m_register.get();
        connect(ev, &TEvidente::listContractRequested, this, [this, ev, &db] {
            guarded([&] {
                if (const auto c = ev->selectedContract())
                    ListContract(db, m_shell, c->IDCON);
            });
        });
        connect(ev, &TEvidente::saleOfferRequested, this, [this, ev, &db] {
            guarded([&] {
                const auto p = ev->selectedParcel();
                if (p && m_addPret->Execute())
                    ProduceSaleOffer(db, m_shell, p->IDPARC, m_addPret->Pret());
            });
        });
    }
    m_register->setReadOnly(m_state.readOnly);
    m_register->OpenRegister();
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
