// The backup window and the end-of-run backup, driven through their objects with a
// scripted message box and scripted file dialogs, on real tables in a temporary Data
// directory.
#include "BackupTestSupport.h"
#include "backup/Backup.h"
#include "backup/ui/ArchiveFileDialogs.h"
#include "backup/ui/SalvareU.h"
#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Schema.h"
#include "datastore/ShellOpener.h"
#include "session/ui/AdministrareU.h"
#include "session/ui/MainU.h"
#include "widgets/FlatToolButton.h"

#include <QAction>
#include <QApplication>
#include <QKeyEvent>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <memory>
#include <optional>

using namespace ogx;
using namespace ogx::test;
using namespace std::chrono_literals;

namespace {

// Answers the file dialogs from a script; records what they were asked with.
class ScriptedDialogs final : public ArchiveFileDialogs {
public:
    QStringList saves, opens; // chosen paths in order; empty string: cancelled
    QStringList asked;        // "<title>|<filter>" of every dialog shown

    QString saveArchive(QWidget *, const QString &title, const QString &filter, const QString &suffix) override
    {
        asked << title + u'|' + filter + u'|' + suffix;
        if (saves.isEmpty()) {
            ADD_FAILURE() << "unexpected save dialog";
            return {};
        }
        return saves.takeFirst();
    }
    QString openArchive(QWidget *, const QString &title, const QString &filter) override
    {
        asked << title + u'|' + filter;
        if (opens.isEmpty()) {
            ADD_FAILURE() << "unexpected open dialog";
            return {};
        }
        return opens.takeFirst();
    }
};

// Runs `action` once `w` is on screen (for modal windows); never leaves a test hanging.
void whenShown(QWidget *w, std::function<void()> action)
{
    auto *timer = new QTimer;
    timer->setInterval(10);
    auto tries = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [w, timer, action, tries] {
        if (w->isVisible() || ++*tries > 500) {
            timer->stop();
            timer->deleteLater();
            if (w->isVisible())
                action();
        }
    });
    timer->start();
}

QStringList memberNames(const QString &archive)
{
    const ArchiveResult r = ListArchive(archive);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    QStringList names;
    for (const ArchiveMember &m : r.members)
        names << m.name;
    return names;
}

class BackupWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        ws.programDir = tmp.filePath(QStringLiteral("prog"));
        ws.dataDir = ws.localDataDir = ws.programDir + QStringLiteral("/Data");
        ws.tempDir = ws.programDir + QStringLiteral("/Temp");
        ws.machineDir = tmp.filePath(QStringLiteral("machine"));
        for (const QString &d : {ws.dataDir, ws.tempDir, ws.machineDir})
            QDir().mkpath(d);
        openDatabase();
        CreateTables(*db);
        addContract(1, QStringLiteral("POPESCU ION"));
        addContract(2, QStringLiteral("IONESCU MARIA"));
        makeWindow();
    }
    void TearDown() override
    {
        window.reset();
        db.reset();
    }

    void makeWindow()
    {
        window = std::make_unique<TForm21>(BackupContext{ws, prompter, progress, 300ms}, dialogs);
        window->database = DatabaseSeam{[this] { db.reset(); }, [this] { openDatabase(); }};
    }
    void openDatabase() { db.emplace(ws); }
    void addContract(int id, const QString &name)
    {
        db->exec(QStringLiteral("INSERT INTO Contract (IDCON, NRCON, NUME1) VALUES (?, ?, ?)"), {id, id, name});
    }
    QStringList lessors()
    {
        const ResultSet r = db->query(QStringLiteral("SELECT NUME1 FROM Contract ORDER BY IDCON"));
        QStringList out;
        for (int i = 0; i < r.rowCount(); ++i)
            out << r.text(i, 0);
        return out;
    }
    QString path(const QString &name) const { return tmp.filePath(name); }
    QString dataFile(const QString &name) const { return ws.dataDir + u'/' + name; }
    // The save command on a chosen file, outside the window's modal run.
    void save(const QString &target)
    {
        dialogs.saves << target;
        window->SaveButClick();
    }

    QTemporaryDir tmp;
    Workspace ws;
    ScriptedPrompter prompter;
    RecordingProgress progress;
    ScriptedDialogs dialogs;
    std::optional<Database> db;
    std::unique_ptr<TForm21> window;
};

} // namespace

