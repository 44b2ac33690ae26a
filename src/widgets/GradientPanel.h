#pragma once
// A panel filled with a two-colour gradient; children are laid on it as on any widget.

#include <QColor>
#include <QWidget>

namespace ogx {

class GradientPanel : public QWidget {
    Q_OBJECT
public:
    enum class Direction {
        RightToLeft,      // `from` at the right edge, `to` at the left edge
        LeftToRight,
        TopToBottom,
        CentreToEdges,    // `from` in the middle, `to` on every edge
    };

    explicit GradientPanel(QWidget *parent = nullptr);

    void setColors(const QColor &from, const QColor &to);
    void setDirection(Direction d);
    QColor fromColor() const { return m_from; }
    QColor toColor() const { return m_to; }
    Direction direction() const { return m_direction; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_from{Qt::white};
    QColor m_to{Qt::gray};
    Direction m_direction = Direction::RightToLeft;
};

} // namespace ogx
