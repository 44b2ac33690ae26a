// Saving, restoring, the automatic backup, the closing questions and working inside an
// archive, on small hand-made Data directories.
#include "BackupTestSupport.h"
#include "backup/Backup.h"
#include "datastore/Error.h"
#include "dbf/LockFile.h"

#include <QTemporaryDir>
#include <QThread>

#include <thread>

using namespace ogx;
using namespace ogx::test;
using namespace std::chrono_literals;

namespace {

using Files = QMap<QString, QByteArray>;

QByteArray detached(QByteArray tableBytes)
{
    tableBytes[28] = 0;
    return tableBytes;
}

class BackupService : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        ws.programDir = m_tmp.filePath(QStringLiteral("prog"));
        ws.dataDir = ws.localDataDir = ws.programDir + QStringLiteral("/Data");
        ws.tempDir = ws.programDir + QStringLiteral("/Temp");
        ws.machineDir = m_tmp.filePath(QStringLiteral("machine"));
        QDir().mkpath(ws.tempDir);
        contract = table(" 1 POPESCU ION         ARENDA   \n 2 IONESCU MARIA       ARENDA   ");
        parcele = table(" 1 T12 P34 1.2500");
        put(QStringLiteral("Contract.dbf"), contract);
        put(QStringLiteral("Contract.mdx"), "production index");
        put(QStringLiteral("Contract.dbt"), "memo text");
        put(QStringLiteral("PARCELE.DBF"), parcele);
        put(QStringLiteral("Parcele.MDX"), "index");
        put(QStringLiteral("Ogorix.set"), QByteArray()); // empty: neither saved nor kept
        put(QStringLiteral("Ogorix.lck"), QByteArray(32, '\x07'));
        put(QStringLiteral("Cen1.xls"), noise(3000, 1));
        put(QStringLiteral("sub/inside.txt"), "subdirectories stay out");
        original = tree(ws.dataDir);
    }

    void put(const QString &name, const QByteArray &bytes) { writeFile(ws.dataDir + u'/' + name, bytes); }
    QString path(const QString &name) const { return m_tmp.filePath(name); }
    BackupContext context() { return BackupContext{ws, prompter, progress, 300ms}; }

    // What a save of the fixture holds.
    Files savedData() const
    {
        return Files{{QStringLiteral("Cen1.xls"), original.value(QStringLiteral("Cen1.xls"))},
                     {QStringLiteral("Contract.dbf"), detached(contract)},
                     {QStringLiteral("Contract.dbt"), "memo text"},
                     {QStringLiteral("PARCELE.DBF"), detached(parcele)}};
    }

    Files unpacked(const QString &archive)
    {
        const QString into = path(QStringLiteral("check"));
        QDir(into).removeRecursively();
        QDir().mkpath(into);
        const ArchiveResult r = ReadArchive(archive, into);
        EXPECT_TRUE(r.ok) << r.error.toStdString();
        return tree(into);
    }

    void expectNoLeftovers()
    {
        EXPECT_EQ(tree(ws.tempDir), Files{});
        const QStringList stray = QDir(ws.programDir).entryList({QStringLiteral("SaveTmp*"), QStringLiteral("TmpSv*")});
        EXPECT_TRUE(stray.isEmpty()) << stray.join(u' ').toStdString();
        EXPECT_EQ(progress.open, 0);
    }

    QTemporaryDir m_tmp;
    Workspace ws;
    ScriptedPrompter prompter;
    RecordingProgress progress;
    QByteArray contract, parcele;
    Files original;
};

} // namespace

TEST_F(BackupService, SaveHoldsTheDataWithoutIndexesEngineFilesOrEmptyFiles)
{
    const QString target = path(QStringLiteral("out/copie.ogx"));
    QDir().mkpath(path(QStringLiteral("out")));
    ASSERT_TRUE(SaveBackup(context(), target));

    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Informatie"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rSalvare incheiata cu succes !"));
    EXPECT_EQ(prompter.shown[0].kind, Information);
    EXPECT_EQ(prompter.shown[0].buttons, ButtonOk);
    // Byte 28 cleared in the archive only; the live tables and their indexes are untouched.
    EXPECT_EQ(unpacked(target), savedData());
    EXPECT_EQ(tree(ws.dataDir), original);
    EXPECT_EQ(progress.captions, (QStringList{QStringLiteral("Pregatesc datele..."), QStringLiteral("Salvez datele...")}));
    expectNoLeftovers();
}

