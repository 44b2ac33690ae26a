#include "backup/ui/SalvareU.h"

#include "backup/ui/ArchiveFileDialogs.h"
#include "datastore/Clock.h"
#include "datastore/Error.h"
#include "session/ui/MainU.h"
#include "widgets/GradientPanel.h"

#include <QPushButton>
#include <QVBoxLayout>

#include <memory>
#include <utility>

namespace ogx {

namespace {
constexpr int kButtonWidth = 300;
constexpr int kButtonHeight = 40;
} // namespace

TForm21::TForm21(const BackupContext &ctx, ArchiveFileDialogs &dialogs, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ctx(ctx), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form21"));
    setWindowTitle(QStringLiteral("Copie - inlocuieste baza de date"));
    setModal(true);

    auto *outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    auto *back = new GradientPanel(this);
    back->setObjectName(QStringLiteral("Fundal"));
    back->setColors(QColor(225, 222, 250), QColor(129, 162, 211));
    back->setDirection(GradientPanel::Direction::TopToBottom);
    outer->addWidget(back);
    auto *column = new QVBoxLayout(back);
    column->setContentsMargins(16, 16, 16, 16);
    column->setSpacing(10);

    auto make = [&](const char *name, const QString &caption) {
        auto *b = new QPushButton(caption, back);
        b->setObjectName(QLatin1String(name));
        b->setFixedSize(kButtonWidth, kButtonHeight);
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoDefault(false);
        column->addWidget(b, 0, Qt::AlignHCenter);
        return b;
    };
    m_save = make("SaveBut", QStringLiteral("Salveaza o copie a datelor"));
    m_load = make("LoadBut", QStringLiteral("Incarca o salvare anterioara"));
    m_serv = make("ServBut", QStringLiteral("Copie / Recupereaza date la Distanta"));
    m_serv->setEnabled(false);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_save, &QPushButton::clicked, this, &TForm21::SaveButClick);
    connect(m_load, &QPushButton::clicked, this, &TForm21::LoadButClick);
    connect(m_serv, &QPushButton::clicked, this, &TForm21::ServButClick);
}

TForm21::~TForm21() = default;

bool TForm21::ShowBackupWindow()
{
    m_restored = false;
    // Restoring inside an opened archive would replace the archive's working copy, not
    // the data the archive came from.
    m_load->setEnabled(!m_ctx.ws.backupMode());
    m_serv->setEnabled(bool(openRemoteBackup));
    exec();
    return m_restored;
}

void TForm21::showError(const QString &title, const QString &message)
{
    m_ctx.prompter.Mesaj(title, message, ErrorKind, ButtonOk);
}

void TForm21::offerRemoteCopy(const QString &archivePath)
{
    if (!sendToRemote)
        return;
    if (m_ctx.prompter.Mesaj(QStringLiteral("Copie la Distanta"),
                             QStringLiteral("\rDoriti sa transmiteti salvarea si pe Server?"), Confirmation,
                             ButtonYes | ButtonNo)
        == ResultYes)
        sendToRemote(archivePath);
}

void TForm21::SaveButClick()
{
    const QString target = m_dialogs.saveArchive(this, QStringLiteral("Unde salvam datele ?"),
                                                 QStringLiteral("Arhiva Contracte Ogorix (*.ogx)"), QStringLiteral("ogx"));
    if (target.isEmpty())
        return;
    // The refusals (the Data directory, a replacement not wanted) leave the window open;
    // while the copy is written the progress window keeps this one disabled.
    bool written = false;
    try {
        written = SaveBackup(m_ctx, target);
    } catch (const Error &e) {
        showError(QStringLiteral("Salvare"), e.message());
        return;
    }
    if (!written)
        return;
    close();
    offerRemoteCopy(target);
}

void TForm21::LoadButClick()
{
    if (m_ctx.ws.backupMode())
        return;
    if (m_ctx.prompter.Mesaj(QStringLiteral("Incarcare date"),
                             QStringLiteral("Prin preluarea datelor dintr-o salvare anterioara,\r"
                                            "se sterg datele curente si sunt inlocuite cu cele din salvare!\r"
                                            "Continuam operatiunea?"),
                             Warning, ButtonYes | ButtonNo)
        != ResultYes)
        return;
    const QString archive = m_dialogs.openArchive(this, QStringLiteral("Indicati salvarea precedenta Contracte Ogorix"),
                                                  QStringLiteral("Salvare Contracte Ogorix (*.ogx)"));
    if (archive.isEmpty())
        return;
    hide();
    try {
        if (RestoreBackup(m_ctx, archive, database))
            m_restored = true;
    } catch (const Error &e) {
        showError(QStringLiteral("Restaurare date"), e.message());
    }
    close();
}

void TForm21::ServButClick()
{
    hide();
    if (openRemoteBackup)
        openRemoteBackup();
    close();
}

void connectBackup(TForm3 &main, TForm21 &window, std::function<QString()> backupFolder, const Clock &clock)
{
    // What the closing questions chose, kept from the close until the end of the run.
    auto chosen = std::make_shared<ClosingBackup>(ClosingBackup::None);
    TForm21 *w = &window;
    main.openBackupWindow = [w] { return w->ShowBackupWindow(); };
    main.decideBackup = [w, chosen, backupFolder](bool contracteShown) {
        const BackupContext &ctx = w->context();
        *chosen = DecideClosingBackup(ctx.ws, contracteShown, backupFolder ? backupFolder() : QString(), ctx.prompter);
        return *chosen != ClosingBackup::None;
    };
    main.automaticBackup = [w, chosen, backupFolder, &clock] {
        const ClosingBackup kind = std::exchange(*chosen, ClosingBackup::None);
        const AutomaticBackupResult result = RunAutomaticBackup(
            w->context(), kind, backupFolder ? backupFolder() : QString(), clock.today(), w->database.closeDatabase);
        if (result.written)
            w->offerRemoteCopy(result.target);
    };
}

} // namespace ogx
