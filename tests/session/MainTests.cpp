// The main window, the login and the change-password dialog, driven through their objects.

#include "datastore/Settings.h"
#include "session/AdminPassword.h"
#include "session/ui/AdministrareU.h"
#include "session/ui/EditPassU.h"
#include "session/ui/LoginU.h"
#include "session/ui/MainU.h"
#include "widgets/FlatToolButton.h"

#include "ScriptedPrompter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

using namespace ogx;
using ogx::test::ScriptedPrompter;

namespace {

// Runs `action` once `w` is on screen (for modal windows).
void whenShown(QWidget *w, std::function<void()> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [w, timer, action] {
        if (w->isVisible()) {
            timer->stop();
            timer->deleteLater();
            action();
        }
    });
    timer->start();
}

struct MainFixture {
    QTemporaryDir tmp;
    Workspace ws;
    AdminSettings admin;
    SessionState state;
    ScriptedPrompter prompter;
    RecordingShellOpener shell;
    std::unique_ptr<TForm4> form4;
    std::unique_ptr<TForm3> form3;
    std::vector<MainCommand> commands;
    std::vector<int> rights; // 0 full, 1 read-only, per unlock
    QStringList log;
    int backups = 0;
    std::deque<std::optional<QString>> logins;

    MainFixture()
    {
        ws.programDir = tmp.path();
        ws.dataDir = tmp.path() + QStringLiteral("/Data");
        ws.localDataDir = ws.dataDir;
        ws.tempDir = tmp.path() + QStringLiteral("/Temp");
        ws.machineDir = tmp.path() + QStringLiteral("/machine");
        QDir().mkpath(ws.dataDir);
        QDir().mkpath(ws.machineDir);
        admin.backupFolder = tmp.path() + QStringLiteral("/copii");
        form4 = std::make_unique<TForm4>(ws, admin, prompter, shell);
        form3 = std::make_unique<TForm3>(ws, admin, state, prompter, *form4);
        form3->onCommand = [this](MainCommand c) { commands.push_back(c); };
        form3->rightsChanged = [this](bool ro) { rights.push_back(ro ? 1 : 0); };
        form3->writeLog = [this](const QString &t) { log.append(t); };
        form3->automaticBackup = [this] { ++backups; };
        form3->loginQuery = [this]() -> std::optional<QString> {
            if (logins.empty())
                return std::nullopt;
            auto l = logins.front();
            logins.pop_front();
            return l;
        };
    }
    Settings s() const { return Settings(ws); }
    bool shown(const char *name) { return !form3->button(QLatin1String(name))->isHidden(); }
};

} // namespace

TEST(TForm3, BeforeLoginOnlyAdministrationAndExitAreShown)
{
    MainFixture f;
    EXPECT_FALSE(f.shown("ContracteBut"));
    EXPECT_FALSE(f.shown("RapoarteBut"));
    EXPECT_FALSE(f.shown("UtilitareBut"));
    EXPECT_TRUE(f.shown("AdminBut"));
    EXPECT_TRUE(f.shown("IesireBut"));
    EXPECT_EQ(f.form3->button(QStringLiteral("AdminBut"))->size(), QSize(80, 60));
    EXPECT_EQ(f.form3->button(QStringLiteral("AdminBut"))->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(f.form3->button(QStringLiteral("RapoarteBut"))->toolTip(), QStringLiteral("Rapoarte diverse."));
    EXPECT_EQ(f.form3->findChild<QLabel *>(QStringLiteral("Panel1"))->text(), QStringLiteral("ESC - Iesire din program"));
    f.form3->setStatusText(QStringLiteral("Lucru in retea: /srv/date"));
    f.form3->setCaption(QStringLiteral("Ogorix  ver.1.0151"));
    EXPECT_EQ(f.form3->statusText(), QStringLiteral("Lucru in retea: /srv/date"));
    EXPECT_EQ(f.form3->windowTitle(), QStringLiteral("Ogorix  ver.1.0151"));
    EXPECT_FALSE(f.form3->salvareAction()->isEnabled());

    // F1 before the login does not reach the register.
    f.form3->show();
    QApplication::setActiveWindow(f.form3.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form3.get()));
    EXPECT_EQ(f.form3->height(), 78);
    QTest::keyClick(f.form3.get(), Qt::Key_F1);
    EXPECT_TRUE(f.commands.empty());
    f.form3->hide();
}

