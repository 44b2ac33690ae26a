#include "ContractsTestSupport.h"

#include "contracts/EditorChecks.h"
#include "contracts/RegisterFilter.h"
#include "datastore/Error.h"
#include "datastore/Settings.h"
#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>

#include <functional>

using namespace ogx;
using namespace ogx::test;

namespace {

class ContractRules : public DataFixture {};

struct RefusalCase {
    const char *name;
    std::function<void(ContractInput &)> change;
    const char *control; // nullptr: accepted
    const char *text;
};

} // namespace

TEST_F(ContractRules, EditorChecksRefuseInTheirOrder)
{
    const RefusalCase cases[] = {
        {"valid", [](ContractInput &) {}, nullptr, nullptr},
        {"number 0", [](ContractInput &c) { c.NRCON = 0; }, "NrCon", "Numar de contract incorect!"},
        {"number first, before the dates",
         [](ContractInput &c) { c.NRCON = 0; c.EXPIRA = c.DATACON; }, "NrCon", "Numar de contract incorect!"},
        {"start equals end", [](ContractInput &c) { c.EXPIRA = c.DATACON; }, "Expira", "Data Expirarii incorecta!"},
        {"start after end", [](ContractInput &c) { c.EXPIRA = c.DATACON.addDays(-1); }, "Expira",
         "Data Expirarii incorecta!"},
        {"blank type", [](ContractInput &c) { c.TIPCON = QStringLiteral("  \""); }, "TipCon",
         "Nu ati scris Tipul de contract !"},
        {"lessor of two letters", [](ContractInput &c) { c.NUME1 = QStringLiteral(" AB  "); }, "Nume1", "Nume incorect!"},
        {"lessor of three letters after cleaning", [](ContractInput &c) { c.NUME1 = QStringLiteral(" A   B "); },
         nullptr, nullptr},
        {"lessee of two letters", [](ContractInput &c) { c.NUME2 = QStringLiteral("XY"); }, "Nume2", "Nume incorect!"},
        {"bad lessor code", [](ContractInput &c) { c.CNP1 = QStringLiteral("1850302123452"); }, "CNP1",
         "CNP/Cod Fiscal incorect!"},
        {"fiscal code for the lessor", [](ContractInput &c) { c.CNP1 = QStringLiteral("RO 18547290"); }, nullptr, nullptr},
        {"empty codes", [](ContractInput &c) { c.CNP1.clear(); c.CNP2.clear(); }, nullptr, nullptr},
        {"bad lessee code", [](ContractInput &c) { c.CNP2 = QStringLiteral("18547291"); }, "CNP2",
         "CNP/Cod Fiscal incorect!"},
        {"no lessee county", [](ContractInput &c) { c.JUD2.clear(); }, "Jud2", "Nu ati ales niciun judet!"},
        {"100 percent", [](ContractInput &c) { c.TIPPLATA = QStringLiteral("PROCENT"); c.VALOARE = 100; }, nullptr, nullptr},
        {"100.5 percent", [](ContractInput &c) { c.TIPPLATA = QStringLiteral("PROCENT"); c.VALOARE = 100.5; }, "Valoare",
         "Ce avioane mi-ati scris aici ?!"},
        {"150 lei is no percentage", [](ContractInput &c) { c.VALOARE = 150; }, nullptr, nullptr},
        {"two letters before @", [](ContractInput &c) { c.EMAIL = QStringLiteral("ab@mail.ro"); }, "Email",
         "E-mail incorect!"},
        {"four-letter domain end", [](ContractInput &c) { c.EMAIL = QStringLiteral("abc@mail.info"); }, "Email",
         "E-mail incorect!"},
        {"good e-mail", [](ContractInput &c) { c.EMAIL = QStringLiteral("ion.pop@mail.ro"); }, nullptr, nullptr},
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.name);
        ContractInput in = validContract();
        tc.change(in);
        const CheckOutcome out = svc->checkContract(in, -1);
        if (!tc.control) {
            EXPECT_FALSE(out.refusal.has_value()) << out.refusal->text.toStdString();
            EXPECT_TRUE(out.questions.isEmpty());
        } else {
            ASSERT_TRUE(out.refusal.has_value());
            EXPECT_EQ(out.refusal->control, QLatin1String(tc.control));
            EXPECT_EQ(out.refusal->text, QLatin1String(tc.text));
        }
    }
}

