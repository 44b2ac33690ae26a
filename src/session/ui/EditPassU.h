#pragma once
// TEditPassF, "Schimbare parola": asks for a new password (the remote backup service's).

#include "datastore/Prompter.h"

#include <QDialog>

class QLineEdit;

namespace ogx {

class TEditPassF : public QDialog {
    Q_OBJECT
public:
    explicit TEditPassF(Prompter &prompter, QWidget *parent = nullptr);

    // Shows the dialog with an empty input; true when it was accepted, the cleaned text
    // then in text().
    bool Execute();
    QString text() const;
    QLineEdit *input() const { return m_parola; }

    // "&Memoreaza": an empty (cleaned) text is refused with a hint; otherwise accepted.
    void MemoButClick();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    Prompter &m_prompter;
    QLineEdit *m_parola;
};

} // namespace ogx