TEST_F(BackupService, RestoreReplacesTheDataAndKeepsThePreviousInDataBAK)
{
    const QString archive = path(QStringLiteral("copie.ogx"));
    ASSERT_TRUE(SaveBackup(context(), archive));
    prompter.shown.clear();

    // The data change after the save; an earlier restore left files in DataBAK.
    put(QStringLiteral("Contract.dbf"), table(" 1 CHANGED"));
    put(QStringLiteral("C12.rtf"), "a contract document");
    QFile::remove(ws.dataDir + QStringLiteral("/Cen1.xls"));
    const Files changed = tree(ws.dataDir);
    writeFile(BackupKeepDir(ws) + QStringLiteral("/old.txt"), "from the restore before");
    QDir().mkpath(BackupKeepDir(ws) + QStringLiteral("/keep"));

    // This program's own database holds the session lock until it is closed.
    dbf::LockFile own;
    ASSERT_TRUE(own.open(ws.lockPath().toStdString()));
    ASSERT_TRUE(own.lock(dbf::LockFile::kSession, dbf::LockFile::Mode::Shared, 0ms));
    QStringList events;
    const DatabaseSeam seam{[&] {
                                events << QStringLiteral("close");
                                own.unlock(dbf::LockFile::kSession);
                            },
                            [&] {
                                events << QStringLiteral("reopen");
                                EXPECT_TRUE(own.lock(dbf::LockFile::kSession, dbf::LockFile::Mode::Shared, 0ms));
                            }};
    ASSERT_TRUE(RestoreBackup(context(), archive, seam));

    EXPECT_EQ(events, (QStringList{QStringLiteral("close"), QStringLiteral("reopen")}));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Informatie"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("Restaurare incheiata cu succes !\r\nVa rog sa porniti programul din nou !"));
    Files expected = savedData();
    expected.insert(QStringLiteral("Ogorix.set"), {});                      // empty: stays
    expected.insert(QStringLiteral("Ogorix.lck"), QByteArray(32, '\x07')); // the engine's: stays
    expected.insert(QStringLiteral("sub/"), {});
    expected.insert(QStringLiteral("sub/inside.txt"), "subdirectories stay out");
    EXPECT_EQ(tree(ws.dataDir), expected);

    Files kept;
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        if (!it.key().startsWith(QLatin1String("sub")) && !it.key().startsWith(QLatin1String("Ogorix.")))
            kept.insert(it.key(), it.value());
    kept.insert(QStringLiteral("keep/"), {});
    EXPECT_EQ(tree(BackupKeepDir(ws)), kept);
    EXPECT_EQ(progress.captions.last(), QStringLiteral("Desfac baza de date..."));
    expectNoLeftovers();
}

TEST_F(BackupService, RestoreIsConfirmedFirst)
{
    prompter.answers = {ResultNo, ResultYes};
    EXPECT_FALSE(ConfirmRestore(prompter));
    EXPECT_TRUE(ConfirmRestore(prompter));
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Incarcare date"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("Prin preluarea datelor dintr-o salvare anterioara,\r"
                                                     "se sterg datele curente si sunt inlocuite cu cele din salvare!\r"
                                                     "Continuam operatiunea?"));
    EXPECT_EQ(prompter.shown[0].kind, Warning);
    EXPECT_EQ(prompter.shown[0].buttons, ButtonYes | ButtonNo);
}

