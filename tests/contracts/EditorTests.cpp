#include "ContractsTestSupport.h"

#include "contracts/ui/AddConU.h"
#include "contracts/ui/AddParcU.h"
#include "contracts/ui/CNPEdit.h"
#include "datastore/Settings.h"
#include "widgets/NumberEdit.h"

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QTest>

using namespace ogx;
using namespace ogx::test;

// --- TCNPEdit -------------------------------------------------------------------------------

TEST(CnpEdit, KeyHandling)
{
    TCNPEdit e;
    QTest::keyClicks(&e, QStringLiteral("1a8-5 0"));
    EXPECT_EQ(e.text(), QStringLiteral("1850"));
    QTest::keyClick(&e, Qt::Key_3, Qt::KeypadModifier);
    EXPECT_EQ(e.text(), QStringLiteral("18503"));
    QTest::keyClicks(&e, QStringLiteral("0212345199"));
    EXPECT_EQ(e.text(), QStringLiteral("1850302123451")); // the 14th digit is ignored
    EXPECT_TRUE(e.GetCorect());
    EXPECT_EQ(e.GetSex(), QStringLiteral("masculin"));
    EXPECT_EQ(e.GetNascutLa(), QDate(1985, 3, 2));

    // Backspace before the caret, Delete after it, a selection first.
    e.setCursorPosition(2);
    QTest::keyClick(&e, Qt::Key_Backspace);
    EXPECT_EQ(e.text(), QStringLiteral("150302123451"));
    EXPECT_EQ(e.cursorPosition(), 1);
    QTest::keyClick(&e, Qt::Key_Delete);
    EXPECT_EQ(e.text(), QStringLiteral("10302123451"));
    EXPECT_EQ(e.cursorPosition(), 1);
    e.setSelection(0, 3);
    QTest::keyClick(&e, Qt::Key_Delete);
    EXPECT_EQ(e.text(), QStringLiteral("02123451"));
    e.setSelection(0, 8);
    QTest::keyClick(&e, Qt::Key_7);
    EXPECT_EQ(e.text(), QStringLiteral("7"));
    QTest::keyClick(&e, Qt::Key_Backspace);
    QTest::keyClick(&e, Qt::Key_Backspace); // nothing at the start
    EXPECT_EQ(e.text(), QString());

    // A lone "0" is replaced by the next digit.
    e.setText(QStringLiteral("0"));
    e.setCursorPosition(1);
    QTest::keyClick(&e, Qt::Key_2);
    EXPECT_EQ(e.text(), QStringLiteral("2"));

    e.clear();
    EXPECT_FALSE(e.GetCorect());
    e.setAcceptGol(true);
    EXPECT_TRUE(e.GetCorect());
    EXPECT_TRUE(e.property("AcceptGol").toBool());
    EXPECT_EQ(e.GetSex(), QStringLiteral("masculin"));
    EXPECT_EQ(e.GetNascutLa(), QDate(1899, 12, 30));
}

// --- TAddCon ----------------------------------------------------------------------------------