TEST(TForm3, LoginPaths)
{
    struct Case {
        const char *name;
        bool passwordStored;
        std::optional<QString> typed;
        bool loggedIn, readOnly;
        QStringList messages;
    };
    const Case cases[] = {
        {"no password", false, std::nullopt, true, false, {QStringLiteral("Administrare")}},
        {"login closed", true, std::nullopt, false, false, {}},
        {"wrong password", true, QStringLiteral("gresit"), false, false, {QStringLiteral("Greseala!")}},
        {"letter case counts", true, QStringLiteral("SECRET"), false, false, {QStringLiteral("Greseala!")}},
        {"empty input", true, QString(), true, true, {QStringLiteral("Bine ati venit!")}},
        {"right password", true, QStringLiteral("secret"), true, false, {}},
    };
    for (const Case &c : cases) {
        MainFixture f;
        if (c.passwordStored)
            SetAdminPassword(f.s(), QStringLiteral("secret"));
        f.logins.push_back(c.typed);
        f.form3->AdminButClick();
        EXPECT_EQ(f.prompter.titles(), c.messages) << c.name;
        EXPECT_EQ(f.state.loggedIn, c.loggedIn) << c.name;
        EXPECT_EQ(f.state.readOnly, c.readOnly) << c.name;
        EXPECT_EQ(f.shown("ContracteBut"), c.loggedIn) << c.name;
        EXPECT_EQ(f.shown("RapoarteBut"), c.loggedIn) << c.name;
        EXPECT_EQ(f.shown("UtilitareBut"), c.loggedIn) << c.name;
        EXPECT_EQ(f.shown("AdminBut"), !c.readOnly) << c.name;
        EXPECT_EQ(f.form3->salvareAction()->isEnabled(), c.loggedIn && !c.readOnly) << c.name;
        const std::vector<int> expectedRights = c.loggedIn ? std::vector<int>{c.readOnly ? 1 : 0} : std::vector<int>{};
        EXPECT_EQ(f.rights, expectedRights) << c.name;
        if (!c.messages.isEmpty() && c.messages[0] == QStringLiteral("Administrare")) {
            EXPECT_EQ(f.prompter.messages[0].text, QStringLiteral("        ATENTIE!\r\nNu aveti nici o parola!"));
            EXPECT_EQ(f.prompter.messages[0].kind, 0);
        }
        if (!c.messages.isEmpty() && c.messages[0] == QStringLiteral("Greseala!")) {
            EXPECT_EQ(f.prompter.messages[0].text, QStringLiteral("PAROLA INCORECTA !"));
            EXPECT_EQ(f.prompter.messages[0].kind, 1);
        }
        if (c.readOnly) {
            EXPECT_EQ(f.prompter.messages[0].text, QStringLiteral("Nu aveti dreptul sa modificati datele!"));
        }
    }
}

TEST(TForm3, AfterAWrongPasswordTheButtonCanBePressedAgainThenOpensAdministration)
{
    MainFixture f;
    SetAdminPassword(f.s(), QStringLiteral("secret"));
    f.logins = {QStringLiteral("x"), QStringLiteral("secret")};
    f.form3->AdminButClick();
    EXPECT_FALSE(f.state.loggedIn);
    f.form3->AdminButClick();
    EXPECT_TRUE(f.state.loggedIn);
    EXPECT_FALSE(f.state.readOnly);

    // Logged in with full rights: the administration window.
    bool opened = false;
    whenShown(f.form4.get(), [&] {
        opened = true;
        f.form4->reject();
    });
    f.form3->AdminButClick();
    EXPECT_TRUE(opened);
}

