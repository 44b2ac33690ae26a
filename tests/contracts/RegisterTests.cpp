// The register window driven through its objects with a scripted prompter.
#include "ContractsTestSupport.h"

#include "contracts/RegisterExports.h"
#include "contracts/ui/AddConU.h"
#include "contracts/ui/AddParcU.h"
#include "contracts/ui/EvidenteU.h"
#include "datastore/ShellOpener.h"
#include "reports/ExportXLSModel.h"
#include "session/AdminSettings.h"
#include "TestSupport.h"
#include "widgets/DataGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

using namespace ogx;
using namespace ogx::test;

namespace {

class Register : public DataFixture {
protected:
    void SetUp() override
    {
        DataFixture::SetUp();
        reports = std::make_unique<ExportXLSModel>(ws, shell);
        admin.comuna = QStringLiteral("BOSANCI");
        win = std::make_unique<TEvidente>(ws, *db, prompter, progress, shell, *reports);
        win->setAdminSettings(&admin);
        win->setMainWindow(&mainWindow);
    }
    void TearDown() override
    {
        win.reset();
        DataFixture::TearDown();
    }
    qint64 add(const char *nume1, qint64 nr, const char *start, const char *end)
    {
        ContractInput c = validContract();
        c.NUME1 = QLatin1String(nume1);
        c.NRCON = nr;
        c.DATACON = dmy(start);
        c.EXPIRA = dmy(end);
        return svc->addContract(c);
    }
    bool enabled(const char *name) { return win->button(QLatin1String(name))->isEnabled(); }
    QStringList enabledButtons()
    {
        QStringList on;
        for (const char *n : {"Button1", "ModiConB", "DelConB", "CopyCon", "ListConB", "PlatiB", "TabConB", "ExpConB",
                              "ShowAt", "EditAt", "DelAt", "AddSupB", "ModiSupB", "DelSupB", "COfB", "ExpParcXLSB",
                              "Button8"})
            if (enabled(n))
                on << QLatin1String(n);
        return on;
    }
    ScriptedPrompter prompter;
    NoProgress progress;
    RecordingShellOpener shell;
    AdminSettings admin;
    QWidget mainWindow;
    std::unique_ptr<ExportXLSModel> reports;
    std::unique_ptr<TEvidente> win;
};

} // namespace

TEST_F(Register, EmptyListDisablesEveryCommandNeedingAContract)
{
    win->OpenRegister();
    EXPECT_FALSE(mainWindow.isEnabled());
    EXPECT_EQ(win->windowTitle(), QStringLiteral("Contracte de Ogorix"));
    EXPECT_EQ(win->totalText(), QStringLiteral("0"));
    EXPECT_EQ(win->parcelCount(), 0);
    EXPECT_EQ(enabledButtons(), (QStringList{QStringLiteral("Button1"), QStringLiteral("Button8")}));
    win->setReadOnly(true);
    EXPECT_EQ(enabledButtons(), QStringList{QStringLiteral("Button8")});
    win->close();
    EXPECT_TRUE(mainWindow.isEnabled());
}

TEST_F(Register, ReadOnlyKeepsDocumentsExportsPaymentsAndAttaching)
{
    const qint64 id = add("POPESCU ION", 1, "01.03.2024", "01.03.2029");
    svc->addParcel(id, validParcel());
    win->setReadOnly(true);
    win->OpenRegister();
    EXPECT_EQ(enabledButtons(),
              (QStringList{QStringLiteral("ListConB"), QStringLiteral("PlatiB"), QStringLiteral("TabConB"),
                           QStringLiteral("ExpConB"), QStringLiteral("EditAt"), QStringLiteral("COfB"),
                           QStringLiteral("ExpParcXLSB"), QStringLiteral("Button8")}));
    // The commands themselves refuse to change anything.
    win->DelConBClick();
    win->CopyConClick();
    EXPECT_TRUE(prompter.messages.isEmpty());
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Contract")), 1);

    win->setReadOnly(false);
    EXPECT_EQ(enabledButtons().size(), 15); // all but the two attached-file commands
    EXPECT_FALSE(enabled("ShowAt"));
    EXPECT_FALSE(enabled("DelAt"));
}

