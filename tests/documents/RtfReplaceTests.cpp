#include "documents/RtfReplace.h"

#include "TestSupport.h"
#include "datastore/Error.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace ogx;
using ogx::test::readFile;
using ogx::test::writeFile;

namespace {

QString s(const char *t) { return QString::fromUtf8(t); }

// A small document: header, a body with placeholders and a table whose second row is the
// marker row, then a total row and a closing paragraph.
const char kTableDoc[] =
    "{\\rtf1\\ansi\\ansicpg1250\\deff0{\\fonttbl{\\f0\\fswiss\\fcharset238 Arial;}}\n"
    "\\viewkind4\\uc1\\pard\\f0\\fs20 Contract [NrCon] din [DataCon]\\par\n"
    "\\trowd\\irow0\\irowband0\\cellx2000\\cellx6000\n"
    "\\pard\\intbl Nr.\\cell Tarla\\cell\\row\n"
    "\\trowd\\irow1\\irowband1\\cellx2000\\cellx6000\n"
    "\\pard\\intbl [N*]\\cell [TarlaNr*]\\cell\\row\n"
    "\\trowd\\irow2\\irowband2\\lastrow\\cellx2000\\cellx6000\n"
    "\\pard\\intbl Total\\cell [SuprafT]\\cell\\row\n"
    "\\pard Sfarsit\\par\n"
    "}\n";

class RtfReplaceTest : public ::testing::Test {
protected:
    QTemporaryDir dir;
    RecordingShellOpener shell;
    TRTFReplace r{shell};

    QString path(const char *name) const { return dir.filePath(QString::fromLatin1(name)); }

