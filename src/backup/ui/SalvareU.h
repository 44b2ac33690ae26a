#pragma once
// TForm21: the backup window ("Copie - inlocuieste baza de date"). Three commands: save a
// copy of the data into an archive the user chooses, restore the data from an earlier
// archive, reach the remote backup service. The work itself is the backup core's
// (backup/Backup.h); the window asks for the file, runs the command and reports.

#include "backup/Backup.h"

#include <QDialog>

#include <functional>

class QPushButton;

namespace ogx {

class ArchiveFileDialogs;
class Clock;
class TForm3;

class TForm21 : public QDialog {
    Q_OBJECT
public:
    // `ctx` (workspace, message box, progress window) and `dialogs` must outlive the window.
    TForm21(const BackupContext &ctx, ArchiveFileDialogs &dialogs, QWidget *parent = nullptr);
    ~TForm21() override;

    // The program's own database, closed around a restore (which replaces its files).
    DatabaseSeam database;
    // "Copie / Recupereaza date la Distanta": opens the remote backup window without a
    // file. The button is enabled only once this is connected.
    std::function<void()> openRemoteBackup;
    // Hands a written archive to the remote backup window for sending. Once connected, a
    // successful save (and the automatic backup) asks "Copie la Distanta" first.
    std::function<void(const QString &archivePath)> sendToRemote;

    // Clears the restored flag, enables "Incarca o salvare anterioara" unless the program
    // works inside an archive, shows the window modally and returns the restored flag
    // (true: the data were replaced and the run must end).
    bool ShowBackupWindow();

    // The three commands, public so the start-up and the tests can run them.
    void SaveButClick();
    void LoadButClick();
    void ServButClick();

    bool restored() const { return m_restored; }
    const BackupContext &context() const { return m_ctx; }
    QPushButton *saveBut() const { return m_save; }
    QPushButton *loadBut() const { return m_load; }
    QPushButton *servBut() const { return m_serv; }

    // Asks "Copie la Distanta" for a written archive and hands it to `sendToRemote` on
    // yes; nothing when no sender is connected.
    void offerRemoteCopy(const QString &archivePath);

private:
    void showError(const QString &title, const QString &message);

    BackupContext m_ctx;
    ArchiveFileDialogs &m_dialogs;
    QPushButton *m_save = nullptr;
    QPushButton *m_load = nullptr;
    QPushButton *m_serv = nullptr;
    bool m_restored = false;
};

// Connects the backup window and the end-of-run backup to the main window:
// - "Salvare / Incarcare baza de date" opens `window` and reports its restored flag (the
//   main window then hides "Contracte" and closes, so no backup is offered);
// - the closing questions are the backup core's DecideClosingBackup, asked once; the
//   answer chooses between writing back into the opened archive and a dated copy;
// - the automatic backup runs RunAutomaticBackup into `backupFolder()` with the date of
//   `clock`, and offers the written archive to the remote service (when connected).
// `clock` must outlive the main window's run.
void connectBackup(TForm3 &main, TForm21 &window, std::function<QString()> backupFolder, const Clock &clock);

} // namespace ogx