TEST_F(ContractRules, NormalisesTheStoredTexts)
{
    ContractInput in = validContract();
    in.NUME1 = QStringLiteral("  POP   \"ION\" ");
    in.NRCPER = QStringLiteral(" A  B ");
    in.VALOARE = 12.345678;
    in.ADRESA1 = QStringLiteral("STR. \"MARE\"  1"); // stored as typed
    svc->checkContract(in, -1);
    EXPECT_EQ(in.NUME1, QStringLiteral("POP ION"));
    EXPECT_EQ(in.NRCPER, QStringLiteral("A B"));
    EXPECT_DOUBLE_EQ(in.VALOARE, 12.3457);
    EXPECT_EQ(in.ADRESA1, QStringLiteral("STR. \"MARE\"  1"));

    // A quote kept in an uncleaned input is stored and read back unchanged.
    const qint64 id = svc->addContract(in);
    EXPECT_EQ(svc->contract(id)->ADRESA1, QStringLiteral("STR. \"MARE\"  1"));
}

TEST_F(ContractRules, SameNumberIsRefusedOnlyForAnotherActiveContract)
{
    const qint64 first = svc->addContract(validContract());
    const qint64 expired = [&] {
        ContractInput c = validContract();
        c.NRCON = 30;
        c.DATACON = dmy("01.01.2020");
        c.EXPIRA = dmy("09.12.2026"); // yesterday
        return svc->addContract(c);
    }();

    struct Case { const char *name; std::function<void(ContractInput &)> change; qint64 id; bool refused; };
    const Case cases[] = {
        {"same number, date, suffix, lessor", [](ContractInput &) {}, -1, true},
        {"the contract itself", [](ContractInput &) {}, first, false},
        {"other suffix", [](ContractInput &c) { c.NRCPER = QStringLiteral("A"); }, -1, false},
        {"other start date", [](ContractInput &c) { c.DATACON = c.DATACON.addDays(1); }, -1, false},
        {"other lessor", [](ContractInput &c) { c.NUME1 = QStringLiteral("POPESCU IOANA"); }, -1, false},
        {"number of an expired contract",
         [](ContractInput &c) { c.NRCON = 30; c.DATACON = dmy("01.01.2020"); }, -1, false},
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.name);
        ContractInput in = validContract();
        tc.change(in);
        const CheckOutcome out = svc->checkContract(in, tc.id);
        if (tc.refused) {
            ASSERT_TRUE(out.refusal.has_value());
            EXPECT_EQ(out.refusal->control, QStringLiteral("NrCon"));
            EXPECT_EQ(out.refusal->text, QStringLiteral("Mai exista un contract activ cu acelasi numar!"));
        } else {
            EXPECT_FALSE(out.refusal.has_value());
        }
    }
    EXPECT_GT(expired, first);
}