TEST_F(BackupService, FailedRestoreLeavesTheDataUntouched)
{
    ASSERT_TRUE(SaveBackup(context(), path(QStringLiteral("good.ogx"))));
    const QByteArray good = readFile(path(QStringLiteral("good.ogx")));
    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"no member", le32(0)},
        {"truncated", good.left(good.size() / 2)},
        {"hostile name", le32(1) + member("../Contract.dbf", "evil")},
        {"only engine files", le32(1) + member("Ogorix.jnl", "journal")},
        {"empty file", QByteArray()},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        prompter.shown.clear();
        writeFile(path(QStringLiteral("bad.ogx")), c.bytes);
        bool closed = false;
        EXPECT_FALSE(RestoreBackup(context(), path(QStringLiteral("bad.ogx")), {[&] { closed = true; }, [] {}}));
        ASSERT_EQ(prompter.shown.size(), 1);
        EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Restaurare date"));
        EXPECT_EQ(prompter.shown[0].text, QStringLiteral("Restaurare esuata!"));
        EXPECT_EQ(prompter.shown[0].kind, ErrorKind);
        EXPECT_FALSE(closed);
        EXPECT_EQ(tree(ws.dataDir), original);
        EXPECT_FALSE(QFileInfo::exists(BackupKeepDir(ws)));
        EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("Contract.dbf"))));
        expectNoLeftovers();
    }
}

TEST_F(BackupService, RestoreNeedsTheOtherWorkstationsGone)
{
    ASSERT_TRUE(SaveBackup(context(), path(QStringLiteral("copie.ogx"))));
    prompter.shown.clear();
    put(QStringLiteral("Contract.dbf"), table(" 1 CHANGED"));
    const Files before = tree(ws.dataDir);

    dbf::LockFile otherWorkstation;
    ASSERT_TRUE(otherWorkstation.open(ws.lockPath().toStdString()));
    ASSERT_TRUE(otherWorkstation.lock(dbf::LockFile::kSession, dbf::LockFile::Mode::Shared, 0ms));
    QStringList events;
    EXPECT_FALSE(RestoreBackup(context(), path(QStringLiteral("copie.ogx")),
                               {[&] { events << QStringLiteral("close"); }, [&] { events << QStringLiteral("reopen"); }}));

    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Incarcare date"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rAlte calculatoare lucreaza acum cu baza de date!\r"
                                                     "Inchideti programul pe celelalte calculatoare si reluati incarcarea."));
    EXPECT_EQ(events, (QStringList{QStringLiteral("close"), QStringLiteral("reopen")}));
    EXPECT_EQ(tree(ws.dataDir), before);
    expectNoLeftovers();
}

TEST_F(BackupService, SaveTargetRules)
{
    // The Data directory itself, whatever the case of its letters.
    EXPECT_FALSE(SaveBackup(context(), ws.dataDir.toUpper() + QStringLiteral("/copie.ogx")));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Salvare date"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rNu puteti salva aici!"));
    EXPECT_EQ(tree(ws.dataDir), original);

    // An existing archive is replaced only after a yes, and then by exactly the new one.
    const QString target = path(QStringLiteral("copie.ogx"));
    writeFile(target, "an older archive");
    prompter.shown.clear();
    prompter.answers = {ResultNo};
    EXPECT_FALSE(SaveBackup(context(), target));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Atentionare"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rVreti sa inlocuiti salvarea ") + target + u'?');
    EXPECT_EQ(prompter.shown[0].kind, Warning);
    EXPECT_EQ(prompter.shown[0].buttons, ButtonYes | ButtonNo);
    EXPECT_EQ(readFile(target), "an older archive");

    prompter.answers = {ResultYes};
    EXPECT_TRUE(SaveBackup(context(), target));
    EXPECT_EQ(unpacked(target), savedData());
    EXPECT_EQ(QDir(m_tmp.path()).entryList(QDir::Files), QStringList{QStringLiteral("copie.ogx")});
    expectNoLeftovers();
}

TEST_F(BackupService, AFailedSaveKeepsTheOlderArchive)
{
    const QString target = path(QStringLiteral("copie.ogx"));
    writeFile(target, "an older archive");
    put(QStringLiteral("Raport: 2026.xls"), "a name an archive cannot hold");
    prompter.answers = {ResultYes};
    EXPECT_THROW(SaveBackup(context(), target), Error);
    EXPECT_EQ(readFile(target), "an older archive");
    EXPECT_EQ(prompter.titles(), QStringList{QStringLiteral("Atentionare")}); // no success message
    expectNoLeftovers();
}

