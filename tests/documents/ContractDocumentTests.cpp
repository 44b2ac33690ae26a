#include "documents/ContractDocument.h"
#include "documents/SaleOfferDocument.h"

#include "DocumentTestSupport.h"
#include "datastore/Error.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace ogx;
using namespace ogx::test;

namespace {

QString s(const char *t) { return QString::fromUtf8(t); }

QString valueOf(const RtfPairs &pairs, const char *key)
{
    QString v;
    int hits = 0;
    for (const auto &[k, val] : pairs)
        if (k == QLatin1String(key)) {
            v = val;
            ++hits;
        }
    EXPECT_EQ(hits, 1) << key;
    return v;
}

class DocumentsTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    Workspace ws;
    RecordingShellOpener shell;
    QStringList log;

    void SetUp() override
    {
        ws.programDir = dir.path();
        ws.dataDir = ws.localDataDir = dir.filePath(QStringLiteral("Data"));
        ws.tempDir = dir.filePath(QStringLiteral("Temp"));
        QDir().mkpath(ws.dataDir);
        for (const char *t : {"ModCon3.rtf", "ModCon4.rtf", "COf.rtf"})
            installTemplate(t);
    }

    void installTemplate(const char *name)
    {
        writeFile(ws.dataFile(QString::fromLatin1(name)),
                  readFile(sourceDir() + QStringLiteral("/resources/templates/") + QString::fromLatin1(name)));
    }

    ContractDocument contractDocument()
    {
        ContractDocument doc(ws, shell);
        doc.writeLog = [this](const QString &line) { log.append(line); };
        return doc;
    }

    static ContractRecord leaseWithThreeParcels(QList<ParcelRecord> &parcels)
    {
        ContractRecord c;
        c.IDCON = 41;
        c.TIPCON = s("ARENDA");
        c.NRCON = 12;
        c.NRCPER = s(" B ");
        c.DATACON = QDate(2012, 3, 1);
        c.NRINREG = 305;
        c.DATAINREG = QDate(2012, 3, 5);
        c.EXPIRA = QDate(2017, 10, 1);
        c.NUME1 = s("Popescu Ion");
        c.CNP1 = s("1850101123451");
        c.ADRESA1 = s("Str. Morii nr. 3");
        c.LOC1 = s("Răducăneni");
        c.JUD1 = s("Iaşi");
        c.TATA = s("Vasile");
        c.MAMA = s("Maria");
        c.CISERIA = s("MX");
        c.CINR = s("123456");
        c.CIPOL = s("SPCLEP Iaşi");
        c.ACTP = s("TP 1234/1995");
        c.NUME2 = s("SC Agro {Est} SRL");
        c.CNP2 = s("RO15900825");
        c.ADRESA2 = s("Str. Gării 1");
        c.LOC2 = s("Bohotin");
        c.JUD2 = s("Iaşi");
        c.SUPRAFT = 3.75;
        c.VALOARE = 500;
        c.TIPPLATA = s("LEI");

        const struct {
            const char *tarla;
            qint64 parc;
            const char *det;
            const char *categ;
            double supraf;
        } rows[] = {{"T5", 12, "A", "Teren arabil", 1.25}, {"T6", 7, "", "Pasuni naturale", 0.5},
                    {"T7", 33, "2", "Teren arabil", 2}};
        for (const auto &r : rows) {
            ParcelRecord p;
            p.IDCON = 41;
            p.TARLANR = s(r.tarla);
            p.PARCNR = r.parc;
            p.PARCDET = s(r.det);
            p.CATEG = s(r.categ);
            p.SUPRAF = r.supraf;
            p.VECINN = s("Drum");
            p.VECINE = s("Ionescu");
            p.VECINS = s("Canal");
            p.VECINV = s("Pop");
            p.ACT = QStringLiteral("TP %1").arg(r.parc);
            parcels.append(p);
        }
        return c;
    }
};

// Lines of a document's table from the row numbered `first` on, cell by cell.
QStringList linesFrom(const QStringList &lines, const QString &first, int count)
{
    const qsizetype at = lines.indexOf(first);
    EXPECT_GE(at, 0) << first.toStdString() << " not found";
    return at < 0 ? QStringList() : lines.mid(at, count);
}