TEST_F(ContractRules, DeedAndLessorLesseeWarningsAreAskedInOrder)
{
    ContractInput old = validContract();
    old.NRCON = 1;
    old.ACTP = QStringLiteral("TP 123/1991");
    old.CNP1.clear();
    old.CNP2.clear();
    svc->addContract(old);

    ContractInput in = validContract();
    in.NRCON = 2;
    in.ACTP = QStringLiteral("TP  123/1991"); // the doubled blank is cleaned away
    in.CNP1.clear();
    in.CNP2.clear();
    CheckOutcome out = svc->checkContract(in, -1);
    ASSERT_FALSE(out.refusal.has_value());
    ASSERT_EQ(out.questions.size(), 2);
    EXPECT_EQ(out.questions[0].title, QStringLiteral("Verificare Contract"));
    EXPECT_EQ(out.questions[0].text,
              QStringLiteral("\rActul de proprietate TP 123/1991\rmai exista la Contractul nr.1 !\rContinuati asa?"));
    EXPECT_EQ(out.questions[1].title, QStringLiteral("Notificari"));
    EXPECT_EQ(out.questions[1].text, QStringLiteral("Mai exista acest CNP arendas la un contract activ!\rContinuam asa?"));

    // The prompter asks both; a Nu to the first stops without asking the second.
    ScriptedPrompter p;
    p.answers = {ResultNo};
    EXPECT_FALSE(ConfirmOutcome(p, out, {}));
    EXPECT_EQ(p.messages.size(), 1);
    EXPECT_EQ(p.messages[0].kind, Warning);
    EXPECT_EQ(p.messages[0].buttons, ButtonYes | ButtonNo);
    ScriptedPrompter yes;
    EXPECT_TRUE(ConfirmOutcome(yes, out, {}));
    EXPECT_EQ(yes.messages.size(), 2);

    // A contract that ends on the day the new one starts is no overlap for the codes; the
    // deed check looks only at the start of the stored contract.
    in.DATACON = dmy("01.03.2029");
    in.EXPIRA = dmy("01.03.2030");
    out = svc->checkContract(in, -1);
    ASSERT_EQ(out.questions.size(), 1);
    EXPECT_EQ(out.questions[0].title, QStringLiteral("Verificare Contract"));

    // A refusal is shown as a hint and asks nothing.
    CheckOutcome refused;
    refused.refusal = EditorIssue{QStringLiteral("NrCon"), {}, QStringLiteral("Numar de contract incorect!")};
    ScriptedPrompter hint;
    EXPECT_FALSE(ConfirmOutcome(hint, refused, {}));
    EXPECT_EQ(hint.hints, QStringList{QStringLiteral("Numar de contract incorect!")});
    EXPECT_TRUE(hint.messages.isEmpty());
}

TEST_F(ContractRules, RememberedValuesComeBackForTheNextNewContract)
{
    EXPECT_FALSE(svc->rememberedContract().DATACON.isValid());
    ContractInput in = validContract();
    svc->rememberNewContract(in);
    const RememberedContract r = svc->rememberedContract();
    EXPECT_EQ(r.DATACON, in.DATACON);
    EXPECT_EQ(r.EXPIRA, in.EXPIRA);
    EXPECT_EQ(r.NUME1, in.NUME1);
    EXPECT_EQ(r.CNP1, in.CNP1);
    EXPECT_EQ(r.NUME2, in.NUME2);
    EXPECT_EQ(r.CNP2, in.CNP2);
    EXPECT_EQ(db->settings().ReadSetting(QStringLiteral("TEMP"), QStringLiteral("DATACON")), QStringLiteral("01.03.2024"));
}

// --- parcels ---------------------------------------------------------------------------

namespace {
class ParcelRules : public DataFixture {};
} // namespace

TEST_F(ParcelRules, ZeroSurfaceIsRefusedAndMissingNumberAsked)
{
    ParcelInput p = validParcel(0);
    CheckOutcome out = svc->checkParcel(p, -1, dmy("01.01.2020"), dmy("01.01.2025"));
    ASSERT_TRUE(out.refusal.has_value());
    EXPECT_EQ(out.refusal->control, QStringLiteral("Supraf"));
    EXPECT_EQ(out.refusal->text, QStringLiteral("Mai trebuie o valoare aici!"));

    p = validParcel(-0.5); // a correction: accepted
    p.PARCNR = 0;
    out = svc->checkParcel(p, -1, dmy("01.01.2020"), dmy("01.01.2025"));
    EXPECT_FALSE(out.refusal.has_value());
    ASSERT_EQ(out.questions.size(), 1);
    EXPECT_EQ(out.questions[0].title, QStringLiteral("Adaugare parcela"));
    EXPECT_EQ(out.questions[0].text, QStringLiteral("Nu ati scris numarul parcelei!\rContinuam asa?"));

    p = validParcel();
    p.SIRUTA = QStringLiteral("12A");
    out = svc->checkParcel(p, -1, dmy("01.01.2020"), dmy("01.01.2025"));
    ASSERT_TRUE(out.refusal.has_value());
    EXPECT_EQ(out.refusal->control, QStringLiteral("Siruta"));
}

