#include "backup/ui/ArchiveFileDialogs.h"

#include <QFileDialog>

namespace ogx {

QString QtArchiveFileDialogs::saveArchive(QWidget *parent, const QString &title, const QString &filter,
                                          const QString &suffix)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setDefaultSuffix(suffix);
    // The save command asks "Vreti sa inlocuiti salvarea ...?" in the system's own box.
    dialog.setOption(QFileDialog::DontConfirmOverwrite, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QString QtArchiveFileDialogs::openArchive(QWidget *parent, const QString &title, const QString &filter)
{
    QFileDialog dialog(parent, title, QString(), filter);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace ogx