TEST(TForm3, CommuneCheckBeforeTheRegister)
{
    MainFixture f;
    f.form3->AdminButClick(); // no password: full rights
    f.prompter.clear();

    f.prompter.answers = {ResultNo};
    f.form3->ContracteButClick();
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].title, QStringLiteral("Atentionare"));
    EXPECT_EQ(f.prompter.messages[0].text,
              QStringLiteral("Nu ati completat denumirea primariei la Administrare!\rDoriti sa o completati acum?"));
    EXPECT_EQ(f.prompter.messages[0].buttons, 3);
    EXPECT_EQ(f.commands, std::vector<MainCommand>{MainCommand::Contracte});

    // Yes: the administration window first, then the register.
    f.prompter.clear();
    f.prompter.answers = {ResultYes};
    bool opened = false;
    whenShown(f.form4.get(), [&] {
        opened = true;
        f.form4->findChild<QLineEdit *>(QStringLiteral("Comuna"))->setText(QStringLiteral("FLORESTI"));
        f.form4->reject();
    });
    f.form3->ContracteButClick();
    EXPECT_TRUE(opened);
    EXPECT_EQ(f.commands.size(), 2u);
    EXPECT_EQ(f.admin.comuna, QStringLiteral("FLORESTI"));

    // A named unit: straight to the register.
    f.prompter.clear();
    f.form3->ContracteButClick();
    EXPECT_TRUE(f.prompter.messages.empty());
    EXPECT_EQ(f.commands.size(), 3u);
}

TEST(TForm3, MenusHoldEveryEntryAndHandTheirCommandOn)
{
    MainFixture f;
    struct Entry {
        QMenu *menu;
        QStringList path;
        MainCommand command;
    };
    auto find = [](QMenu *menu, const QStringList &path) -> QAction * {
        QAction *found = nullptr;
        for (const QString &name : path) {
            found = nullptr;
            for (QAction *a : menu->actions())
                if (a->text() == name)
                    found = a;
            if (!found)
                return nullptr;
            if (found->menu())
                menu = found->menu();
        }
        return found;
    };
    QMenu *r = f.form3->rapoarteMenu();
    QMenu *u = f.form3->utilitareMenu();
    const Entry entries[] = {
        {r, {QStringLiteral("Raport Curtea de Conturi")}, MainCommand::RaportCurteaConturi},
        {r, {QStringLiteral("Liste diverse")}, MainCommand::ListeDiverse},
        {r, {QStringLiteral("Lista Suprafete")}, MainCommand::ListaSuprafete},
        {r, {QStringLiteral("Centralizator Parcele - Arendasi")}, MainCommand::CentralizatorParceleArendasi},
        {r, {QStringLiteral("Borderou Contracte - Tarlale")}, MainCommand::BorderouContracteTarlale},
        {r, {QStringLiteral("Borderou Contracte - Blocuri fizice")}, MainCommand::BorderouContracteBlocuri},
        {r, {QStringLiteral("Centralizator pe Arendatori")}, MainCommand::CentralizatorArendatori},
        {r, {QStringLiteral("Evidenta Plati"), QStringLiteral("Borderou Plati Arenda")}, MainCommand::BorderouPlatiArenda},
        {r, {QStringLiteral("Evidenta Plati"), QStringLiteral("Borderou Plati pe produse")}, MainCommand::BorderouPlatiProduse},
        {r, {QStringLiteral("Evidenta Plati"), QStringLiteral("Centralizator Plati efectuate")}, MainCommand::CentralizatorPlati},
        {r, {QStringLiteral("Evidenta Plati"), QStringLiteral("Lista platilor")}, MainCommand::ListaPlatilor},
        {r, {QStringLiteral("A.P.I.A. - Tabel Centralizator")}, MainCommand::ApiaTabelCentralizator},
        {r, {QStringLiteral("Statistica - Raport")}, MainCommand::StatisticaRaport},
        {r, {QStringLiteral("Declaratia 112")}, MainCommand::Declaratia112},
        {u, {QStringLiteral("Verificare baza de date"), QStringLiteral("Verificare Suprafata din contract cu Suma parcelelor")},
         MainCommand::VerificareSuprafata},
        {u, {QStringLiteral("Muta Denumirea tarlalei la Act de proprietate")}, MainCommand::MutaDenumireaTarlalei},
        {u, {QStringLiteral("Condica de sugestii")}, MainCommand::CondicaSugestii},
        {u, {QStringLiteral("Istoricul modificarii datelor")}, MainCommand::IstoriculModificarilor},
    };
    for (const Entry &e : entries) {
        QAction *a = find(e.menu, e.path);
        ASSERT_NE(a, nullptr) << e.path.join(u'/').toStdString();
        f.commands.clear();
        a->trigger();
        EXPECT_EQ(f.commands, std::vector<MainCommand>{e.command}) << e.path.join(u'/').toStdString();
    }
    EXPECT_NE(find(u, {QStringLiteral("Salvare / Incarcare baza de date")}), nullptr);
}