TEST_F(Register, OpensOnTheNewestContractAndFollowsTheSearchPanel)
{
    add("POPESCU ION", 1, "01.03.2024", "10.12.2026"); // expires today: active
    add("POPA ANA", 2, "01.03.2023", "09.12.2026");    // expired yesterday
    add("IONESCU DAN", 3, "01.05.2024", "01.03.2029");
    const qint64 newest = add("POPOVICI IOANA", 4, "01.06.2024", "01.03.2029");
    win->OpenRegister();
    EXPECT_EQ(win->selectedContract()->IDCON, newest);
    EXPECT_EQ(win->totalText(), QStringLiteral("3"));

    auto *nume1 = qobject_cast<QComboBox *>(win->control(QStringLiteral("Nume1F")));
    auto *active = qobject_cast<QCheckBox *>(win->control(QStringLiteral("DoarActive")));
    EXPECT_EQ(nume1->count(), 4); // every lessor, also the expired one
    nume1->setEditText(QStringLiteral("POP"));
    EXPECT_EQ(win->totalText(), QStringLiteral("2"));
    EXPECT_EQ(win->selectedContract()->NUME1, QStringLiteral("POPESCU ION")); // the first row shown
    active->setChecked(false);
    EXPECT_EQ(win->totalText(), QStringLiteral("3"));
    nume1->setEditText(QString());
    EXPECT_EQ(win->totalText(), QStringLiteral("4"));

    qobject_cast<QLineEdit *>(win->control(QStringLiteral("NrCon")))->setText(QStringLiteral("3"));
    EXPECT_EQ(win->totalText(), QStringLiteral("1"));
    EXPECT_EQ(win->selectedContract()->NUME1, QStringLiteral("IONESCU DAN"));

    // A change made while a run lets window messages through is served by one more run.
    QTimer::singleShot(0, win.get(), [&] {
        qobject_cast<QLineEdit *>(win->control(QStringLiteral("NrCon")))->setText(QStringLiteral("4"));
    });
    win->Filtru();
    EXPECT_EQ(win->totalText(), QStringLiteral("1"));
    EXPECT_EQ(win->selectedContract()->IDCON, newest);

    // Nothing listed: the parcels are empty too.
    qobject_cast<QLineEdit *>(win->control(QStringLiteral("NrCon")))->setText(QStringLiteral("99"));
    EXPECT_EQ(win->totalText(), QStringLiteral("0"));
    EXPECT_FALSE(win->selectedContract().has_value());
    EXPECT_FALSE(enabled("ModiConB"));

    // The panel is reset (the active-only box keeps its state).
    win->ResetFilterPanel();
    EXPECT_TRUE(qobject_cast<QLineEdit *>(win->control(QStringLiteral("NrCon")))->text().isEmpty());
    EXPECT_FALSE(active->isChecked());
    EXPECT_EQ(win->totalText(), QStringLiteral("4"));
}

TEST_F(Register, SortingByTitle)
{
    add("C", 2, "01.03.2024", "01.03.2029");
    add("A", 1, "01.04.2024", "01.03.2029");
    win->OpenRegister();
    win->SMDBGrid1TitleClick(1); // the "/" beside the number
    EXPECT_EQ(win->contractOrder(), QStringLiteral("NRCON, NRCPER"));
    EXPECT_EQ(win->contractGrid()->model()->index(0, 7).data().toString(), QStringLiteral("A"));
    EXPECT_EQ(win->selectedContract()->NUME1, QStringLiteral("A")); // the same contract stays selected
    win->SMDBGrid1TitleClick(7);
    EXPECT_EQ(win->contractOrder(), QStringLiteral("NUME1"));

    qobject_cast<QLineEdit *>(win->control(QStringLiteral("NrCon")))->setText(QStringLiteral("2"));
    win->SMDBGrid1TitleClick(9); // one contract listed: nothing happens
    EXPECT_EQ(win->contractOrder(), QStringLiteral("NUME1"));
}

