#include "session/ui/EroriU.h"

#include "widgets/GradientPanel.h"

#include <QApplication>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace ogx {
namespace {

struct KindLook {
    const char *caption;
    const char *icon;
    QColor from;
    QColor to;
};

KindLook lookOf(int kind)
{
    switch (kind) {
    case 0:
        return {"Atentie !", ":/res/icons/warning.png", QColor(183, 177, 138), QColor(56, 54, 35)};
    case 2:
        return {"Informatie", ":/res/icons/information.png", QColor(225, 222, 250), QColor(0, 0, 187)};
    case 3:
        return {"Confirmare", ":/res/icons/question.png", QColor(129, 162, 211), QColor(54, 95, 156)};
    default:
        return {"Eroare", ":/res/icons/error.png", QColor(255, 213, 213), QColor(255, 0, 0)};
    }
}

constexpr int kWidth = 336;
constexpr int kHeight = 171;
constexpr int kTopBand = 49;
constexpr int kBottomBand = 42;

} // namespace

TErori::TErori(QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint
                          | Qt::WindowStaysOnTopHint),
      m_beep([] { QApplication::beep(); })
{
    setObjectName(QStringLiteral("Erori"));
    setFixedSize(kWidth, kHeight);
    setModal(true);

    m_top = new GradientPanel(this);
    m_top->setObjectName(QStringLiteral("Panel1"));
    m_top->setGeometry(0, 0, kWidth, kTopBand);
    m_icon = new QLabel(m_top);
    m_icon->setObjectName(QStringLiteral("Image1"));
    m_icon->setGeometry(8, (kTopBand - 32) / 2, 32, 32);
    m_title = new QLabel(m_top);
    m_title->setObjectName(QStringLiteral("Titlu"));
    m_title->setGeometry(50, 0, kWidth - 58, kTopBand);
    QFont tf(QStringLiteral("Arial"));
    tf.setPointSize(13);
    tf.setBold(true);
    m_title->setFont(tf);
    m_title->setStyleSheet(QStringLiteral("color: white; background: transparent;"));
    m_title->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("Mesaj"));
    const int middle = kHeight - kTopBand - kBottomBand;
    m_text->setGeometry((kWidth - 321) / 2, kTopBand + (middle - 65) / 2, 321, 65);
    m_text->setAlignment(Qt::AlignCenter);
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);

    m_bottom = new GradientPanel(this);
    m_bottom->setObjectName(QStringLiteral("Panel2"));
    m_bottom->setGeometry(0, kHeight - kBottomBand, kWidth, kBottomBand);

    auto makeButton = [this](const char *name, const QString &caption, int result) {
        auto *b = new QPushButton(caption, m_bottom);
        b->setObjectName(QLatin1String(name));
        b->setFixedSize(72, 25);
        b->move(0, (kBottomBand - 25) / 2);
        b->setCursor(Qt::PointingHandCursor);
        b->setAutoDefault(true);
        connect(b, &QPushButton::clicked, this, [this, result] { done(result); });
        return b;
    };
    m_da = makeButton("DaBut", QStringLiteral("&Da"), 6);
    m_nu = makeButton("NuBut", QStringLiteral("&Nu"), 7);
    m_renunt = makeButton("RenuntBut", QStringLiteral("&Renunt"), 2);
    m_ok = makeButton("OkBut", QStringLiteral("&OK"), 1);
}

int TErori::buttonLeft(int k, int n)
{
    const int gap = (342 - 73 * n) / (n + 1);
    return k * (gap + 73) - 73;
}

QPushButton *TErori::button(int flag) const
{
    switch (flag) {
    case 1: return m_da;
    case 2: return m_nu;
    case 4: return m_ok;
    case 8: return m_renunt;
    default: return nullptr;
    }
}

QString TErori::titleText() const { return m_title->text(); }
QString TErori::messageText() const { return m_text->text(); }

int TErori::prepare(const QString &title, const QString &text, int kind, int buttons)
{
    m_title->setText(title);
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    shown.replace(u'\r', u'\n');
    m_text->setText(shown);

    const KindLook look = lookOf(kind);
    m_kind = (kind >= 0 && kind <= 3) ? kind : 1;
    m_icon->setPixmap(QPixmap(QLatin1String(look.icon)).scaled(32, 32, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    setWindowTitle(QLatin1String(look.caption));
    m_top->setColors(look.from, look.to);
    m_bottom->setColors(look.from, look.to);
    if (m_kind == 1 && m_beep)
        m_beep();

    // Fixed order: yes, no, cancel, OK.
    QPushButton *const order[] = {m_da, m_nu, m_renunt, m_ok};
    const int flags[] = {1, 2, 8, 4};
    QList<QPushButton *> visible;
    for (int i = 0; i < 4; ++i) {
        const bool on = (buttons & flags[i]) != 0;
        order[i]->setDefault(false);
        order[i]->setHidden(!on);
        if (on)
            visible.append(order[i]);
    }
    const int n = int(visible.size());
    for (int k = 1; k <= n; ++k)
        visible[k - 1]->move(buttonLeft(k, n), visible[k - 1]->y());
    m_first = n > 0 ? visible.first() : nullptr;
    if (m_first)
        m_first->setDefault(true);
    return n;
}

int TErori::Mesaj(const QString &title, const QString &text, int kind, int buttons)
{
    if (prepare(title, text, kind, buttons) == 0)
        return 2;
    setResult(2);
    const int r = exec();
    // Escape and the close box reject the dialog, which is the cancel result.
    return (r == 1 || r == 2 || r == 6 || r == 7) ? r : 2;
}

void TErori::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (QScreen *s = screen())
        move(s->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    raise();
    activateWindow();
    if (m_first)
        m_first->setFocus();
}

} // namespace ogx