TEST_F(BackupWindow, ThreeButtonsAndWhenTheyAct)
{
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Copie - inlocuieste baza de date"));
    const QList<QPushButton *> buttons{window->saveBut(), window->loadBut(), window->servBut()};
    const QStringList names{QStringLiteral("SaveBut"), QStringLiteral("LoadBut"), QStringLiteral("ServBut")};
    const QStringList captions{QStringLiteral("Salveaza o copie a datelor"), QStringLiteral("Incarca o salvare anterioara"),
                               QStringLiteral("Copie / Recupereaza date la Distanta")};
    window->show();
    QApplication::processEvents();
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(buttons[i]->objectName(), names[i]);
        EXPECT_EQ(buttons[i]->text(), captions[i]);
        if (i > 0) { // top to bottom in this order
            EXPECT_GT(buttons[i]->y(), buttons[i - 1]->y());
        }
    }
    window->hide();

    // Shown from the main window: Escape closes it; the remote button waits for the
    // remote backup window; the restore is off inside an opened archive.
    whenShown(window.get(), [&] {
        EXPECT_TRUE(window->loadBut()->isEnabled());
        EXPECT_FALSE(window->servBut()->isEnabled());
        QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QApplication::sendEvent(window.get(), &escape);
    });
    EXPECT_FALSE(window->ShowBackupWindow());
    EXPECT_FALSE(window->isVisible());

    int remoteOpened = 0;
    window->openRemoteBackup = [&] {
        EXPECT_FALSE(window->isVisible()); // hidden before the remote window opens
        ++remoteOpened;
    };
    ws.openedBackup = path(QStringLiteral("lucru.ogx"));
    whenShown(window.get(), [&] {
        EXPECT_FALSE(window->loadBut()->isEnabled());
        EXPECT_TRUE(window->servBut()->isEnabled());
        window->servBut()->click();
    });
    EXPECT_FALSE(window->ShowBackupWindow());
    EXPECT_EQ(remoteOpened, 1);
    EXPECT_TRUE(prompter.shown.isEmpty());
    EXPECT_TRUE(dialogs.asked.isEmpty());
}

TEST_F(BackupWindow, SaveWritesTheChosenArchiveAndOffersTheRemoteCopy)
{
    QStringList sent;
    window->sendToRemote = [&](const QString &p) { sent << p; };
    const QString target = path(QStringLiteral("copii/azi.ogx"));
    QDir().mkpath(path(QStringLiteral("copii")));
    dialogs.saves << target;
    prompter.answers << ResultYes; // "Copie la Distanta"
    whenShown(window.get(), [&] { window->saveBut()->click(); });
    EXPECT_FALSE(window->ShowBackupWindow()); // the window closed after the save
    EXPECT_FALSE(window->isVisible());

    EXPECT_EQ(dialogs.asked, QStringList{QStringLiteral("Unde salvam datele ?|Arhiva Contracte Ogorix (*.ogx)|ogx")});
    const QStringList members = memberNames(target);
    for (const char *table : {"Contract.dbf", "Parcele.dbf", "Plati2.dbf", "Log.dbf"})
        EXPECT_TRUE(members.contains(QLatin1String(table), Qt::CaseInsensitive)) << table << " missing";
    for (const QString &m : members)
        EXPECT_FALSE(m.endsWith(QLatin1String(".mdx"), Qt::CaseInsensitive)) << m.toStdString();

    // The archived tables hold the data: unpacked elsewhere they read back.
    Workspace other = ws;
    other.programDir = path(QStringLiteral("other"));
    other.dataDir = other.localDataDir = other.programDir + QStringLiteral("/Data");
    QDir().mkpath(other.dataDir);
    ASSERT_TRUE(ReadArchive(target, other.dataDir).ok);
    {
        Database copy(other);
        const ResultSet r = copy.query(QStringLiteral("SELECT NUME1 FROM Contract ORDER BY IDCON"));
        ASSERT_EQ(r.rowCount(), 2);
        EXPECT_EQ(r.text(1, 0), QStringLiteral("IONESCU MARIA"));
    }

    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Informatie"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rSalvare incheiata cu succes !"));
    EXPECT_EQ(prompter.shown[1].title, QStringLiteral("Copie la Distanta"));
    EXPECT_EQ(prompter.shown[1].text, QStringLiteral("\rDoriti sa transmiteti salvarea si pe Server?"));
    EXPECT_EQ(prompter.shown[1].kind, Confirmation);
    EXPECT_EQ(sent, QStringList{target});
    EXPECT_EQ(progress.open, 0);
    EXPECT_EQ(tree(ws.tempDir), (QMap<QString, QByteArray>{}));
}