TEST_F(ParcelRules, OverlapWarningIsStrictOnBothEnds)
{
    ContractInput old = validContract();
    old.DATACON = dmy("01.01.2010");
    old.EXPIRA = dmy("01.01.2015");
    old.NUME1 = QStringLiteral("IONESCU ANA");
    const qint64 oldId = svc->addContract(old);
    ParcelInput stored = validParcel(1.25);
    stored.TARLADEN = QStringLiteral("LUNCA MARE");
    stored.PARCDET = QStringLiteral("A");
    const qint64 storedParc = svc->addParcel(oldId, stored);

    struct Case { const char *name, *start, *end; qint64 idparc; const char *tarla; bool warns; };
    const Case cases[] = {
        {"overlapping period", "01.01.2014", "01.01.2019", -1, "LUNCA MARE", true},
        {"starts on the day the other ends", "01.01.2015", "01.01.2019", -1, "LUNCA MARE", false},
        {"ends on the day the other starts", "01.01.2005", "01.01.2010", -1, "LUNCA MARE", false},
        {"a day inside at the start", "31.12.2014", "01.01.2019", -1, "LUNCA MARE", true},
        {"the parcel itself", "01.01.2010", "01.01.2015", storedParc, "LUNCA MARE", false},
        {"tarla name with a doubled blank", "01.01.2014", "01.01.2019", -1, "LUNCA  MARE", true},
        {"another tarla name", "01.01.2014", "01.01.2019", -1, "LUNCA", false},
    };
    for (const auto &tc : cases) {
        SCOPED_TRACE(tc.name);
        ParcelInput p = validParcel();
        p.TARLADEN = QLatin1String(tc.tarla);
        p.PARCDET = QStringLiteral("A");
        const CheckOutcome out = svc->checkParcel(p, tc.idparc, dmy(tc.start), dmy(tc.end));
        EXPECT_FALSE(out.refusal.has_value());
        if (tc.warns) {
            ASSERT_EQ(out.questions.size(), 1);
            EXPECT_EQ(out.questions[0].title, QStringLiteral("Memorare Parcela"));
            EXPECT_EQ(out.questions[0].text,
                      QStringLiteral("Aceasta Parcela mai este arendata de IONESCU ANA\rcu Contractul 12/01.01.2010 "
                                     "supraf.1.25ha !\rContinuati asa ?"));
        } else {
            EXPECT_TRUE(out.questions.isEmpty());
        }
    }

    // The same parcel twice in the same contract conflicts too.
    ParcelInput again = stored;
    const CheckOutcome out = svc->checkParcel(again, -1, old.DATACON, old.EXPIRA);
    EXPECT_EQ(out.questions.size(), 1);
}

TEST_F(ParcelRules, ContractSurfaceFollowsEveryParcelChange)
{
    const qint64 id = svc->addContract(validContract());
    auto supraft = [&] { return db->scalar(QStringLiteral("SELECT SUPRAFT FROM Contract WHERE IDCON=?"), {id}); };
    EXPECT_DOUBLE_EQ(supraft().toDouble(), 0);

    const qint64 a = svc->addParcel(id, validParcel(1.2345));
    const qint64 b = svc->addParcel(id, validParcel(2));
    EXPECT_DOUBLE_EQ(supraft().toDouble(), 3.2345);

    const qint64 c = svc->addParcel(id, validParcel(-0.5));
    EXPECT_DOUBLE_EQ(supraft().toDouble(), 2.7345);
    ParcelInput changed = validParcel(0.1);
    changed.SUPU = 0.05;
    svc->changeParcel(c, changed);
    EXPECT_DOUBLE_EQ(supraft().toDouble(), 3.3345);
    EXPECT_DOUBLE_EQ(svc->parcel(c)->SUPU, 0.05);
    svc->deleteParcel(c);

    svc->deleteParcel(a);
    EXPECT_DOUBLE_EQ(supraft().toDouble(), 2);
    svc->deleteParcel(b);
    EXPECT_TRUE(supraft().isNull()); // the sum over no rows

    // Many small surfaces sum exactly.
    for (int i = 0; i < 30; ++i)
        svc->addParcel(id, validParcel(0.1));
    EXPECT_EQ(ResultSet::displayText(supraft()), QStringLiteral("3"));
}

