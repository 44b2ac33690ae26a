#include "widgets/BalloonHint.h"
#include "widgets/DataGrid.h"
#include "widgets/NumberEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStandardItemModel>
#include <QTest>

using namespace ogx;

TEST(NumberEdit, AcceptsDigitsDecimalsAndSignAsConfigured)
{
    struct Case {
        const char *text;
        int digits;
        int decimals;
        bool negative;
        bool ok;
    };
    const Case cases[] = {
        {"", 3, 2, false, true},
        {"123", 3, 2, false, true},
        {"1234", 3, 2, false, false},
        {"12.34", 3, 2, false, true},
        {"12.345", 3, 2, false, false},
        {"12.", 3, 2, false, true},
        {"12,5", 3, 2, false, false},
        {"-5", 3, 2, false, false},
        {"-5.5", 3, 2, true, true},
        {"-", 3, 2, true, true},
        {"5.5", 6, 0, false, false},
        {"330000", 6, 0, false, true},
        {"1e5", 6, 0, false, false},
    };
    for (const Case &c : cases)
        EXPECT_EQ(NumberEdit::acceptable(QString::fromLatin1(c.text), c.digits, c.decimals, c.negative), c.ok)
            << c.text;
}

TEST(NumberEdit, TypingIsFilteredAndValueReadWithoutLocale)
{
    NumberEdit e(3, 2, false);
    e.show();
    QTest::keyClicks(&e, QStringLiteral("-12a3.456"));
    EXPECT_EQ(e.text(), QStringLiteral("123.45"));
    EXPECT_DOUBLE_EQ(e.value(), 123.45);
    e.setValue(5.5);
    EXPECT_EQ(e.text(), QStringLiteral("5.50"));
    e.setValue(0.125);
    EXPECT_EQ(e.text(), QStringLiteral("0.13")); // half away from zero
    e.setText(QString());
    EXPECT_DOUBLE_EQ(e.value(), 0);
    NumberEdit neg(5, 2, true);
    neg.setValue(-0.001);
    EXPECT_EQ(neg.text(), QStringLiteral("0.00"));
    neg.setText(QStringLiteral("-7.25"));
    EXPECT_DOUBLE_EQ(neg.value(), -7.25);
}

TEST(DataGrid, ReadOnlyRowSelectionTitleClicksAndBands)
{
    QStandardItemModel model(3, 6);
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 6; ++c)
            model.setItem(r, c, new QStandardItem(QString::number(r * 10 + c)));
    DataGrid grid;
    grid.setModel(&model);
    grid.setTitleBands({{1, 4, QStringLiteral("Contract de Arenda")}});
    grid.resize(600, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));

    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    grid.selectRow(1);
    EXPECT_EQ(grid.currentRow(), 1);
    EXPECT_EQ(grid.selectionModel()->selectedRows().size(), 1);
    EXPECT_EQ(grid.selectionModel()->selectedIndexes().size(), 6); // the whole row

    EXPECT_EQ(grid.bandHeader()->bandOf(0), nullptr);
    ASSERT_NE(grid.bandHeader()->bandOf(4), nullptr);
    EXPECT_EQ(grid.bandHeader()->bandOf(4)->title, QStringLiteral("Contract de Arenda"));
    EXPECT_EQ(grid.bandHeader()->bandOf(5), nullptr);
    // Two title rows when bands are shown.
    EXPECT_GE(grid.bandHeader()->height(), 2 * grid.fontMetrics().height());

    QSignalSpy clicked(&grid, &DataGrid::titleClicked);
    const int x = grid.bandHeader()->sectionViewportPosition(3) + 5;
    QTest::mouseClick(grid.bandHeader()->viewport(), Qt::LeftButton, {},
                      QPoint(x, grid.bandHeader()->height() - 5));
    ASSERT_EQ(clicked.size(), 1);
    EXPECT_EQ(clicked.at(0).at(0).toInt(), 3);

    // Columns are resizable by the operator.
    EXPECT_EQ(grid.bandHeader()->sectionResizeMode(2), QHeaderView::Interactive);
}

TEST(BalloonHint, ShowsTitleAndTextAtTheControlWithoutTakingFocusThenCloses)
{
    QWidget form;
    auto *a = new QLineEdit(&form);
    auto *b = new QLineEdit(&form);
    b->move(0, 40);
    form.show();
    QApplication::setActiveWindow(&form);
    a->setFocus();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));

    QPointer<BalloonHint> hint = BalloonHint::showHint(b, QStringLiteral("Problema !"), QStringLiteral("Nu ati scris nimic."), 200);
    ASSERT_EQ(BalloonHint::current(), hint);
    EXPECT_TRUE(hint->isVisible());
    EXPECT_EQ(hint->title(), QStringLiteral("Problema !"));
    EXPECT_EQ(hint->text(), QStringLiteral("Nu ati scris nimic."));
    EXPECT_EQ(hint->control(), b);
    EXPECT_EQ(QApplication::focusWidget(), a);
    // Near the control: its top edge just under the control's lower edge.
    const QPoint under = b->mapToGlobal(QPoint(0, b->height()));
    EXPECT_LE(std::abs(hint->geometry().top() - under.y()), 4);

    // A second hint replaces the first.
    BalloonHint *second = BalloonHint::showHint(a, QStringLiteral("Problema !"), QStringLiteral("Alt text"), 200);
    EXPECT_EQ(BalloonHint::current(), second);
    EXPECT_TRUE(QTest::qWaitFor([&] { return !hint; }, 1000)) << "the replaced balloon is gone";
    EXPECT_TRUE(QTest::qWaitFor([] { return BalloonHint::current() == nullptr; }, 3000));
}
