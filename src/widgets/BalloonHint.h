#pragma once
// A balloon hint: a small bubble with a bold title and a text, its tail pointing at a
// control, shown without taking the focus and closed after a few seconds. One balloon is
// shown at a time; a new one replaces the old.

#include <QPointer>
#include <QString>
#include <QWidget>

class QLabel;
class QTimer;

namespace ogx {

class BalloonHint : public QWidget {
    Q_OBJECT
public:
    // Shows the balloon pointing at `control` for `msec` milliseconds. The focus stays
    // where it is. Returns the balloon (owned by Qt; it deletes itself when it closes).
    static BalloonHint *showHint(QWidget *control, const QString &title, const QString &text,
                                 int msec = 5000);
    // The balloon on screen, or null.
    static BalloonHint *current();

    QString title() const;
    QString text() const;
    QWidget *control() const { return m_control; }
    int duration() const { return m_msec; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    BalloonHint(QWidget *control, const QString &title, const QString &text, int msec);
    void placeAt(QWidget *control);

    QPointer<QWidget> m_control;
    QLabel *m_title = nullptr;
    QLabel *m_text = nullptr;
    QTimer *m_timer = nullptr;
    int m_msec = 0;
    int m_tailX = 20;
    bool m_tailUp = true;
    static QPointer<BalloonHint> s_current;
};

} // namespace ogx
