#pragma once
// The accept and cancel buttons every dialog of the program ends with.

#include <QString>

class QDialog;
class QHBoxLayout;
class QPushButton;

namespace ogx {

struct DialogButtons {
    QPushButton *memo;   // the accept button, objectName "MemoBut"
    QPushButton *close;  // "&Renunt", objectName "CloseBut"; rejects the dialog
    QHBoxLayout *layout; // both, right-aligned
};

// Neither button is a default button: Enter moves between the inputs instead of
// accepting. The caller connects the accept button to its own checks.
DialogButtons makeDialogButtons(QDialog *dialog, const QString &acceptCaption);

} // namespace ogx
