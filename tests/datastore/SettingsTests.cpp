#include "datastore/Error.h"
#include "datastore/Settings.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QTemporaryDir>

#include <sys/wait.h>
#include <unistd.h>

using namespace ogx;

namespace {

class SettingsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        ws.programDir = m_dir.path();
        ws.dataDir = ws.localDataDir = m_dir.path() + QStringLiteral("/Data");
        ws.machineDir = m_dir.path() + QStringLiteral("/machine");
        QDir().mkpath(ws.dataDir);
        QDir().mkpath(ws.machineDir);
    }
    QTemporaryDir m_dir;
    Workspace ws;
};

} // namespace

TEST_F(SettingsTest, ReadsAHandWrittenFileWithMixedCaseAndCp1250)
{
    // "Comuna" holds ş and ţ in code page 1250 (0xBA, 0xFE) and blanks around the value.
    test::writeFile(ws.settingsPath(),
                    "; kept comment\r\n[const]\r\nComuna =  Bo\xBA\xFE" "eni  \r\nCassP=5.5\r\n"
                    "[Index]\r\nidcon=15\r\nIDPARC=abc\r\n");
    Settings s(ws);
    EXPECT_EQ(s.ReadSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA")), QStringLiteral("Boşţeni"));
    EXPECT_DOUBLE_EQ(s.ReadSettingNumber(QStringLiteral("Const"), QStringLiteral("CASSP")), 5.5);
    EXPECT_EQ(s.ReadSetting(QStringLiteral("CONST"), QStringLiteral("Absent")), QString());
    EXPECT_DOUBLE_EQ(s.ReadSettingNumber(QStringLiteral("INDEX"), QStringLiteral("IDPARC")), 0); // not a number
    EXPECT_EQ(s.PeekId(QStringLiteral("IDCON")), QStringLiteral("15"));

    // A write keeps the comment, the order, the key's spelling and the line ends.
    s.WriteSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA"), QStringLiteral("Ţăndărei"));
    s.WriteSettingNumber(QStringLiteral("CONST"), QStringLiteral("SALARMIN"), 3300);
    s.WriteSettingNumber(QStringLiteral("47"), QStringLiteral("VER"), 1.0151);
    EXPECT_EQ(test::readFile(ws.settingsPath()),
              QByteArray("; kept comment\r\n[const]\r\nComuna=\xDE\xE3nd\xE3rei\r\nCassP=5.5\r\nSALARMIN=3300\r\n"
                         "[Index]\r\nidcon=15\r\nIDPARC=abc\r\n[47]\r\nVER=1.0151\r\n"));
}

TEST_F(SettingsTest, EveryCodePageByteRoundTripsThroughAValue)
{
    QByteArray raw;
    for (int b = 0x21; b < 256; ++b)
        if (b != '=' && b != ';' && b != '[')
            raw += char(b);
    test::writeFile(ws.settingsPath(), "[INIT]\r\nWIN=" + raw + "\r\n");
    Settings s(ws);
    const QString v = s.ReadSetting(QStringLiteral("INIT"), QStringLiteral("WIN"));
    s.WriteSetting(QStringLiteral("INIT"), QStringLiteral("WIN"), v);
    EXPECT_EQ(test::readFile(ws.settingsPath()), "[INIT]\r\nWIN=" + raw + "\r\n");
}

TEST_F(SettingsTest, NumbersRoundToFourDecimals)
{
    Settings s(ws);
    s.WriteSettingNumber(QStringLiteral("CONST"), QStringLiteral("X"), 2.00005);
    EXPECT_EQ(s.ReadSetting(QStringLiteral("CONST"), QStringLiteral("X")), QStringLiteral("2.0001"));
    s.WriteSetting(QStringLiteral("CONST"), QStringLiteral("Y"), QStringLiteral(" 1.23456 "));
    EXPECT_DOUBLE_EQ(s.ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("Y")), 1.2346);
    s.WriteSetting(QStringLiteral("CONST"), QStringLiteral("Z"), QStringLiteral("1,5"));
    EXPECT_DOUBLE_EQ(s.ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("Z")), 0);
}

