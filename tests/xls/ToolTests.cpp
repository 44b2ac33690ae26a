// xlstool: dump and apply from the command line.
#include "XlsTestUtil.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>

using namespace xlstest;

namespace {

ogx::test::ProcessResult xlstool(const QStringList &args)
{
    return ogx::test::runProcess(ogx::test::binDir() + QStringLiteral("/xlstool"), args);
}

QString fixtureQ(const char *name) { return QString::fromStdString(fixture(name)); }

} // namespace

TEST(XlsTool, AppliesAScriptAndDumpsTheResult)
{
    QTemporaryDir tmp;
    const QString script = tmp.filePath(QStringLiteral("ops.txt"));
    ogx::test::writeFile(script, QByteArrayLiteral("# fill two records\n"
                                                   "sheet 1\n"
                                                   "insert-rows 4 4 4 2\n"
                                                   "set 4 2 text Ion  Ștefan \n"
                                                   "set 5 3 number 2.5\n"
                                                   "set 6 7 empty\n"
                                                   "delete-rows 6 1\n"
                                                   "insert-cols 3 3 4 1\n"
                                                   "width 2 0\n"
                                                   "width 1 3000\n"));
    const QString out = tmp.filePath(QStringLiteral("out.xls"));
    const auto r = xlstool({QStringLiteral("apply"), fixtureQ("report.xls"), out, script});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    const auto d = xlstool({QStringLiteral("dump"), out});
    ASSERT_EQ(d.exitCode, 0) << d.err.toStdString();
    const QString text = QString::fromUtf8(d.out);
    for (const char *line : {"sheet 1 \"Raport\" rows 8 cols 9", "  column A width 3000", "  column B width 0 hidden",
                             "  column I width 0 hidden", "  merged A1:E1", "  merged A6:B6",
                             "  B4 text \"Ion  Ștefan \" xf 15", "  C5 number 2.5 xf 22", "  D5 number 2.5 xf 22",
                             "  F5 number 5 xf 22 formula =C5*E5", "  C6 number 4 xf 22 formula =SUM(C3:C5)",
                             "  B7 error #REF! xf 15 formula =F6-#REF!", "sheet 2 \"Sumar\" rows 1 cols 4",
                             "  A1 number 8 xf 22 formula =Raport!F6"})
        EXPECT_TRUE(text.contains(QString::fromUtf8(line))) << line << "\n" << text.toStdString();
}

TEST(XlsTool, ErrorsNameTheLineOrTheFile)
{
    QTemporaryDir tmp;
    const QString script = tmp.filePath(QStringLiteral("bad.txt"));
    const QString out = tmp.filePath(QStringLiteral("out.xls"));
    struct Case {
        QByteArray script;
        const char *message;
    };
    const Case cases[] = {
        {"sheet 1\n\nset 2 x text a\n", "bad.txt:3: expected: set R C text TEXT"},
        {"sheet 9\n", "bad.txt:1: "},
        {"insert-rows 4 5 5 1\n", "bad.txt:1: "},
        {"frobnicate 1\n", "bad.txt:1: unknown operation: frobnicate"},
        {"set 1 1 number 1,5\n", "bad.txt:1: not a number: 1,5"},
    };
    for (const Case &c : cases) {
        ogx::test::writeFile(script, c.script);
        const auto r = xlstool({QStringLiteral("apply"), fixtureQ("report.xls"), out, script});
        EXPECT_EQ(r.exitCode, 1) << c.message;
        EXPECT_TRUE(QString::fromUtf8(r.err).contains(QString::fromUtf8(c.message))) << r.err.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << c.message;
    }
    ogx::test::writeFile(script, "width 1 100\n");
    ogx::test::writeFile(out, "keep");
    auto r = xlstool({QStringLiteral("apply"), fixtureQ("report.xls"), out, script});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(out + QStringLiteral(": the file already exists")));
    EXPECT_EQ(ogx::test::readFile(out), QByteArrayLiteral("keep"));
    r = xlstool({QStringLiteral("dump"), script});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(QString::fromUtf8(r.err).contains(script + QStringLiteral(": not a compound file")));
    EXPECT_EQ(xlstool({QStringLiteral("frob")}).exitCode, 2);
}
