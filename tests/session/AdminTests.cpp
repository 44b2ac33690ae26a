// The administration window driven through its object with a scripted Prompter.

#include "datastore/Settings.h"
#include "session/AdminPassword.h"
#include "session/ui/AdministrareU.h"
#include "widgets/NumberEdit.h"

#include "ScriptedPrompter.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QComboBox>
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

struct AdminFixture {
    QTemporaryDir tmp;
    Workspace ws;
    AdminSettings settings;
    ScriptedPrompter prompter;
    RecordingShellOpener shell;
    std::unique_ptr<TForm4> form;
    int beeps = 0;
    int ended = 0;
    int installs = 0;
    QString browsed; // what the folder browser answers

    AdminFixture()
    {
        ws.programDir = tmp.path();
        ws.dataDir = tmp.path() + QStringLiteral("/Data");
        ws.localDataDir = ws.dataDir;
        ws.tempDir = tmp.path() + QStringLiteral("/Temp");
        ws.machineDir = tmp.path() + QStringLiteral("/machine");
        QDir().mkpath(ws.dataDir);
        QDir().mkpath(ws.machineDir);
        QDir().mkpath(tmp.path() + QStringLiteral("/home"));
        form = std::make_unique<TForm4>(ws, settings, prompter, shell);
        form->home = tmp.path() + QStringLiteral("/home");
        form->beep = [this] { ++beeps; };
        form->endApplication = [this] { ++ended; };
        form->browseFolder = [this](const QString &) { return browsed; };
        form->installTemplates = [this] {
            ++installs;
            for (const TemplateEntry &t : TForm4::templates())
                if (!QFileInfo::exists(ws.dataFile(t.file)))
                    ogx::test::writeFile(ws.dataFile(t.file), "shipped");
        };
        form->LoadAdminSettings();
    }
    Settings s() const { return Settings(ws); }
    template <class T> T *child(const char *name) { return form->findChild<T *>(QLatin1String(name)); }
};

} // namespace

