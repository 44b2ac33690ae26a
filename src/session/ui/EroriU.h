#pragma once
// TErori: the system's message box. A title band and a button band in the kind's
// gradient, the kind's icon, the text centred in the middle, any of four buttons.

#include <QDialog>
#include <functional>

class QLabel;
class QPushButton;

namespace ogx {

class GradientPanel;

class TErori : public QDialog {
    Q_OBJECT
public:
    explicit TErori(QWidget *parent = nullptr);

    // Shows the message modally and returns 6 (yes), 7 (no), 1 (OK) or 2 (cancel, Escape,
    // the close box). Kinds: 0 warning, 1 error, 2 information, 3 confirmation; any other
    // kind is an error. Buttons: 1 yes, 2 no, 4 OK, 8 cancel; an empty set returns 2 and
    // shows nothing.
    int Mesaj(const QString &title, const QString &text, int kind, int buttons);

    // Steps 1-5 of Mesaj without showing: fills the window for the message and lays out
    // its buttons. Returns the number of visible buttons.
    int prepare(const QString &title, const QString &text, int kind, int buttons);

    // Left edge of the k-th (1-based) of n visible buttons.
    static int buttonLeft(int k, int n);

    // The sound of an error (QApplication::beep unless replaced).
    void setBeep(std::function<void()> beep) { m_beep = std::move(beep); }

    QPushButton *button(int flag) const;
    QString titleText() const;
    QString messageText() const;
    int kind() const { return m_kind; }
    GradientPanel *topBand() const { return m_top; }
    GradientPanel *bottomBand() const { return m_bottom; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    GradientPanel *m_top;
    GradientPanel *m_bottom;
    QLabel *m_icon;
    QLabel *m_title;
    QLabel *m_text;
    QPushButton *m_da;
    QPushButton *m_nu;
    QPushButton *m_renunt;
    QPushButton *m_ok;
    QPushButton *m_first = nullptr;
    int m_kind = 1;
    std::function<void()> m_beep;
};

} // namespace ogx
