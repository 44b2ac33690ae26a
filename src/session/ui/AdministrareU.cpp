#include "session/ui/AdministrareU.h"

#include "datastore/Error.h"
#include "datastore/Helpers.h"
#include "datastore/Settings.h"
#include "datastore/Templates.h"
#include "session/AdminPassword.h"
#include "session/SessionRules.h"
#include "session/ui/UpperCase.h"
#include "widgets/NumberEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

namespace ogx {

const QList<TemplateEntry> &TForm4::templates()
{
    static const QList<TemplateEntry> list{
        {QStringLiteral("Contract de Arenda"), QStringLiteral("ModCon3.rtf"), QStringLiteral("Contract")},
        {QStringLiteral("Alt fel de Contract"), QStringLiteral("ModCon4.rtf"), QStringLiteral("Contract2")},
        {QStringLiteral("Tabel nominal de la Contracte"), QStringLiteral("TabNom.xls"), QStringLiteral("TabNom")},
        {QStringLiteral("Borderou Plati Arenda"), QStringLiteral("BordPLC.xls"), QStringLiteral("BordPLC")},
        {QStringLiteral("Dispozitie de plata"), QStringLiteral("DispPlata.rtf"), QStringLiteral("DispPlata")},
        {QStringLiteral("Aviz de insotire a marfii"), QStringLiteral("Aviz.xls"), QStringLiteral("Aviz")},
        {QStringLiteral("Cerere si Oferta de vanzare"), QStringLiteral("COf.rtf"), QStringLiteral("COf")},
    };
    return list;
}

TForm4::TForm4(const Workspace &ws, AdminSettings &settings, Prompter &prompter, ShellOpener &shell,
               QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_ws(ws), m_settings(settings), m_prompter(prompter), m_shell(shell)
{
    installTemplates = [this] { ogx::InstallTemplates(m_ws); };
    extractResourceFile = [](const QString &name, const QString &target) {
        return ogx::ExtractResourceFile(name, QStringLiteral("Model"), target);
    };
    browseFolder = [this](const QString &title) { return QFileDialog::getExistingDirectory(this, title); };
    endApplication = [] { QCoreApplication::exit(0); };
    beep = [] { QApplication::beep(); };
    home = QDir::homePath();
    buildForm();
    settingsToFields();
}

QString TForm4::CodeazaStr(const QString &text)
{
    return ogx::CodeazaStr(text);
}

void TForm4::buildForm()
{
    setObjectName(QStringLiteral("Form4"));
    setWindowTitle(QStringLiteral("Administrare program"));
    setModal(true);

    auto *root = new QVBoxLayout(this);

    // Password.
    auto *pass = new QGroupBox(QStringLiteral(" Schimbare parola  "), this);
    pass->setObjectName(QStringLiteral("GroupBox1"));
    auto *pg = new QGridLayout(pass);
    m_parola1 = new QLineEdit(pass);
    m_parola1->setObjectName(QStringLiteral("Parola1"));
    m_parola2 = new QLineEdit(pass);
    m_parola2->setObjectName(QStringLiteral("Parola2"));
    for (QLineEdit *e : {m_parola1, m_parola2}) {
        e->setEchoMode(QLineEdit::Password);
        e->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // shown as "*"
        e->setMaxLength(32);
        e->installEventFilter(this);
    }
    m_schimba = new QPushButton(QStringLiteral("&Schimba parola"), pass);
    m_schimba->setObjectName(QStringLiteral("SchimbaParola"));
    m_schimba->setIcon(QIcon(QStringLiteral(":/res/icons/key.png")));
    pg->addWidget(new QLabel(QStringLiteral("Parola noua"), pass), 0, 0);
    pg->addWidget(m_parola1, 0, 1);
    pg->addWidget(new QLabel(QStringLiteral("Inca odata"), pass), 1, 0);
    pg->addWidget(m_parola2, 1, 1);
    pg->addWidget(m_schimba, 0, 2, 2, 1);
    root->addWidget(pass);

    // The unit.
    auto *unit = new QGridLayout;
    m_tipLoc = new QComboBox(this);
    m_tipLoc->setObjectName(QStringLiteral("TipLoc"));
    m_tipLoc->addItems(AdminSettings::localityTypes());
    m_comuna = new QLineEdit(this);
    m_comuna->setObjectName(QStringLiteral("Comuna"));
    m_comuna->setMaxLength(60);
    makeUpperCase(m_comuna);
    m_judet = new QComboBox(this);
    m_judet->setObjectName(QStringLiteral("Judet"));
    m_judet->addItems(AdminSettings::counties());
    m_judet->setMaxVisibleItems(20);
    for (QWidget *w : {static_cast<QWidget *>(m_tipLoc), static_cast<QWidget *>(m_comuna), static_cast<QWidget *>(m_judet)})
        w->installEventFilter(this);
    unit->addWidget(new QLabel(QStringLiteral("Tip localitate"), this), 0, 0);
    unit->addWidget(m_tipLoc, 0, 1);
    unit->addWidget(new QLabel(QStringLiteral("Denumire Unitate"), this), 1, 0);
    unit->addWidget(m_comuna, 1, 1);
    unit->addWidget(new QLabel(QStringLiteral("Judetul"), this), 2, 0);
    unit->addWidget(m_judet, 2, 1);
    unit->setColumnStretch(1, 1);
    root->addLayout(unit);

    // Constants.
    auto *consts = new QGroupBox(QStringLiteral("Constante de calcul"), this);
    consts->setObjectName(QStringLiteral("GroupBox2"));
    auto *cg = new QGridLayout(consts);
    auto addNumber = [&](int row, int col, const QString &label, const char *name, int digits, int decimals) {
        auto *e = new NumberEdit(digits, decimals, false, consts);
        e->setObjectName(QLatin1String(name));
        e->setFixedWidth(80);
        e->installEventFilter(this);
        cg->addWidget(new QLabel(label, consts), row, col * 2);
        cg->addWidget(e, row, col * 2 + 1);
        return e;
    };
    m_bazac = addNumber(0, 0, QStringLiteral("Baza de calcul (%)"), "BazaC", 3, 2);
    m_impozit = addNumber(1, 0, QStringLiteral("Impozit (%)"), "Impozit", 3, 2);
    m_cassp = addNumber(2, 0, QStringLiteral("Procent C.A.S.S. (%)"), "Cassp", 3, 2);
    m_salarMin = addNumber(0, 1, QStringLiteral("Salariul minim brut"), "SalarMin", 6, 0);
    m_pretGrau = addNumber(1, 1, QStringLiteral("Pret grau - LEI/Kg"), "PretGrau", 5, 2);
    root->addWidget(consts);

    // Paths.
    auto *paths = new QGroupBox(QStringLiteral("Salvare automata / Lucru in retea"), this);
    paths->setObjectName(QStringLiteral("GroupBox3"));
    auto *pl = new QGridLayout(paths);
    auto pathButton = [&](const char *name, const char *icon, const QString &hint) {
        auto *b = new QToolButton(paths);
        b->setObjectName(QLatin1String(name));
        b->setIcon(QIcon(QLatin1String(icon)));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        b->setCursor(Qt::PointingHandCursor);
        return b;
    };
    m_caleServer = new QLabel(QStringLiteral("-"), paths);
    m_caleServer->setObjectName(QStringLiteral("CaleServer"));
    m_caleSalvari = new QLabel(QStringLiteral("-"), paths);
    m_caleSalvari->setObjectName(QStringLiteral("CaleSalvari"));
    for (QLabel *l : {m_caleServer, m_caleSalvari}) {
        l->setFrameShape(QFrame::StyledPanel);
        l->setMinimumWidth(240);
        l->setTextInteractionFlags(Qt::TextSelectableByMouse);
    }
    QToolButton *modServer = pathButton("ModServer", ":/res/icons/folder.png", QStringLiteral("Modificare cale server."));
    QToolButton *stergServer = pathButton("StergServer", ":/res/icons/delete.png", QStringLiteral("Stergere cale server. Lucru local."));
    QToolButton *modSalvari = pathButton("ModSalvari", ":/res/icons/folder.png", QStringLiteral("Modificare cale salvari automate."));
    QToolButton *stergSalvari = pathButton("StergSalvari", ":/res/icons/delete.png", QStringLiteral("Stergere cale salvari automate."));
    pl->addWidget(new QLabel(QStringLiteral("Cale Server :"), paths), 0, 0);
    pl->addWidget(m_caleServer, 0, 1);
    pl->addWidget(modServer, 0, 2);
    pl->addWidget(stergServer, 0, 3);
    pl->addWidget(new QLabel(QStringLiteral("Cale Salvari :"), paths), 1, 0);
    pl->addWidget(m_caleSalvari, 1, 1);
    pl->addWidget(modSalvari, 1, 2);
    pl->addWidget(stergSalvari, 1, 3);
    pl->setColumnStretch(1, 1);
    root->addWidget(paths);
    connect(modServer, &QToolButton::clicked, this, &TForm4::ModServerClick);
    connect(stergServer, &QToolButton::clicked, this, &TForm4::StergServerClick);
    connect(modSalvari, &QToolButton::clicked, this, &TForm4::ModSalvariClick);
    connect(stergSalvari, &QToolButton::clicked, this, &TForm4::StergSalvariClick);

    // Buttons: the templates menu, store, cancel.
    auto *buttons = new QHBoxLayout;
    auto *modeleBut = new QPushButton(QStringLiteral("Modele pentru listare"), this);
    modeleBut->setObjectName(QStringLiteral("ModeleBut"));
    modeleBut->setIcon(QIcon(QStringLiteral(":/res/icons/templates.png")));
    m_modele = new QMenu(modeleBut);
    m_modele->setObjectName(QStringLiteral("ModeleMenu"));
    for (const TemplateEntry &t : templates()) {
        QMenu *sub = m_modele->addMenu(t.caption);
        sub->setObjectName(t.resource);
        QAction *edit = sub->addAction(QStringLiteral("Modifica Modelul"));
        QAction *reset = sub->addAction(QStringLiteral("Refa Modelul initial"));
        connect(edit, &QAction::triggered, this, [this, t] { ModificaModelul(t); });
        connect(reset, &QAction::triggered, this, [this, t] { RefaModelulInitial(t); });
    }
    connect(modeleBut, &QPushButton::clicked, this, [this, modeleBut] {
        m_modele->popup(modeleBut->mapToGlobal(QPoint(0, modeleBut->height())));
    });
    auto *memo = new QPushButton(QStringLiteral("&Memoreaza"), this);
    memo->setObjectName(QStringLiteral("MemoBut"));
    auto *close = new QPushButton(QStringLiteral("&Renunt"), this);
    close->setObjectName(QStringLiteral("CloseBut"));
    buttons->addWidget(modeleBut);
    buttons->addStretch(1);
    buttons->addWidget(memo);
    buttons->addWidget(close);
    root->addLayout(buttons);
    for (QPushButton *b : {m_schimba, modeleBut, memo, close}) {
        b->setAutoDefault(true); // Enter on a focused button presses it
        b->setCursor(Qt::PointingHandCursor);
    }
    connect(m_schimba, &QPushButton::clicked, this, &TForm4::SchimbaParolaClick);
    connect(memo, &QPushButton::clicked, this, [this] {
        SaveAdminSettings();
        accept();
    });
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
}

void TForm4::settingsToFields()
{
    m_tipLoc->setCurrentIndex(m_settings.tipLoc);
    m_comuna->setText(m_settings.comuna);
    m_judet->setCurrentIndex(m_settings.judet);
    m_bazac->setValue(m_settings.bazac);
    m_impozit->setValue(m_settings.impozit);
    m_cassp->setValue(m_settings.cassp);
    m_salarMin->setValue(m_settings.salarMin);
    m_pretGrau->setValue(m_settings.pretGrau);
    m_caleServer->setText(m_settings.serverPath);
    m_caleSalvari->setText(m_settings.backupFolder);
}

void TForm4::fieldsToSettings()
{
    m_settings.tipLoc = std::max(0, m_tipLoc->currentIndex());
    m_settings.comuna = m_comuna->text();
    m_settings.judet = std::max(0, m_judet->currentIndex());
    m_settings.bazac = m_bazac->value();
    m_settings.impozit = m_impozit->value();
    m_settings.cassp = m_cassp->value();
    m_settings.salarMin = m_salarMin->value();
    m_settings.pretGrau = m_pretGrau->value();
    m_settings.serverPath = m_caleServer->text();
    m_settings.backupFolder = m_caleSalvari->text();
}

void TForm4::LoadAdminSettings()
{
    ogx::LoadAdminSettings(Settings(m_ws), m_settings, home);
    settingsToFields();
}

void TForm4::SaveAdminSettings()
{
    fieldsToSettings();
    ogx::SaveAdminSettings(Settings(m_ws), m_settings);
}

int TForm4::ShowAdmin()
{
    m_parola1->clear();
    m_parola2->clear();
    m_tipLoc->setFocus();
    return exec();
}

void TForm4::setServerPathText(const QString &path)
{
    m_caleServer->setText(path);
    m_settings.serverPath = path;
}

void TForm4::done(int r)
{
    // Typed values stay in force for the rest of the run, stored or not.
    fieldsToSettings();
    QDialog::done(r);
}

bool TForm4::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
            if (watched == m_parola2)
                m_schimba->click();
            else if (watched == m_parola1)
                m_parola2->setFocus();
            else
                focusNextChild();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void TForm4::SchimbaParolaClick()
{
    const QString a = m_parola1->text();
    const QString b = m_parola2->text();
    if (a != b) {
        m_prompter.Mesaj(QStringLiteral("Eroare la completare"),
                         QStringLiteral("Nu ati scris parola noua la fel in cele doua casute !"), ErrorKind, ButtonOk);
        if (beep)
            beep();
        return;
    }
    const Settings settings(m_ws);
    if (!a.isEmpty()) {
        SetAdminPassword(settings, a);
        m_prompter.Mesaj(QStringLiteral("Confirmare"), QStringLiteral("Parola a fost schimbata cu succes!"),
                         Information, ButtonOk);
        m_parola1->clear();
        m_parola2->clear();
        return;
    }
    if (m_prompter.Mesaj(QStringLiteral("Eroare la completare"),
                         QStringLiteral("ATENTIE !\r\nDoriti sa dezactivati parola de administrator?"), Warning,
                         ButtonYes | ButtonNo)
        == ResultYes)
        ClearAdminPassword(settings);
}

void TForm4::ModServerClick()
{
    QString folder = browseFolder ? browseFolder(QStringLiteral("Indicati baza de date din retea")) : QString();
    if (folder.isEmpty())
        return;
    folder = WithoutTrailingSeparator(folder);
    switch (CheckServerFolder(m_ws, folder)) {
    case ServerFolderCheck::Local:
        m_prompter.Mesaj(QStringLiteral("Selectare Cale salvari"), QStringLiteral("Baza de date nu poate fi cea locala!"),
                         ErrorKind, ButtonOk);
        return;
    case ServerFolderCheck::Complete:
        m_caleServer->setText(folder);
        Settings(m_ws).WriteMachineSetting(QStringLiteral("SERVER"), folder);
        m_prompter.Mesaj(QStringLiteral("Conectat la server"),
                         QStringLiteral("Conectarea la server a reusit!\rPorniti programul din nou !"), Information,
                         ButtonOk);
        reject();
        if (endApplication)
            endApplication();
        return;
    case ServerFolderCheck::Incomplete:
        m_prompter.Mesaj(QStringLiteral("Conectare server"),
                         QStringLiteral("Baza de date ") + folder + QStringLiteral("\rNU este corecta!\rVerificati ce-ati ales!"),
                         ErrorKind, ButtonOk);
        return;
    }
}

void TForm4::StergServerClick()
{
    // Nothing to delete when no server path is shown ("-" or "  -"). Real paths may be
    // short here ("/srv/d"), so the test is on the placeholder, not on a length.
    const QString shown = m_caleServer->text().trimmed();
    if (shown.isEmpty() || shown == QStringLiteral("-")) {
        m_prompter.ShowProblemHint(QStringLiteral("Nu aveti ce sterge."), m_caleServer);
        return;
    }
    if (m_prompter.Mesaj(QStringLiteral("Stergere cale server"), QStringLiteral("Doriti sa va deconectati de la server?"),
                         Confirmation, ButtonYes | ButtonNo)
        != ResultYes)
        return;
    m_caleServer->setText(QStringLiteral("  -"));
    Settings(m_ws).WriteMachineSetting(QStringLiteral("SERVER"), QString());
    m_prompter.Mesaj(QStringLiteral("Deconectat de la server"),
                     QStringLiteral("Sunteti deconectat de la server!\rPorniti programul din nou !"), Information, ButtonOk);
    reject();
    if (endApplication)
        endApplication();
}

void TForm4::ModSalvariClick()
{
    if (m_ws.networkMode()) {
        m_prompter.Mesaj(QStringLiteral("Salvare Automata"), QStringLiteral("Numai Serverul poate salva automat!"),
                         ErrorKind, ButtonOk);
        return;
    }
    QString folder = browseFolder ? browseFolder(QStringLiteral("Indicati calea salvarilor automate")) : QString();
    if (folder.isEmpty())
        return;
    folder = WithoutTrailingSeparator(folder);
    if (!CanWriteFolder(folder)) {
        m_prompter.Mesaj(QStringLiteral("Stabilire cale salvari"),
                         QStringLiteral("Nu pot scrie in ") + folder + QStringLiteral(" !\rAlegeti alta cale, unde sa pot scrie!"),
                         ErrorKind, ButtonOk);
        return;
    }
    m_caleSalvari->setText(folder);
    m_settings.backupFolder = folder;
    Settings(m_ws).WriteMachineSetting(QStringLiteral("CALESALVARI"), folder);
    m_prompter.Mesaj(QStringLiteral("Salvari automate"),
                     QStringLiteral("Calea pentru Salvari Automate este acum \r") + folder + u'.', Information, ButtonOk);
}

void TForm4::StergSalvariClick()
{
    if (m_caleSalvari->text().trimmed().size() < 2) {
        m_prompter.ShowProblemHint(QStringLiteral("Salvarea automata este deja dezactivata."), m_caleSalvari);
        return;
    }
    if (m_prompter.Mesaj(QStringLiteral("Stergere cale salvari"), QStringLiteral("Doriti sa dezactivati salvarea automata?"),
                         Confirmation, ButtonYes | ButtonNo)
        != ResultYes)
        return;
    m_caleSalvari->setText(QStringLiteral("-"));
    m_settings.backupFolder = QStringLiteral("-");
    Settings(m_ws).WriteMachineSetting(QStringLiteral("CALESALVARI"), QStringLiteral("-"));
    m_prompter.Mesaj(QStringLiteral("Salvare Automata"), QStringLiteral("Salvarea automata a fost dezactivata!"),
                     Information, ButtonOk);
}

void TForm4::installFor(const TemplateEntry &entry)
{
    if (installTemplates)
        installTemplates();
    else if (extractResourceFile)
        extractResourceFile(entry.resource, m_ws.dataFile(entry.file));
}

void TForm4::ModificaModelul(const TemplateEntry &entry)
{
    const QString path = m_ws.dataFile(entry.file);
    if (!QFileInfo::exists(path))
        installFor(entry);
    m_shell.open(path);
}

void TForm4::RefaModelulInitial(const TemplateEntry &entry)
{
    if (m_prompter.Mesaj(QStringLiteral("Refacere model listare"), QStringLiteral("\rDoriti sa punem inapoi Modelul initial?"),
                         Warning, ButtonYes | ButtonNo)
        != ResultYes)
        return;
    const QString path = m_ws.dataFile(entry.file);
    // A template open in another program is never deleted under it.
    if (!IsFileInUse(path))
        QFile::remove(path);
    if (QFileInfo::exists(path)) {
        m_prompter.Mesaj(QStringLiteral("Refacere model initial"),
                         QStringLiteral("\rModelul indicat este Deschis!\rInchideti-l si reincercati!"), ErrorKind, ButtonOk);
        return;
    }
    installFor(entry);
    m_shell.open(path);
}

} // namespace ogx