TEST_F(SettingsTest, IdentifiersCountUpFromOne)
{
    Settings s(ws);
    EXPECT_EQ(s.PeekId(QStringLiteral("IDLOG")), QStringLiteral("1"));
    EXPECT_EQ(s.NextId(QStringLiteral("IDLOG")), QStringLiteral("1"));
    EXPECT_EQ(s.ReadSetting(QStringLiteral("INDEX"), QStringLiteral("IDLOG")), QStringLiteral("2"));
    EXPECT_EQ(s.NextId(QStringLiteral("IDLOG")), QStringLiteral("2"));
    s.SetNextId(QStringLiteral("IDLOG"), 0); // a stored 0 means 1
    EXPECT_EQ(s.NextId(QStringLiteral("IDLOG")), QStringLiteral("1"));
    s.SetNextId(QStringLiteral("IDCON"), 41);
    EXPECT_EQ(s.PeekId(QStringLiteral("IDCON")), QStringLiteral("41"));
}

TEST_F(SettingsTest, MachineSettingsLiveInSection47OfTheirOwnFile)
{
    Settings s(ws);
    s.WriteMachineSetting(QStringLiteral("SERVER"), QStringLiteral("/srv/ogorix/Data"));
    EXPECT_EQ(s.ReadMachineSetting(QStringLiteral("server")), QStringLiteral("/srv/ogorix/Data"));
    EXPECT_EQ(test::readFile(ws.machineSettingsPath()), QByteArray("[47]\r\nSERVER=/srv/ogorix/Data\r\n"));
    EXPECT_FALSE(QFile::exists(ws.settingsPath()));
}

TEST_F(SettingsTest, AFailedWriteIsAClearErrorAndLeavesTheOldFile)
{
    test::writeFile(ws.settingsPath(), "[CONST]\r\nA=1\r\n");
    Settings s(ws);
    // a character code page 1250 lacks
    try {
        s.WriteSetting(QStringLiteral("CONST"), QStringLiteral("A"), QStringLiteral("x\u20BD"));
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(ws.settingsPath())) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(QStringLiteral("U+20BD"))) << e.message().toStdString();
    }
    EXPECT_EQ(test::readFile(ws.settingsPath()), QByteArray("[CONST]\r\nA=1\r\n"));
    EXPECT_EQ(QDir(ws.dataDir).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
              QStringList({QStringLiteral("Ogorix.lck"), QStringLiteral("Ogorix.set")})); // no temporary left

    // a Data directory that does not exist
    Workspace gone = ws;
    gone.dataDir = m_dir.path() + QStringLiteral("/missing");
    try {
        Settings(gone).WriteSetting(QStringLiteral("CONST"), QStringLiteral("A"), QStringLiteral("2"));
        FAIL() << "no error";
    } catch (const Error &e) {
        EXPECT_TRUE(e.message().contains(gone.settingsPath())) << e.message().toStdString();
    }
    EXPECT_EQ(Settings(gone).ReadSetting(QStringLiteral("CONST"), QStringLiteral("A")), QString());
}

TEST_F(SettingsTest, TwoProcessesTakingIdentifiersNeverShareOne)
{
    constexpr int kPerProcess = 150;
    pid_t pids[2];
    for (int p = 0; p < 2; ++p) {
        pids[p] = fork();
        ASSERT_GE(pids[p], 0);
        if (pids[p] == 0) {
            Settings s(ws);
            QFile out(m_dir.path() + QStringLiteral("/ids%1.txt").arg(p));
            if (!out.open(QIODevice::WriteOnly))
                _exit(2);
            for (int i = 0; i < kPerProcess; ++i)
                out.write(s.NextId(QStringLiteral("IDCON")).toUtf8() + '\n');
            out.close();
            _exit(0);
        }
    }
    for (pid_t pid : pids) {
        int status = 0;
        waitpid(pid, &status, 0);
        ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    QSet<int> seen;
    int taken = 0;
    for (int p = 0; p < 2; ++p)
        for (const QByteArray &line : test::readFile(m_dir.path() + QStringLiteral("/ids%1.txt").arg(p)).split('\n'))
            if (!line.isEmpty()) {
                ++taken;
                seen.insert(line.toInt());
            }
    EXPECT_EQ(taken, 2 * kPerProcess);
    EXPECT_EQ(seen.size(), 2 * kPerProcess); // no duplicates
    for (int id = 1; id <= 2 * kPerProcess; ++id)
        EXPECT_TRUE(seen.contains(id)) << id;
    EXPECT_EQ(Settings(ws).PeekId(QStringLiteral("IDCON")), QString::number(2 * kPerProcess + 1)); // no lost increment
}