TEST(TForm4, LoadsShowsAndStoresTheUnitAndConstants)
{
    AdminFixture f;
    EXPECT_EQ(f.form->windowTitle(), QStringLiteral("Administrare program"));
    EXPECT_EQ(f.child<QComboBox>("TipLoc")->currentText(), QStringLiteral("COMUNA"));
    EXPECT_EQ(f.child<QComboBox>("Judet")->count(), 42);
    EXPECT_EQ(f.child<QComboBox>("Judet")->currentText(), QStringLiteral("ALBA"));
    EXPECT_EQ(f.child<NumberEdit>("Cassp")->value(), 5.5);
    EXPECT_EQ(f.child<NumberEdit>("BazaC")->value(), 60);
    EXPECT_EQ(f.child<NumberEdit>("Impozit")->value(), 10);
    EXPECT_EQ(f.child<NumberEdit>("SalarMin")->text(), QStringLiteral("3300"));
    EXPECT_EQ(f.child<NumberEdit>("PretGrau")->value(), 1);
    EXPECT_EQ(f.child<QLabel>("CaleServer")->text(), QStringLiteral("-"));
    EXPECT_EQ(f.child<QLabel>("CaleSalvari")->text(), f.tmp.path() + QStringLiteral("/home/Salvari_Ogorix"));

    // Typing in capitals, then "&Memoreaza" stores and closes.
    f.form->show();
    auto *comuna = f.child<QLineEdit>("Comuna");
    comuna->setFocus();
    QTest::keyClicks(comuna, QStringLiteral("valea  \"mare\""));
    EXPECT_EQ(comuna->text(), QStringLiteral("VALEA  \"MARE\""));
    f.child<QComboBox>("Judet")->setCurrentIndex(9);
    f.child<QComboBox>("TipLoc")->setCurrentIndex(1);
    f.child<NumberEdit>("Impozit")->setText(QStringLiteral("12.5"));
    f.child<QPushButton>("MemoBut")->click();
    EXPECT_FALSE(f.form->isVisible());
    EXPECT_EQ(f.s().ReadSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA")), QStringLiteral("VALEA MARE"));
    EXPECT_EQ(f.s().ReadSetting(QStringLiteral("CONST"), QStringLiteral("JUDET")), QStringLiteral("9"));
    EXPECT_EQ(f.s().ReadSetting(QStringLiteral("CONST"), QStringLiteral("TIPLOC")), QStringLiteral("1"));
    EXPECT_EQ(f.s().ReadSetting(QStringLiteral("CONST"), QStringLiteral("IMPOZIT")), QStringLiteral("12.5"));
    EXPECT_EQ(f.settings.county(), QStringLiteral("BUZAU"));
    EXPECT_DOUBLE_EQ(f.settings.impozit, 12.5);

    // "&Renunt" stores nothing, but the typed values stay in force for the run.
    f.form->show();
    f.child<NumberEdit>("Cassp")->setText(QStringLiteral("10"));
    f.child<QPushButton>("CloseBut")->click();
    EXPECT_DOUBLE_EQ(f.settings.cassp, 10);
    EXPECT_EQ(f.s().ReadSetting(QStringLiteral("CONST"), QStringLiteral("CASSP")), QStringLiteral("5.5"));
}

TEST(TForm4, PasswordChangePaths)
{
    AdminFixture f;
    auto *p1 = f.child<QLineEdit>("Parola1");
    auto *p2 = f.child<QLineEdit>("Parola2");
    EXPECT_EQ(p1->echoMode(), QLineEdit::Password);
    EXPECT_EQ(p1->maxLength(), 32);

    // Different texts: the error, one more beep, nothing stored.
    p1->setText(QStringLiteral("abc"));
    p2->setText(QStringLiteral("abd"));
    f.form->SchimbaParolaClick();
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].title, QStringLiteral("Eroare la completare"));
    EXPECT_EQ(f.prompter.messages[0].text, QStringLiteral("Nu ati scris parola noua la fel in cele doua casute !"));
    EXPECT_EQ(f.prompter.messages[0].kind, 1);
    EXPECT_EQ(f.beeps, 1);
    EXPECT_FALSE(HasAdminPassword(f.s()));

    // Same texts, typed and confirmed with Enter in the second input.
    f.prompter.clear();
    f.form->show();
    QApplication::setActiveWindow(f.form.get());
    ASSERT_TRUE(QTest::qWaitForWindowActive(f.form.get()));
    p1->clear();
    p2->clear();
    p1->setFocus();
    QTest::keyClicks(p1, QStringLiteral("Abc"));
    QTest::keyClick(p1, Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), p2);
    QTest::keyClicks(p2, QStringLiteral("Abc"));
    QTest::keyClick(p2, Qt::Key_Return);
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].title, QStringLiteral("Confirmare"));
    EXPECT_EQ(f.prompter.messages[0].text, QStringLiteral("Parola a fost schimbata cu succes!"));
    EXPECT_EQ(f.prompter.messages[0].kind, 2);
    EXPECT_TRUE(p1->text().isEmpty());
    EXPECT_TRUE(p2->text().isEmpty());
    EXPECT_EQ(f.s().ReadSetting(QStringLiteral("INIT"), QStringLiteral("WIN")), CodeazaStr(QStringLiteral("Abc")).trimmed());
    EXPECT_TRUE(VerifyAdminPassword(f.s(), QStringLiteral("Abc")));
    EXPECT_TRUE(f.form->isVisible()) << "the window stays open";

    // Both empty: the question; no keeps the password, yes removes it.
    f.prompter.clear();
    f.prompter.answers = {ResultNo};
    f.form->SchimbaParolaClick();
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].text, QStringLiteral("ATENTIE !\r\nDoriti sa dezactivati parola de administrator?"));
    EXPECT_EQ(f.prompter.messages[0].kind, 0);
    EXPECT_EQ(f.prompter.messages[0].buttons, 3);
    EXPECT_TRUE(HasAdminPassword(f.s()));
    f.prompter.answers = {ResultYes};
    f.form->SchimbaParolaClick();
    EXPECT_FALSE(HasAdminPassword(f.s()));
    f.form->hide();
}