TEST_F(ParcelRules, ParcelChangesAreLoggedWithTheirContract)
{
    ContractInput in = validContract();
    in.NRCPER = QStringLiteral("B");
    const qint64 id = svc->addContract(in);
    const qint64 p = svc->addParcel(id, validParcel());
    svc->changeParcel(p, validParcel(3));
    svc->deleteParcel(p);
    const ResultSet log = db->query(QStringLiteral("SELECT ACTIUNE FROM Log ORDER BY IDLOG"));
    ASSERT_EQ(log.rowCount(), 4);
    EXPECT_EQ(log.text(0, 0), QStringLiteral("Adaugare Contract Nr.12 / 01.03.2024, POPESCU ION."));
    EXPECT_EQ(log.text(1, 0), QStringLiteral("Adaugare parcela la Contract Nr.12/B / 01.03.2024, POPESCU ION."));
    EXPECT_EQ(log.text(2, 0), QStringLiteral("Modificare parcela la Contract Nr.12 / 01.03.2024, POPESCU ION."));
    EXPECT_EQ(log.text(3, 0), QStringLiteral("Stergere parcela la Contract Nr.12 / 01.03.2024, POPESCU ION."));
}

TEST_F(ParcelRules, StoredValuesAndDocumentQuestion)
{
    const qint64 id = svc->addContract(validContract());
    ParcelInput p = validParcel(2.5);
    p.SUPU = 2;
    p.SIRUTA = QStringLiteral("123456");
    p.CULTURA = QStringLiteral("GRAU \"DE TOAMNA\""); // stored as typed
    p.CATEG = QStringLiteral("Pasuni naturale");
    QFile doc(svc->storedDocumentPath(id));
    ASSERT_TRUE(doc.open(QIODevice::WriteOnly));
    doc.close();
    const qint64 pid = svc->addParcel(id, p, /*deleteDocument=*/false);
    EXPECT_TRUE(svc->hasStoredDocument(id));
    const ParcelRecord r = *svc->parcel(pid);
    EXPECT_EQ(r.SIRUTA, 123456);
    EXPECT_EQ(r.CULTURA, QStringLiteral("GRAU \"DE TOAMNA\""));
    EXPECT_EQ(r.CATEG, QStringLiteral("Pasuni naturale"));
    EXPECT_DOUBLE_EQ(r.SUPU, 2);
    svc->changeParcel(pid, p, /*deleteDocument=*/true);
    EXPECT_FALSE(svc->hasStoredDocument(id));
}

// --- contracts: change, cascade, duplicate ----------------------------------------------

namespace {
class ContractChanges : public DataFixture {};
} // namespace

TEST_F(ContractChanges, ChangeKeepsSurfaceAndAttachedFile)
{
    const qint64 id = svc->addContract(validContract());
    svc->addParcel(id, validParcel(4));
    svc->setAttachedFile(id, QStringLiteral("/home/x/scan 'a' %.pdf"));
    ContractInput in = validContract();
    in.NUME1 = QStringLiteral("POPESCU VASILE");
    in.OBS = QStringLiteral("OBSERVATIE");
    svc->changeContract(id, in);
    const ContractRecord c = *svc->contract(id);
    EXPECT_EQ(c.NUME1, QStringLiteral("POPESCU VASILE"));
    EXPECT_EQ(c.OBS, QStringLiteral("OBSERVATIE"));
    EXPECT_DOUBLE_EQ(c.SUPRAFT, 4);
    EXPECT_EQ(c.FISIER, QStringLiteral("/home/x/scan 'a' %.pdf"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT ACTIUNE FROM Log ORDER BY IDLOG DESC LIMIT 1")).toString(),
              QStringLiteral("Modificare Contract Nr.12 / 01.03.2024, POPESCU VASILE."));

    EXPECT_THROW(svc->setAttachedFile(id, QString(161, u'a')), Error);
    svc->setAttachedFile(id, QString());
    EXPECT_EQ(svc->contract(id)->FISIER, QString());
}

TEST_F(ContractChanges, DeleteCascadesToParcelsPaymentsAndDocument)
{
    const qint64 keep = svc->addContract(validContract());
    ContractInput other = validContract();
    other.NRCON = 13;
    const qint64 gone = svc->addContract(other);
    for (qint64 id : {keep, gone}) {
        svc->addParcel(id, validParcel());
        svc->addParcel(id, validParcel(2));
        db->exec(QStringLiteral("INSERT INTO Plati2 (IDCON, IDPLATA, DEPLATA, PLATA) VALUES (?, ?, 100, 0)"), {id, id * 10});
        db->exec(QStringLiteral("INSERT INTO Plati2 (IDCON, IDPLATA, DEPLATA, PLATA) VALUES (?, ?, 0, 50)"), {id, id * 10 + 1});
        QFile f(svc->storedDocumentPath(id));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    svc->deleteContract(gone);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Contract WHERE IDCON=?"), {gone}), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Parcele WHERE IDCON=?"), {gone}), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Plati2 WHERE IDCON=?"), {gone}), 0);
    EXPECT_FALSE(QFileInfo::exists(svc->storedDocumentPath(gone)));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Parcele WHERE IDCON=?"), {keep}), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Plati2 WHERE IDCON=?"), {keep}), 2);
    EXPECT_TRUE(QFileInfo::exists(svc->storedDocumentPath(keep)));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT ACTIUNE FROM Log ORDER BY IDLOG DESC LIMIT 1")).toString(),
              QStringLiteral("Stergere Contract Nr.13 / 01.03.2024, POPESCU ION."));
}

