#pragma once
// The file dialogs of the backup window, behind an interface so tests script the chosen
// path. The GUI uses QtArchiveFileDialogs.

#include <QString>

class QWidget;

namespace ogx {

class ArchiveFileDialogs {
public:
    virtual ~ArchiveFileDialogs() = default;
    // The save dialog. `filter` is a Qt name filter ("Arhiva Contracte Ogorix (*.ogx)"),
    // `suffix` the extension added when the typed name has none. Empty when cancelled.
    virtual QString saveArchive(QWidget *parent, const QString &title, const QString &filter, const QString &suffix) = 0;
    // The open dialog; only an existing file can be chosen. Empty when cancelled.
    virtual QString openArchive(QWidget *parent, const QString &title, const QString &filter) = 0;
};

// QFileDialog; the overwrite question is left to the save command (it asks it itself).
class QtArchiveFileDialogs final : public ArchiveFileDialogs {
public:
    QString saveArchive(QWidget *parent, const QString &title, const QString &filter, const QString &suffix) override;
    QString openArchive(QWidget *parent, const QString &title, const QString &filter) override;
};

} // namespace ogx