TEST_F(Register, DeleteDuplicateAndAttachedFile)
{
    const qint64 a = add("A", 1, "01.03.2024", "01.03.2029");
    const qint64 b = add("B", 2, "01.04.2024", "01.03.2029");
    const qint64 c = add("C", 3, "01.05.2024", "01.03.2029");
    win->OpenRegister();
    ASSERT_TRUE(win->selectContract(b));

    prompter.answers = {ResultNo};
    win->DelConBClick();
    EXPECT_EQ(win->contractCount(), 3);
    prompter.answers = {ResultYes};
    win->DelConBClick();
    EXPECT_EQ(prompter.messages.back().title, QStringLiteral("Stergere Contract"));
    EXPECT_EQ(win->contractCount(), 2);
    EXPECT_EQ(win->selectedContract()->IDCON, c); // the next row

    win->CopyConClick();
    ASSERT_GE(prompter.messages.size(), 2);
    const auto &ask = prompter.messages[prompter.messages.size() - 2];
    EXPECT_EQ(ask.title, QStringLiteral("Dublura Contract"));
    EXPECT_EQ(ask.text, QStringLiteral("\rDoriti sa adaugam o dublura la Contractul 3/01.05.2024 ?"));
    EXPECT_EQ(prompter.messages.back().title, QStringLiteral("Dublare contract"));
    EXPECT_EQ(win->contractCount(), 3);
    EXPECT_NE(win->selectedContract()->IDCON, c);
    EXPECT_EQ(win->selectedContract()->NUME1, QStringLiteral("C"));

    // Attached file: choose, show, forget.
    win->selectContract(a);
    const QString file = dir.filePath(QStringLiteral("scan.pdf"));
    win->chooseFile = [&](const QString &title) {
        EXPECT_EQ(title, QStringLiteral("Alegeti fisierul"));
        return file;
    };
    win->EditAtClick();
    EXPECT_EQ(win->attachedFileText(), file);
    EXPECT_TRUE(enabled("ShowAt"));
    win->ShowAtClick(); // missing on disk
    EXPECT_EQ(prompter.messages.back().title, QStringLiteral("Deschidere fisier"));
    EXPECT_EQ(prompter.messages.back().text, u"\rFisierul " + file + u" nu exista!");
    EXPECT_TRUE(shell.opened.isEmpty());
    QFile f(file);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    win->ShowAtClick();
    EXPECT_EQ(shell.opened, QStringList{file});
    win->DelAtClick();
    EXPECT_EQ(prompter.messages.back().title, QStringLiteral("Sterge atasamentul"));
    EXPECT_TRUE(win->attachedFileText().isEmpty());
    EXPECT_FALSE(enabled("DelAt"));
    EXPECT_TRUE(QFileInfo::exists(file)); // the file itself stays
}

TEST_F(Register, AddContractAndParcelThroughTheEditors)
{
    win->OpenRegister();
    QSignalSpy surfaces(win.get(), &TEvidente::surfacesChanged);
    QTimer::singleShot(0, win.get(), [&] {
        TAddCon &d = win->addCon();
        qobject_cast<QLineEdit *>(d.input(QStringLiteral("NrCon")))->setText(QStringLiteral("21"));
        qobject_cast<QLineEdit *>(d.input(QStringLiteral("Nume1")))->setText(QStringLiteral("MARIN ION"));
        qobject_cast<QComboBox *>(d.input(QStringLiteral("Nume2")))->setEditText(QStringLiteral("AGRO SRL"));
        qobject_cast<QDateEdit *>(d.input(QStringLiteral("Expira")))->setDate(dmy("01.01.2031"));
        d.MemoButClick();
    });
    win->Button1Click();
    ASSERT_EQ(win->contractCount(), 1);
    const ContractRecord c = *win->selectedContract();
    EXPECT_EQ(c.NRCON, 21);
    EXPECT_EQ(c.NUME1, QStringLiteral("MARIN ION"));
    EXPECT_EQ(c.TIPCON, QStringLiteral("ARENDA"));
    EXPECT_EQ(surfaces.count(), 1);

    QTimer::singleShot(0, win.get(), [&] {
        TAddParc &d = win->addParc();
        qobject_cast<QLineEdit *>(d.input(QStringLiteral("ParcNr")))->setText(QStringLiteral("5"));
        qobject_cast<QLineEdit *>(d.input(QStringLiteral("Supraf")))->setText(QStringLiteral("1.2345"));
        d.MemoButClick();
    });
    win->AddSupBClick();
    EXPECT_EQ(win->parcelCount(), 1);
    EXPECT_DOUBLE_EQ(win->selectedContract()->SUPRAFT, 1.2345);
    EXPECT_EQ(win->selectedParcel()->PARCNR, 5);
    EXPECT_TRUE(enabled("ModiSupB"));

    // Payments get the details text.
    QSignalSpy pay(win.get(), &TEvidente::paymentsRequested);
    win->PlatiBClick();
    ASSERT_EQ(pay.count(), 1);
    EXPECT_EQ(pay[0][0].toString(), u"MARIN ION: Contract 21/" + c.DATACON.toString(QStringLiteral("dd.MM.yyyy")));

    // Deleting the only parcel empties the sum; with no parcel left the hint shows.
    prompter.answers = {ResultYes};
    win->DelSupBClick();
    EXPECT_EQ(win->parcelCount(), 0);
    EXPECT_EQ(win->selectedContract()->SUPRAFT, 0);
    win->DelSupBClick();
    EXPECT_EQ(prompter.hints.back(), QStringLiteral("Nu aveti ce sterge!"));

    // Export of the parcels of a contract without parcels.
    win->ExpParcXLSBClick();
    EXPECT_EQ(prompter.messages.back().text, NoParcelsText());
    win->ExpConBClick();
    EXPECT_FALSE(win->lastExport().isEmpty());
    EXPECT_EQ(shell.opened.back(), win->lastExport());
}