TEST(TForm3, RunSessionLogsAsksForTheBackupAndCleansHelpFiles)
{
    MainFixture f;
    ogx::test::writeFile(f.tmp.path() + QStringLiteral("/Manual.pdf"), "x");
    ogx::test::writeFile(f.tmp.path() + QStringLiteral("/Pop3.pdf"), "x");
    f.form3->AdminButClick(); // full rights
    f.prompter.clear();
    f.prompter.answers = {ResultYes};
    whenShown(f.form3.get(), [&] { f.form3->button(QStringLiteral("IesireBut"))->click(); });
    EXPECT_TRUE(f.form3->RunSession());
    EXPECT_EQ(f.log, (QStringList{QStringLiteral("Pornire Contracte Ogorix"), QStringLiteral("Inchidere Contracte Ogorix")}));
    EXPECT_EQ(f.prompter.titles(), QStringList{QStringLiteral("Salvare Automata")});
    EXPECT_EQ(f.backups, 1);
    EXPECT_FALSE(QFileInfo::exists(f.tmp.path() + QStringLiteral("/Manual.pdf")));
    EXPECT_FALSE(QFileInfo::exists(f.tmp.path() + QStringLiteral("/Pop3.pdf")));

    // Escape closes; a no means no backup.
    f.prompter.clear();
    f.prompter.answers = {ResultNo};
    whenShown(f.form3.get(), [&] { QTest::keyClick(f.form3.get(), Qt::Key_Escape); });
    EXPECT_FALSE(f.form3->RunSession());
    EXPECT_EQ(f.backups, 1);
}

TEST(TForm3, NoBackupQuestionWithoutLoginOrAfterARestore)
{
    {
        MainFixture f;
        whenShown(f.form3.get(), [&] {
            QApplication::setActiveWindow(f.form3.get());
            if (!QTest::qWaitForWindowActive(f.form3.get()))
                f.form3->close(); // never hang: the failure shows below
            QTest::keyClick(f.form3.get(), Qt::Key_F12);
        });
        EXPECT_FALSE(f.form3->RunSession());
        EXPECT_TRUE(f.prompter.messages.empty());
    }
    {
        MainFixture f;
        f.form3->AdminButClick();
        f.prompter.clear();
        f.form3->openBackupWindow = [] { return true; };
        whenShown(f.form3.get(), [&] { f.form3->salvareAction()->trigger(); });
        EXPECT_FALSE(f.form3->RunSession());
        EXPECT_TRUE(f.prompter.messages.empty());
        EXPECT_FALSE(f.shown("ContracteBut"));
    }
}