TEST_F(ContractChanges, FailedChangeStoresNothingNotEvenTheLogLine)
{
    const qint64 id = svc->addContract(validContract());
    const qint64 logs = count(QStringLiteral("SELECT COUNT(*) FROM Log"));
    ContractInput in = validContract();
    in.VALOARE = 123456789; // wider than the column
    EXPECT_THROW(svc->changeContract(id, in), Error);
    EXPECT_THROW(svc->addContract(in), Error);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Log")), logs);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Contract")), 1);
    EXPECT_DOUBLE_EQ(svc->contract(id)->VALOARE, 500);
}

TEST_F(ContractChanges, DuplicateCopiesFieldsAndParcelsButNoPayments)
{
    ContractInput in = validContract();
    in.NRCPER = QStringLiteral("X");
    in.ACTP = QStringLiteral("TP 5");
    in.OBS = QStringLiteral("O");
    const qint64 id = svc->addContract(in);
    ParcelInput p1 = validParcel(1.5);
    p1.VECINN = QStringLiteral("DRUM");
    p1.SIRUTA = QStringLiteral("99");
    svc->addParcel(id, p1);
    svc->addParcel(id, validParcel(2.25));
    svc->setAttachedFile(id, QStringLiteral("/tmp/a.pdf"));
    db->exec(QStringLiteral("INSERT INTO Plati2 (IDCON, IDPLATA, DEPLATA) VALUES (?, 1, 100)"), {id});
    QFile f(svc->storedDocumentPath(id));
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();

    const qint64 copy = svc->duplicateContract(id);
    EXPECT_NE(copy, id);
    ContractRecord a = *svc->contract(id);
    ContractRecord b = *svc->contract(copy);
    EXPECT_EQ(b.IDCON, copy);
    b.IDCON = a.IDCON;
    EXPECT_EQ(b.NRCPER, a.NRCPER);
    EXPECT_EQ(b.DATACON, a.DATACON);
    EXPECT_EQ(b.FISIER, QStringLiteral("/tmp/a.pdf"));
    EXPECT_DOUBLE_EQ(b.SUPRAFT, 3.75);
    EXPECT_EQ(b.ACTP, a.ACTP);
    EXPECT_EQ(b.OBS, a.OBS);
    EXPECT_EQ(b.CNP2, a.CNP2);

    const QList<ParcelRecord> pa = svc->parcels(id);
    const QList<ParcelRecord> pb = svc->parcels(copy);
    ASSERT_EQ(pb.size(), 2);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(pb[i].IDCON, copy);
        EXPECT_NE(pb[i].IDPARC, pa[0].IDPARC);
        EXPECT_NE(pb[i].IDPARC, pa[1].IDPARC);
        EXPECT_DOUBLE_EQ(pb[i].SUPRAF, pa[i].SUPRAF);
        EXPECT_EQ(pb[i].VECINN, pa[i].VECINN);
        EXPECT_EQ(pb[i].SIRUTA, pa[i].SIRUTA);
    }
    EXPECT_NE(pb[0].IDPARC, pb[1].IDPARC);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM Plati2 WHERE IDCON=?"), {copy}), 0);
    EXPECT_FALSE(svc->hasStoredDocument(copy));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT ACTIUNE FROM Log ORDER BY IDLOG DESC LIMIT 1")).toString(),
              QStringLiteral("Adaugare dublura la Contractul 12/X/01.03.2024."));
    // Identifiers keep counting after the copy.
    EXPECT_GT(svc->addContract(validContract()), copy);
}