TEST_F(Register, ChangingAContractOffersToRebuildItsDocument)
{
    const qint64 id = add("POPESCU ION", 7, "01.03.2024", "01.03.2029");
    const qint64 parc = svc->addParcel(id, validParcel(2));
    QFile doc(svc->storedDocumentPath(id));
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
    doc.close();
    win->OpenRegister();
    qobject_cast<QComboBox *>(win->control(QStringLiteral("Nume1F")))->setEditText(QStringLiteral("POP"));

    // Nu keeps the old document.
    QTimer::singleShot(0, win.get(), [&] {
        TAddCon &d = win->addCon();
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Modificare Contract"));
        EXPECT_EQ(qobject_cast<QLineEdit *>(d.input(QStringLiteral("NrCon")))->text(), QStringLiteral("7"));
        qobject_cast<QLineEdit *>(d.input(QStringLiteral("Nume1")))->setText(QStringLiteral("POPESCU IONEL"));
        d.MemoButClick();
    });
    prompter.answers = {ResultNo};
    win->ModiConBClick();
    EXPECT_EQ(prompter.messages.back().title, QStringLiteral("Modificare Contract"));
    EXPECT_EQ(prompter.messages.back().text, QStringLiteral("Doriti sa refaceti vechiul contract scris?"));
    EXPECT_TRUE(QFileInfo::exists(svc->storedDocumentPath(id)));
    EXPECT_EQ(win->selectedContract()->NUME1, QStringLiteral("POPESCU IONEL"));
    EXPECT_DOUBLE_EQ(win->selectedContract()->SUPRAFT, 2); // the surface is kept
    // The filter panel was reset.
    EXPECT_TRUE(qobject_cast<QComboBox *>(win->control(QStringLiteral("Nume1F")))->currentText().isEmpty());

    // Da on a parcel change deletes it.
    QTimer::singleShot(0, win.get(), [&] {
        TAddParc &d = win->addParc();
        EXPECT_EQ(qobject_cast<QLineEdit *>(d.input(QStringLiteral("Supraf")))->text(), QStringLiteral("2"));
        qobject_cast<QLineEdit *>(d.input(QStringLiteral("Supraf")))->setText(QStringLiteral("3.5"));
        d.MemoButClick();
    });
    prompter.answers = {ResultYes};
    win->ModiSupBClick();
    EXPECT_EQ(prompter.messages.back().title, QStringLiteral("Modificare Suprafata"));
    EXPECT_FALSE(QFileInfo::exists(svc->storedDocumentPath(id)));
    EXPECT_EQ(win->selectedParcel()->IDPARC, parc);
    EXPECT_DOUBLE_EQ(win->selectedParcel()->SUPU, 3.5);
    EXPECT_DOUBLE_EQ(win->selectedContract()->SUPRAFT, 3.5);
}
