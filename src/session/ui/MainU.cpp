#include "session/ui/MainU.h"

#include "datastore/Settings.h"
#include "session/AdminPassword.h"
#include "session/ui/AdministrareU.h"
#include "session/ui/LogViewU.h"
#include "session/ui/LoginU.h"
#include "widgets/FlatToolButton.h"

#include <QAction>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QScreen>
#include <QShortcut>
#include <QStatusBar>
#include <QVBoxLayout>
#include <QWindowStateChangeEvent>

namespace ogx {
namespace {
constexpr int kButtonWidth = 80;
constexpr int kButtonHeight = 60;
constexpr int kClientHeight = 78;
} // namespace

TForm3::TForm3(const Workspace &ws, AdminSettings &adminSettings, SessionState &state, Prompter &prompter,
               TForm4 &admin, QWidget *parent)
    : QDialog(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::WindowMinimizeButtonHint),
      m_ws(ws), m_adminSettings(adminSettings), m_state(state), m_prompter(prompter), m_admin(admin)
{
    m_login = new TForm5(this);
    loginQuery = [this] { return m_login->LoginQuery(); };
    buildWindow();
    buildMenus();
    // A new or removed server path ends the run: the main window closes and RunSession
    // returns to the start-up, which ends the application.
    m_admin.endApplication = [this] { close(); };
}

TForm3::~TForm3() = default;

void TForm3::buildWindow()
{
    setObjectName(QStringLiteral("Form3"));
    setWindowTitle(QStringLiteral("Ogorix"));
    setModal(true);

    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    root->setSpacing(0);
    auto *bar = new QHBoxLayout;
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(0);

    auto make = [&](const char *name, const QString &caption, const char *icon, const QString &hint) {
        auto *b = new FlatToolButton(caption, QIcon(QLatin1String(icon)), this);
        b->setObjectName(QLatin1String(name));
        b->setFixedSize(kButtonWidth, kButtonHeight);
        b->setToolTip(hint);
        bar->addWidget(b);
        return b;
    };
    m_contracte = make("ContracteBut", QStringLiteral("Contracte"), ":/res/icons/contracts.png",
                       QStringLiteral("Evidenta contractelor de arenda."));
    m_rapoarteBut = make("RapoarteBut", QStringLiteral("Rapoarte"), ":/res/icons/reports.png",
                         QStringLiteral("Rapoarte diverse."));
    m_utilitareBut = make("UtilitareBut", QStringLiteral("Utilitare"), ":/res/icons/utilities.png",
                          QStringLiteral("Operatii cu datele. Sugestii. Explicatii. Legislatie."));
    m_adminBut = make("AdminBut", QStringLiteral("Administrare"), ":/res/icons/padlock-closed.png",
                      QStringLiteral("Administrare program."));
    m_iesire = make("IesireBut", QStringLiteral("Iesire"), ":/res/icons/exit-door.png",
                    QStringLiteral("Inchide programul."));
    bar->addStretch(1);
    root->addLayout(bar);

    m_status = new QStatusBar(this);
    m_status->setObjectName(QStringLiteral("StatusBar1"));
    m_status->setSizeGripEnabled(false);
    m_status->setFixedHeight(kClientHeight - kButtonHeight);
    m_panel1 = new QLabel(QStringLiteral("ESC - Iesire din program"), m_status);
    m_panel1->setObjectName(QStringLiteral("Panel1"));
    m_panel1->setMinimumWidth(200);
    m_panel2 = new QLabel(QStringLiteral("Lucru local."), m_status);
    m_panel2->setObjectName(QStringLiteral("Panel2"));
    m_status->addWidget(m_panel1);
    m_status->addWidget(m_panel2, 1);
    root->addWidget(m_status);
    setFixedHeight(kClientHeight);

    // Before the login only "Administrare" and "Iesire" are shown.
    m_contracte->hide();
    m_rapoarteBut->hide();
    m_utilitareBut->hide();

    connect(m_contracte, &QToolButton::clicked, this, &TForm3::ContracteButClick);
    connect(m_rapoarteBut, &QToolButton::clicked, this, &TForm3::RapoarteButClick);
    connect(m_utilitareBut, &QToolButton::clicked, this, &TForm3::UtilitareButClick);
    connect(m_adminBut, &QToolButton::clicked, this, &TForm3::AdminButClick);
    connect(m_iesire, &QToolButton::clicked, this, &QDialog::close);

    // Keys handled by the window before its controls. F1 and F2 act only once logged in
    // (before that they would open the register without a login).
    auto *f12 = new QShortcut(QKeySequence(Qt::Key_F12), this);
    connect(f12, &QShortcut::activated, this, &QDialog::close);
    auto *f1 = new QShortcut(QKeySequence(Qt::Key_F1), this);
    connect(f1, &QShortcut::activated, this, [this] {
        if (m_state.loggedIn && !m_contracte->isHidden())
            ContracteButClick();
    });
    auto *f2 = new QShortcut(QKeySequence(Qt::Key_F2), this);
    connect(f2, &QShortcut::activated, this, [this] {
        if (m_state.loggedIn && !m_rapoarteBut->isHidden())
            RapoarteButClick();
    });
}

QAction *TForm3::addCommand(QMenu *menu, const QString &caption, MainCommand command)
{
    QAction *a = menu->addAction(caption);
    connect(a, &QAction::triggered, this, [this, command] { run(command); });
    return a;
}

void TForm3::buildMenus()
{
    m_rapoarte = new QMenu(this);
    m_rapoarte->setObjectName(QStringLiteral("RapoarteMenu"));
    addCommand(m_rapoarte, QStringLiteral("Raport Curtea de Conturi"), MainCommand::RaportCurteaConturi);
    addCommand(m_rapoarte, QStringLiteral("Liste diverse"), MainCommand::ListeDiverse);
    addCommand(m_rapoarte, QStringLiteral("Lista Suprafete"), MainCommand::ListaSuprafete);
    addCommand(m_rapoarte, QStringLiteral("Centralizator Parcele - Arendasi"), MainCommand::CentralizatorParceleArendasi);
    addCommand(m_rapoarte, QStringLiteral("Borderou Contracte - Tarlale"), MainCommand::BorderouContracteTarlale);
    addCommand(m_rapoarte, QStringLiteral("Borderou Contracte - Blocuri fizice"), MainCommand::BorderouContracteBlocuri);
    addCommand(m_rapoarte, QStringLiteral("Centralizator pe Arendatori"), MainCommand::CentralizatorArendatori);
    QMenu *plati = m_rapoarte->addMenu(QStringLiteral("Evidenta Plati"));
    plati->setObjectName(QStringLiteral("EvidentaPlatiMenu"));
    addCommand(plati, QStringLiteral("Borderou Plati Arenda"), MainCommand::BorderouPlatiArenda);
    addCommand(plati, QStringLiteral("Borderou Plati pe produse"), MainCommand::BorderouPlatiProduse);
    addCommand(plati, QStringLiteral("Centralizator Plati efectuate"), MainCommand::CentralizatorPlati);
    addCommand(plati, QStringLiteral("Lista platilor"), MainCommand::ListaPlatilor);
    addCommand(m_rapoarte, QStringLiteral("A.P.I.A. - Tabel Centralizator"), MainCommand::ApiaTabelCentralizator);
    addCommand(m_rapoarte, QStringLiteral("Statistica - Raport"), MainCommand::StatisticaRaport);
    addCommand(m_rapoarte, QStringLiteral("Declaratia 112"), MainCommand::Declaratia112);

    m_utilitare = new QMenu(this);
    m_utilitare->setObjectName(QStringLiteral("UtilitareMenu"));
    m_salvare = m_utilitare->addAction(QStringLiteral("Salvare / Incarcare baza de date"));
    m_salvare->setObjectName(QStringLiteral("SalvareIncarcare"));
    m_salvare->setEnabled(false);
    connect(m_salvare, &QAction::triggered, this, &TForm3::SalvareIncarcareClick);
    QMenu *verif = m_utilitare->addMenu(QStringLiteral("Verificare baza de date"));
    verif->setObjectName(QStringLiteral("VerificareMenu"));
    addCommand(verif, QStringLiteral("Verificare Suprafata din contract cu Suma parcelelor"), MainCommand::VerificareSuprafata);
    addCommand(m_utilitare, QStringLiteral("Muta Denumirea tarlalei la Act de proprietate"), MainCommand::MutaDenumireaTarlalei);
    addCommand(m_utilitare, QStringLiteral("Condica de sugestii"), MainCommand::CondicaSugestii);
    addCommand(m_utilitare, QStringLiteral("Istoricul modificarii datelor"), MainCommand::IstoriculModificarilor);
}

void TForm3::run(MainCommand command)
{
    if (command == MainCommand::IstoriculModificarilor && logView) {
        logView->ShowLog();
        return;
    }
    if (onCommand)
        onCommand(command);
}

FlatToolButton *TForm3::button(const QString &objectName) const
{
    return findChild<FlatToolButton *>(objectName);
}

void TForm3::setCaption(const QString &caption)
{
    setWindowTitle(caption);
}

void TForm3::setStatusText(const QString &text)
{
    m_panel2->setText(text);
}

QString TForm3::statusText() const
{
    return m_panel2->text();
}

void TForm3::unlock()
{
    m_state.loggedIn = true;
    m_adminBut->setIcon(QIcon(QStringLiteral(":/res/icons/padlock-open.png")));
    m_adminBut->repaint();
    m_contracte->show();
    m_rapoarteBut->show();
    m_utilitareBut->show();
    m_adminBut->setVisible(!m_state.readOnly);
    m_salvare->setEnabled(!m_state.readOnly);
    if (rightsChanged)
        rightsChanged(m_state.readOnly);
}

void TForm3::AdminButClick()
{
    if (m_state.loggedIn) {
        if (!m_state.readOnly)
            m_admin.ShowAdmin();
        return;
    }
    const Settings settings(m_ws);
    const QString stored = StoredAdminPassword(settings);
    if (stored.isEmpty()) {
        m_prompter.Mesaj(QStringLiteral("Administrare"), QStringLiteral("        ATENTIE!\r\nNu aveti nici o parola!"),
                         Warning, ButtonOk);
        m_state.readOnly = false;
        unlock();
        return;
    }
    const std::optional<QString> typed = loginQuery ? loginQuery() : std::nullopt;
    if (!typed)
        return;
    if (typed->isEmpty()) {
        m_state.readOnly = true;
        unlock();
        m_prompter.Mesaj(QStringLiteral("Bine ati venit!"), QStringLiteral("Nu aveti dreptul sa modificati datele!"),
                         Warning, ButtonOk);
        return;
    }
    if (!PasswordMatches(stored, *typed)) {
        m_prompter.Mesaj(QStringLiteral("Greseala!"), QStringLiteral("PAROLA INCORECTA !"), ErrorKind, ButtonOk);
        return;
    }
    m_state.readOnly = false;
    unlock();
}

void TForm3::ContracteButClick()
{
    // The question leads into the administration window, so it is only put to an
    // operator with full rights.
    if (m_adminSettings.comuna.trimmed().isEmpty() && !m_state.readOnly
        && m_prompter.Mesaj(QStringLiteral("Atentionare"),
                            QStringLiteral("Nu ati completat denumirea primariei la ") + m_adminBut->text()
                                + QStringLiteral("!\rDoriti sa o completati acum?"),
                            Warning, ButtonYes | ButtonNo)
            == ResultYes)
        m_admin.ShowAdmin();
    run(MainCommand::Contracte);
}

void TForm3::RapoarteButClick()
{
    m_rapoarte->popup(m_rapoarteBut->mapToGlobal(QPoint(0, m_rapoarteBut->height())));
}

void TForm3::UtilitareButClick()
{
    m_utilitare->popup(m_utilitareBut->mapToGlobal(QPoint(0, m_utilitareBut->height())));
}

void TForm3::SalvareIncarcareClick()
{
    if (m_state.readOnly || !openBackupWindow)
        return;
    if (openBackupWindow()) {
        // The data were replaced by a restore: the run ends without a backup question.
        m_contracte->hide();
        close();
    }
}

bool TForm3::RunSession()
{
    if (writeLog)
        writeLog(QStringLiteral("Pornire Contracte Ogorix"));
    m_closing = false;
    m_backup = false;
    exec();
    if (writeLog)
        writeLog(QStringLiteral("Inchidere Contracte Ogorix"));
    if (m_backup && automaticBackup)
        automaticBackup();
    return m_backup;
}

void TForm3::done(int r)
{
    if (!m_closing) {
        m_closing = true;
        const bool contracteShown = !m_contracte->isHidden();
        m_backup = decideBackup ? decideBackup(contracteShown)
                                : DecideBackupOnClose(m_prompter, m_ws, contracteShown, m_adminSettings);
        DeleteHelpLeftovers(m_ws.programDir);
    }
    QDialog::done(r);
}

void TForm3::stretchAcrossScreen()
{
    QScreen *s = screen();
    if (!s)
        return;
    const QRect area = s->availableGeometry();
    setFixedWidth(area.width());
    move(area.topLeft());
}

void TForm3::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    stretchAcrossScreen();
}

void TForm3::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        const auto *e = static_cast<QWindowStateChangeEvent *>(event);
        if ((e->oldState() & Qt::WindowMinimized) && !(windowState() & Qt::WindowMinimized))
            stretchAcrossScreen();
    }
}

} // namespace ogx
