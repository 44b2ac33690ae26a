#include "backup/Backup.h"

#include "backup/DataFiles.h"
#include "datastore/Error.h"
#include "datastore/Helpers.h"
#include "dbf/LockFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtDebug>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <system_error>

namespace ogx {

namespace {

const QString kPrepare = QStringLiteral("Pregatesc datele...");
const QString kSaving = QStringLiteral("Salvez datele...");
const QString kUnpacking = QStringLiteral("Desfac baza de date...");
const QString kOpening = QStringLiteral("Deschid baza de date...");

// Runs a clean-up when the scope is left, exceptions included.
template <typename F>
class Finally {
public:
    explicit Finally(F f) : m_f(std::move(f)) {}
    ~Finally() { if (m_armed) m_f(); }
    Finally(const Finally &) = delete;
    Finally &operator=(const Finally &) = delete;
    void dismiss() { m_armed = false; }

private:
    F m_f;
    bool m_armed = true;
};

// One progress window phase: shown on first use, hidden when the phase ends.
class ProgressPhase {
public:
    ProgressPhase(Progress &progress, QString caption) : m_progress(progress), m_caption(std::move(caption)) {}
    ~ProgressPhase() { hide(); }

    void show(int maximum)
    {
        if (!m_shown)
            m_progress.ContorShow(m_caption, maximum);
        m_shown = true;
    }
    void step() { m_progress.ContorStep(); }
    void hide()
    {
        if (m_shown)
            m_progress.ContorHide();
        m_shown = false;
    }
    ArchiveProgress callback()
    {
        return [this](int index, int count) {
            if (index == 0 || !m_shown)
                show(count);
            else
                step();
        };
    }

private:
    Progress &m_progress;
    QString m_caption;
    bool m_shown = false;
};

std::filesystem::path fsPath(const QString &path)
{
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString fileName(const QString &path) { return QFileInfo(path).fileName(); }

bool sameDirectory(const QString &a, const QString &b)
{
    if (a.isEmpty() || b.isEmpty())
        return false;
    const QString ca = QDir::cleanPath(QFileInfo(a).absoluteFilePath());
    const QString cb = QDir::cleanPath(QFileInfo(b).absoluteFilePath());
    if (ca.compare(cb, Qt::CaseInsensitive) == 0)
        return true;
    // The same folder reached through a link.
    const QString ra = QFileInfo(a).canonicalFilePath();
    const QString rb = QFileInfo(b).canonicalFilePath();
    return !ra.isEmpty() && ra.compare(rb, Qt::CaseInsensitive) == 0;
}

// Detaches the index of every table of a copy; false when the copy holds nothing to save.
bool prepareCopy(const QString &copyDir)
{
    const QStringList files = ListArchivableFiles(copyDir);
    for (const QString &path : files)
        if (IsTableFile(fileName(path)))
            DetachIndexFile(path);
    return !files.isEmpty();
}

void writeArchiveShowing(Progress &progress, const QString &archivePath, const QString &copyDir)
{
    ProgressPhase phase(progress, kSaving);
    WriteArchive(archivePath, copyDir, phase.callback());
}

} // namespace

QString BackupKeepDir(const Workspace &ws) { return ws.programDir + QStringLiteral("/DataBAK"); }

QString CopyDataToTemp(const BackupContext &ctx, const QString &dataDir)
{
    const QString copyDir = MakeTempDir(ctx.ws, QStringLiteral("SaveRA"));
    if (copyDir.isEmpty())
        throw Error(QStringLiteral("Unable to create directory"));
    Finally removeCopy([&copyDir] { DeletePath(copyDir); });

    // Hold the database's read lock while copying: a commit of another program is then
    // either wholly in the copy or not at all.
    dbf::LockFile lockFile;
    if (!lockFile.open(QFile::encodeName(dataDir + QStringLiteral("/Ogorix.lck")).toStdString()))
        throw Error(QStringLiteral("Nu pot bloca baza de date %1: %2")
                        .arg(QDir::toNativeSeparators(dataDir), QString::fromStdString(lockFile.error())));
    dbf::ScopedLock readLock(lockFile, dbf::LockFile::kDb, dbf::LockFile::Mode::Shared, ctx.lockTimeout);
    if (!readLock.locked())
        throw Error(QStringLiteral("Baza de date este ocupata: alt calculator salveaza modificari. Incercati din nou."));
    // A journal found while holding the lock belongs to a commit that never finished; the
    // tables may be half-written until the database rolls it back.
    if (QFileInfo::exists(dataDir + QStringLiteral("/Ogorix.jnl")))
        throw Error(QStringLiteral("O modificare a bazei de date nu s-a incheiat. Porniti programul din nou, "
                                   "apoi reluati salvarea."));

    const QStringList files = ListArchivableFiles(dataDir);
    if (files.isEmpty())
        return {};
    for (const QString &path : files)
        if (!IsStorableFileName(fileName(path)))
            throw Error(QStringLiteral("Nu pot salva %1: numele fisierului nu poate fi pastrat intr-o salvare")
                            .arg(QDir::toNativeSeparators(path)));
    ProgressPhase phase(ctx.progress, kPrepare);
    phase.show(int(files.size()));
    for (const QString &path : files) {
        const QString target = copyDir + u'/' + fileName(path);
        if (!QFile::copy(path, target))
            throw Error(QStringLiteral("Nu pot copia %1 in %2")
                            .arg(QDir::toNativeSeparators(path), QDir::toNativeSeparators(copyDir)));
        phase.step();
    }
    removeCopy.dismiss();
    return copyDir;
}

void DetachIndexFile(const QString &tableFile)
{
    QFile file(tableFile);
    if (!file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        return;
    // Byte 28 of a dBase header: "a production index exists". A file too short to be a
    // table is not lengthened.
    if (file.size() > 28 && file.seek(28))
        file.write("\0", 1);
    file.close();
    const QFileInfo fi(tableFile);
    const QString indexName = fi.fileName().chopped(4) + QStringLiteral(".mdx");
    const QDir dir = fi.absoluteDir();
    const QStringList entries = dir.entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString &entry : entries)
        if (entry.compare(indexName, Qt::CaseInsensitive) == 0)
            QFile::remove(dir.filePath(entry));
}

bool MakeBackupFile(const BackupContext &ctx, const QString &archivePath)
{
    const QString copyDir = CopyDataToTemp(ctx, ctx.ws.dataDir);
    if (copyDir.isEmpty()) {
        ctx.prompter.Mesaj(QStringLiteral("Salvare"), QStringLiteral("Nu pot scrie pe harddisk!!"), ErrorKind, ButtonOk);
        return false;
    }
    Finally removeCopy([&copyDir] { DeletePath(copyDir); });
    if (!prepareCopy(copyDir))
        return false;
    writeArchiveShowing(ctx.progress, archivePath, copyDir);
    return true;
}

bool SaveBackup(const BackupContext &ctx, const QString &target)
{
    const QFileInfo targetInfo(target);
    const QString targetDir = targetInfo.absolutePath();
    if (sameDirectory(targetDir, ctx.ws.dataDir) || sameDirectory(targetDir, ctx.ws.localDataDir)) {
        ctx.prompter.Mesaj(QStringLiteral("Salvare date"), QStringLiteral("\rNu puteti salva aici!"), ErrorKind, ButtonOk);
        return false;
    }
    if (targetInfo.exists()
        && ctx.prompter.Mesaj(QStringLiteral("Atentionare"), QStringLiteral("\rVreti sa inlocuiti salvarea ") + target + u'?',
                              Warning, ButtonYes | ButtonNo)
            != ResultYes)
        return false;

    const QString copyDir = CopyDataToTemp(ctx, ctx.ws.dataDir);
    if (copyDir.isEmpty()) {
        ctx.prompter.Mesaj(QStringLiteral("Salvare"), QStringLiteral("\rNu pot scrie pe harddisk!!"), ErrorKind, ButtonOk);
        return false;
    }
    Finally removeCopy([&copyDir] { DeletePath(copyDir); });
    if (!prepareCopy(copyDir))
        return false;

    const QString temporary = MakeTempName(ctx.ws, QStringLiteral("SaveTmp"), QStringLiteral(".tmp"));
    if (temporary.isEmpty())
        throw Error(QStringLiteral("Nu pot crea un fisier temporar in %1").arg(QDir::toNativeSeparators(ctx.ws.programDir)));
    Finally removeTemporary([&temporary] { QFile::remove(temporary); });
    writeArchiveShowing(ctx.progress, temporary, copyDir);
    // The old archive is replaced only by a complete new one.
    if (!ReplaceFile(temporary, target))
        throw Error(QStringLiteral("Nu pot scrie %1").arg(QDir::toNativeSeparators(target)));

    ctx.prompter.Mesaj(QStringLiteral("Informatie"), QStringLiteral("\rSalvare incheiata cu succes !"), Information, ButtonOk);
    return true;
}

bool ConfirmRestore(Prompter &prompter)
{
    return prompter.Mesaj(QStringLiteral("Incarcare date"),
                          QStringLiteral("Prin preluarea datelor dintr-o salvare anterioara,\r"
                                         "se sterg datele curente si sunt inlocuite cu cele din salvare!\r"
                                         "Continuam operatiunea?"),
                          Warning, ButtonYes | ButtonNo)
        == ResultYes;
}

bool RestoreBackup(const BackupContext &ctx, const QString &archivePath, const DatabaseSeam &db)
{
    const QString unpackDir = MakeTempDir(ctx.ws, QStringLiteral("GST"));
    if (unpackDir.isEmpty()) {
        ctx.prompter.Mesaj(QStringLiteral("Incarcare date"), QStringLiteral("\rNu pot scrie pe harddisk!"), ErrorKind, ButtonOk);
        return false;
    }
    Finally removeUnpacked([&unpackDir] { DeletePath(unpackDir); });
    ProgressPhase phase(ctx.progress, kUnpacking);
    auto failed = [&ctx, &phase] {
        phase.hide();
        ctx.prompter.Mesaj(QStringLiteral("Restaurare date"), QStringLiteral("Restaurare esuata!"), ErrorKind, ButtonOk);
        return false;
    };

    // Unpack aside first: a damaged archive must not cost a single file of the data.
    const ArchiveResult unpacked = ReadArchive(archivePath, unpackDir, phase.callback());
    QStringList incoming = ListDataFiles(unpackDir);
    incoming.removeIf([](const QString &p) { return IsEngineFile(fileName(p)); });
    if (!unpacked.ok || incoming.isEmpty()) {
        if (!unpacked.ok)
            qWarning("restore of %s: %s", qPrintable(archivePath), qPrintable(unpacked.error));
        return failed();
    }

    // The tables are replaced under every workstation: only with all of them gone, this
    // program's own database included.
    if (db.closeDatabase)
        db.closeDatabase();
    Finally reopen([&db] {
        if (db.reopenDatabase)
            db.reopenDatabase();
    });
    dbf::LockFile lockFile;
    if (!lockFile.open(QFile::encodeName(ctx.ws.lockPath()).toStdString())) {
        qWarning("restore: %s", lockFile.error().c_str());
        return failed();
    }
    dbf::ScopedLock session(lockFile, dbf::LockFile::kSession, dbf::LockFile::Mode::Exclusive,
                            std::min(ctx.lockTimeout, std::chrono::milliseconds(2000)));
    std::unique_ptr<dbf::ScopedLock> writeLock;
    if (session.locked())
        writeLock = std::make_unique<dbf::ScopedLock>(lockFile, dbf::LockFile::kDb, dbf::LockFile::Mode::Exclusive,
                                                      ctx.lockTimeout);
    if (!session.locked() || !writeLock->locked()) {
        phase.hide();
        ctx.prompter.Mesaj(QStringLiteral("Incarcare date"),
                           QStringLiteral("\rAlte calculatoare lucreaza acum cu baza de date!\r"
                                          "Inchideti programul pe celelalte calculatoare si reluati incarcarea."),
                           ErrorKind, ButtonOk);
        return false;
    }

    // Keep the current data in "DataBAK" (emptied of the previous restore's files first).
    const QString keepDir = BackupKeepDir(ctx.ws);
    if (!QDir().mkpath(keepDir))
        return failed();
    {
        const QFileInfoList old = QDir(keepDir).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
        for (const QFileInfo &fi : old)
            QFile::remove(fi.filePath());
    }
    struct Move {
        QString from, to;
    };
    QList<Move> keptAway;
    QStringList placed, emptied;
    auto undo = [&] {
        for (const QString &p : placed)
            QFile::remove(p);
        for (const QString &p : emptied) {
            QFile f(p);
            f.open(QIODevice::WriteOnly);
        }
        for (auto it = keptAway.crbegin(); it != keptAway.crend(); ++it)
            ReplaceFile(it->to, it->from);
    };
    const QStringList current = ListDataFiles(ctx.ws.dataDir);
    for (const QString &path : current) {
        const QString name = fileName(path);
        if (name.compare(QLatin1String("Ogorix.lck"), Qt::CaseInsensitive) == 0)
            continue; // the lock file stays: the locks just taken live on it
        const QString kept = keepDir + u'/' + name;
        if (!ReplaceFile(path, kept)) {
            undo();
            return failed();
        }
        keptAway.append({path, kept});
    }
    for (const QString &path : incoming) {
        const QString target = ctx.ws.dataDir + u'/' + fileName(path);
        const QFileInfo existing(target);
        const bool wasEmpty = existing.exists() && existing.isFile() && existing.size() == 0;
        if (!ReplaceFile(path, target)) {
            undo();
            return failed();
        }
        (wasEmpty ? emptied : placed).append(target);
    }
    writeLock.reset();
    lockFile.unlock(dbf::LockFile::kSession);
    lockFile.close();
    phase.hide();
    reopen.dismiss();
    if (db.reopenDatabase)
        db.reopenDatabase();
    ctx.prompter.Mesaj(QStringLiteral("Informatie"),
                       QStringLiteral("Restaurare incheiata cu succes !\r\nVa rog sa porniti programul din nou !"),
                       Information, ButtonOk);
    return true;
}

ArchiveResult OpenBackupForWork(const QString &archivePath, const QString &dataDir, Progress &progress)
{
    ProgressPhase phase(progress, kOpening);
    ArchiveResult result = ReadArchive(archivePath, dataDir, phase.callback());
    if (!result.ok)
        qWarning("backup %s: %s", qPrintable(archivePath), qPrintable(result.error));
    return result;
}

bool IsBackupArchiveArgument(const QString &path)
{
    return !path.isEmpty() && QFileInfo(path).isFile() && path.endsWith(QLatin1String(".ogx"), Qt::CaseInsensitive);
}

std::optional<BackupModeStart> StartBackupMode(const Workspace &ws, const QString &archivePath, Progress &progress)
{
    if (!IsBackupArchiveArgument(archivePath))
        return std::nullopt;
    const QString work = MakeTempDir(ws, QStringLiteral("DIR"));
    if (work.isEmpty())
        throw Error(QStringLiteral("Nu pot crea directorul de lucru in %1").arg(QDir::toNativeSeparators(ws.tempDir)));
    BackupModeStart start;
    start.workspace = ws;
    Workspace &w = start.workspace;
    w.programDir = work;
    w.dataDir = w.localDataDir = work + QStringLiteral("/Data");
    w.tempDir = work + QStringLiteral("/Tmp");
    w.openedBackup = QFileInfo(archivePath).absoluteFilePath();
    for (const QString &dir : {w.dataDir, w.tempDir})
        if (!QDir().mkpath(dir))
            throw Error(QStringLiteral("Nu pot crea directorul %1").arg(QDir::toNativeSeparators(dir)));
    start.unpack = OpenBackupForWork(w.openedBackup, w.dataDir, progress);
    return start;
}

ClosingBackup DecideClosingBackup(const Workspace &ws, bool loggedIn, const QString &backupFolder, Prompter &prompter)
{
    ClosingBackup decision = ClosingBackup::None;
    if (ws.backupMode() && loggedIn
        && prompter.Mesaj(QStringLiteral("Salvare modificari"), QStringLiteral("\rDoriti sa salvati modificarile ?"),
                          Confirmation, ButtonYes | ButtonNo)
            == ResultYes) {
        decision = ClosingBackup::WriteBack;
    } else if (loggedIn && !ws.networkMode() && backupFolder.trimmed() != QLatin1String("-")
               && !backupFolder.trimmed().isEmpty()
               && prompter.Mesaj(QStringLiteral("Salvare Automata"),
                                 QStringLiteral("\rDoriti sa facem o copie la datele de azi?"), Confirmation,
                                 ButtonYes | ButtonNo)
                   == ResultYes) {
        // In backup mode too this is a dated copy: the user has just declined to write the
        // changes back into the archive they opened.
        decision = ClosingBackup::Copy;
    }
    QFile::remove(ws.programFile(QStringLiteral("Manual.pdf")));
    for (int n = 1; n <= 7; ++n)
        QFile::remove(ws.programFile(QStringLiteral("Pop%1.pdf").arg(n)));
    return decision;
}

QString AutomaticBackupName(const QString &folder, const QDate &day)
{
    const QString stem = folder + u'/' + day.toString(QStringLiteral("ddMMyyyy")) + u'_';
    for (int n = 0;; ++n) {
        const QString candidate = stem + QString::number(n) + QStringLiteral(".ogx");
        const QFileInfo fi(candidate);
        if (!fi.exists() && !fi.isSymLink())
            return candidate;
    }
}

AutomaticBackupResult RunAutomaticBackup(const BackupContext &ctx, ClosingBackup kind, const QString &backupFolder,
                                         const QDate &today, const std::function<void()> &closeDatabase)
{
    AutomaticBackupResult result;
    if (kind == ClosingBackup::None)
        return result;
    auto failed = [&ctx, &result] {
        ctx.prompter.Mesaj(QStringLiteral("Salvare automata"), QStringLiteral("\rEroare la salvare!"), ErrorKind, ButtonOk);
        return result;
    };

    QString target;
    if (kind == ClosingBackup::WriteBack) {
        if (!ctx.ws.backupMode())
            return failed();
        target = ctx.ws.openedBackup;
    } else {
        const QString folder = backupFolder.trimmed();
        if (!QDir().mkpath(folder))
            return failed();
        target = AutomaticBackupName(folder, today);
    }
    const QString temporary = MakeTempName(ctx.ws, QStringLiteral("TmpSv"), QStringLiteral(".sav"));
    if (temporary.isEmpty())
        return failed();
    Finally removeTemporary([&temporary] { QFile::remove(temporary); });

    bool written = false;
    try {
        written = MakeBackupFile(ctx, temporary) && ReplaceFile(temporary, target);
    } catch (const std::exception &e) {
        qWarning("automatic backup: %s", e.what());
    }
    if (!written)
        return failed();
    result.written = true;
    result.target = target;
    if (kind == ClosingBackup::WriteBack) {
        // The changes live in the archive now; the working folder has served its purpose.
        if (closeDatabase)
            closeDatabase();
        DeletePath(ctx.ws.programDir);
    }
    return result;
}

bool ReplaceFile(const QString &source, const QString &target)
{
    std::error_code ec;
    std::filesystem::rename(fsPath(source), fsPath(target), ec);
    if (!ec)
        return true;
    // Another file system: copy beside the target and rename over it.
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return false;
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        return false;
    constexpr qint64 kBlock = 1 << 20;
    std::unique_ptr<char[]> buffer(new char[kBlock]);
    for (;;) {
        const qint64 got = in.read(buffer.get(), kBlock);
        if (got < 0 || (got > 0 && out.write(buffer.get(), got) != got)) {
            out.cancelWriting();
            return false;
        }
        if (got == 0)
            break;
    }
    if (!out.commit())
        return false;
    in.close();
    QFile::remove(source);
    return true;
}

CommandOutput BackupListCommand(const QString &archivePath)
{
    CommandOutput output;
    const ArchiveResult listing = ListArchive(archivePath);
    output.out = FormatListing(listing);
    if (!listing.ok) {
        output.exitStatus = 1;
        output.err = QDir::toNativeSeparators(archivePath) + QStringLiteral(": ") + listing.error + u'\n';
    }
    return output;
}

} // namespace ogx
