#include "datastore/Helpers.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace ogx;

TEST(TextHelpers, CleanText)
{
    const struct { const char16_t *in, *out; } cases[] = {
        {u" AB   C\"", u"AB C"},
        {u"\"A\" B", u"A B"},
        {u"x \" y", u"x  y"},           // the blanks beside a removed quote remain
        {u"\t  \r\n", u""},
        {u"Ion  Popescu", u"Ion Popescu"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(CleanText(QString::fromUtf16(c.in)), QString::fromUtf16(c.out));
}

TEST(TextHelpers, JoinConditions)
{
    EXPECT_EQ(JoinConditions(QStringLiteral(" (A=1)(B=2)(C=3) ")), QStringLiteral("(A=1) AND (B=2) AND (C=3)"));
    EXPECT_EQ(JoinConditions(QStringLiteral("(A=1) (B=2)")), QStringLiteral("(A=1) (B=2)"));
    EXPECT_EQ(JoinConditions(QStringLiteral("   ")), QString());
}

TEST(TextHelpers, ReplaceAllSearchesAgainFromTheStart)
{
    EXPECT_EQ(ReplaceAll(QStringLiteral("a,,,b"), QStringLiteral(",,"), QStringLiteral(",")), QStringLiteral("a,b"));
    EXPECT_EQ(ReplaceAll(QStringLiteral("abc"), QString(), QStringLiteral("x")), QStringLiteral("abc"));
    // a replacement holding the searched text is replaced once instead of looping for ever
    EXPECT_EQ(ReplaceAll(QStringLiteral("a.b"), QStringLiteral("."), QStringLiteral("..")), QStringLiteral("a..b"));
}

TEST(TextHelpers, RoundInt)
{
    const struct { double in; qint64 out; } cases[] = {{2.5, 3}, {2.49, 2}, {-2.5, -2}, {0, 0}, {-0.4, 0}, {1e10 + 0.5, 10000000001}};
    for (const auto &c : cases)
        EXPECT_EQ(RoundInt(c.in), c.out) << c.in;
}

class FileHelpers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ws.programDir = m_dir.path();
        ws.tempDir = m_dir.path() + QStringLiteral("/Temp");
    }
    QTemporaryDir m_dir;
    Workspace ws;
};

TEST_F(FileHelpers, MakeTempNameSkipsFilesInUse)
{
    const QString p0 = ws.programFile(QStringLiteral("TmpSv0.sav"));
    test::writeFile(p0, "old");
    EXPECT_EQ(MakeTempName(ws, QStringLiteral("TmpSv"), QStringLiteral(".sav")), p0); // deleted and taken
    EXPECT_FALSE(QFile::exists(p0));

    test::writeFile(p0, "open elsewhere");
    test::writeFile(ws.programFile(QStringLiteral(".~lock.TmpSv0.sav#")), "lock");
    EXPECT_EQ(MakeTempName(ws, QStringLiteral("TmpSv"), QStringLiteral(".sav")), ws.programFile(QStringLiteral("TmpSv1.sav")));
    EXPECT_TRUE(QFile::exists(p0)); // never deleted while in use
}

TEST_F(FileHelpers, MakeTempDirAndDeletePath)
{
    const QString d0 = MakeTempDir(ws, QStringLiteral("DIR"));
    EXPECT_EQ(d0, ws.tempDir + QStringLiteral("/DIR0"));
    test::writeFile(d0 + QStringLiteral("/sub/x.txt"), "x");
    // an existing candidate is removed with its contents and made afresh
    EXPECT_EQ(MakeTempDir(ws, QStringLiteral("DIR")), d0);
    EXPECT_TRUE(QDir(d0).isEmpty());
    test::writeFile(d0 + QStringLiteral("/sub/y.txt"), "y");
    EXPECT_TRUE(DeletePath(ws.tempDir));
    EXPECT_FALSE(QFileInfo::exists(ws.tempDir));
    EXPECT_TRUE(DeletePath(ws.tempDir)); // nothing left to delete
}

TEST_F(FileHelpers, MoveFileByCopy)
{
    QByteArray big(2500, 'a');
    big[1999] = 'z';
    const QString src = ws.programFile(QStringLiteral("a.bin")), dst = ws.programFile(QStringLiteral("b.bin"));
    test::writeFile(src, big);
    EXPECT_TRUE(MoveFileByCopy(src, dst));
    EXPECT_FALSE(QFile::exists(src));
    EXPECT_EQ(test::readFile(dst), big);
    EXPECT_FALSE(MoveFileByCopy(src, dst)); // source missing
    EXPECT_FALSE(MoveFileByCopy(dst, ws.programFile(QStringLiteral("no/such/dir/c.bin"))));
    EXPECT_TRUE(QFile::exists(dst)); // source kept when the copy fails
}
