#include "datastore/Prompter.h"
#include "documents/ui/AddPretU.h"
#include "widgets/NumberEdit.h"

#include <gtest/gtest.h>

#include <QPushButton>

using namespace ogx;

namespace {
struct HintRecorder : Prompter {
    QStringList hints;
    QWidget *at = nullptr;
    int Mesaj(const QString &, const QString &, int, int) override { return ResultOk; }
    void ShowProblemHint(const QString &text, QWidget *control) override
    {
        hints << text;
        at = control;
    }
};
} // namespace

TEST(SalePriceDialog, AcceptsOnlyAPriceOfOneOrMore)
{
    HintRecorder prompter;
    TAddPret dialog(prompter);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Cerere si Oferta de vanzare"));
    EXPECT_EQ(dialog.findChild<QPushButton *>(QStringLiteral("MemoBut"))->text(), QStringLiteral("&Continuare"));
    dialog.show();

    dialog.MemoButClick(); // "0" as first offered
    EXPECT_EQ(prompter.hints, QStringList{QStringLiteral("Lipseste Pretul!")});
    EXPECT_EQ(prompter.at, dialog.priceInput());
    EXPECT_TRUE(dialog.isVisible()); // stays open

    dialog.priceInput()->setValue(1500.5);
    dialog.MemoButClick();
    EXPECT_EQ(dialog.result(), int(QDialog::Accepted));
    EXPECT_EQ(dialog.Pret(), QStringLiteral("1500.50"));
    EXPECT_EQ(prompter.hints.size(), 1);
}
