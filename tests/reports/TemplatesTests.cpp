// The shipped spreadsheet templates: built from their sources, delivered as resources and
// installed, laid out with the markers their reports need, and printable once filled.

#include "ReportTestUtil.h"

#include "datastore/Templates.h"
#include "reports/ExportXLSModel.h"
#include "reports/ReportCells.h"

#include <QCryptographicHash>
#include <QRegularExpression>
#include <QSet>

using namespace ogx;
using namespace reporttest;

namespace {

QString templatesDir() { return test::sourceDir() + QStringLiteral("/resources/templates"); }

QString sha256(const QString &path)
{
    return QString::fromLatin1(QCryptographicHash::hash(test::readFile(path), QCryptographicHash::Sha256).toHex());
}

struct Shipped {
    const char *resource;
    const char *sheet;
    std::vector<const char *> detail;  // the detail row's markers and texts, in column order
    std::vector<const char *> head;    // keys the report replaces
};

const std::vector<Shipped> &shipped()
{
    static const std::vector<Shipped> list = {
        {"Expirate", "Raport",
         {"%NRCRT", "#NRCON", "/", "#NRCPER", "#DATACON", "#NRINREG", "/", "#NRIPER", "#DATAINREG", "#EXPIRA",
          "#NUME1", "#CNP1", "#ADRESA1", "#LOC1", "#TELEFON", "#EMAIL", "#NUME2", "#CNP2", "#ADRESA2", "#LOC2",
          "#JUD2", "#SUPRAFT", "#VALOARE", "#TIPPLATA", "#OBS", "#NOTIFICARI", "#DBF"},
         {"#PRIMARIE", "#TIPCON"}},
        {"DetCon", "Parcele",
         {"%NRCRT", "#ACT", "#TARLADEN", "#TARLANR", "#PARCNR", "#PARCDET", "#APARCNR", "#ACULTNR", "#SUPRAF",
          "#BLOCF", "#NRCAD", "#NRCADOLD", "#CATEG", "#CULTURA", "#SUPU", "#VECINN", "#VECINE", "#VECINS", "#VECINV",
          "#LOCALIT", "#SIRUTA", "#DBF"},
         {"#NUME1"}},
        {"TabNom", "Tabel", {"%NRCRT", "#NUME1", "#NDCON", "#NDINR", "#SUP", "#DURATA", "#CATEG", "#DBF"}, {}},
    };
    return list;
}

// The row holding "#DBF", 0 when none.
int detailRow(const xls::Workbook &b)
{
    for (int r = 1; r <= b.rowCount(); ++r)
        for (int c = 1; c <= b.colCount(); ++c)
            if (reportcells::cellMarker(b, r, c) == u"#DBF")
                return r;
    return 0;
}

bool sheetHolds(const xls::Workbook &b, const QString &key)
{
    for (int r = 1; r <= b.rowCount(); ++r)
        for (int c = 1; c <= b.colCount(); ++c)
            if (reportcells::cellText(b, r, c).contains(key, Qt::CaseInsensitive))
                return true;
    return false;
}

TEST(ShippedTemplates, EverySourceIsBuiltAndMatchesTheManifest)
{
    const QString manifest = QString::fromUtf8(test::readFile(templatesDir() + QStringLiteral("/manifest.txt")));
    QSet<QString> listed;
    for (const QString &line : manifest.split(u'\n', Qt::SkipEmptyParts)) {
        if (line.startsWith(u'#'))
            continue;
        const QStringList f = line.split(u' ', Qt::SkipEmptyParts);
        ASSERT_EQ(f.size(), 3) << line.toStdString();
        const QString name = f[2];
        listed << name;
        const QString source = templatesDir() + QStringLiteral("/src/") + name + QStringLiteral(".fods");
        const QString built = templatesDir() + u'/' + name + QStringLiteral(".xls");
        ASSERT_TRUE(QFile::exists(source)) << "manifest names a missing source " << name.toStdString();
        EXPECT_EQ(sha256(source), f[0]) << "src/" << name.toStdString()
                                        << ".fods was edited without rebuilding: run tools/build-templates";
        EXPECT_EQ(sha256(built), f[1]) << name.toStdString()
                                       << ".xls differs from the one built from its source: run tools/build-templates";
    }
    const QStringList sources = QDir(templatesDir() + QStringLiteral("/src")).entryList({QStringLiteral("*.fods")});
    ASSERT_FALSE(sources.isEmpty());
    for (const QString &s : sources)
        EXPECT_TRUE(listed.contains(QFileInfo(s).completeBaseName()))
            << s.toStdString() << " is not in the manifest: run tools/build-templates";
}

TEST(ShippedTemplates, LoadInTheEngineWithTheMarkersTheirReportsNeed)
{
    QTemporaryDir dir;
    for (const Shipped &t : shipped()) {
        SCOPED_TRACE(t.resource);
        const QString path = dir.path() + u'/' + QString::fromLatin1(t.resource) + QStringLiteral(".xls");
        ASSERT_TRUE(ExtractResourceFile(QString::fromLatin1(t.resource), QStringLiteral("Model"), path));
        EXPECT_EQ(test::readFile(path), test::readFile(templatesDir() + u'/' + QString::fromLatin1(t.resource) + QStringLiteral(".xls")));
        xls::Workbook b = xls::Workbook::open(path.toStdString());
        EXPECT_EQ(b.sheetName(1), t.sheet);
        const int row = detailRow(b);
        ASSERT_GT(row, 1);
        QStringList found, wanted;
        for (size_t c = 1; c <= t.detail.size(); ++c) {
            found << reportcells::cellMarker(b, row, int(c));
            wanted << QString::fromLatin1(t.detail[c - 1]);
        }
        EXPECT_EQ(found, wanted);
        for (const char *key : t.head)
            EXPECT_TRUE(sheetHolds(b, QString::fromLatin1(key))) << key;
        // Only one detail row, and a foot with a total spanning it.
        bool total = false;
        for (int c = 1; c <= b.colCount(); ++c) {
            EXPECT_NE(reportcells::cellMarker(b, row + 1, c), u"#DBF");
            const std::string f = b.formulaText(row + 1, c);
            if (f.empty())
                continue;
            total = true;
            const QRegularExpression sum(QStringLiteral("^SUM\\(([A-Z]+)(\\d+):([A-Z]+)(\\d+)\\)$"));
            const auto m = sum.match(QString::fromStdString(f));
            ASSERT_TRUE(m.hasMatch()) << f;
            EXPECT_LT(m.captured(2).toInt(), row) << f << ": the range must start above the detail row to grow with it";
            EXPECT_EQ(m.captured(4).toInt(), row) << f;
        }
        EXPECT_TRUE(total);
    }
}

TEST(ShippedTemplates, ExpirateLayout)
{
    QTemporaryDir dir;
    const QString path = dir.path() + QStringLiteral("/Expirate.xls");
    ASSERT_TRUE(ExtractResourceFile(QStringLiteral("Expirate"), QStringLiteral("Model"), path));
    xls::Workbook b = xls::Workbook::open(path.toStdString());
    EXPECT_EQ(text(b, 1, 2), QStringLiteral("#PRIMARIE"));
    EXPECT_EQ(text(b, 3, 12), QStringLiteral("CONTRACTE DE #TIPCON"));
    EXPECT_EQ(detailRow(b), 7);
    QStringList captions;
    for (int r : {5, 6})
        for (int c = 1; c <= 26; ++c)
            if (!text(b, r, c).isEmpty())
                captions << text(b, r, c);
    for (const char *c : {"Nr. crt.", "Contract", "Numar", "Din data", "Inregistrat cu", "Data expirarii", "Arendator",
                          "Nume si prenume", "CNP / Cod Fiscal", "Adresa", "Localitatea", "Telefon", "Email", "Arendas",
                          "Judet", "Suprafata (ha)", "Valoare", "Mod de plata", "Observatii", "Notificari"})
        EXPECT_TRUE(captions.contains(QString::fromLatin1(c))) << c;
    EXPECT_EQ(text(b, 8, 18), QStringLiteral("TOTAL"));
    EXPECT_EQ(b.formulaText(8, 22), "SUM(V6:V7)");
    EXPECT_EQ(b.formulaText(8, 23), "SUM(W6:W7)");
}

TEST(ShippedTemplates, InstalledUnderTheirFileNames)
{
    QTemporaryDir dir;
    const Workspace ws = makeWorkspace(dir);
    InstallTemplates(ws);
    const QByteArray expirate = test::readFile(templatesDir() + QStringLiteral("/Expirate.xls"));
    for (const char *f : {"Expirate.xls", "Expirate1.xls", "Expirate2.xls"})
        EXPECT_EQ(test::readFile(ws.dataFile(QString::fromLatin1(f))), expirate) << f;
    EXPECT_EQ(test::readFile(ws.dataFile(QStringLiteral("TabNom.xls"))),
              test::readFile(templatesDir() + QStringLiteral("/TabNom.xls")));
    // A fixed template is written afresh for one run.
    const QString copy = ExtractFixedTemplate(ws, QStringLiteral("DetCon"), QStringLiteral("DetCon"));
    EXPECT_EQ(copy, ws.programDir + QStringLiteral("/DetCon0.xls"));
    EXPECT_EQ(test::readFile(copy), test::readFile(templatesDir() + QStringLiteral("/DetCon.xls")));
    EXPECT_EQ(InstalledTemplate(ws, QStringLiteral("TabNom.xls")), ws.dataFile(QStringLiteral("TabNom.xls")));
}

// DetCon and TabNom filled with two records each: totals as LibreOffice computes them,
// formats as python3-xlrd reads them, A4 landscape page set-up.
TEST(ShippedTemplates, FilledReportsTotalAndPrintOnA4Landscape)
{
    QTemporaryDir dir;
    const Workspace ws = makeWorkspace(dir);
    RecordingShellOpener shell;
    ExportXLSModel m(ws, shell);

    const QString detcon = ExtractFixedTemplate(ws, QStringLiteral("DetCon"), QStringLiteral("DetCon"));
    ASSERT_TRUE(m.OpenTemplate(detcon));
    m.ReplaceText(QStringLiteral("#NUME1"), QStringLiteral("POPESCU ION"));
    m.FillFromDataset(dataset(
        {QStringLiteral("IDCON"), QStringLiteral("ACT"), QStringLiteral("TARLADEN"), QStringLiteral("TARLANR"),
         QStringLiteral("PARCNR"), QStringLiteral("APARCNR"), QStringLiteral("SUPRAF"), QStringLiteral("SUPU"),
         QStringLiteral("CATEG"), QStringLiteral("VECINN")},
        {Kind::Number, Kind::Text, Kind::Text, Kind::Text, Kind::Number, Kind::Number, Kind::Number, Kind::Number,
         Kind::Text, Kind::Text},
        {{qlonglong(1), QStringLiteral("TP 12/2001"), QStringLiteral("La Pod"), QStringLiteral("12"), qlonglong(3),
          qlonglong(0), 1.2345, 1.2, QStringLiteral("Teren arabil"), QStringLiteral("DRUM")},
         {qlonglong(1), QStringLiteral("TP 12/2001"), QStringLiteral("Lunca"), QStringLiteral("7"), qlonglong(44),
          qlonglong(5), 0.5, 0.5, QStringLiteral("Pasuni naturale"), QString()}}));
    m.SaveAndShow();
    // The next report would take Rap0.xls over (it is not open anywhere): keep this one aside.
    const QString parcelsFile = dir.path() + QStringLiteral("/parcele.xls");
    ASSERT_TRUE(QFile::rename(m.lastReportFile(), parcelsFile));

    ASSERT_TRUE(m.OpenTemplate(InstalledTemplate(ws, QStringLiteral("TabNom.xls"))));
    m.FillFromDataset(dataset(
        {QStringLiteral("NUME1"), QStringLiteral("NDCON"), QStringLiteral("NDINR"), QStringLiteral("SUP"),
         QStringLiteral("DURATA"), QStringLiteral("CATEG")},
        {Kind::Text, Kind::Text, Kind::Text, Kind::Number, Kind::Number, Kind::Text},
        {{QStringLiteral("ANDREI MARIA"), QStringLiteral("12/A/15.03.2010"), QStringLiteral("3/16.03.2010"), 2.5, 5.0,
          QStringLiteral("Pasuni naturale; Teren arabil;")},
         {QStringLiteral("BARBU DAN"), QStringLiteral("13/ -"), QStringLiteral("4/ -"), 0.0, 0.0, QStringLiteral(" - ")}}));
    m.SaveAndShow();
    EXPECT_EQ(shell.opened, QStringList(2, ws.programDir + QStringLiteral("/Rap0.xls")));
    const QStringList files{parcelsFile, m.lastReportFile()};

    const QString out = dir.path() + QStringLiteral("/lo");
    const QVector<QStringList> parcels = libreOfficeCsv(files[0], QStringLiteral("Parcele"), out);
    ASSERT_GE(parcels.size(), 8);
    EXPECT_EQ(parcels[1].value(1), QStringLiteral("Arendator: POPESCU ION"));
    EXPECT_EQ(parcels[5].value(0), QStringLiteral("1"));
    EXPECT_EQ(parcels[5].value(8), QStringLiteral("1.2345"));
    EXPECT_EQ(parcels[5].value(6), QStringLiteral("-"));
    EXPECT_EQ(parcels[6].value(6), QStringLiteral("5"));
    EXPECT_EQ(parcels[7].value(1), QStringLiteral("TOTAL"));
    EXPECT_EQ(parcels[7].value(8), QStringLiteral("1.7345"));
    EXPECT_EQ(parcels[7].value(14), QStringLiteral("1.7000"));

    const QVector<QStringList> table = libreOfficeCsv(files[1], QStringLiteral("Tabel"), out);
    ASSERT_GE(table.size(), 6);
    EXPECT_EQ(table[4].value(1), QStringLiteral("ANDREI MARIA"));
    EXPECT_EQ(table[4].value(4), QStringLiteral("2.5000"));
    EXPECT_EQ(table[5].value(4), QStringLiteral("-"));
    EXPECT_EQ(table[6].value(1), QStringLiteral("TOTAL"));
    EXPECT_EQ(table[6].value(4), QStringLiteral("2.5000"));

    // Number formats of the filled rows as stored in the file.
    const XlrdSheet x = xlrdSheet(files[0]);
    EXPECT_EQ(x.cells[5].toArray()[8].toArray()[2].toString(), QStringLiteral("0.0000"));

    // Page set-up: A4 landscape, as LibreOffice reads it back (the list template too).
    const QString expirate = dir.path() + QStringLiteral("/Expirate.xls");
    ASSERT_TRUE(ExtractResourceFile(QStringLiteral("Expirate"), QStringLiteral("Model"), expirate));
    const auto r = test::runLibreOffice({QStringLiteral("--convert-to"), QStringLiteral("fods"), QStringLiteral("--outdir"),
                                         out, files[0], files[1], expirate},
                                        out);
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    for (const QString &f : files + QStringList{expirate}) {
        const QString fods = QString::fromUtf8(test::readFile(out + u'/' + QFileInfo(f).completeBaseName() + QStringLiteral(".fods")));
        EXPECT_TRUE(fods.contains(QStringLiteral("style:print-orientation=\"landscape\""))) << f.toStdString();
        EXPECT_TRUE(fods.contains(QStringLiteral("fo:page-width=\"29.7")) || fods.contains(QStringLiteral("fo:page-width=\"11.69")))
            << f.toStdString();
    }
}

} // namespace