TEST_F(BackupWindow, RefusedTargetsKeepTheWindowAndTheFile)
{
    const QString existing = path(QStringLiteral("veche.ogx"));
    writeFile(existing, "old archive");

    // A replacement not wanted: the old file stays, no success message, no remote offer.
    window->sendToRemote = [](const QString &) { ADD_FAILURE() << "nothing to send"; };
    prompter.answers << ResultNo;
    save(existing);
    EXPECT_EQ(readFile(existing), QByteArray("old archive"));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Atentionare"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rVreti sa inlocuiti salvarea ") + existing + u'?');
    EXPECT_EQ(prompter.shown[0].buttons, ButtonYes | ButtonNo);

    // The Data directory itself, in other letter case: refused before anything is asked.
    prompter.shown.clear();
    QString inData = ws.dataDir;
    inData.replace(QStringLiteral("/Data"), QStringLiteral("/DATA"));
    save(inData + QStringLiteral("/aici.ogx"));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Salvare date"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rNu puteti salva aici!"));
    EXPECT_FALSE(QFileInfo::exists(dataFile(QStringLiteral("aici.ogx"))));

    // A cancelled dialog does nothing.
    prompter.shown.clear();
    save(QString());
    EXPECT_TRUE(prompter.shown.isEmpty());

    // Yes replaces it with exactly the new archive.
    prompter.answers << ResultYes << ResultNo;
    save(existing);
    EXPECT_TRUE(memberNames(existing).contains(QStringLiteral("Contract.dbf"), Qt::CaseInsensitive));
    EXPECT_EQ(prompter.titles(), (QStringList{QStringLiteral("Atentionare"), QStringLiteral("Informatie"),
                                              QStringLiteral("Copie la Distanta")}));
}

TEST_F(BackupWindow, RestoreReplacesTheDataAndKeepsTheOldOnes)
{
    const QString archive = path(QStringLiteral("inainte.ogx"));
    save(archive);
    addContract(3, QStringLiteral("DUPA SALVARE"));
    db->exec(QStringLiteral("UPDATE Contract SET NUME1 = ? WHERE IDCON = 1"), {QStringLiteral("SCHIMBAT")});
    const QByteArray before = readFile(db->tablePath(QStringLiteral("Contract")));
    prompter.shown.clear();

    dialogs.opens << archive;
    prompter.answers << ResultYes; // "Incarcare date"
    whenShown(window.get(), [&] { window->loadBut()->click(); });
    EXPECT_TRUE(window->ShowBackupWindow());
    EXPECT_TRUE(window->restored());
    EXPECT_FALSE(window->isVisible());

    EXPECT_EQ(dialogs.asked.last(),
              QStringLiteral("Indicati salvarea precedenta Contracte Ogorix|Salvare Contracte Ogorix (*.ogx)"));
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Incarcare date"));
    EXPECT_EQ(prompter.shown[0].text,
              QStringLiteral("Prin preluarea datelor dintr-o salvare anterioara,\rse sterg datele curente si sunt "
                             "inlocuite cu cele din salvare!\rContinuam operatiunea?"));
    EXPECT_EQ(prompter.shown[0].kind, Warning);
    EXPECT_EQ(prompter.shown[1].title, QStringLiteral("Informatie"));
    EXPECT_EQ(prompter.shown[1].text,
              QStringLiteral("Restaurare incheiata cu succes !\r\nVa rog sa porniti programul din nou !"));

    // The database was opened again on the restored tables.
    ASSERT_TRUE(db.has_value());
    EXPECT_EQ(lessors(), (QStringList{QStringLiteral("POPESCU ION"), QStringLiteral("IONESCU MARIA")}));
    EXPECT_EQ(readFile(BackupKeepDir(ws) + QStringLiteral("/") + QFileInfo(db->tablePath(QStringLiteral("Contract"))).fileName()),
              before);

    // Shown again, the flag starts cleared.
    whenShown(window.get(), [&] { window->close(); });
    EXPECT_FALSE(window->ShowBackupWindow());
}