// --- the register's list ------------------------------------------------------------------

namespace {
class RegisterList : public DataFixture {
protected:
    qint64 add(const QString &nume1, const QString &nume2, const char *expira, qint64 nr = 1,
               const QString &per = QString(), const QString &tip = QStringLiteral("ARENDA"))
    {
        ContractInput c = validContract();
        c.NUME1 = nume1;
        c.NUME2 = nume2;
        c.NRCON = nr;
        c.NRCPER = per;
        c.TIPCON = tip;
        c.EXPIRA = dmy(expira);
        return svc->addContract(c);
    }
    QStringList names(const RegisterFilter &f, const QString &order = QString())
    {
        const ResultSet r = svc->listContracts(f, order);
        QStringList out;
        for (int i = 0; i < r.rowCount(); ++i)
            out << r.text(i, QStringLiteral("NUME1"));
        return out;
    }
};
} // namespace

TEST_F(RegisterList, FilterExpressionRules)
{
    const QDate today(2026, 12, 10);
    RegisterFilter f;
    EXPECT_EQ(FilterExpression(f, today), QStringLiteral("(EXPIRA>='10.12.2026')"));
    f.onlyActive = false;
    EXPECT_EQ(FilterExpression(f, today), QString());
    EXPECT_TRUE(FilterCondition(f, today).where.isEmpty());
    f.lessee = QStringLiteral("AGRO");
    EXPECT_EQ(FilterExpression(f, today), QStringLiteral("(NUME2='AGRO*')"));
    f.lessor = QStringLiteral("POP ");
    f.type = QStringLiteral("ARENDA");
    f.onlyActive = true;
    f.number = 12;
    f.regNumber = 0;
    f.suffix = QStringLiteral("   "); // blank: no condition
    f.regSuffix = QStringLiteral("B");
    EXPECT_EQ(FilterExpression(f, today),
              QStringLiteral("(NUME1='POP *') AND (NUME2='AGRO*') AND (TIPCON='ARENDA*') AND (EXPIRA>='10.12.2026') "
                             "AND (NRCON=12) AND (NRIPER='B*')"));
}

TEST_F(RegisterList, PrefixActiveAndNumberConditions)
{
    add(QStringLiteral("POPESCU ION"), QStringLiteral("AGRO SRL"), "10.12.2026", 1);        // expires today
    add(QStringLiteral("POPA ANA"), QStringLiteral("AGRO SRL"), "09.12.2026", 2);           // expired yesterday
    add(QStringLiteral("IONESCU POP"), QStringLiteral("FERMA SA"), "01.01.2030", 3, QStringLiteral("A"));
    add(QStringLiteral("O'NEIL 50% *_X"), QStringLiteral("FERMA SA"), "01.01.2030", 4, QString(),
        QStringLiteral("VANZARE"));
    add(QStringLiteral("O'NEILL"), QStringLiteral("FERMA SA"), "01.01.2030", 5);

    RegisterFilter f;
    EXPECT_EQ(names(f).size(), 4); // the expired one is hidden
    f.onlyActive = false;
    EXPECT_EQ(names(f).size(), 5);

    f.lessor = QStringLiteral("POP");
    EXPECT_EQ(names(f), (QStringList{QStringLiteral("POPESCU ION"), QStringLiteral("POPA ANA")}));
    f.onlyActive = true;
    EXPECT_EQ(names(f), QStringList{QStringLiteral("POPESCU ION")});

    struct Case { const char *typed; int found; };
    const Case literal[] = {{"O'NEIL", 2}, {"O'NEIL 50%", 1}, {"O'NEIL 50% *_", 1}, {"%", 0}, {"_", 0},
                            {"O_NEIL", 0}, {"O'NEIL 5_", 0}, {"*", 0}, {"POPESCU ION ", 1}, {"POPESCU ION  X", 0}};
    for (const auto &tc : literal) {
        SCOPED_TRACE(tc.typed);
        RegisterFilter g;
        g.lessor = QString::fromUtf8(tc.typed);
        EXPECT_EQ(names(g).size(), tc.found);
    }

    RegisterFilter g;
    g.type = QStringLiteral("VAN");
    EXPECT_EQ(names(g), QStringList{QStringLiteral("O'NEIL 50% *_X")});
    g = RegisterFilter{};
    g.number = 3;
    g.suffix = QStringLiteral("A");
    EXPECT_EQ(names(g), QStringList{QStringLiteral("IONESCU POP")});
    g.suffix = QStringLiteral("B");
    EXPECT_TRUE(names(g).isEmpty());
    g = RegisterFilter{};
    g.lessee = QStringLiteral("FERMA");
    EXPECT_EQ(names(g).size(), 3);
}

