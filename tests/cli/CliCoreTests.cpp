// ogorix-cli as a user runs it.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QProcessEnvironment>
#include <QTemporaryDir>

using namespace ogx::test;

namespace {

class Cli : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("OGORIX_MACHINE_DIR", (m_dir.path() + QStringLiteral("/machine")).toUtf8());
        m_home = qgetenv("HOME");
        qputenv("HOME", m_dir.path().toUtf8()); // the default backup folder is made in the home folder
    }
    void TearDown() override
    {
        qunsetenv("OGORIX_MACHINE_DIR");
        qputenv("HOME", m_home);
    }
    QByteArray m_home;
    ProcessResult cli(QStringList args)
    {
        return runProcess(binDir() + QStringLiteral("/ogorix-cli"),
                          QStringList{QStringLiteral("--workspace"), ws()} + args);
    }
    QString ws() const { return m_dir.path() + QStringLiteral("/ws"); }
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(Cli, InitPreparesAnEmptyFolder)
{
    const ProcessResult r = cli({QStringLiteral("init")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QByteArray("Lucru local.\n"));
    EXPECT_TRUE(QFileInfo(ws() + QStringLiteral("/Data")).isDir());
    EXPECT_FALSE(QFileInfo::exists(ws() + QStringLiteral("/Temp")));
    EXPECT_TRUE(readFile(ws() + QStringLiteral("/Data/Ogorix.set")).contains("[47]\r\nVER=1.0151\r\n"));
    const QByteArray machine = readFile(m_dir.path() + QStringLiteral("/machine/Ogorix.ini"));
    EXPECT_TRUE(machine.contains(QByteArray("CALE=" + ws().toUtf8() + "\r\n")));
    EXPECT_TRUE(machine.contains("VER=1.0151\r\n"));
}

TEST_F(Cli, SettingsGetAndSet)
{
    ASSERT_EQ(cli({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("CONST"), QStringLiteral("COMUNA"),
                   QStringLiteral("Ştefăneşti")}).exitCode, 0);
    EXPECT_EQ(cli({QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("const"), QStringLiteral("comuna")}).out,
              QStringLiteral("Ştefăneşti\n").toUtf8());
    EXPECT_TRUE(readFile(ws() + QStringLiteral("/Data/Ogorix.set")).contains("COMUNA=\xAA" "tef\xE3ne\xBAti"));
    ASSERT_EQ(cli({QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("--machine"), QStringLiteral("Mail"),
                   QStringLiteral("a@b.ro")}).exitCode, 0);
    EXPECT_EQ(cli({QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("--machine"), QStringLiteral("MAIL")}).out,
              QByteArray("a@b.ro\n"));
    EXPECT_FALSE(QFileInfo::exists(ws() + QStringLiteral("/Temp")));
}

TEST_F(Cli, BadInput)
{
    const struct { QStringList args; int status; const char *err; } cases[] = {
        {{QStringLiteral("settings"), QStringLiteral("get"), QStringLiteral("CONST")}, 2, "folosire"},
        {{QStringLiteral("nosuch")}, 2, "comanda necunoscuta: nosuch"},
        {{QStringLiteral("--today"), QStringLiteral("2026-13-01"), QStringLiteral("init")}, 2, "YYYY-MM-DD"},
        {{QStringLiteral("settings"), QStringLiteral("set"), QStringLiteral("CONST"), QStringLiteral("X"),
          QStringLiteral("\u20BD")}, 1, "U+20BD"},
    };
    for (const auto &c : cases) {
        const ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.err)) << r.err.toStdString();
    }
    // a workspace that cannot be created
    writeFile(m_dir.path() + QStringLiteral("/plain"), "x");
    const ProcessResult r = runProcess(binDir() + QStringLiteral("/ogorix-cli"),
                                       {QStringLiteral("--workspace"), m_dir.path() + QStringLiteral("/plain/ws"), QStringLiteral("init")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains("plain/ws")) << r.err.toStdString();
}

TEST_F(Cli, VersionAndHelp)
{
    EXPECT_EQ(cli({QStringLiteral("--version")}).out, QByteArray("ogorix-cli 1.0151\n"));
    const ProcessResult help = cli({QStringLiteral("help")});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_TRUE(help.out.contains("settings get"));
}