TEST_F(BackupWindow, DamagedArchiveLeavesTheDataAndTheFlag)
{
    const QString archive = path(QStringLiteral("stricata.ogx"));
    save(archive);
    QByteArray bytes = readFile(archive);
    bytes.truncate(bytes.size() - 40); // the last member's stream ends early
    writeFile(archive, bytes);
    addContract(3, QStringLiteral("DUPA SALVARE"));
    const QMap<QString, QByteArray> data = tree(ws.dataDir);
    prompter.shown.clear();

    // Declined question and cancelled dialog: nothing happens.
    prompter.answers << ResultNo;
    window->LoadButClick();
    prompter.answers << ResultYes;
    dialogs.opens << QString();
    window->LoadButClick();
    EXPECT_EQ(prompter.titles(), (QStringList{QStringLiteral("Incarcare date"), QStringLiteral("Incarcare date")}));
    prompter.shown.clear();

    dialogs.opens << archive;
    prompter.answers << ResultYes;
    whenShown(window.get(), [&] { window->loadBut()->click(); });
    EXPECT_FALSE(window->ShowBackupWindow());
    EXPECT_FALSE(window->restored());
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[1].title, QStringLiteral("Restaurare date"));
    EXPECT_EQ(prompter.shown[1].text, QStringLiteral("Restaurare esuata!"));
    EXPECT_EQ(prompter.shown[1].kind, ErrorKind);
    EXPECT_EQ(tree(ws.dataDir), data);
    ASSERT_TRUE(db.has_value());
    EXPECT_EQ(lessors().size(), 3);
    EXPECT_TRUE(tree(BackupKeepDir(ws)).isEmpty());
    EXPECT_EQ(progress.open, 0);
}

namespace {

// The main window with the backup connected, as the start-up wires it.
class EndOfRun : public BackupWindow {
protected:
    void SetUp() override
    {
        BackupWindow::SetUp();
        admin.backupFolder = path(QStringLiteral("Salvari"));
        makeMain();
    }
    void TearDown() override
    {
        form3.reset();
        form4.reset();
        BackupWindow::TearDown();
    }
    void makeMain()
    {
        form3.reset();
        form4 = std::make_unique<TForm4>(ws, admin, prompter, shell);
        form3 = std::make_unique<TForm3>(ws, admin, state, prompter, *form4);
        form3->writeLog = [this](const QString &t) { log << t; };
        connectBackup(*form3, *window, [this] { return admin.backupFolder; }, clock);
    }
    void login()
    {
        prompter.answers.clear();
        form3->AdminButClick(); // no password: a warning, then full rights
        ASSERT_TRUE(state.loggedIn);
        prompter.shown.clear();
    }
    // One run of the main window, closed at once by the user.
    bool runAndClose()
    {
        whenShown(form3.get(), [this] { form3->close(); });
        return form3->RunSession();
    }
    QStringList backups() const { return QDir(admin.backupFolder).entryList(QDir::Files, QDir::Name); }

    AdminSettings admin;
    SessionState state;
    RecordingShellOpener shell;
    SystemClock clock{QDate(2026, 3, 8)};
    std::unique_ptr<TForm4> form4;
    std::unique_ptr<TForm3> form3;
    QStringList log;
};

} // namespace

TEST_F(EndOfRun, AutomaticBackupsOfOneDayAreNumbered)
{
    login();
    prompter.answers << ResultYes; // "Salvare Automata"
    EXPECT_TRUE(runAndClose());
    prompter.answers << ResultYes;
    EXPECT_TRUE(runAndClose());

    EXPECT_EQ(backups(), (QStringList{QStringLiteral("08032026_0.ogx"), QStringLiteral("08032026_1.ogx")}));
    for (const QString &name : backups())
        EXPECT_TRUE(memberNames(admin.backupFolder + u'/' + name).contains(QStringLiteral("Contract.dbf"), Qt::CaseInsensitive));
    // One question per run, never a second one for the same decision; no remote offer
    // while no remote window is connected.
    EXPECT_EQ(prompter.titles(), (QStringList{QStringLiteral("Salvare Automata"), QStringLiteral("Salvare Automata")}));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rDoriti sa facem o copie la datele de azi?"));
    EXPECT_EQ(log.last(), QStringLiteral("Inchidere Contracte Ogorix"));

    // A no: nothing written. With a remote window connected, the copy is offered.
    prompter.answers << ResultNo;
    EXPECT_FALSE(runAndClose());
    QStringList sent;
    window->sendToRemote = [&](const QString &p) { sent << p; };
    prompter.answers << ResultYes << ResultYes;
    EXPECT_TRUE(runAndClose());
    EXPECT_EQ(backups().size(), 3);
    EXPECT_EQ(sent, QStringList{admin.backupFolder + QStringLiteral("/08032026_2.ogx")});
    EXPECT_EQ(tree(ws.tempDir), (QMap<QString, QByteArray>{}));
}

