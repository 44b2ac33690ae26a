#include "contracts/ui/CNPEdit.h"

#include "text/CnpInfo.h"

#include <QKeyEvent>

namespace ogx {

TCNPEdit::TCNPEdit(QWidget *parent) : QLineEdit(parent)
{
    setMaxLength(13);
    setAcceptDrops(false);
}

bool TCNPEdit::GetCorect() const { return cnp::GetCorect(text(), m_acceptGol); }
QString TCNPEdit::GetSex() const { return cnp::GetSex(text()); }
QDate TCNPEdit::GetNascutLa() const { return cnp::GetNascutLa(text()); }

void TCNPEdit::keyPressEvent(QKeyEvent *event)
{
    const int key = event->key();
    QString t = text();
    int caret = cursorPosition();

    auto removeSelection = [&] {
        if (!hasSelectedText())
            return false;
        const int start = selectionStart();
        t.remove(start, selectedText().size());
        caret = start;
        return true;
    };

    if (key >= Qt::Key_0 && key <= Qt::Key_9) { // the keypad's digits arrive as these keys too
        removeSelection();
        if (t == u"0") {
            t.clear();
            caret = 0;
        }
        if (t.size() >= 13) {
            setText(t);
            setCursorPosition(qMin(caret, int(t.size())));
            return;
        }
        t.insert(caret, QChar(u'0' + (key - Qt::Key_0)));
        setText(t);
        setCursorPosition(caret + 1);
        return;
    }
    if (key == Qt::Key_Backspace) {
        if (!removeSelection() && caret > 0) {
            t.remove(caret - 1, 1);
            --caret;
        }
        setText(t);
        setCursorPosition(caret);
        return;
    }
    if (key == Qt::Key_Delete) {
        if (!removeSelection() && caret < t.size())
            t.remove(caret, 1);
        setText(t);
        setCursorPosition(caret);
        return;
    }
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Home:
    case Qt::Key_End:
        QLineEdit::keyPressEvent(event);
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
    case Qt::Key_Escape:
        event->ignore(); // the dialog moves the focus or closes
        return;
    default:
        if (event->matches(QKeySequence::Copy) || event->matches(QKeySequence::SelectAll))
            QLineEdit::keyPressEvent(event);
        return;
    }
}

void TCNPEdit::inputMethodEvent(QInputMethodEvent *event) { event->ignore(); }
void TCNPEdit::contextMenuEvent(QContextMenuEvent *event) { event->ignore(); }
void TCNPEdit::dropEvent(QDropEvent *event) { event->ignore(); }

} // namespace ogx