TEST_F(Cli, WordsAndValidate)
{
    const struct { QStringList args; int status; QByteArray out; } cases[] = {
        {{QStringLiteral("words"), QStringLiteral("1234.56")}, 0, "unamiidouasutetreizecisipatru lei si cincizecisisase bani\n"},
        {{QStringLiteral("words"), QStringLiteral("--number"), QStringLiteral("2")}, 0, "doi\n"},
        {{QStringLiteral("validate"), QStringLiteral("cnp"), QStringLiteral("1960521400017")}, 0, "valid\n"},
        {{QStringLiteral("validate"), QStringLiteral("cnp"), QStringLiteral("1960521400015")}, 1, "invalid\n"},
        {{QStringLiteral("validate"), QStringLiteral("cif"), QStringLiteral("18547290")}, 0, "valid\n"},
        {{QStringLiteral("validate"), QStringLiteral("email"), QStringLiteral("primaria@exemplu.ro")}, 0, "valid\n"},
        {{QStringLiteral("validate"), QStringLiteral("iban"), QStringLiteral("x")}, 2, ""},
    };
    for (const auto &c : cases) {
        const ProcessResult r = cli(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args.join(u' ').toStdString();
        EXPECT_EQ(r.out, c.out) << c.args.join(u' ').toStdString();
    }
}

TEST_F(Cli, DataCommandsOnADemoRegister)
{
    ASSERT_EQ(cli({QStringLiteral("init")}).exitCode, 0);
    const ProcessResult demo = cli({QStringLiteral("demo"), QStringLiteral("--contracts"), QStringLiteral("12"),
                                    QStringLiteral("--seed"), QStringLiteral("5")});
    ASSERT_EQ(demo.exitCode, 0) << demo.err.toStdString();
    EXPECT_TRUE(demo.out.startsWith("Contracte: 12, parcele: ")) << demo.out.toStdString();

    const ProcessResult count = cli({QStringLiteral("sql"), QStringLiteral("SELECT COUNT(*) AS N FROM Contract")});
    EXPECT_EQ(count.out, QByteArray("N\n12\n"));
    const ProcessResult refused = cli({QStringLiteral("sql"), QStringLiteral("DELETE FROM Log")});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_EQ(cli({QStringLiteral("sql"), QStringLiteral("SELECT COUNT(*) AS N FROM Log")}).out, QByteArray("N\n12\n"));
    ASSERT_EQ(cli({QStringLiteral("sql"), QStringLiteral("--write"), QStringLiteral("DELETE FROM Log WHERE IDLOG > 10")}).exitCode, 0);
    EXPECT_EQ(cli({QStringLiteral("sql"), QStringLiteral("SELECT COUNT(*) AS N FROM Log")}).out, QByteArray("N\n10\n"));

    const ProcessResult doc = cli({QStringLiteral("document"), QStringLiteral("contract"), QStringLiteral("--contract"), QStringLiteral("1")});
    ASSERT_EQ(doc.exitCode, 0) << doc.err.toStdString();
    EXPECT_EQ(doc.out.trimmed(), (ws() + QStringLiteral("/Data/C1.rtf")).toUtf8());
    EXPECT_TRUE(readFile(ws() + QStringLiteral("/Data/C1.rtf")).startsWith("{\\rtf1"));
    const ProcessResult offer = cli({QStringLiteral("document"), QStringLiteral("offer"), QStringLiteral("--parcel"),
                                     QStringLiteral("1"), QStringLiteral("--price"), QStringLiteral("0")});
    EXPECT_EQ(offer.exitCode, 1);
    EXPECT_TRUE(offer.err.contains("Lipseste Pretul!"));

    const QString archive = m_dir.path() + QStringLiteral("/copie.ogx");
    ASSERT_EQ(cli({QStringLiteral("backup"), QStringLiteral("save"), archive}).exitCode, 0);
    const ProcessResult list = cli({QStringLiteral("backup"), QStringLiteral("list"), archive});
    EXPECT_EQ(list.exitCode, 0);
    EXPECT_TRUE(list.out.contains("Contract.dbf")) << list.out.toStdString();
    EXPECT_FALSE(list.out.contains("Ogorix.lck"));
    ASSERT_EQ(cli({QStringLiteral("sql"), QStringLiteral("--write"), QStringLiteral("DELETE FROM Contract")}).exitCode, 0);
    ASSERT_EQ(cli({QStringLiteral("backup"), QStringLiteral("restore"), archive}).exitCode, 0);
    EXPECT_EQ(cli({QStringLiteral("sql"), QStringLiteral("SELECT COUNT(*) AS N FROM Contract")}).out, QByteArray("N\n12\n"));
    EXPECT_TRUE(QFileInfo(ws() + QStringLiteral("/DataBAK/Contract.dbf")).isFile());

    ASSERT_EQ(cli({QStringLiteral("admin-password"), QStringLiteral("set"), QStringLiteral("Primaria1")}).exitCode, 0);
    EXPECT_EQ(cli({QStringLiteral("admin-password"), QStringLiteral("verify"), QStringLiteral("Primaria1")}).exitCode, 0);
    EXPECT_EQ(cli({QStringLiteral("admin-password"), QStringLiteral("verify"), QStringLiteral("primaria1")}).exitCode, 1);
    EXPECT_EQ(cli({QStringLiteral("pack")}).exitCode, 0);

    const ProcessResult report = cli({QStringLiteral("report"), QStringLiteral("contracts"), QStringLiteral("--all")});
    ASSERT_EQ(report.exitCode, 0) << report.err.toStdString();
    EXPECT_EQ(report.out.trimmed(), (ws() + QStringLiteral("/Rap0.xls")).toUtf8());
    EXPECT_TRUE(readFile(ws() + QStringLiteral("/Rap0.xls")).startsWith("\xD0\xCF\x11\xE0"));
    EXPECT_EQ(cli({QStringLiteral("report"), QStringLiteral("nosuch")}).exitCode, 2);
}
