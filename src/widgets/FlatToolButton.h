#pragma once
// A flat toolbar button: the picture above the caption, a hand cursor, raised on hover.

#include <QToolButton>

namespace ogx {

class FlatToolButton : public QToolButton {
    Q_OBJECT
public:
    explicit FlatToolButton(QWidget *parent = nullptr);
    FlatToolButton(const QString &caption, const QIcon &icon, QWidget *parent = nullptr);
};

} // namespace ogx