namespace {

class Editors : public DataFixture {
protected:
    template <class T> T *in(QWidget *dialog, const char *name)
    {
        T *w = dialog->findChild<T *>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    ScriptedPrompter prompter;
};

} // namespace

TEST_F(Editors, NewContractStartsFromTheRememberedValues)
{
    TAddCon dlg(*svc, prompter);
    dlg.setAdminCounty(CountyList().indexOf(QStringLiteral("IASI")));
    dlg.prepare(QStringLiteral("-1"));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Adaugare Contract"));
    auto *tip = in<QComboBox>(&dlg, "TipCon");
    EXPECT_EQ(tip->currentText(), QStringLiteral("ARENDA")); // the only item when the list is empty
    EXPECT_EQ(in<QDateEdit>(&dlg, "DataCon")->date(), clock.day);
    EXPECT_EQ(in<QDateEdit>(&dlg, "Expira")->date(), clock.day);
    EXPECT_EQ(in<QComboBox>(&dlg, "Jud1")->currentText(), QStringLiteral("IASI"));
    EXPECT_EQ(in<QComboBox>(&dlg, "Jud2")->currentText(), QStringLiteral("ALBA"));
    EXPECT_EQ(in<QComboBox>(&dlg, "TipPlata")->currentText(), QStringLiteral("LEI"));
    EXPECT_EQ(in<QLineEdit>(&dlg, "Valoare")->text(), QStringLiteral("0"));
    EXPECT_EQ(in<QComboBox>(&dlg, "Jud1")->count(), 42);

    // Equal dates are refused with a hint on the end date; nothing is remembered.
    in<QLineEdit>(&dlg, "NrCon")->setText(QStringLiteral("7"));
    QTest::keyClicks(in<QLineEdit>(&dlg, "Nume1"), QStringLiteral("pop ion"));
    EXPECT_EQ(in<QLineEdit>(&dlg, "Nume1")->text(), QStringLiteral("POP ION"));
    in<QComboBox>(&dlg, "Nume2")->setEditText(QStringLiteral("AGRO SRL"));
    dlg.MemoButClick();
    EXPECT_FALSE(dlg.result_());
    ASSERT_EQ(prompter.hints.size(), 1);
    EXPECT_EQ(prompter.hints[0], QStringLiteral("Data Expirarii incorecta!"));
    EXPECT_EQ(prompter.hintControls[0], dlg.input(QStringLiteral("Expira")));
    EXPECT_TRUE(db->settings().ReadSetting(QStringLiteral("TEMP"), QStringLiteral("NUME1")).isEmpty());

    in<QDateEdit>(&dlg, "DataCon")->setDate(dmy("01.10.2024"));
    in<QDateEdit>(&dlg, "Expira")->setDate(dmy("01.10.2029"));
    in<QLineEdit>(&dlg, "Adresa1")->setText(QStringLiteral("Str. \"Noua\" 3"));
    dlg.MemoButClick();
    ASSERT_TRUE(dlg.result_());
    const ContractInput v = dlg.values();
    EXPECT_EQ(v.NRCON, 7);
    EXPECT_EQ(v.ADRESA1, QStringLiteral("Str. \"Noua\" 3")); // not cleaned: stored as typed
    svc->addContract(v);

    // The next new contract starts with the same dates and names.
    TAddCon next(*svc, prompter);
    next.setTypeItems({QStringLiteral("ARENDA"), QStringLiteral("CONCESIUNE")});
    next.prepare(QStringLiteral("-1"));
    EXPECT_EQ(in<QDateEdit>(&next, "DataCon")->date(), dmy("01.10.2024"));
    EXPECT_EQ(in<QDateEdit>(&next, "Expira")->date(), dmy("01.10.2029"));
    EXPECT_EQ(in<QLineEdit>(&next, "Nume1")->text(), QStringLiteral("POP ION"));
    EXPECT_EQ(in<QComboBox>(&next, "Nume2")->currentText(), QStringLiteral("AGRO SRL"));
    EXPECT_EQ(in<QComboBox>(&next, "TipCon")->count(), 2);
    EXPECT_EQ(in<QComboBox>(&next, "TipCon")->currentText(), QString());
    EXPECT_TRUE(in<QLineEdit>(&next, "NrCon")->text().isEmpty());
}

TEST_F(Editors, ChoosingALesseeFillsItsDetails)
{
    ContractInput c = validContract();
    c.NUME2 = QStringLiteral("FERMA SA");
    c.CNP2 = QStringLiteral("12345674");
    c.ADRESA2 = QStringLiteral("Str. Mare 1");
    c.LOC2 = QStringLiteral("Zau");
    c.JUD2 = QStringLiteral("MURES");
    svc->addContract(c);

    TAddCon dlg(*svc, prompter);
    dlg.prepare(QStringLiteral("-1"));
    auto *nume2 = in<QComboBox>(&dlg, "Nume2");
    const int i = nume2->findText(QStringLiteral("FERMA SA"));
    ASSERT_GE(i, 0);
    nume2->setCurrentIndex(i);
    emit nume2->activated(i);
    EXPECT_EQ(in<QLineEdit>(&dlg, "CNP2")->text(), QStringLiteral("12345674"));
    EXPECT_EQ(in<QLineEdit>(&dlg, "Adresa2")->text(), QStringLiteral("Str. Mare 1"));
    EXPECT_EQ(in<QLineEdit>(&dlg, "Loc2")->text(), QStringLiteral("Zau"));
    EXPECT_EQ(in<QComboBox>(&dlg, "Jud2")->currentText(), QStringLiteral("MURES"));

    // Enter moves from the number to the suffix; the notes keep their Enter.
    dlg.show();
    QApplication::setActiveWindow(&dlg);
    in<QLineEdit>(&dlg, "NrCon")->setFocus();
    QTest::keyClick(in<QLineEdit>(&dlg, "NrCon"), Qt::Key_Return);
    EXPECT_EQ(QApplication::focusWidget(), dlg.input(QStringLiteral("NRCPER")));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_EQ(QApplication::focusWidget(), dlg.input(QStringLiteral("DataCon")));
    EXPECT_TRUE(dlg.isVisible());
    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_FALSE(dlg.result_());
}

TEST_F(Editors, ChangingAContractShowsItsValuesAndFindsNoDuplicateInItself)
{
    ContractInput c = validContract();
    c.JUD1 = QStringLiteral("SATU-MARE");
    c.TIPPLATA = QStringLiteral("PROCENT");
    c.VALOARE = 12.5;
    const qint64 id = svc->addContract(c);

    TAddCon dlg(*svc, prompter);
    dlg.ClearFields();
    dlg.setTypeItems({QStringLiteral("ARENDA")});
    dlg.setValues(*svc->contract(id));
    dlg.prepare(QString::number(id));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral("Modificare Contract"));
    EXPECT_EQ(in<QComboBox>(&dlg, "Jud1")->currentText(), QStringLiteral("SATU-MARE"));
    EXPECT_EQ(in<QComboBox>(&dlg, "TipPlata")->currentText(), QStringLiteral("PROCENT"));
    EXPECT_EQ(in<QLineEdit>(&dlg, "Valoare")->text(), QStringLiteral("12.5"));
    dlg.MemoButClick();
    EXPECT_TRUE(dlg.result_()) << (prompter.hints.isEmpty() ? std::string() : prompter.hints[0].toStdString());
    // A change does not touch the remembered values.
    EXPECT_TRUE(db->settings().ReadSetting(QStringLiteral("TEMP"), QStringLiteral("NUME1")).isEmpty());
}

