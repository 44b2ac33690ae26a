#include "documents/RtfReplace.h"

#include "DocumentTestSupport.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace ogx;
using namespace ogx::test;

namespace {

struct Shipped {
    const char *file;
    const char *resource;
    QStringList placeholders;  // each must stand whole on one line of the file
};

QStringList list(std::initializer_list<const char *> items)
{
    QStringList l;
    for (const char *i : items)
        l.append(QString::fromLatin1(i));
    return l;
}

QList<Shipped> shippedTemplates()
{
    const QStringList parcelRow = list({"[N*]", "[TarlaNr*]", "[ParcNr*][ParcDet*]", "[Categ*]", "[Supraf*]",
                                        "[VecinN*]", "[VecinE*]", "[VecinS*]", "[VecinV*]", "[Act*]"});
    return {
        {"ModCon3.rtf", "Contract",
         list({"[NrInreg]", "[DataInreg]", "[NrCon]", "[DataCon]", "[Dl]", "[Nume1]", "[Loc1]", "[Adresa1]",
               "[Jud1]", "[DataN1]", "[Tata]", "[Mama]", "[CISeria]", "[CINr]", "[CIPol]", "[CNP1]", "[Nume2]",
               "[CNP2]", "[Adresa2]", "[Loc2]", "[Jud2]", "[SuprafT]", "[ActP]", "[Durata]", "[Expira]",
               "[Valoare] [TipPlata]"})
             + parcelRow},
        {"ModCon4.rtf", "Contract2",
         list({"[NrCon]", "[DataCon]", "[Subsemnat]", "[Nume1]", "[Loc1]", "[Adresa1]", "[Jud1]", "[DataN1]",
               "[CISeria]", "[CINr]", "[CIPol]", "[CNP1]", "[Nume2]", "[Loc2]", "[Adresa2]", "[CNP2]", "[SuprafT]",
               "[ActP]"})
             + parcelRow},
        {"COf.rtf", "COf",
         list({"[JUDET]", "[LOCALIT]", "[Localit]", "[Primaria]", "[Nume1]", "[Loc1]", "[Adresa1]", "[Jud1]",
               "[Judet]", "[CISeria]", "[CINr]", "[CIPol]", "[CNP1]", "[Supraf]", "[NrCad]", "[NrCAD]", "[DataC]",
               "[Pret]", "[PretL]", "[NrTarla]", "[NrParc]", "[Categ]", "[Tarla]"})},
        {"DispPlata.rtf", "DispPlata",
         list({"UNITATEA: [Arendas]", "[NrP]", "[DATAP]", "[Arendator]", "[CNP]", "[Plata] lei, adic",
               "[Scop]", "[Seria]", "[NumarA]", "[SumaLitere]", "[DataP]"})},
    };
}

QString templatePath(const char *file)
{
    return sourceDir() + QStringLiteral("/resources/templates/") + QString::fromLatin1(file);
}

TEST(ShippedTemplates, ResourcesHoldTheTemplatesAndPlaceholdersStandOnOneLine)
{
    for (const Shipped &t : shippedTemplates()) {
        const QByteArray bytes = readFile(templatePath(t.file));
        QFile res(QStringLiteral(":/res/Model/") + QString::fromLatin1(t.resource));
        ASSERT_TRUE(res.open(QIODevice::ReadOnly)) << t.resource;
        EXPECT_EQ(res.readAll(), bytes) << t.resource;

        EXPECT_TRUE(bytes.startsWith("{\\rtf1\\ansi\\ansicpg1250")) << t.file;
        const QList<QByteArray> lines = rtf::splitLines(bytes);
        EXPECT_EQ(lines.last(), "}") << t.file;
        for (const QString &p : t.placeholders) {
            bool found = false;
            for (const QByteArray &l : lines)
                found = found || l.contains(p.toLatin1());
            EXPECT_TRUE(found) << t.file << " lacks " << p.toStdString();
        }
        // every bracket opened on a line closes on it
        for (const QByteArray &l : lines)
            EXPECT_EQ(l.count('['), l.count(']')) << t.file << ": " << l.constData();
    }
}

TEST(ShippedTemplates, ContractTablesHaveARowToRepeat)
{
    QTemporaryDir dir;
    for (const char *file : {"ModCon3.rtf", "ModCon4.rtf"}) {
        const QString copy = dir.filePath(QString::fromLatin1(file));
        writeFile(copy, readFile(templatePath(file)));
        EXPECT_TRUE(DuplicateRtfRow(copy, QStringLiteral("[N*]"), 1)) << file;
        const QByteArray out = readFile(copy);
        EXPECT_TRUE(out.contains("[TarlaNr1]") && out.contains("[TarlaNr2]") && !out.contains("[TarlaNr*]")) << file;
    }
}

TEST(ShippedTemplates, OpenInLibreOffice)
{
    QTemporaryDir dir;
    const QList<Shipped> shipped = shippedTemplates();
    QStringList files;
    for (const Shipped &t : shipped)
        files.append(templatePath(t.file));

    // A payment disposition filled with the keys the payments window registers, in order.
    RecordingShellOpener shell;
    TRTFReplace rtf(shell);
    rtf.RTFSursa = templatePath("DispPlata.rtf");
    rtf.RTFDest = dir.filePath(QStringLiteral("DP0.rtf"));
    ASSERT_TRUE(rtf.Start());
    const std::pair<const char *, const char *> pairs[] = {
        {"[ARENDAS]", "SC Câmpia SRL"}, {"[NRP]", "17"}, {"[DATAP]", "10.12.2026"},
        {"[ARENDATOR]", "Ionescu Ana"}, {"[CNP]", "2850228123457"}, {"[PLATA]", "1234.5"},
        {"[SCOP]", "Arenda 2026"}, {"[SERIA]", ""}, {"[NUMARA]", ""},
        {"[SUMALITERE]", "unamiidouasutetreizecisipatru lei si cincizeci bani"}};
    for (const auto &[k, v] : pairs)
        rtf.AddPair(QString::fromUtf8(k), QString::fromUtf8(v));
    rtf.WriteBody(1);
    rtf.Finish();
    files.append(rtf.RTFDest);

    const QList<QStringList> texts = rtfToTextLines(files, dir.path());
    ASSERT_EQ(texts.size(), 5);
    const QStringList &dp = texts[4];
    const QString dpText = dp.join(u'\n');
    EXPECT_TRUE(dpText.contains(QStringLiteral("UNITATEA: SC Câmpia SRL"))) << dpText.toStdString();
    EXPECT_TRUE(dpText.contains(QStringLiteral("Nr. 17 din 10.12.2026")));
    EXPECT_EQ(dp.value(dp.indexOf(QStringLiteral("Numele şi prenumele")) + 1), QStringLiteral("Ionescu Ana"));
    EXPECT_EQ(dp.value(dp.indexOf(QStringLiteral("Suma :")) + 1),
              QStringLiteral("1234.5 lei, adică unamiidouasutetreizecisipatru lei si cincizeci bani"));
    EXPECT_EQ(dp.value(dp.indexOf(QStringLiteral("Scopul plăţii")) + 1), QStringLiteral("Arenda 2026"));
    EXPECT_TRUE(dpText.contains(QStringLiteral("seria .......... numărul ..........")));
    EXPECT_TRUE(dpText.contains(QStringLiteral("C.N.P. 2850228123457")));
    EXPECT_TRUE(dpText.contains(QStringLiteral("Am primit suma de 1234.5 lei")));
    EXPECT_TRUE(dpText.contains(QStringLiteral("Plătit suma de 1234.5 lei")));
    EXPECT_EQ(dp.count(QStringLiteral("Data: 10.12.2026")), 2);
    const QString all[4] = {texts[0].join(u'\n'), texts[1].join(u'\n'), texts[2].join(u'\n'), texts[3].join(u'\n')};
    EXPECT_TRUE(all[0].contains(QStringLiteral("CONTRACT DE ARENDARE")));
    EXPECT_TRUE(all[0].contains(QStringLiteral("Obligaţiile arendaşului")));  // code page 1250 letters
    EXPECT_TRUE(all[1].contains(QStringLiteral("[Subsemnat] [Nume1]")));
    EXPECT_TRUE(all[2].contains(QStringLiteral("OFERTĂ DE VÂNZARE")));
    EXPECT_TRUE(all[3].contains(QStringLiteral("DISPOZIŢIE DE PLATĂ CĂTRE CASIERIE")));
    // the placeholders reach the reader intact (no formatting inside the brackets)
    for (int i = 0; i < 4; ++i) {
        for (const QString &p : shipped[i].placeholders)
            EXPECT_TRUE(all[i].contains(p)) << shipped[i].file << ": " << p.toStdString();
    }
}

} // namespace
