// The message box, the progress window and the GUI prompter, driven through their objects.

#include "session/ui/ContorU.h"
#include "session/ui/EroriU.h"
#include "session/ui/GuiPrompter.h"
#include "widgets/BalloonHint.h"
#include "widgets/GradientPanel.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace ogx;

namespace {

// Runs `action` once the message box is on screen.
void whenShown(TErori &box, std::function<void()> action)
{
    auto *timer = new QTimer(&box);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, &box, [&box, timer, action] {
        if (box.isVisible()) {
            timer->stop();
            timer->deleteLater();
            action();
        }
    });
    timer->start();
}

} // namespace

TEST(TErori, ButtonsAreLaidOutInFixedOrderWithEqualGaps)
{
    struct Case {
        int buttons;
        std::vector<std::pair<int, int>> shown; // flag, left edge
    };
    const Case cases[] = {
        {4, {{4, 134}}},
        {3, {{1, 65}, {2, 203}}},
        {1 | 2 | 8, {{1, 30}, {2, 133}, {8, 236}}},
        {1 | 2 | 4, {{1, 30}, {2, 133}, {4, 236}}},
        {15, {{1, 10}, {2, 93}, {8, 176}, {4, 259}}},
    };
    TErori box;
    box.setBeep([] {});
    for (const Case &c : cases) {
        EXPECT_EQ(box.prepare(QStringLiteral("T"), QStringLiteral("x"), 2, c.buttons), int(c.shown.size()));
        for (int flag : {1, 2, 4, 8}) {
            const auto it = std::find_if(c.shown.begin(), c.shown.end(), [flag](auto p) { return p.first == flag; });
            QPushButton *b = box.button(flag);
            EXPECT_EQ(!b->isHidden(), it != c.shown.end()) << "set " << c.buttons << " flag " << flag;
            if (it != c.shown.end()) {
                EXPECT_EQ(b->x(), it->second) << "set " << c.buttons << " flag " << flag;
                EXPECT_EQ(b->size(), QSize(72, 25));
            }
        }
    }
    EXPECT_EQ(box.size(), QSize(336, 171));
    EXPECT_EQ(box.button(1)->text(), QStringLiteral("&Da"));
    EXPECT_EQ(box.button(2)->text(), QStringLiteral("&Nu"));
    EXPECT_EQ(box.button(4)->text(), QStringLiteral("&OK"));
    EXPECT_EQ(box.button(8)->text(), QStringLiteral("&Renunt"));
}

TEST(TErori, KindGivesCaptionColoursAndSoundUnknownKindsAreErrors)
{
    struct Case {
        int kind;
        const char *caption;
        QColor from, to;
        int beeps;
    };
    const Case cases[] = {
        {0, "Atentie !", QColor(183, 177, 138), QColor(56, 54, 35), 0},
        {1, "Eroare", QColor(255, 213, 213), QColor(255, 0, 0), 1},
        {2, "Informatie", QColor(225, 222, 250), QColor(0, 0, 187), 0},
        {3, "Confirmare", QColor(129, 162, 211), QColor(54, 95, 156), 0},
        {7, "Eroare", QColor(255, 213, 213), QColor(255, 0, 0), 1},
        {-1, "Eroare", QColor(255, 213, 213), QColor(255, 0, 0), 1},
    };
    TErori box;
    for (const Case &c : cases) {
        int beeps = 0;
        box.setBeep([&beeps] { ++beeps; });
        box.prepare(QStringLiteral("Titlu"), QStringLiteral("Linia 1\rLinia 2"), c.kind, 4);
        EXPECT_EQ(box.windowTitle(), QLatin1String(c.caption)) << c.kind;
        EXPECT_EQ(box.topBand()->fromColor(), c.from) << c.kind;
        EXPECT_EQ(box.topBand()->toColor(), c.to) << c.kind;
        EXPECT_EQ(box.bottomBand()->fromColor(), c.from) << c.kind;
        EXPECT_EQ(beeps, c.beeps) << c.kind;
        EXPECT_FALSE(box.findChild<QLabel *>(QStringLiteral("Image1"))->pixmap().isNull()) << c.kind;
    }
    EXPECT_EQ(box.titleText(), QStringLiteral("Titlu"));
    EXPECT_EQ(box.messageText(), QStringLiteral("Linia 1\nLinia 2")); // "\r" breaks the line
}

