// Paints the program's icons into resources/icons as 48 x 48 PNG files.
// Usage: ogx-icon-painter <resources/icons folder>
// The icons are simple drawings of what each file name says; run again after a change.

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <cstdio>
#include <functional>

namespace {

constexpr int kSize = 48;

void circleIcon(QPainter &p, QColor fill, QColor dark, const QString &glyph)
{
    QRadialGradient g(QPointF(18, 16), 30);
    g.setColorAt(0, fill.lighter(150));
    g.setColorAt(1, fill);
    p.setPen(QPen(dark, 2));
    p.setBrush(g);
    p.drawEllipse(QRectF(4, 4, 40, 40));
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(28);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(4, 4, 40, 40), Qt::AlignCenter, glyph);
}

void warning(QPainter &p)
{
    QPainterPath t;
    t.moveTo(24, 4);
    t.lineTo(45, 42);
    t.lineTo(3, 42);
    t.closeSubpath();
    QLinearGradient g(0, 4, 0, 42);
    g.setColorAt(0, QColor(255, 236, 120));
    g.setColorAt(1, QColor(237, 180, 0));
    p.setPen(QPen(QColor(140, 100, 0), 2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(g);
    p.drawPath(t);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(40, 40, 40));
    p.drawRoundedRect(QRectF(21.5, 15, 5, 16), 2, 2);
    p.drawEllipse(QRectF(21.5, 33, 5, 5));
}

void error(QPainter &p)
{
    QRadialGradient g(QPointF(18, 16), 30);
    g.setColorAt(0, QColor(255, 120, 120));
    g.setColorAt(1, QColor(200, 0, 0));
    p.setPen(QPen(QColor(120, 0, 0), 2));
    p.setBrush(g);
    p.drawEllipse(QRectF(4, 4, 40, 40));
    p.setPen(QPen(Qt::white, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(16, 16), QPointF(32, 32));
    p.drawLine(QPointF(32, 16), QPointF(16, 32));
}

void page(QPainter &p, QRectF r, QColor paper = Qt::white)
{
    QPainterPath d;
    d.moveTo(r.left(), r.top());
    d.lineTo(r.right() - 8, r.top());
    d.lineTo(r.right(), r.top() + 8);
    d.lineTo(r.right(), r.bottom());
    d.lineTo(r.left(), r.bottom());
    d.closeSubpath();
    p.setPen(QPen(QColor(90, 90, 90), 1.5));
    p.setBrush(paper);
    p.drawPath(d);
    p.setBrush(QColor(210, 210, 210));
    QPainterPath fold;
    fold.moveTo(r.right() - 8, r.top());
    fold.lineTo(r.right() - 8, r.top() + 8);
    fold.lineTo(r.right(), r.top() + 8);
    fold.closeSubpath();
    p.drawPath(fold);
}

void contracts(QPainter &p)
{
    page(p, QRectF(12, 4, 26, 34), QColor(235, 235, 235));
    page(p, QRectF(7, 9, 28, 35));
    p.setPen(QPen(QColor(120, 120, 160), 1.5));
    for (int y = 17; y <= 33; y += 4)
        p.drawLine(QPointF(11, y), QPointF(30, y));
    // a signature
    p.setPen(QPen(QColor(20, 60, 170), 1.8));
    QPainterPath s;
    s.moveTo(12, 40);
    s.cubicTo(15, 34, 18, 44, 21, 38);
    s.cubicTo(23, 35, 25, 42, 30, 39);
    p.setBrush(Qt::NoBrush);
    p.drawPath(s);
}

void reports(QPainter &p)
{
    page(p, QRectF(7, 4, 34, 40));
    p.setPen(Qt::NoPen);
    const QColor c[] = {QColor(60, 130, 200), QColor(80, 170, 80), QColor(230, 150, 30)};
    const int h[] = {12, 22, 16};
    for (int i = 0; i < 3; ++i) {
        p.setBrush(c[i]);
        p.drawRect(QRectF(13 + i * 8, 38 - h[i], 6, h[i]));
    }
    p.setPen(QPen(QColor(70, 70, 70), 1.2));
    p.drawLine(QPointF(11, 38.5), QPointF(37, 38.5));
}

void utilities(QPainter &p)
{
    // A wrench across a screwdriver.
    p.save();
    p.translate(24, 24);
    p.rotate(45);
    p.setPen(QPen(QColor(70, 70, 70), 1.5));
    p.setBrush(QColor(230, 180, 40));
    p.drawRoundedRect(QRectF(-3, -2, 6, 22), 2, 2);
    p.setBrush(QColor(180, 180, 190));
    p.drawRect(QRectF(-1.5, -20, 3, 19));
    p.restore();
    p.save();
    p.translate(24, 24);
    p.rotate(-45);
    QLinearGradient g(-4, 0, 4, 0);
    g.setColorAt(0, QColor(200, 205, 215));
    g.setColorAt(1, QColor(120, 125, 140));
    p.setPen(QPen(QColor(60, 60, 70), 1.5));
    p.setBrush(g);
    QPainterPath w;
    w.addRoundedRect(QRectF(-3.5, -8, 7, 28), 3, 3);
    QPainterPath head;
    head.addEllipse(QRectF(-9, -22, 18, 18));
    QPainterPath jaw;
    jaw.addRect(QRectF(-3.5, -25, 7, 11));
    p.drawPath(w.united(head).subtracted(jaw));
    p.restore();
}

void padlock(QPainter &p, bool open)
{
    p.setPen(QPen(QColor(110, 110, 120), 4, Qt::SolidLine, Qt::FlatCap));
    p.setBrush(Qt::NoBrush);
    QPainterPath shackle;
    if (open) {
        shackle.moveTo(33, 22);
        shackle.lineTo(33, 14);
        shackle.arcTo(QRectF(33, 4, 16, 20), 180, -180);
        shackle.lineTo(49, 16);
    } else {
        shackle.moveTo(14, 22);
        shackle.lineTo(14, 14);
        shackle.arcTo(QRectF(14, 4, 20, 20), 180, -180);
        shackle.lineTo(34, 22);
    }
    p.drawPath(shackle);
    QLinearGradient g(0, 20, 0, 44);
    g.setColorAt(0, QColor(250, 210, 80));
    g.setColorAt(1, QColor(200, 140, 10));
    p.setPen(QPen(QColor(120, 80, 0), 1.5));
    p.setBrush(g);
    p.drawRoundedRect(QRectF(8, 21, 30, 23), 3, 3);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(60, 40, 0));
    p.drawEllipse(QRectF(20, 27, 6, 6));
    p.drawRect(QRectF(21.8, 31, 2.4, 7));
}

void exitDoor(QPainter &p)
{
    p.setPen(QPen(QColor(90, 60, 30), 1.5));
    p.setBrush(QColor(170, 120, 70));
    p.drawRect(QRectF(6, 4, 22, 40));
    p.setBrush(QColor(60, 40, 20));
    p.drawEllipse(QRectF(22, 23, 3, 3));
    // arrow pointing out
    QPainterPath a;
    a.moveTo(26, 20);
    a.lineTo(36, 20);
    a.lineTo(36, 13);
    a.lineTo(46, 24);
    a.lineTo(36, 35);
    a.lineTo(36, 28);
    a.lineTo(26, 28);
    a.closeSubpath();
    p.setPen(QPen(QColor(0, 100, 0), 1.5));
    p.setBrush(QColor(60, 180, 60));
    p.drawPath(a);
}

void folder(QPainter &p)
{
    p.setPen(QPen(QColor(150, 110, 20), 1.5));
    p.setBrush(QColor(240, 200, 90));
    QPainterPath back;
    back.moveTo(4, 12);
    back.lineTo(18, 12);
    back.lineTo(22, 16);
    back.lineTo(44, 16);
    back.lineTo(44, 40);
    back.lineTo(4, 40);
    back.closeSubpath();
    p.drawPath(back);
    p.setBrush(QColor(250, 220, 120));
    p.drawRect(QRectF(4, 20, 40, 20));
}

void deleteCross(QPainter &p)
{
    p.setPen(QPen(QColor(200, 20, 20), 8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10, 10), QPointF(38, 38));
    p.drawLine(QPointF(38, 10), QPointF(10, 38));
}

void templates(QPainter &p)
{
    page(p, QRectF(6, 4, 30, 40));
    p.setPen(QPen(QColor(150, 150, 150), 1.5));
    for (int y = 14; y <= 34; y += 5)
        p.drawLine(QPointF(10, y), QPointF(30, y));
    // a pencil
    p.save();
    p.translate(34, 30);
    p.rotate(45);
    p.setPen(QPen(QColor(60, 60, 60), 1));
    p.setBrush(QColor(240, 180, 40));
    p.drawRect(QRectF(-3, -16, 6, 22));
    p.setBrush(QColor(240, 210, 170));
    QPainterPath tip;
    tip.moveTo(-3, 6);
    tip.lineTo(3, 6);
    tip.lineTo(0, 12);
    tip.closeSubpath();
    p.drawPath(tip);
    p.restore();
}

void key(QPainter &p)
{
    p.setPen(QPen(QColor(130, 100, 0), 1.5));
    p.setBrush(QColor(235, 195, 60));
    QPainterPath k;
    k.addEllipse(QRectF(4, 14, 20, 20));
    k.addRect(QRectF(22, 21, 22, 6));
    k.addRect(QRectF(36, 27, 4, 7));
    k.addRect(QRectF(30, 27, 4, 5));
    QPainterPath hole;
    hole.addEllipse(QRectF(9, 20, 8, 8));
    p.drawPath(k.simplified().subtracted(hole));
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: ogx-icon-painter <folder>\n");
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(dir);
    const std::pair<const char *, std::function<void(QPainter &)>> icons[] = {
        {"warning", warning},
        {"error", error},
        {"information", [](QPainter &p) { circleIcon(p, QColor(40, 90, 220), QColor(0, 0, 120), QStringLiteral("i")); }},
        {"question", [](QPainter &p) { circleIcon(p, QColor(60, 120, 190), QColor(20, 60, 120), QStringLiteral("?")); }},
        {"contracts", contracts},
        {"reports", reports},
        {"utilities", utilities},
        {"padlock-closed", [](QPainter &p) { padlock(p, false); }},
        {"padlock-open", [](QPainter &p) { padlock(p, true); }},
        {"exit-door", exitDoor},
        {"folder", folder},
        {"delete", deleteCross},
        {"templates", templates},
        {"key", key},
    };
    for (const auto &[name, paint] : icons) {
        QImage img(kSize, kSize, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing);
        paint(p);
        p.end();
        const QString path = dir + u'/' + QLatin1String(name) + QStringLiteral(".png");
        if (!img.save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}