TEST_F(DocumentsTest, PairsFollowTheContract)
{
    QList<ParcelRecord> parcels;
    ContractRecord c = leaseWithThreeParcels(parcels);
    RtfPairs pairs = ContractPairs(c, parcels);

    // registration order: contract fields first, [N1] before its fields, blanks, then CNP and duration
    EXPECT_EQ(pairs.first().first, s("[IDCON]"));
    EXPECT_EQ(pairs.last().first, s("[DURATA]"));
    EXPECT_LT(pairs.indexOf({s("[N1]"), s("1.")}), pairs.indexOf({s("[TARLANR1]"), s("T5")}));
    EXPECT_EQ(valueOf(pairs, "[NRCON]"), s("12/B"));
    EXPECT_EQ(valueOf(pairs, "[DATACON]"), s("01.03.2012"));
    EXPECT_EQ(valueOf(pairs, "[NRINREG]"), s("305"));
    EXPECT_EQ(valueOf(pairs, "[PARCDET1]"), s("/A"));
    EXPECT_EQ(valueOf(pairs, "[PARCDET2]"), s(" "));
    EXPECT_EQ(valueOf(pairs, "[SUPRAF3]"), s("2"));
    EXPECT_EQ(valueOf(pairs, "[TARLANR4]"), s(" "));
    EXPECT_EQ(valueOf(pairs, "[NRCRT80]"), s(" "));
    EXPECT_EQ(valueOf(pairs, "[DATAN1]"), s("01.01.1985"));
    EXPECT_EQ(valueOf(pairs, "[DL]"), s("Dl."));
    EXPECT_EQ(valueOf(pairs, "[DURATA]"), s("67 (sasezecisisapte) luni"));

    // a woman, a number 0 and whole years
    c.CNP1 = s("2850228123457");
    c.NRCON = 0;
    c.DATACON = QDate(2012, 10, 1);
    c.EXPIRA = QDate(2017, 10, 31);
    pairs = ContractPairs(c, {});
    EXPECT_EQ(valueOf(pairs, "[DL]"), s("D-na."));
    EXPECT_EQ(valueOf(pairs, "[SUBSEMNAT]"), s("Subsemnata"));
    EXPECT_EQ(valueOf(pairs, "[DATAN1]"), s("28.02.1985"));
    EXPECT_EQ(valueOf(pairs, "[NRCON]"), s("______________"));
    EXPECT_EQ(valueOf(pairs, "[DATACON]"), s("________________"));
    EXPECT_EQ(valueOf(pairs, "[DURATA]"), s("5 (cinci) ani"));
    EXPECT_EQ(valueOf(pairs, "[TARLANR1]"), s(" "));

    // a company's fiscal code, or none, gives no birth date and the masculine forms
    for (const char *code : {"RO15900825", ""}) {
        c.CNP1 = s(code);
        pairs = ContractPairs(c, {});
        EXPECT_EQ(valueOf(pairs, "[DATAN1]"), s(" - ")) << code;
        EXPECT_EQ(valueOf(pairs, "[SUBSEMNAT]"), s("Subsemnatul")) << code;
    }
}

TEST_F(DocumentsTest, PaymentClauseByKind)
{
    const std::pair<const char *, const char *> cases[] = {
        {"LEI", "lei/ha sau in produse în echivalentul acestei sume la pretul pietei, in functie de anul productiv"},
        {"KG/HA", "kg/ha sau în bani, în echivalentul acestei cantitati la pretul pietei, in functie de anul productiv"},
        {"PROCENT", "% din productia obtinuta sau în bani, în echivalentul acestei cantitati la pretul pietei, in "
                    "functie de anul productiv"},
        {"EURO", "EURO la cursul BNR din ziua platii"},
        {"USD", "USD la cursul BNR din ziua platii"},
        {"PRET FIX", "lei sau in produse în echivalentul acestei sume la pretul pietei, in functie de anul productiv"},
        {"GRAU", "GRAU"},
    };
    for (const auto &[kind, clause] : cases)
        EXPECT_EQ(PaymentClause(s(kind)).toStdString(), clause) << kind;
    EXPECT_EQ(ContractTemplateName(s("ARENDA")), s("ModCon3.rtf"));
    EXPECT_EQ(ContractTemplateName(s("arenda")), s("ModCon4.rtf"));
    EXPECT_EQ(ContractTemplateName(s("CONCESIUNE")), s("ModCon4.rtf"));
    EXPECT_EQ(DurationText(QDate(), QDate(2017, 1, 1)), QString());
}

