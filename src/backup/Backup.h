#pragma once
// Saving the Data directory into a backup archive, restoring it from one, working inside
// an archive, and the automatic backup at the end of a run. No widgets: questions and
// messages go through the Prompter, long work through Progress; file dialogs belong to
// the windows, which pass the chosen path.

#include "backup/Archive.h"
#include "datastore/Prompter.h"
#include "datastore/Workspace.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <chrono>
#include <functional>
#include <optional>

namespace ogx {

struct BackupContext {
    const Workspace &ws;
    Prompter &prompter;
    Progress &progress;
    // How long the copy of the Data directory waits for a commit of another program to
    // finish, and a restore for this program's own database to let go.
    std::chrono::milliseconds lockTimeout{10000};
};

// A restore replaces the tables under the program's own open database: it is closed
// before the files are swapped and opened again afterwards, whatever the outcome.
struct DatabaseSeam {
    std::function<void()> closeDatabase;
    std::function<void()> reopenDatabase;
};

// The folder, under the program directory, that keeps the data replaced by the last restore.
QString BackupKeepDir(const Workspace &ws);

// Fresh "<Temp>/SaveRA<n>" holding a copy of every file of the Data directory that a
// backup holds (non-empty regular files, without index files and the engine's lock and
// journal). The copy is a consistent snapshot: it is taken holding the database's read
// lock, so no commit of another program is half-way. Empty when the Data directory holds
// no such file. Throws ogx::Error when no directory can be made ("Unable to create
// directory"), when a commit of another program does not end within the lock time-out,
// when an unfinished commit is pending, or when a file cannot be copied.
QString CopyDataToTemp(const BackupContext &ctx, const QString &dataDir);

// Clears the production-index flag (byte 28) of a copied table and deletes its ".mdx".
// A file that cannot be opened for writing, or is shorter than a table header, is left.
void DetachIndexFile(const QString &tableFile);

// Writes the archive of the Data directory to `archivePath` (used by the automatic
// backup, which passes a temporary name). False when there was nothing to save ("Nu pot
// scrie pe harddisk!!" when the Data directory holds no file). Throws ogx::Error on a
// read or write error; the temporary copy is removed in every case.
bool MakeBackupFile(const BackupContext &ctx, const QString &archivePath);

// The save command after the user chose `target` in the save dialog: refuses the Data
// directories, asks before replacing an existing file, copies, packs and replaces the
// target only once the new archive is complete; "Salvare incheiata cu succes !" at the end.
// True when the archive was written (the caller may then offer the remote copy). Throws
// ogx::Error on a read or write error (nothing replaced, temporary files removed).
bool SaveBackup(const BackupContext &ctx, const QString &target);

// Texts of the file dialogs the backup window shows (the window owns the dialogs).
namespace BackupDialogs {
inline QString saveTitle() { return QStringLiteral("Unde salvam datele ?"); }
inline QString saveFilter() { return QStringLiteral("Arhiva Contracte Ogorix (*.ogx)"); }
inline QString openTitle() { return QStringLiteral("Indicati salvarea precedenta Contracte Ogorix"); }
inline QString openFilter() { return QStringLiteral("Salvare Contracte Ogorix (*.ogx)"); }
inline QString defaultSuffix() { return QStringLiteral("ogx"); }
} // namespace BackupDialogs

// The restore command's warning before the archive is chosen; true on Yes.
bool ConfirmRestore(Prompter &prompter);

// Replaces the data with an archive: unpacks it aside first, and touches the Data
// directory only when every member unpacked. Needs the other workstations gone (the
// session lock taken exclusive); the replaced files go to "DataBAK". True when the data
// were replaced (the program must then end). Every outcome is told through the Prompter.
bool RestoreBackup(const BackupContext &ctx, const QString &archivePath, const DatabaseSeam &db = {});

// Unpacks the archive a run works in into its (fresh) Data directory. The result tells
// whether every member unpacked; a damaged archive leaves the members before the damage.
ArchiveResult OpenBackupForWork(const QString &archivePath, const QString &dataDir, Progress &progress);

// An argument that puts the program in backup mode: an existing file named "*.ogx" (any case).
bool IsBackupArchiveArgument(const QString &path);

struct BackupModeStart {
    Workspace workspace;   // the run's values: program, Data and Temp directories in the working folder
    ArchiveResult unpack;  // what OpenBackupForWork reported
};
// Backup mode at start-up: makes "<Temp>/DIR<n>" with "Data" and "Tmp" in it, unpacks the
// archive into Data and returns the workspace of the run. nullopt when `archivePath` does
// not put the program in backup mode. Throws ogx::Error when the folders cannot be made.
// The caller makes the working folder the current directory if it needs to.
std::optional<BackupModeStart> StartBackupMode(const Workspace &ws, const QString &archivePath, Progress &progress);

// What the end of a run does with the data.
enum class ClosingBackup {
    None,
    WriteBack, // backup mode: the changes are written back into the opened archive
    Copy,      // a dated copy in the automatic backup folder
};

// The questions asked when the main window closes. `loggedIn` is whether the session's
// commands were unlocked; `backupFolder` the automatic backup folder ("-" or empty: off).
// Never offered in network mode. Also removes the help pages' left-overs ("Manual.pdf",
// "Pop1.pdf".."Pop7.pdf") from the program directory.
ClosingBackup DecideClosingBackup(const Workspace &ws, bool loggedIn, const QString &backupFolder, Prompter &prompter);

// "<folder>/<ddMMyyyy>_<n>.ogx" with the smallest n from 0 that names no file.
QString AutomaticBackupName(const QString &folder, const QDate &day);

struct AutomaticBackupResult {
    bool written = false;
    QString target; // the archive written (to offer it to the remote service)
};
// The backup at the end of a run: the archive is written to "TmpSv<n>.sav" and then put in
// place of the target (written beside it and renamed, so a failure never spoils an older
// archive). In backup mode with WriteBack the opened archive is the target and, once it is
// written, the working folder is removed (after `closeDatabase`, when given). A failure
// shows "Salvare automata" / "Eroare la salvare!".
AutomaticBackupResult RunAutomaticBackup(const BackupContext &ctx, ClosingBackup kind, const QString &backupFolder,
                                         const QDate &today, const std::function<void()> &closeDatabase = {});

// Puts `source` in place of `target` atomically where the file system allows it; across
// file systems the copy is written beside the target and renamed over it. The source is
// removed on success; on failure the target is unchanged.
bool ReplaceFile(const QString &source, const QString &target);

// `ogorix-cli backup list FILE`: one "<name>\t<size>" line per member on `out`; exit
// status 1 with the reason on `err` when the archive is damaged.
struct CommandOutput {
    int exitStatus = 0;
    QString out;
    QString err;
};
CommandOutput BackupListCommand(const QString &archivePath);

} // namespace ogx
