#pragma once
// TContor: the progress window of long operations. A borderless bar with a one-line
// description; while it is shown the window that was active is disabled.

#include <QPointer>
#include <QWidget>

class QLabel;
class QProgressBar;

namespace ogx {

class GradientPanel;

class TContor : public QWidget {
    Q_OBJECT
public:
    explicit TContor(QWidget *parent = nullptr);

    // The description line and the bar; callers set the text, the maximum and (some of
    // them) the position directly.
    QLabel *Descr() const { return m_descr; }
    QProgressBar *Bar() const { return m_bar; }
    void setDescription(const QString &text);

    // Position 0; the first show remembers the active form, disables it and gives it the
    // busy cursor. A show while visible only resets the position, so nested operations
    // keep the first form.
    void ContorShow();
    // One step, never beyond the maximum; lets window messages run so the bar repaints.
    void ContorStep();
    // Hides the window and gives the remembered form back its input, cursor and focus.
    // Nothing happens when the window is not shown.
    void ContorHide();

    QWidget *rememberedForm() const { return m_form.data(); }

protected:
    void showEvent(QShowEvent *event) override;

private:
    GradientPanel *m_back;
    QLabel *m_descr;
    QProgressBar *m_bar;
    QPointer<QWidget> m_form;
};

} // namespace ogx