TEST_F(DocumentsTest, ContractDocumentsReadBackByLibreOffice)
{
    QList<ParcelRecord> parcels;
    const ContractRecord lease = leaseWithThreeParcels(parcels);
    ContractDocument doc = contractDocument();
    const QString leasePath = doc.List(lease, parcels);
    EXPECT_EQ(leasePath, ws.dataFile(s("C41.rtf")));
    EXPECT_EQ(shell.opened, QStringList{leasePath});
    EXPECT_EQ(log, QStringList{s("Vizualizare/Listare Contract SC Agro {Est} SRL")});

    // another type, no parcels, number 0, whole years, a kind paid in euro, a company as lessor
    ContractRecord other = lease;
    other.IDCON = 42;
    other.TIPCON = s("CONCESIUNE");
    other.NRCON = 0;
    other.DATACON = QDate(2012, 10, 1);
    other.EXPIRA = QDate(2017, 10, 1);
    other.TIPPLATA = s("EURO");
    other.CNP1 = s("15900825");
    const QString otherPath = doc.List(other, {});
    EXPECT_EQ(otherPath, ws.dataFile(s("C42.rtf")));

    const QList<QStringList> texts = rtfToTextLines({leasePath, otherPath}, dir.path());
    ASSERT_EQ(texts.size(), 2);
    const QStringList &a = texts[0];
    const QString at = a.join(u'\n');
    EXPECT_TRUE(at.contains(s("Nr. 12/B din 01.03.2012"))) << at.toStdString();
    EXPECT_TRUE(at.contains(s("sub nr. 305 din 05.03.2012")));
    EXPECT_TRUE(at.contains(s("Dl. Popescu Ion, domiciliat(ă) în localitatea Răducăneni, Str. Morii nr. 3, "
                              "judeţul Iaşi, născut(ă) la data de 01.01.1985")));
    EXPECT_TRUE(at.contains(s("SC Agro (Est) SRL")));  // braces of a value print as parentheses
    EXPECT_TRUE(at.contains(s("o durată de 67 (sasezecisisapte) luni, începând cu data de 01.03.2012 până la "
                              "data de 01.10.2017")));
    EXPECT_TRUE(at.contains(s("este de 500 lei/ha sau in produse în echivalentul acestei sume la pretul pietei")));
    EXPECT_EQ(linesFrom(a, s("1."), 24),
              (QStringList{s("1."), s("T5"), s("12/A"), s("Teren arabil"), s("1.25"),
                           s("N: Drum; E: Ionescu; S: Canal; V: Pop"), s("TP 12"),
                           s("2."), s("T6"), s("7"), s("Pasuni naturale"), s("0.5"),
                           s("N: Drum; E: Ionescu; S: Canal; V: Pop"), s("TP 7"),
                           s("3."), s("T7"), s("33/2"), s("Teren arabil"), s("2"),
                           s("N: Drum; E: Ionescu; S: Canal; V: Pop"), s("TP 33"),
                           s(""), s(""), s("")}));
    EXPECT_EQ(a.indexOf(s("TOTAL")) - a.indexOf(s("TP 33")), 4);
    EXPECT_EQ(a.at(a.indexOf(s("TOTAL")) + 1), s("3.75"));
    EXPECT_FALSE(at.contains(u'[')) << "unfilled placeholder";

    const QStringList &b = texts[1];
    const QString bt = b.join(u'\n');
    EXPECT_TRUE(bt.contains(s("CONTRACT DE CONCESIUNE")));
    EXPECT_TRUE(bt.contains(s("Nr. ______________ din ________________")));
    EXPECT_TRUE(bt.contains(s("Subsemnatul Popescu Ion")));
    EXPECT_TRUE(bt.contains(s("născut(ă) la data de  - ,"))) << bt.toStdString();
    EXPECT_TRUE(bt.contains(s("o durată de 5 (cinci) ani")));
    EXPECT_TRUE(bt.contains(s("este de 500 EURO la cursul BNR din ziua platii.")));
    // without parcels the template row stays as it is
    EXPECT_EQ(linesFrom(b, s("[N*]"), 3), (QStringList{s("[N*]"), s("[TarlaNr*]"), s("[ParcNr*][ParcDet*]")}));
}

