#pragma once
// TCNPEdit: the input of a personal numeric code. It takes only digits (the keypad's too),
// at most 13 of them; Backspace and Delete remove a selection or one character; the caret
// keys move as usual; every other key is ignored. It tells whether the code is acceptable
// for documents, the sex and the birth date it encodes.

#include <QDate>
#include <QLineEdit>

namespace ogx {

class TCNPEdit : public QLineEdit {
    Q_OBJECT
    Q_PROPERTY(bool AcceptGol READ AcceptGol WRITE setAcceptGol)
public:
    explicit TCNPEdit(QWidget *parent = nullptr);

    // The answer of GetCorect for an empty text.
    bool AcceptGol() const { return m_acceptGol; }
    void setAcceptGol(bool accept) { m_acceptGol = accept; }

    bool GetCorect() const;
    QString GetSex() const;     // "masculin" or "feminin"
    QDate GetNascutLa() const;  // the zero date 30.12.1899 when the text is too short

protected:
    void keyPressEvent(QKeyEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    bool m_acceptGol = false;
};

} // namespace ogx