TEST(TForm4, ServerPathIsRefusedUnlessItHoldsTheTablesAndEndsTheRunWhenChanged)
{
    AdminFixture f;
    // The local Data directory, typed with other letters.
    f.browsed = f.ws.dataDir.toUpper() + u'/';
    f.form->ModServerClick();
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].title, QStringLiteral("Selectare Cale salvari"));
    EXPECT_EQ(f.prompter.messages[0].text, QStringLiteral("Baza de date nu poate fi cea locala!"));

    const QString server = f.tmp.path() + QStringLiteral("/srv");
    QDir().mkpath(server);
    ogx::test::writeFile(server + QStringLiteral("/Contract.dbf"), "x");
    ogx::test::writeFile(server + QStringLiteral("/Parcele.dbf"), "x");
    f.prompter.clear();
    f.browsed = server;
    f.form->ModServerClick();
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].title, QStringLiteral("Conectare server"));
    EXPECT_EQ(f.prompter.messages[0].text,
              QStringLiteral("Baza de date ") + server + QStringLiteral("\rNU este corecta!\rVerificati ce-ati ales!"));
    EXPECT_EQ(f.s().ReadMachineSetting(QStringLiteral("SERVER")), QString());
    EXPECT_EQ(f.ended, 0);

    // Cancelled browser: nothing.
    f.prompter.clear();
    f.browsed.clear();
    f.form->ModServerClick();
    EXPECT_TRUE(f.prompter.messages.empty());

    ogx::test::writeFile(server + QStringLiteral("/Plati2.dbf"), "x");
    f.browsed = server + u'/';
    f.form->show();
    f.form->ModServerClick();
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].title, QStringLiteral("Conectat la server"));
    EXPECT_EQ(f.s().ReadMachineSetting(QStringLiteral("SERVER")), server);
    EXPECT_EQ(f.child<QLabel>("CaleServer")->text(), server);
    EXPECT_FALSE(f.form->isVisible());
    EXPECT_EQ(f.ended, 1);

    // Deleting it: a question, then "  -", the setting emptied and the run ended.
    f.prompter.clear();
    f.prompter.answers = {ResultNo};
    f.form->StergServerClick();
    EXPECT_EQ(f.s().ReadMachineSetting(QStringLiteral("SERVER")), server);
    f.prompter.answers = {ResultYes};
    f.form->StergServerClick();
    EXPECT_EQ(f.prompter.titles(),
              (QStringList{QStringLiteral("Stergere cale server"), QStringLiteral("Stergere cale server"),
                           QStringLiteral("Deconectat de la server")}));
    EXPECT_EQ(f.child<QLabel>("CaleServer")->text(), QStringLiteral("  -"));
    EXPECT_EQ(f.s().ReadMachineSetting(QStringLiteral("SERVER")), QString());
    EXPECT_EQ(f.ended, 2);

    // Nothing left to delete: the hint on the path and nothing else.
    f.prompter.clear();
    f.form->StergServerClick();
    EXPECT_TRUE(f.prompter.messages.empty());
    ASSERT_EQ(f.prompter.hints.size(), 1u);
    EXPECT_EQ(f.prompter.hints[0].text, QStringLiteral("Nu aveti ce sterge."));
    EXPECT_EQ(f.prompter.hints[0].control, QStringLiteral("CaleServer"));
    EXPECT_EQ(f.ended, 2);
}