    // Registers the pairs and replaces one line.
    QByteArray replace(const QByteArray &line, const QList<std::pair<const char *, const char *>> &pairs)
    {
        r.ClearPairs();
        for (const auto &[k, v] : pairs)
            r.AddPair(s(k), s(v));
        return r.ReplaceInLine(line);
    }
};

TEST_F(RtfReplaceTest, ReplacesEveryKeyWithoutRegardToCase)
{
    EXPECT_EQ(replace("Nume [Nume1], CNP [CNP1].", {{"[NUME1]", "Ion Pop"}, {"[CNP1]", "1850101123451"}}),
              "Nume Ion Pop, CNP 1850101123451.");
    // every occurrence, and a key never matches a longer placeholder
    EXPECT_EQ(replace("[a] [A] [ab]", {{"[A]", "x"}, {"[AB]", "y"}}), "x x y");
    // a placeholder split over two lines or broken by formatting stays as typed
    EXPECT_EQ(replace("[Nu", {{"[NUME1]", "Ion"}}), "[Nu");
    EXPECT_EQ(replace("[Nu{\\b me1]}", {{"[NUME1]", "Ion"}}), "[Nu{\\b me1]}");
}

TEST_F(RtfReplaceTest, CapitalPlaceholdersLongerThanFourGetCapitals)
{
    EXPECT_EQ(replace("[NUME1]|[Nume1]", {{"[NUME1]", "Ion Pop"}}), "ION POP|Ion Pop");
    // four characters or fewer never change the value
    EXPECT_EQ(replace("[DL] [N1]", {{"[DL]", "Dl."}, {"[N1]", "a."}}), "Dl. a.");
    // code page 1250 letters are upper-cased and S/T with cedilla come out escaped
    EXPECT_EQ(replace("[JUDET]", {{"[JUDET]", "Iaşi, ţară"}}), "IA\\'aaI, \\'deAR\xc3");
    // escapes pass unchanged: "\u" stays lower case, "\\" stays a backslash
    EXPECT_EQ(replace("[NUME2]", {{"[NUME2]", "a\\b Ω"}}), "A\\\\B \\u937?");
}

TEST_F(RtfReplaceTest, ValuesAreMadeSafe)
{
    // braces become parentheses, 0xAA and 0xDE are escaped, a backslash prints as one
    EXPECT_EQ(replace("[V]", {{"[V]", "{x} Ş Ţ ş c:\\doc\\par"}}), "(x) \\'aa \\'de \xba c:\\\\doc\\\\par");
    // a character outside code page 1250, including one beyond 16 bits
    EXPECT_EQ(replace("[V]", {{"[V]", "€ ∑ 😀"}}), "\x80 \\u8721? \\u-10179?\\u-8704?");
    // an empty value prints as ten dots
    EXPECT_EQ(replace("<[V]>", {{"[V]", ""}}), "<..........>");
    // a value holding its own key is not replaced again
    EXPECT_EQ(replace("[V]", {{"[V]", "[v][V]"}}), "[v][V]");
}

TEST_F(RtfReplaceTest, RunOfEqualKeysRepeatsTheLine)
{
    r.AddPair(s("[R]"), s("a"));
    r.AddPair(s("[R]"), s("b"));
    r.AddPair(s("[R]"), s("c"));
    r.AddPair(s("[X]"), s("x"));
    EXPECT_EQ(r.ReplaceInLine("x[R]y"), "xay");
    EXPECT_EQ(r.repeatIndex(), 1);
    EXPECT_EQ(r.ReplaceInLine("x[R]y"), "xby");
    EXPECT_EQ(r.repeatIndex(), 2);
    // a line without any key ends the run early
    EXPECT_EQ(r.ReplaceInLine("none"), "none");
    EXPECT_EQ(r.repeatIndex(), -1);
    EXPECT_EQ(r.ReplaceInLine("x[R]y"), "xay");
    EXPECT_EQ(r.ReplaceInLine("x[R]y"), "xby");
    EXPECT_EQ(r.ReplaceInLine("x[R]y"), "xcy");
    EXPECT_EQ(r.repeatIndex(), -1);
    EXPECT_EQ(r.ReplaceInLine("[X]"), "x");
    EXPECT_EQ(r.repeatIndex(), -1);

    // pairs cleared in the middle of a run leave no stale index behind
    EXPECT_EQ(r.ReplaceInLine("x[R]y"), "xay");
    r.ClearPairs();
    r.AddPair(s("[X]"), s("x"));
    EXPECT_EQ(r.ReplaceInLine("[X][R]"), "x[R]");
    EXPECT_EQ(r.repeatIndex(), -1);
}

TEST_F(RtfReplaceTest, DocumentWithRepeatedLineAndTwoCopies)
{
    writeFile(path("t.rtf"),
              "{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\n"
              "\\pard Titlu [T]\\par\n"
              "x[R]y\\par\n"
              "{\\b [NUME]}\\par\n"
              "\\par }\n");
    r.RTFSursa = path("t.rtf");
    r.RTFDest = path("out.rtf");
    ASSERT_TRUE(r.Start());
    r.AddPair(s("[T]"), s("t"));
    for (const char *v : {"a", "b", "c"})
        r.AddPair(s("[R]"), s(v));
    r.AddPair(s("[NUME]"), s("Ana"));
    r.WriteBody(2);
    EXPECT_EQ(r.pairCount(), 0);
    r.Finish();
    const QByteArray body = "\\pard Titlu t\\par\r\n"
                            "xay\\par\r\nxby\\par\r\nxcy\\par\r\n"
                            "{\\b ANA}\\par\r\n"
                            "\\par \r\n";  // the closing brace cut from the last line
    const QByteArray expected =
        QByteArray("{\\rtf1\\ansi\\ansicpg1250{\\fonttbl{\\f0 Arial;}}\r\n") + body + "\\page\r\n" + body + "}\r\n";
    EXPECT_EQ(readFile(path("out.rtf")).toStdString(), expected.toStdString());
    EXPECT_TRUE(r.OpenDocument());
    EXPECT_EQ(shell.opened, QStringList{path("out.rtf")});
}

TEST_F(RtfReplaceTest, HeaderEndsBeforeFirstPardOnItsLine)
{
    writeFile(path("t.rtf"), "{\\rtf1{\\fonttbl{\\f0 A;}}\n  \\viewkind4\\pard [A]\\par\n}");
    r.RTFSursa = path("t.rtf");
    r.RTFDest = path("out.rtf");
    ASSERT_TRUE(r.Start());
    EXPECT_EQ(readFile(path("out.rtf")), "{\\rtf1{\\fonttbl{\\f0 A;}}\r\n\\viewkind4\r\n");
    r.AddPair(s("[A]"), s("v"));
    r.WriteBody(1);
    r.Finish();
    EXPECT_EQ(readFile(path("out.rtf")), "{\\rtf1{\\fonttbl{\\f0 A;}}\r\n\\viewkind4\r\n\\pard v\\par\r\n}\r\n");
}

TEST_F(RtfReplaceTest, StartFailuresAndWritingWithoutStart)
{
    r.RTFDest = path("out.rtf");
    r.RTFSursa = QString();
    EXPECT_FALSE(r.Start());
    r.RTFSursa = path("missing.rtf");
    EXPECT_FALSE(r.Start());
    writeFile(path("empty.rtf"), QByteArray());
    r.RTFSursa = path("empty.rtf");
    EXPECT_FALSE(r.Start());
    EXPECT_FALSE(QFile::exists(path("out.rtf")));  // removed again
    // appending to a document Start did not create is an error, and nothing is opened
    EXPECT_THROW(r.WriteBody(1), Error);
    EXPECT_THROW(r.Finish(), Error);
    EXPECT_FALSE(r.OpenDocument());
    EXPECT_TRUE(shell.opened.isEmpty());
    // a missing source when the destination exists
    writeFile(path("out.rtf"), "{\\rtf1\r\n");
    r.RTFSursa = path("missing.rtf");
    EXPECT_THROW(r.WriteBody(1), Error);
    // a destination without a folder part is not opened
    r.RTFDest = QStringLiteral("out.rtf");
    EXPECT_FALSE(r.OpenDocument());
}

TEST_F(RtfReplaceTest, SetFreeDestSkipsFilesInUse)
{
    const QString prefix = path("DP");
    ASSERT_TRUE(r.SetFreeDest(prefix));
    EXPECT_EQ(r.RTFDest, path("DP0.rtf"));
    writeFile(path("DP0.rtf"), "old");
    writeFile(path(".~lock.DP0.rtf#"), "lock");  // held open in a word processor
    ASSERT_TRUE(r.SetFreeDest(prefix));
    EXPECT_EQ(r.RTFDest, path("DP1.rtf"));
    writeFile(path("DP1.rtf"), "stale");
    ASSERT_TRUE(r.SetFreeDest(prefix));
    EXPECT_EQ(r.RTFDest, path("DP1.rtf"));
    EXPECT_FALSE(QFile::exists(path("DP1.rtf")));  // the stale document was deleted

    for (int n = 0; n <= 99; ++n) {
        const QString name = QStringLiteral("X%1.rtf").arg(n);
        writeFile(dir.filePath(name), "x");
        writeFile(dir.filePath(QStringLiteral("~$") + name), "lock");
    }
    EXPECT_FALSE(r.SetFreeDest(path("X")));
    EXPECT_EQ(r.RTFDest, path("DP1.rtf"));  // unchanged
}

TEST_F(RtfReplaceTest, DuplicateRowNumbersCopiesInOrder)
{
    struct Case {
        int copies;
        QByteArray expectedRows;  // the marker rows, in order
    };
    const Case cases[] = {
        {-1, "[N*]"},
        {0, "[N1]"},
        {2, "[N1][N2][N3]"},
    };
    for (const Case &c : cases) {
        writeFile(path("d.rtf"), kTableDoc);
        ASSERT_TRUE(DuplicateRtfRow(path("d.rtf"), s("[N*]"), c.copies)) << c.copies;
        const QByteArray out = readFile(path("d.rtf"));
        QByteArray rows;
        for (qsizetype at = out.indexOf("[N"); at >= 0; at = out.indexOf("[N", at + 1))
            rows += out.mid(at, out.indexOf(']', at) - at + 1);
        EXPECT_EQ(rows.replace("[NrCon]", ""), c.expectedRows) << c.copies;
        if (c.copies == 2) {
            // every copy is a whole row: its own row definition, cells and \row, and the
            // table goes on with the total row
            EXPECT_TRUE(out.contains("\\cell Tarla\\cell\\row\\trowd\r\n\\irow1\\irowband1\\cellx2000\\cellx6000\r\n"
                                     "\\pard\\intbl [N1]\\cell [TarlaNr1]\\cell\\row\r\n\\trowd\r\n"
                                     "\\irow1\\irowband1\\cellx2000\\cellx6000\r\n"
                                     "\\pard\\intbl [N2]\\cell [TarlaNr2]\\cell\\row\r\n\\trowd\r\n"
                                     "\\irow1\\irowband1\\cellx2000\\cellx6000\r\n"
                                     "\\pard\\intbl [N3]\\cell [TarlaNr3]\\cell\\row\r\n\\trowd\r\n"
                                     "\\irow2\\irowband2\\lastrow"))
                << out.constData();
        }
    }
}

TEST_F(RtfReplaceTest, DuplicateRowFailuresLeaveTheFile)
{
    EXPECT_FALSE(DuplicateRtfRow(path("missing.rtf"), s("[N*]"), 1));

    const QByteArray noNext = "{\\rtf1\n\\trowd\\irow1\\cellx100\n\\pard\\intbl [N*]\\cell\\row\n\\pard\\par\n}\n";
    const QByteArray noStart = "{\\rtf1\n\\trowd\\irowband1\\cellx100\n\\pard\\intbl [N*]\\cell\\row\n"
                               "\\trowd\\irow2\\cellx100\n\\pard\\intbl x\\cell\\row\n}\n";
    const QByteArray noMarker = kTableDoc;
    for (const QByteArray &doc : {noNext, noStart}) {
        writeFile(path("d.rtf"), doc);
        EXPECT_FALSE(DuplicateRtfRow(path("d.rtf"), s("[N*]"), 2));
        EXPECT_EQ(readFile(path("d.rtf")), doc);
    }
    writeFile(path("d.rtf"), noMarker);
    EXPECT_FALSE(DuplicateRtfRow(path("d.rtf"), s("[Q*]"), 2));
    EXPECT_EQ(readFile(path("d.rtf")), noMarker);
}

TEST_F(RtfReplaceTest, DuplicatedTableFilledAndReadByLibreOffice)
{
    writeFile(path("d.rtf"), kTableDoc);
    ASSERT_TRUE(DuplicateRtfRow(path("d.rtf"), s("[N*]"), 2));
    r.RTFSursa = path("d.rtf");
    r.RTFDest = path("filled.rtf");
    ASSERT_TRUE(r.Start());
    r.AddPair(s("[NRCON]"), s("12"));
    r.AddPair(s("[DATACON]"), s("01.03.2012"));
    for (int k = 1; k <= 3; ++k) {
        r.AddPair(QStringLiteral("[N%1]").arg(k), QStringLiteral("%1.").arg(k));
        r.AddPair(QStringLiteral("[TARLANR%1]").arg(k), QStringLiteral("T%1").arg(k * 10));
    }
    r.AddPair(s("[SUPRAFT]"), s("3.5"));
    r.WriteBody(1);
    r.Finish();

    const auto res = test::runLibreOffice({QStringLiteral("--convert-to"), QStringLiteral("txt:Text (encoded):UTF8"),
                                           QStringLiteral("--outdir"), dir.path(), path("filled.rtf")},
                                          dir.path());
    ASSERT_EQ(res.exitCode, 0) << res.err.constData();
    const QString text = QString::fromUtf8(readFile(path("filled.txt")));
    EXPECT_TRUE(text.contains(s("Contract 12 din 01.03.2012"))) << text.toStdString();
    const qsizetype r1 = text.indexOf(s("T10")), r2 = text.indexOf(s("T20")), r3 = text.indexOf(s("T30"));
    EXPECT_TRUE(r1 > 0 && r1 < r2 && r2 < r3) << text.toStdString();
    EXPECT_LT(r3, text.indexOf(s("Total")));
    EXPECT_TRUE(text.contains(s("Sfarsit")));
}

} // namespace
