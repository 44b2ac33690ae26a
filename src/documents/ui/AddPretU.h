#pragma once
// TAddPret: the price of a parcel offered for sale ("Cerere si Oferta de vanzare").

#include <QDialog>

class QPushButton;

namespace ogx {

class NumberEdit;
class Prompter;

class TAddPret : public QDialog {
    Q_OBJECT
public:
    explicit TAddPret(Prompter &prompter, QWidget *parent = nullptr);

    // Puts the focus on the price and shows the dialog modally; true when accepted. The
    // price typed last is offered again.
    bool Execute();
    // The price as typed ("1500.50").
    QString Pret() const;

    // "&Continuare": accepts a price of 1 or more, else the hint "Lipseste Pretul!".
    void MemoButClick();
    NumberEdit *priceInput() const { return m_pret; }

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    Prompter &m_prompter;
    NumberEdit *m_pret;
    QPushButton *m_memo;
    QPushButton *m_close;
};

} // namespace ogx