TEST(TForm5, VerificaReturnsTheTextOtherwiseNothing)
{
    TForm5 login;
    EXPECT_EQ(login.windowTitle(), QStringLiteral("Autentificare"));
    EXPECT_EQ(login.input()->echoMode(), QLineEdit::Password);
    whenShown(&login, [&] {
        QTest::keyClicks(login.input(), QStringLiteral("abc"));
        QTest::keyClick(login.input(), Qt::Key_Return);
    });
    EXPECT_EQ(login.LoginQuery(), std::optional<QString>(QStringLiteral("abc")));
    // Shown empty again; Escape gives nothing.
    whenShown(&login, [&] {
        EXPECT_TRUE(login.input()->text().isEmpty());
        QTest::keyClick(&login, Qt::Key_Escape);
    });
    EXPECT_EQ(login.LoginQuery(), std::nullopt);
    // "&Verifica" with an empty input: an empty text (read-only rights).
    whenShown(&login, [&] { login.verificaButton()->click(); });
    EXPECT_EQ(login.LoginQuery(), std::optional<QString>(QString()));
}

TEST(TEditPassF, RefusesAnEmptyPasswordAndAcceptsTheCleanedText)
{
    ScriptedPrompter prompter;
    TEditPassF dialog(prompter);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Schimbare parola"));
    EXPECT_EQ(dialog.input()->maxLength(), 40);
    auto *memo = dialog.findChild<QPushButton *>(QStringLiteral("MemoBut"));
    whenShown(&dialog, [&] {
        dialog.input()->setText(QStringLiteral("   \"\" "));
        memo->click();
        EXPECT_TRUE(dialog.isVisible()) << "stays open";
        QTest::keyClicks(dialog.input(), QStringLiteral("  noua   parola "));
        memo->click();
    });
    EXPECT_TRUE(dialog.Execute());
    ASSERT_EQ(prompter.hints.size(), 1u);
    EXPECT_EQ(prompter.hints[0].text, QStringLiteral("Nu ati scris nicio parola!"));
    EXPECT_EQ(prompter.hints[0].control, QStringLiteral("Parola"));
    EXPECT_EQ(dialog.text(), QStringLiteral("NOUA PAROLA"));

    whenShown(&dialog, [&] {
        EXPECT_TRUE(dialog.input()->text().isEmpty());
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_FALSE(dialog.Execute());
}

#include "session/ui/LogViewU.h"
#include "session/ui/SessionWindows.h"

TEST(SessionWindows, WiresTheWindowsTogether)
{
    QTemporaryDir tmp;
    Workspace ws;
    ws.programDir = tmp.path();
    ws.dataDir = tmp.path() + QStringLiteral("/Data");
    ws.localDataDir = ws.dataDir;
    ws.machineDir = tmp.path();
    QDir().mkpath(ws.dataDir);
    AdminSettings admin;
    SessionState state;
    RecordingShellOpener shell;
    SessionWindows session(ws, admin, state, shell);
    session.erori.setBeep([] {});
    EXPECT_EQ(session.form3.logView, &session.logView);

    // The prompter is the message box.
    whenShown(&session.erori, [&] { session.erori.button(4)->click(); });
    EXPECT_EQ(session.prompter.Mesaj(QStringLiteral("T"), QStringLiteral("x"), 2, 4), 1);

    // A changed server path ends the run: the main window closes.
    const QString server = tmp.path() + QStringLiteral("/srv");
    QDir().mkpath(server);
    for (const char *t : {"Contract.dbf", "Parcele.dbf", "Plati2.dbf"})
        ogx::test::writeFile(server + u'/' + QLatin1String(t), "x");
    session.form4.browseFolder = [&](const QString &) { return server; };
    whenShown(&session.erori, [&] { session.erori.button(4)->click(); }); // "Conectat la server"
    whenShown(&session.form3, [&] { session.form4.ModServerClick(); });
    session.form3.RunSession();
    EXPECT_FALSE(session.form3.isVisible());
    EXPECT_EQ(session.erori.titleText(), QStringLiteral("Conectat la server"));
}
