#include "widgets/GradientPanel.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace ogx {

GradientPanel::GradientPanel(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GradientPanel::setColors(const QColor &from, const QColor &to)
{
    m_from = from;
    m_to = to;
    update();
}

void GradientPanel::setDirection(Direction d)
{
    m_direction = d;
    update();
}

void GradientPanel::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    const QRectF r = rect();
    switch (m_direction) {
    case Direction::RightToLeft: {
        QLinearGradient g(r.topRight(), r.topLeft());
        g.setColorAt(0, m_from);
        g.setColorAt(1, m_to);
        p.fillRect(r, g);
        break;
    }
    case Direction::LeftToRight: {
        QLinearGradient g(r.topLeft(), r.topRight());
        g.setColorAt(0, m_from);
        g.setColorAt(1, m_to);
        p.fillRect(r, g);
        break;
    }
    case Direction::TopToBottom: {
        QLinearGradient g(r.topLeft(), r.bottomLeft());
        g.setColorAt(0, m_from);
        g.setColorAt(1, m_to);
        p.fillRect(r, g);
        break;
    }
    case Direction::CentreToEdges: {
        // A radial gradient stretched to the panel, so each edge's middle gets `to`.
        QRadialGradient g(QPointF(0, 0), 1.0);
        g.setColorAt(0, m_from);
        g.setColorAt(1, m_to);
        p.fillRect(r, m_to);
        p.save();
        p.translate(r.center());
        p.scale(r.width() / 2.0 * 1.2, r.height() / 2.0 * 1.2);
        p.fillRect(QRectF(-1 / 1.2, -1 / 1.2, 2 / 1.2, 2 / 1.2), g);
        p.restore();
        break;
    }
    }
}

} // namespace ogx
