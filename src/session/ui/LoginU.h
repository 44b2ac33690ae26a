#pragma once
// TForm5, "Autentificare": the administrator password query.

#include <QDialog>
#include <optional>

class QLineEdit;
class QPushButton;

namespace ogx {

class TForm5 : public QDialog {
    Q_OBJECT
public:
    explicit TForm5(QWidget *parent = nullptr);

    // Shows the window empty and modally; the typed text when "&Verifica" was pressed
    // (Enter in the input presses it), nothing when the window was closed otherwise.
    std::optional<QString> LoginQuery();

    QLineEdit *input() const { return m_parola; }
    QPushButton *verificaButton() const { return m_verifica; }

private:
    QLineEdit *m_parola;
    QPushButton *m_verifica;
};

} // namespace ogx