TEST_F(BackupService, TheCopyWaitsForCommitsOfOtherPrograms)
{
    const QString target = path(QStringLiteral("copie.ogx"));
    dbf::LockFile writer;
    ASSERT_TRUE(writer.open(ws.lockPath().toStdString()));

    // A writer that keeps committing: no copy is taken.
    ASSERT_TRUE(writer.lock(dbf::LockFile::kDb, dbf::LockFile::Mode::Exclusive, 0ms));
    EXPECT_THROW(SaveBackup(context(), target), Error);
    EXPECT_FALSE(QFileInfo::exists(target));
    expectNoLeftovers();

    // A writer that finishes its commit: the copy holds the committed table.
    const QByteArray committed = table(" 1 COMMITTED");
    std::thread commit([&] {
        std::this_thread::sleep_for(300ms);
        put(QStringLiteral("Contract.dbf"), committed);
        writer.unlock(dbf::LockFile::kDb);
    });
    BackupContext patient = context();
    patient.lockTimeout = 20s;
    const bool saved = SaveBackup(patient, target);
    commit.join();
    ASSERT_TRUE(saved);
    EXPECT_EQ(unpacked(target).value(QStringLiteral("Contract.dbf")), detached(committed));

    // A commit that never finished (its journal is still there): no copy either.
    put(QStringLiteral("Ogorix.jnl"), "journal");
    prompter.answers = {ResultYes};
    EXPECT_THROW(SaveBackup(context(), target), Error);
    expectNoLeftovers();
}

TEST_F(BackupService, NothingToSave)
{
    QDir(ws.dataDir).removeRecursively();
    put(QStringLiteral("Ogorix.set"), QByteArray());
    put(QStringLiteral("Ogorix.lck"), "counters");
    put(QStringLiteral("Contract.mdx"), "an index alone");
    EXPECT_FALSE(MakeBackupFile(context(), path(QStringLiteral("x.sav"))));
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Salvare"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("Nu pot scrie pe harddisk!!"));
    EXPECT_FALSE(QFileInfo::exists(path(QStringLiteral("x.sav"))));
    expectNoLeftovers();
}

TEST_F(BackupService, DetachIndexFile)
{
    const QString dir = path(QStringLiteral("copy"));
    writeFile(dir + QStringLiteral("/Contract.dbf"), contract);
    writeFile(dir + QStringLiteral("/CONTRACT.MDX"), "index");
    writeFile(dir + QStringLiteral("/Other.mdx"), "another table's index");
    writeFile(dir + QStringLiteral("/short.dbf"), "0123456789");
    DetachIndexFile(dir + QStringLiteral("/Contract.dbf"));
    DetachIndexFile(dir + QStringLiteral("/short.dbf"));
    DetachIndexFile(dir + QStringLiteral("/missing.dbf"));
    EXPECT_EQ(tree(dir), (Files{{QStringLiteral("Contract.dbf"), detached(contract)},
                                {QStringLiteral("Other.mdx"), "another table's index"},
                                {QStringLiteral("short.dbf"), "0123456789"}}));
}

TEST_F(BackupService, TwoAutomaticBackupsOnOneDay)
{
    const QString folder = path(QStringLiteral("Salvari_Ogorix/deep"));
    const QDate day(2026, 3, 8);
    const AutomaticBackupResult first = RunAutomaticBackup(context(), ClosingBackup::Copy, folder, day);
    const AutomaticBackupResult second = RunAutomaticBackup(context(), ClosingBackup::Copy, folder, day);
    EXPECT_TRUE(first.written);
    EXPECT_TRUE(second.written);
    EXPECT_EQ(first.target, folder + QStringLiteral("/08032026_0.ogx"));
    EXPECT_EQ(second.target, folder + QStringLiteral("/08032026_1.ogx"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files), (QStringList{QStringLiteral("08032026_0.ogx"), QStringLiteral("08032026_1.ogx")}));
    EXPECT_EQ(unpacked(second.target), savedData());
    EXPECT_TRUE(prompter.shown.isEmpty());
    expectNoLeftovers();

    // A folder that cannot be made.
    writeFile(path(QStringLiteral("file")), "a file where the folder should be");
    const AutomaticBackupResult failed = RunAutomaticBackup(context(), ClosingBackup::Copy, path(QStringLiteral("file/sub")), day);
    EXPECT_FALSE(failed.written);
    ASSERT_EQ(prompter.shown.size(), 1);
    EXPECT_EQ(prompter.shown[0].title, QStringLiteral("Salvare automata"));
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rEroare la salvare!"));
    EXPECT_EQ(prompter.shown[0].kind, ErrorKind);
}