TEST_F(RegisterList, SortingRules)
{
    EXPECT_EQ(ContractOrderFor(QStringLiteral("nrcper")), QStringLiteral("NRCON, NRCPER"));
    EXPECT_EQ(ContractOrderFor(QStringLiteral("NRCON")), QStringLiteral("NRCON, NRCPER"));
    EXPECT_EQ(ContractOrderFor(QStringLiteral("NRIPER")), QStringLiteral("NRINREG, NRIPER"));
    EXPECT_EQ(ContractOrderFor(QStringLiteral("Nume2")), QStringLiteral("NUME2"));
    EXPECT_EQ(ContractOrderFor(QStringLiteral("NUME2; DROP")), QString());
    EXPECT_EQ(ParcelOrderFor(QStringLiteral("NrCADOld")), QStringLiteral("NRCADOLD"));

    add(QStringLiteral("C"), QStringLiteral("X2"), "01.01.2030", 2, QStringLiteral("B"));
    add(QStringLiteral("A"), QStringLiteral("X3"), "01.01.2030", 2, QStringLiteral("A"));
    add(QStringLiteral("B"), QStringLiteral("X1"), "01.01.2030", 1);
    RegisterFilter f;
    EXPECT_EQ(names(f, ContractOrderFor(QStringLiteral("NRCPER"))),
              (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")}));
    EXPECT_EQ(names(f, ContractOrderFor(QStringLiteral("NUME2"))),
              (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
    EXPECT_EQ(names(f, QStringLiteral("bogus")).size(), 3); // falls back to the default order
}

TEST_F(RegisterList, LesseeListTakesTheGreatestValueOfEachColumn)
{
    ContractInput a = validContract();
    a.NUME2 = QStringLiteral("AGRO SRL");
    a.CNP2 = QStringLiteral("12345674");
    a.ADRESA2 = QStringLiteral("STR. A");
    a.LOC2 = QStringLiteral("ZAU");
    a.JUD2 = QStringLiteral("ALBA");
    svc->addContract(a);
    ContractInput b = a;
    b.NRCON = 2;
    b.CNP2 = QStringLiteral("18547290");
    b.ADRESA2 = QStringLiteral("STR. Z");
    b.LOC2 = QStringLiteral("ARAD");
    b.JUD2 = QStringLiteral("IASI");
    svc->addContract(b);
    const QList<LesseeInfo> l = svc->lesseeList();
    ASSERT_EQ(l.size(), 1);
    EXPECT_EQ(l[0].CNP2, QStringLiteral("18547290"));
    EXPECT_EQ(l[0].ADRESA2, QStringLiteral("STR. Z"));
    EXPECT_EQ(l[0].LOC2, QStringLiteral("ZAU"));
    EXPECT_EQ(l[0].JUD2, QStringLiteral("IASI"));
    EXPECT_EQ(svc->distinctValues(QStringLiteral("Contract"), QStringLiteral("NUME2")), QStringList{QStringLiteral("AGRO SRL")});
    EXPECT_THROW(svc->distinctValues(QStringLiteral("Contract"), QStringLiteral("X) FROM Log --")), Error);
}