// --- TAddParc -------------------------------------------------------------------------------

TEST_F(Editors, ParcelEditorDefaultsAndUsableSurface)
{
    const qint64 id = svc->addContract(validContract());
    ParcelInput p = validParcel();
    p.ACULTNR = QStringLiteral("7");
    svc->addParcel(id, p);
    p.ACULTNR = QStringLiteral("12");
    p.CULTURA = QStringLiteral("GRAU");
    svc->addParcel(id, p);

    TAddParc dlg(*svc, prompter);
    dlg.ClearFields();
    dlg.setContract(*svc->contract(id));
    EXPECT_EQ(dlg.contractLabel()->text(), QStringLiteral("CONTRACT Nr.12"));
    EXPECT_EQ(in<QComboBox>(&dlg, "ACultNr")->currentText(), QStringLiteral("12")); // smallest text first
    EXPECT_EQ(in<QComboBox>(&dlg, "Cultura")->count(), 1);
    EXPECT_EQ(in<QComboBox>(&dlg, "Categ")->currentText(), QStringLiteral("Teren arabil"));
    EXPECT_EQ(in<QComboBox>(&dlg, "Categ")->count(), 11);
    EXPECT_EQ(in<QLineEdit>(&dlg, "ParcNr")->text(), QStringLiteral("0"));

    auto *supraf = in<QLineEdit>(&dlg, "Supraf");
    auto *supu = in<QLineEdit>(&dlg, "Supu");
    supraf->clear();
    QTest::keyClicks(supraf, QStringLiteral("2.5"));
    EXPECT_EQ(supu->text(), QStringLiteral("2.5"));
    supu->setText(QStringLiteral("2"));
    EXPECT_EQ(supu->text(), QStringLiteral("2"));

    // Filling a stored parcel keeps its usable surface.
    ParcelInput stored = validParcel(3);
    stored.SUPU = 1.5;
    stored.CATEG = QStringLiteral("Paduri");
    dlg.setValues(stored);
    EXPECT_EQ(supu->text(), QStringLiteral("1.5"));
    EXPECT_EQ(in<QComboBox>(&dlg, "Categ")->currentText(), QStringLiteral("Paduri"));
}

TEST_F(Editors, ParcelEditorRefusesAndAsks)
{
    const qint64 id = svc->addContract(validContract());
    const ContractRecord c = *svc->contract(id);
    TAddParc dlg(*svc, prompter);
    dlg.ClearFields();
    dlg.setContract(c);
    dlg.prepare(QStringLiteral("-1"), c.EXPIRA, c.DATACON);

    dlg.MemoButClick(); // surface 0
    EXPECT_FALSE(dlg.result_());
    ASSERT_EQ(prompter.hints.size(), 1);
    EXPECT_EQ(prompter.hints[0], QStringLiteral("Mai trebuie o valoare aici!"));
    EXPECT_EQ(prompter.hintControls[0], dlg.input(QStringLiteral("Supraf")));

    in<QLineEdit>(&dlg, "Supraf")->setText(QStringLiteral("1.25"));
    in<QLineEdit>(&dlg, "TarlaNr")->setText(QStringLiteral("  T  3 "));
    prompter.answers = {ResultNo};
    dlg.MemoButClick(); // parcel number 0: Nu keeps the dialog open
    EXPECT_FALSE(dlg.result_());
    ASSERT_EQ(prompter.messages.size(), 1);
    EXPECT_EQ(prompter.messages[0].text, QStringLiteral("Nu ati scris numarul parcelei!\rContinuam asa?"));
    EXPECT_EQ(in<QLineEdit>(&dlg, "TarlaNr")->text(), QStringLiteral("T 3"));

    prompter.answers = {ResultYes};
    dlg.MemoButClick();
    EXPECT_TRUE(dlg.result_());
    const ParcelInput v = dlg.values();
    EXPECT_EQ(v.PARCNR, 0);
    EXPECT_DOUBLE_EQ(v.SUPRAF, 1.25);
    EXPECT_DOUBLE_EQ(v.SUPU, 1.25);
}
