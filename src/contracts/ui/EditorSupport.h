#pragma once
// Small helpers of the contract dialogs: inputs in capitals, Enter moving to the next
// input, item selection by text, numbers shown as their plain text.

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QObject>
#include <QWidget>

namespace ogx {

// Every typed letter becomes a capital, the caret staying where it was.
inline void makeUpper(QLineEdit *edit)
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

// Enter (or the keypad's Enter) in an input moves the focus to the next input of the
// order given, instead of reaching the dialog's default button. Inputs added with
// `enter = false` are in the order but keep Enter for themselves (multi-line notes).
class EnterTab : public QObject {
public:
    explicit EnterTab(QObject *parent) : QObject(parent) {}

    void add(QWidget *w, bool enter = true)
    {
        m_order.append(w);
        if (!enter)
            return;
        w->installEventFilter(this);
        if (auto *c = qobject_cast<QComboBox *>(w); c && c->lineEdit())
            c->lineEdit()->installEventFilter(this);
    }
    const QList<QWidget *> &order() const { return m_order; }

    // The input after `w` that can take the focus (none after the last).
    QWidget *nextOf(QWidget *w) const
    {
        int i = m_order.indexOf(w);
        if (i < 0)
            return nullptr;
        for (int j = i + 1; j < m_order.size(); ++j)
            if (m_order[j]->isEnabled() && m_order[j]->isVisibleTo(m_order[j]->window()))
                return m_order[j];
        return nullptr;
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto *k = static_cast<QKeyEvent *>(event);
            if ((k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) &&
                (k->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
                auto *w = qobject_cast<QWidget *>(watched);
                if (w && !m_order.contains(w) && qobject_cast<QComboBox *>(w->parentWidget()))
                    w = w->parentWidget();
                if (QWidget *next = nextOf(w))
                    next->setFocus(Qt::TabFocusReason);
                return true;
            }
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QList<QWidget *> m_order;
};

// Selects the item equal to the text, letter case ignored; no item when there is none.
inline void SelectComboItem(QComboBox *combo, const QString &text)
{
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i).compare(text, Qt::CaseInsensitive) == 0) {
            combo->setCurrentIndex(i);
            return;
        }
    combo->setCurrentIndex(-1);
}

} // namespace ogx
