#include "widgets/FlatToolButton.h"

namespace ogx {

FlatToolButton::FlatToolButton(QWidget *parent) : QToolButton(parent)
{
    setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    setAutoRaise(true);
    setCursor(Qt::PointingHandCursor);
    setIconSize(QSize(32, 32));
    setFocusPolicy(Qt::NoFocus);
}

FlatToolButton::FlatToolButton(const QString &caption, const QIcon &icon, QWidget *parent)
    : FlatToolButton(parent)
{
    setText(caption);
    setIcon(icon);
}

} // namespace ogx
