#pragma once
// Inputs "in capitals": every typed letter is turned to upper case as it is typed.

#include <QLineEdit>

namespace ogx {

inline void makeUpperCase(QLineEdit *edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString &text) {
        const QString upper = text.toUpper();
        if (upper != text) {
            const int pos = edit->cursorPosition();
            edit->setText(upper);
            edit->setCursorPosition(pos);
        }
    });
}

} // namespace ogx