TEST_F(BackupService, ClosingQuestions)
{
    enum Mode { Local, Network, InBackup };
    const QString folder = path(QStringLiteral("Salvari"));
    const struct {
        const char *what;
        Mode mode;
        bool loggedIn;
        QString folder;
        QList<int> answers;
        ClosingBackup expected;
        QStringList asked;
    } cases[] = {
        {"local, yes", Local, true, folder, {ResultYes}, ClosingBackup::Copy, {QStringLiteral("Salvare Automata")}},
        {"local, no", Local, true, folder, {ResultNo}, ClosingBackup::None, {QStringLiteral("Salvare Automata")}},
        {"backups off", Local, true, QStringLiteral("-"), {}, ClosingBackup::None, {}},
        {"no backup folder", Local, true, QString(), {}, ClosingBackup::None, {}},
        {"never logged in", Local, false, folder, {}, ClosingBackup::None, {}},
        {"network mode", Network, true, folder, {}, ClosingBackup::None, {}},
        {"backup mode, save", InBackup, true, folder, {ResultYes}, ClosingBackup::WriteBack, {QStringLiteral("Salvare modificari")}},
        {"backup mode, a copy instead", InBackup, true, folder, {ResultNo, ResultYes}, ClosingBackup::Copy,
         {QStringLiteral("Salvare modificari"), QStringLiteral("Salvare Automata")}},
        {"backup mode, nothing", InBackup, true, QStringLiteral("-"), {ResultNo}, ClosingBackup::None,
         {QStringLiteral("Salvare modificari")}},
        {"backup mode, never logged in", InBackup, false, folder, {}, ClosingBackup::None, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        Workspace w = ws;
        if (c.mode == Network)
            w.dataDir = path(QStringLiteral("server"));
        if (c.mode == InBackup)
            w.openedBackup = path(QStringLiteral("Copie.ogx"));
        for (const char *leftover : {"Manual.pdf", "Pop1.pdf", "Pop7.pdf", "Pop8.pdf"})
            writeFile(w.programFile(QString::fromLatin1(leftover)), "help");
        prompter.shown.clear();
        prompter.answers = c.answers;
        EXPECT_EQ(DecideClosingBackup(w, c.loggedIn, c.folder, prompter), c.expected);
        EXPECT_EQ(prompter.titles(), c.asked);
        EXPECT_TRUE(prompter.answers.isEmpty());
        EXPECT_EQ(QDir(w.programDir).entryList({QStringLiteral("*.pdf")}), QStringList{QStringLiteral("Pop8.pdf")});
    }
    prompter.shown.clear();
    prompter.answers = {ResultNo, ResultNo};
    Workspace w = ws;
    w.openedBackup = path(QStringLiteral("Copie.ogx"));
    DecideClosingBackup(w, true, folder, prompter);
    ASSERT_EQ(prompter.shown.size(), 2);
    EXPECT_EQ(prompter.shown[0].text, QStringLiteral("\rDoriti sa salvati modificarile ?"));
    EXPECT_EQ(prompter.shown[1].text, QStringLiteral("\rDoriti sa facem o copie la datele de azi?"));
    EXPECT_EQ(prompter.shown[1].kind, Confirmation);
    EXPECT_EQ(prompter.shown[1].buttons, ButtonYes | ButtonNo);
}

TEST_F(BackupService, WorkingInsideAnArchiveAndWritingItBack)
{
    QDir().mkpath(path(QStringLiteral("arhive")));
    const QString archive = path(QStringLiteral("arhive/Copie.OGX"));
    ASSERT_TRUE(SaveBackup(context(), archive));
    EXPECT_TRUE(IsBackupArchiveArgument(archive));
    EXPECT_FALSE(IsBackupArchiveArgument(path(QStringLiteral("arhive/missing.ogx"))));
    writeFile(path(QStringLiteral("arhive/Copie.zip")), "x");
    EXPECT_FALSE(IsBackupArchiveArgument(path(QStringLiteral("arhive/Copie.zip"))));
    EXPECT_FALSE(StartBackupMode(ws, path(QStringLiteral("arhive/Copie.zip")), progress).has_value());

    const std::optional<BackupModeStart> start = StartBackupMode(ws, archive, progress);
    ASSERT_TRUE(start.has_value());
    const Workspace &w = start->workspace;
    EXPECT_TRUE(start->unpack.ok);
    EXPECT_EQ(w.programDir, ws.tempDir + QStringLiteral("/DIR0"));
    EXPECT_EQ(w.dataDir, w.programDir + QStringLiteral("/Data"));
    EXPECT_EQ(w.localDataDir, w.dataDir);
    EXPECT_EQ(w.tempDir, w.programDir + QStringLiteral("/Tmp"));
    EXPECT_TRUE(QFileInfo(w.tempDir).isDir());
    EXPECT_EQ(w.openedBackup, archive);
    EXPECT_TRUE(w.backupMode());
    EXPECT_EQ(tree(w.dataDir), savedData());
    EXPECT_EQ(progress.captions.last(), QStringLiteral("Deschid baza de date..."));

    // Changes made in the working copy go back into the archive; the working folder goes.
    writeFile(w.dataFile(QStringLiteral("Contract.dbf")), table(" 1 CHANGED IN THE ARCHIVE"));
    writeFile(w.dataFile(QStringLiteral("C1.rtf")), "{\\rtf1 document}");
    const Files changed = tree(w.dataDir);
    bool closed = false;
    prompter.shown.clear();
    const AutomaticBackupResult r = RunAutomaticBackup(BackupContext{w, prompter, progress, 300ms}, ClosingBackup::WriteBack,
                                                       QStringLiteral("-"), QDate(2026, 3, 8), [&] { closed = true; });
    EXPECT_TRUE(r.written);
    EXPECT_EQ(r.target, archive);
    EXPECT_TRUE(closed);
    EXPECT_TRUE(prompter.shown.isEmpty());
    Files expected = changed;
    expected[QStringLiteral("Contract.dbf")] = detached(changed.value(QStringLiteral("Contract.dbf")));
    EXPECT_EQ(unpacked(archive), expected);
    EXPECT_FALSE(QFileInfo::exists(w.programDir));
    EXPECT_EQ(QDir(path(QStringLiteral("arhive"))).entryList(QDir::Files), (QStringList{QStringLiteral("Copie.OGX"), QStringLiteral("Copie.zip")}));
}

TEST_F(BackupService, AFailedWriteBackKeepsTheArchiveAndTheWorkingFolder)
{
    const QString archive = path(QStringLiteral("Copie.ogx"));
    ASSERT_TRUE(SaveBackup(context(), archive));
    const QByteArray before = readFile(archive);
    const std::optional<BackupModeStart> start = StartBackupMode(ws, archive, progress);
    ASSERT_TRUE(start.has_value());
    const Workspace &w = start->workspace;
    writeFile(w.dataFile(QStringLiteral("Raport: 1.xls")), "a name an archive cannot hold");
    prompter.shown.clear();
    const AutomaticBackupResult r = RunAutomaticBackup(BackupContext{w, prompter, progress, 300ms}, ClosingBackup::WriteBack,
                                                       QStringLiteral("-"), QDate(2026, 3, 8));
    EXPECT_FALSE(r.written);
    EXPECT_EQ(prompter.titles(), QStringList{QStringLiteral("Salvare automata")});
    EXPECT_EQ(readFile(archive), before);
    EXPECT_TRUE(QFileInfo(w.dataDir).isDir());
    EXPECT_EQ(progress.open, 0);
}

TEST_F(BackupService, ADamagedArchiveOpensWithTheMembersBeforeTheDamage)
{
    const QString archive = path(QStringLiteral("Damaged.ogx"));
    const QByteArray second = member("Contract.dbf", noise(5000, 9));
    writeFile(archive, le32(2) + member("Cen1.xls", "template") + second.left(second.size() - 10));
    const std::optional<BackupModeStart> start = StartBackupMode(ws, archive, progress);
    ASSERT_TRUE(start.has_value());
    EXPECT_FALSE(start->unpack.ok);
    EXPECT_EQ(tree(start->workspace.dataDir), (Files{{QStringLiteral("Cen1.xls"), "template"}}));
}