TEST_F(EndOfRun, NoBackupWithoutLoginInNetworkModeOrWhenOff)
{
    struct Case {
        const char *name;
        bool login;
        bool network;
        const char *folder; // empty: the fixture's folder
    };
    const Case cases[] = {
        {"not logged in", false, false, ""},
        {"network mode", true, true, ""},
        {"automatic backups off", true, false, "-"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        state = SessionState{};
        admin.backupFolder = *c.folder ? QString::fromLatin1(c.folder) : path(QStringLiteral("Salvari"));
        ws.localDataDir = c.network ? path(QStringLiteral("local/Data")) : ws.dataDir;
        makeMain();
        if (c.login)
            login();
        prompter.shown.clear();
        EXPECT_FALSE(runAndClose());
        EXPECT_TRUE(prompter.shown.isEmpty());
        EXPECT_TRUE(backups().isEmpty());
    }
}

TEST_F(EndOfRun, RestoreEndsTheRunWithoutABackup)
{
    const QString archive = path(QStringLiteral("inainte.ogx"));
    save(archive);
    addContract(3, QStringLiteral("DUPA SALVARE"));
    login();

    dialogs.opens << archive;
    prompter.answers << ResultYes; // "Incarcare date"; no backup question may follow
    whenShown(form3.get(), [this] {
        whenShown(window.get(), [this] { window->loadBut()->click(); });
        form3->salvareAction()->trigger();
    });
    EXPECT_FALSE(form3->RunSession());
    EXPECT_FALSE(form3->isVisible());
    EXPECT_TRUE(form3->button(QStringLiteral("ContracteBut"))->isHidden());
    EXPECT_EQ(prompter.titles(), (QStringList{QStringLiteral("Incarcare date"), QStringLiteral("Informatie")}));
    EXPECT_TRUE(backups().isEmpty());
    ASSERT_TRUE(db.has_value());
    EXPECT_EQ(lessors().size(), 2);
}

TEST_F(EndOfRun, InsideAnArchiveTheAnswerChoosesTheTarget)
{
    // Work inside an archive of the current data.
    const QString opened = path(QStringLiteral("lucru.ogx"));
    save(opened);
    const QByteArray original = readFile(opened);
    ws.openedBackup = opened;
    addContract(3, QStringLiteral("MODIFICARE"));
    makeMain();
    login();

    // No to writing the changes back, yes to a dated copy: the opened archive stays.
    prompter.answers << ResultNo << ResultYes;
    EXPECT_TRUE(runAndClose());
    EXPECT_EQ(prompter.titles(), (QStringList{QStringLiteral("Salvare modificari"), QStringLiteral("Salvare Automata")}));
    EXPECT_EQ(readFile(opened), original);
    EXPECT_EQ(backups(), QStringList{QStringLiteral("08032026_0.ogx")});
    EXPECT_TRUE(QFileInfo::exists(ws.programDir));

    // Yes to writing back: the opened archive holds the change, the working folder goes.
    prompter.shown.clear();
    prompter.answers << ResultYes;
    EXPECT_TRUE(runAndClose());
    EXPECT_EQ(prompter.titles(), QStringList{QStringLiteral("Salvare modificari")});
    EXPECT_EQ(backups().size(), 1);
    EXPECT_NE(readFile(opened), original);
    EXPECT_FALSE(db.has_value()); // closed before the working folder was removed
    EXPECT_FALSE(QFileInfo::exists(ws.programDir));
    const QString check = path(QStringLiteral("check"));
    QDir().mkpath(check);
    ASSERT_TRUE(ReadArchive(opened, check).ok);
    Workspace back = ws;
    back.openedBackup.clear();
    back.dataDir = back.localDataDir = check;
    Database reopened(back);
    EXPECT_EQ(reopened.query(QStringLiteral("SELECT NUME1 FROM Contract WHERE IDCON = 3")).text(0, 0),
              QStringLiteral("MODIFICARE"));
}
