#include "widgets/BalloonHint.h"

#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>
#include <QTimer>
#include <QVBoxLayout>

namespace ogx {
namespace {
constexpr int kTail = 12;   // height of the pointer
constexpr int kRadius = 8;
} // namespace

QPointer<BalloonHint> BalloonHint::s_current;

BalloonHint::BalloonHint(QWidget *control, const QString &title, const QString &text, int msec)
    : QWidget(nullptr, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_control(control), m_msec(msec)
{
    setObjectName(QStringLiteral("BalloonHint"));
    setAttribute(Qt::WA_DeleteOnClose);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TranslucentBackground);
    setFocusPolicy(Qt::NoFocus);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(12, 8 + kTail, 12, 10);
    layout->setSpacing(4);
    m_title = new QLabel(title, this);
    QFont bold = m_title->font();
    bold.setBold(true);
    m_title->setFont(bold);
    m_text = new QLabel(text, this);
    m_text->setWordWrap(text.size() > 60);
    layout->addWidget(m_title);
    layout->addWidget(m_text);

    m_timer = new QTimer(this);
    m_timer->setSingleShot(true);
    connect(m_timer, &QTimer::timeout, this, &QWidget::close);
}

BalloonHint *BalloonHint::showHint(QWidget *control, const QString &title, const QString &text, int msec)
{
    if (s_current)
        s_current->close();
    auto *b = new BalloonHint(control, title, text, msec);
    s_current = b;
    b->adjustSize();
    b->placeAt(control);
    b->show();
    b->m_timer->start(msec);
    return b;
}

BalloonHint *BalloonHint::current() { return s_current.data(); }

QString BalloonHint::title() const { return m_title->text(); }
QString BalloonHint::text() const { return m_text->text(); }

void BalloonHint::placeAt(QWidget *control)
{
    QPoint anchor(0, 0);
    QRect screen(0, 0, 1920, 1080);
    if (control) {
        // Point at the lower middle of the control, or at its left part for wide controls.
        const int x = std::min(control->width() / 2, 30);
        anchor = control->mapToGlobal(QPoint(x, control->height() - 2));
        if (QScreen *s = control->screen())
            screen = s->availableGeometry();
    }
    m_tailUp = true;
    int left = anchor.x() - 20;
    int top = anchor.y();
    if (top + height() > screen.bottom()) { // no room below: above the control, tail down
        m_tailUp = false;
        const QPoint topAnchor = control ? control->mapToGlobal(QPoint(anchor.x() - control->mapToGlobal(QPoint(0, 0)).x(), 2)) : anchor;
        top = topAnchor.y() - height();
        QVBoxLayout *l = static_cast<QVBoxLayout *>(layout());
        l->setContentsMargins(12, 8, 12, 10 + kTail);
    }
    left = std::clamp(left, screen.left(), std::max(screen.left(), screen.right() - width()));
    m_tailX = std::clamp(anchor.x() - left, kRadius + 4, std::max(kRadius + 4, width() - kRadius - 16));
    move(left, top);
}

void BalloonHint::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF body = m_tailUp ? QRectF(0.5, kTail + 0.5, width() - 1.0, height() - kTail - 1.0)
                                 : QRectF(0.5, 0.5, width() - 1.0, height() - kTail - 1.0);
    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    QPainterPath tail;
    if (m_tailUp) {
        tail.moveTo(m_tailX, 0.5);
        tail.lineTo(m_tailX + 2, body.top() + 1);
        tail.lineTo(m_tailX + 16, body.top() + 1);
    } else {
        tail.moveTo(m_tailX, height() - 0.5);
        tail.lineTo(m_tailX + 2, body.bottom() - 1);
        tail.lineTo(m_tailX + 16, body.bottom() - 1);
    }
    tail.closeSubpath();
    path = path.united(tail);
    p.setPen(QPen(QColor(118, 118, 118), 1));
    p.setBrush(QColor(255, 255, 255)); // the hint colour is white
    p.drawPath(path);
}

void BalloonHint::mousePressEvent(QMouseEvent *)
{
    close();
}

} // namespace ogx