TEST(TForm4, BackupFolderChangeNeedsLocalWorkAndAWritableFolder)
{
    AdminFixture f;
    const QString before = f.s().ReadMachineSetting(QStringLiteral("CALESALVARI"));

    // Network mode: refused before any browsing.
    f.ws.dataDir = f.tmp.path() + QStringLiteral("/srv");
    f.browsed = f.tmp.path();
    f.form->ModSalvariClick();
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].title, QStringLiteral("Salvare Automata"));
    EXPECT_EQ(f.prompter.messages[0].text, QStringLiteral("Numai Serverul poate salva automat!"));
    f.ws.dataDir = f.ws.localDataDir;

    // A folder that cannot be written.
    f.prompter.clear();
    const QString bad = f.tmp.path() + QStringLiteral("/missing/folder");
    f.browsed = bad;
    f.form->ModSalvariClick();
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].title, QStringLiteral("Stabilire cale salvari"));
    EXPECT_EQ(f.prompter.messages[0].text,
              QStringLiteral("Nu pot scrie in ") + bad + QStringLiteral(" !\rAlegeti alta cale, unde sa pot scrie!"));
    EXPECT_EQ(f.s().ReadMachineSetting(QStringLiteral("CALESALVARI")), before);

    // A good one.
    f.prompter.clear();
    const QString good = f.tmp.path() + QStringLiteral("/copii");
    QDir().mkpath(good);
    f.browsed = good + u'/';
    f.form->ModSalvariClick();
    ASSERT_EQ(f.prompter.messages.size(), 1u);
    EXPECT_EQ(f.prompter.messages[0].text, QStringLiteral("Calea pentru Salvari Automate este acum \r") + good + u'.');
    EXPECT_EQ(f.s().ReadMachineSetting(QStringLiteral("CALESALVARI")), good);
    EXPECT_EQ(f.settings.backupFolder, good);
    EXPECT_FALSE(QFileInfo::exists(good + QStringLiteral("/test.txt")));

    // Deleting: "-" stored, then the hint when it is already off.
    f.prompter.clear();
    f.prompter.answers = {ResultYes};
    f.form->StergSalvariClick();
    EXPECT_EQ(f.s().ReadMachineSetting(QStringLiteral("CALESALVARI")), QStringLiteral("-"));
    EXPECT_EQ(f.child<QLabel>("CaleSalvari")->text(), QStringLiteral("-"));
    EXPECT_FALSE(f.settings.automaticBackupOn());
    EXPECT_EQ(f.prompter.titles(), (QStringList{QStringLiteral("Stergere cale salvari"), QStringLiteral("Salvare Automata")}));
    f.prompter.clear();
    f.form->StergSalvariClick();
    EXPECT_TRUE(f.prompter.messages.empty());
    ASSERT_EQ(f.prompter.hints.size(), 1u);
    EXPECT_EQ(f.prompter.hints[0].text, QStringLiteral("Salvarea automata este deja dezactivata."));
    EXPECT_EQ(f.prompter.hints[0].control, QStringLiteral("CaleSalvari"));
}

TEST(TForm4, TemplatesAreOpenedAndRestored)
{
    AdminFixture f;
    QMenu *menu = f.form->templatesMenu();
    ASSERT_EQ(menu->actions().size(), 7);
    EXPECT_EQ(menu->actions()[0]->text(), QStringLiteral("Contract de Arenda"));
    ASSERT_TRUE(menu->actions()[0]->menu());
    EXPECT_EQ(menu->actions()[0]->menu()->actions()[0]->text(), QStringLiteral("Modifica Modelul"));
    EXPECT_EQ(menu->actions()[0]->menu()->actions()[1]->text(), QStringLiteral("Refa Modelul initial"));

    const TemplateEntry &tabNom = TForm4::templates()[2];
    const QString path = f.ws.dataFile(QStringLiteral("TabNom.xls"));
    // Missing: installed, then opened.
    f.form->ModificaModelul(tabNom);
    EXPECT_EQ(f.installs, 1);
    EXPECT_EQ(f.shell.opened, QStringList{path});
    // Present: opened as it is.
    ogx::test::writeFile(path, "edited");
    f.form->ModificaModelul(tabNom);
    EXPECT_EQ(f.installs, 1);
    EXPECT_EQ(ogx::test::readFile(path), QByteArray("edited"));

    // Restoring while another program has it open: refused, the file unchanged.
    ogx::test::writeFile(f.ws.dataFile(QStringLiteral(".~lock.TabNom.xls#")), "lock");
    f.prompter.answers = {ResultYes};
    f.form->RefaModelulInitial(tabNom);
    EXPECT_EQ(f.prompter.titles(), (QStringList{QStringLiteral("Refacere model listare"), QStringLiteral("Refacere model initial")}));
    EXPECT_EQ(f.prompter.messages[1].text, QStringLiteral("\rModelul indicat este Deschis!\rInchideti-l si reincercati!"));
    EXPECT_EQ(ogx::test::readFile(path), QByteArray("edited"));
    QFile::remove(f.ws.dataFile(QStringLiteral(".~lock.TabNom.xls#")));

    // No: nothing. Yes: the shipped file again, opened.
    f.prompter.clear();
    f.shell.opened.clear();
    f.prompter.answers = {ResultNo};
    f.form->RefaModelulInitial(tabNom);
    EXPECT_EQ(ogx::test::readFile(path), QByteArray("edited"));
    f.prompter.answers = {ResultYes};
    f.form->RefaModelulInitial(tabNom);
    EXPECT_EQ(ogx::test::readFile(path), QByteArray("shipped"));
    EXPECT_EQ(f.shell.opened, QStringList{path});
}