TEST(TErori, MesajReturnsThePressedButtonEscapeAndCloseGiveCancel)
{
    TErori box;
    box.setBeep([] {});
    for (const auto &[flag, result] : std::vector<std::pair<int, int>>{{1, 6}, {2, 7}, {4, 1}, {8, 2}}) {
        whenShown(box, [&box, f = flag] { QTest::mouseClick(box.button(f), Qt::LeftButton); });
        EXPECT_EQ(box.Mesaj(QStringLiteral("T"), QStringLiteral("x"), 3, 15), result) << flag;
    }
    // Yes/no only: Escape still gives 2.
    whenShown(box, [&box] { QTest::keyClick(&box, Qt::Key_Escape); });
    EXPECT_EQ(box.Mesaj(QStringLiteral("T"), QStringLiteral("x"), 3, 3), 2);
    whenShown(box, [&box] { box.close(); });
    EXPECT_EQ(box.Mesaj(QStringLiteral("T"), QStringLiteral("x"), 0, 4), 2);
    // Enter presses the first button shown.
    whenShown(box, [&box] { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &box, Qt::Key_Return); });
    EXPECT_EQ(box.Mesaj(QStringLiteral("T"), QStringLiteral("x"), 3, 3), 6);
}

TEST(TErori, EmptyButtonSetReturnsCancelWithoutShowing)
{
    TErori box;
    box.setBeep([] {});
    bool shown = false;
    whenShown(box, [&] { shown = true; box.close(); });
    EXPECT_EQ(box.Mesaj(QStringLiteral("T"), QStringLiteral("x"), 2, 0), 2);
    QTest::qWait(50);
    EXPECT_FALSE(shown);
}

TEST(TContor, DisablesTheActiveFormStopsAtMaximumAndGivesTheFormBack)
{
    QWidget form;
    auto *edit = new QLineEdit(&form);
    form.show();
    QApplication::setActiveWindow(&form);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    TContor contor;
    contor.ContorHide(); // not shown: nothing happens
    EXPECT_TRUE(form.isEnabled());

    contor.setDescription(QStringLiteral("Pregatesc datele..."));
    contor.Bar()->setMaximum(3);
    contor.ContorShow();
    EXPECT_TRUE(contor.isVisible());
    EXPECT_EQ(contor.rememberedForm(), &form);
    EXPECT_FALSE(form.isEnabled());
    EXPECT_FALSE(edit->isEnabled());
    EXPECT_EQ(form.cursor().shape(), Qt::BusyCursor);
    EXPECT_EQ(contor.Descr()->text(), QStringLiteral("Pregatesc datele..."));
    EXPECT_EQ(contor.size(), QSize(323, 65));

    for (int i = 0; i < 5; ++i)
        contor.ContorStep();
    EXPECT_EQ(contor.Bar()->value(), 3);
    EXPECT_EQ(contor.Bar()->text(), QStringLiteral("100%"));

    // A nested show keeps the first form and only resets the position.
    QWidget other;
    other.show();
    QApplication::setActiveWindow(&other);
    contor.ContorShow();
    EXPECT_EQ(contor.Bar()->value(), 0);
    EXPECT_EQ(contor.rememberedForm(), &form);
    EXPECT_TRUE(other.isEnabled());

    contor.ContorHide();
    EXPECT_FALSE(contor.isVisible());
    EXPECT_TRUE(form.isEnabled());
    EXPECT_EQ(form.cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(contor.rememberedForm(), nullptr);
}

TEST(GuiPrompter, ForwardsMessagesProgressAndProblemHints)
{
    TErori box;
    box.setBeep([] {});
    TContor contor;
    GuiPrompter prompter(box, contor);
    whenShown(box, [&box] { QTest::mouseClick(box.button(2), Qt::LeftButton); });
    EXPECT_EQ(prompter.Mesaj(QStringLiteral("Intrebare"), QStringLiteral("Sigur?"), 3, 3), 7);
    EXPECT_EQ(box.titleText(), QStringLiteral("Intrebare"));

    prompter.ContorShow(QStringLiteral("Calculez Centralizatorul..."), 2);
    EXPECT_TRUE(contor.isVisible());
    EXPECT_EQ(contor.Descr()->text(), QStringLiteral("Calculez Centralizatorul..."));
    EXPECT_EQ(contor.Bar()->maximum(), 2);
    prompter.ContorStep();
    EXPECT_EQ(contor.Bar()->value(), 1);
    prompter.ContorHide();
    EXPECT_FALSE(contor.isVisible());

    QWidget form;
    auto *edit = new QLineEdit(&form);
    form.show();
    prompter.ShowProblemHint(QStringLiteral("Nu ati scris nicio parola!"), edit);
    ASSERT_NE(BalloonHint::current(), nullptr);
    EXPECT_EQ(BalloonHint::current()->title(), QStringLiteral("Problema !"));
    EXPECT_EQ(BalloonHint::current()->text(), QStringLiteral("Nu ati scris nicio parola!"));
    EXPECT_EQ(BalloonHint::current()->duration(), 5000);
    BalloonHint::current()->close();
}