TEST_F(DocumentsTest, StoredDocumentIsOpenedAsItIs)
{
    QList<ParcelRecord> parcels;
    const ContractRecord lease = leaseWithThreeParcels(parcels);
    ContractDocument doc = contractDocument();
    const QString path = doc.List(lease, parcels);
    writeFile(path, "{\\rtf1 edited by the operator\\par}");
    QFile::remove(ws.dataFile(s("ModCon3.rtf")));  // not even the template is needed now

    EXPECT_EQ(doc.List(lease, parcels), path);
    EXPECT_EQ(readFile(path), "{\\rtf1 edited by the operator\\par}");
    EXPECT_EQ(shell.opened, (QStringList{path, path}));
    EXPECT_EQ(log.size(), 1);  // the second listing logs nothing

    // once deleted, the next listing writes it afresh from the reinstalled template
    QFile::remove(path);
    int installs = 0;
    doc.installTemplates = [&] {
        ++installs;
        installTemplate("ModCon3.rtf");
    };
    doc.List(lease, parcels);
    EXPECT_EQ(installs, 1);
    EXPECT_TRUE(readFile(path).contains("TP 33"));
    EXPECT_EQ(log.size(), 2);
    // the working copy stays in the program directory with its rows numbered
    EXPECT_TRUE(readFile(dir.filePath(s("ModCon0.rtf"))).contains("[TarlaNr3]"));
}

TEST_F(DocumentsTest, SaleOfferOfParcel12A)
{
    QList<ParcelRecord> parcels;
    const ContractRecord c = leaseWithThreeParcels(parcels);
    ParcelRecord p = parcels.first();
    p.LOCALIT = s("Bohotin");
    p.TARLADEN = s("La Pod");
    p.NRCAD = s("60123");
    p.NRCADOLD = s("1144");

    EXPECT_FALSE(SalePriceAccepted(s("0")));
    EXPECT_FALSE(SalePriceAccepted(s("0.99")));
    EXPECT_FALSE(SalePriceAccepted(s("")));
    EXPECT_TRUE(SalePriceAccepted(s("1")));
    EXPECT_TRUE(SalePriceAccepted(s("1500.5")));

    struct FixedClock final : Clock {
        QDate today() const override { return QDate(2026, 12, 10); }
        QTime now() const override { return QTime(12, 0); }
    } clock;
    SaleOfferDocument offer(ws, shell, clock);
    const QString path = offer.Produce(c, p, s("1500.5"));
    EXPECT_EQ(path, dir.filePath(s("COF0.rtf")));
    EXPECT_EQ(shell.opened, QStringList{path});

    const QString t = rtfToTextLines({path}, dir.path()).value(0).join(u'\n');
    EXPECT_TRUE(t.contains(s("JUDEŢUL IAŞI"))) << t.toStdString();  // capitals for [JUDET]
    EXPECT_TRUE(t.contains(s("PRIMĂRIA BOHOTIN")));
    EXPECT_TRUE(t.contains(s("Către U.A.T. Bohotin, judeţul Iaşi")));
    EXPECT_TRUE(t.contains(s("născut(ă) la data de 01.01.1985")));
    EXPECT_TRUE(t.contains(s("la preţul de 1500.5 lei (adică unamiicincisute lei si cincizeci bani)")));
    EXPECT_TRUE(t.contains(s("extravilanul localităţii Bohotin")));
    EXPECT_TRUE(t.contains(s("Data: 10.12.2026")));
    const QStringList lines = t.split(u'\n');
    EXPECT_EQ(linesFrom(lines, s("60123"), 6),
              (QStringList{s("60123"), s("1144"), s("T5"), s("12/A"), s("Teren arabil"), s("La Pod")}));
    EXPECT_TRUE(t.contains(s("la nord Drum; la est Ionescu; la sud Canal; la vest Pop")));
    EXPECT_FALSE(t.contains(u'['));

    // a missing template is an error and nothing is opened
    QFile::remove(ws.dataFile(s("COf.rtf")));
    EXPECT_THROW(offer.Produce(c, p, s("1500.5")), Error);
    EXPECT_EQ(shell.opened.size(), 1);
}

} // namespace
