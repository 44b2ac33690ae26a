// Administration settings, the administrator password and the session rules, without windows.

#include "datastore/Settings.h"
#include "datastore/TextCodec.h"
#include "session/AdminPassword.h"
#include "session/AdminSettings.h"
#include "session/SessionRules.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <deque>

using namespace ogx;

namespace {

struct Fixture {
    QTemporaryDir tmp;
    Workspace ws;
    Fixture()
    {
        ws.programDir = tmp.path();
        ws.dataDir = tmp.path() + QStringLiteral("/Data");
        ws.localDataDir = ws.dataDir;
        ws.tempDir = tmp.path() + QStringLiteral("/Temp");
        ws.machineDir = tmp.path() + QStringLiteral("/machine");
        QDir().mkpath(ws.dataDir);
        QDir().mkpath(ws.machineDir);
    }
};

class ScriptedPrompter final : public Prompter {
public:
    std::deque<int> answers;
    QStringList titles;
    int Mesaj(const QString &title, const QString &, int, int) override
    {
        titles.append(title);
        if (answers.empty())
            return ResultCancel;
        const int a = answers.front();
        answers.pop_front();
        return a;
    }
    void ShowProblemHint(const QString &, QWidget *) override {}
};

// The scrambling written again from its definition in Python, as an outside check.
const char *kPythonScrambler = R"PY(
import sys
def scramble(b):
    state = sum(b) & 0xFFFFFFFF
    def r(n):
        nonlocal state
        state = (state * 134775813 + 1) & 0xFFFFFFFF
        return (state * n) >> 32
    s = list(b)
    k = r(30) + 6
    for _ in range(k):
        p = r(len(s)) + 1
        ch = r(150) + 32
        s.insert(p - 1, ch)
    m = r(50) + 50
    s = [32] + s
    for _ in range(m):
        a = r(len(s) - 2) + 2
        c = r(len(s) - 2) + 2
        s[0] = s[a - 1]; s[a - 1] = s[c - 1]; s[c - 1] = s[0]
    return bytes(s)
for arg in sys.argv[1:]:
    print(scramble(bytes.fromhex(arg)).hex())
)PY";

} // namespace

TEST(CodeazaStr, MatchesAnIndependentScramblerAndKeepsItsLengthRule)
{
    const QList<QByteArray> inputs{QByteArray(), QByteArray("a"), QByteArray("PAROLA"), QByteArray("parola"),
                                   QByteArray("ALOPAR"), QByteArray("\xe2\xba\xfe Ab 12 \x81", 9),
                                   QByteArray(40, 'z')};
    QStringList hex;
    for (const QByteArray &in : inputs)
        hex.append(QString::fromLatin1(in.toHex()));
    const test::ProcessResult r = test::runPython(QString::fromLatin1(kPythonScrambler), hex);
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QList<QByteArray> expected = r.out.trimmed().split('\n');
    ASSERT_EQ(expected.size(), inputs.size());
    for (qsizetype i = 0; i < inputs.size(); ++i) {
        const QByteArray got = CodeazaBytes(inputs[i]);
        EXPECT_EQ(got.toHex(), expected[i].trimmed()) << inputs[i].constData();
        // Length: input + k + 1 with 6 <= k <= 35; codes from 32 to 181.
        const qsizetype extra = got.size() - inputs[i].size();
        EXPECT_GE(extra, 7);
        EXPECT_LE(extra, 36);
        EXPECT_EQ(CodeazaBytes(inputs[i]), got) << "deterministic";
    }
    // Same characters in another order: same start state, different result.
    EXPECT_NE(CodeazaBytes("PAROLA"), CodeazaBytes("ALOPAR"));
    EXPECT_NE(CodeazaBytes("PAROLA"), CodeazaBytes("parola"));
    // The text form holds exactly the scrambled bytes.
    QByteArray back;
    ASSERT_TRUE(toCp1250(CodeazaStr(QStringLiteral("Parolă")), back));
    EXPECT_EQ(back, CodeazaBytes(QByteArray("Parol\xe3", 6)));
}

TEST(AdminPassword, StoredInTheSettingsFileAndVerifiedAfterReadingBack)
{
    Fixture f;
    const Settings s(f.ws);
    EXPECT_FALSE(HasAdminPassword(s));
    EXPECT_FALSE(VerifyAdminPassword(s, QString()));

    SetAdminPassword(s, QStringLiteral("Secret 1"));
    EXPECT_TRUE(HasAdminPassword(s));
    EXPECT_TRUE(VerifyAdminPassword(s, QStringLiteral("Secret 1")));
    EXPECT_FALSE(VerifyAdminPassword(s, QStringLiteral("secret 1")));
    EXPECT_FALSE(VerifyAdminPassword(s, QString()));

    // A file written by another program: raw code page 1250 bytes, the undefined ones
    // included, after "WIN=". The last byte of a scrambled text is the password's last byte,
    // so a password ending in a blank gives a scrambled text that reading trims. Passwords
    // are tried until one scrambles to an undefined byte too.
    QByteArray scrambled;
    QString password;
    for (int i = 0; i < 5000 && password.isEmpty(); ++i) {
        const QByteArray candidate = "pw" + QByteArray::number(i) + ' ';
        const QByteArray sc = CodeazaBytes(candidate);
        const bool undefinedByte = sc.contains('\x81') || sc.contains('\x83') || sc.contains('\x88')
            || sc.contains('\x90') || sc.contains('\x98');
        if (undefinedByte && sc.endsWith(' ')) {
            scrambled = sc;
            password = QString::fromLatin1(candidate);
        }
    }
    ASSERT_FALSE(password.isEmpty());
    test::writeFile(f.ws.settingsPath(), "[INIT]\r\nWIN=" + scrambled + "\r\n");
    EXPECT_TRUE(VerifyAdminPassword(s, password));
    EXPECT_FALSE(VerifyAdminPassword(s, password + u'x'));

    ClearAdminPassword(s);
    EXPECT_FALSE(HasAdminPassword(s));
    SetAdminPassword(s, QStringLiteral("x"));
    SetAdminPassword(s, QString());
    EXPECT_FALSE(HasAdminPassword(s));
}

TEST(AdminPassword, CommandLineSetVerifyClear)
{
    Fixture f;
    const Settings s(f.ws);
    struct Step {
        QStringList args;
        int exitCode;
        const char *output;
    };
    const Step steps[] = {
        {{QStringLiteral("verify"), QStringLiteral("x")}, 1, "false"},
        {{QStringLiteral("set"), QStringLiteral("Parola 7")}, 0, "password set"},
        {{QStringLiteral("verify"), QStringLiteral("Parola 7")}, 0, "true"},
        {{QStringLiteral("verify"), QStringLiteral("parola 7")}, 1, "false"},
        {{QStringLiteral("clear")}, 0, "password removed"},
        {{QStringLiteral("verify"), QStringLiteral("Parola 7")}, 1, "false"},
        {{QStringLiteral("verify")}, 2, nullptr},
        {{QStringLiteral("unset")}, 2, nullptr},
    };
    for (const Step &st : steps) {
        const AdminPasswordCommandResult r = RunAdminPasswordCommand(s, st.args);
        EXPECT_EQ(r.exitCode, st.exitCode) << st.args.join(u' ').toStdString();
        if (st.output) {
            EXPECT_EQ(r.output, QLatin1String(st.output)) << st.args.join(u' ').toStdString();
        } else {
            EXPECT_TRUE(r.output.startsWith(QStringLiteral("usage:")));
        }
    }
    // What the command stored is what the login compares with.
    RunAdminPasswordCommand(s, {QStringLiteral("set"), QStringLiteral("abc")});
    EXPECT_EQ(s.ReadSetting(QStringLiteral("INIT"), QStringLiteral("WIN")), CodeazaStr(QStringLiteral("abc")).trimmed());
}

TEST(AdminSettings, LoadsDefaultsStoredValuesAndTheDefaultBackupFolder)
{
    Fixture f;
    const Settings s(f.ws);
    const QString home = f.tmp.path() + QStringLiteral("/home");
    QDir().mkpath(home);

    AdminSettings a;
    LoadAdminSettings(s, a, home);
    EXPECT_EQ(a.localityType(), QStringLiteral("COMUNA"));
    EXPECT_EQ(a.county(), QStringLiteral("ALBA"));
    EXPECT_EQ(a.comuna, QString());
    EXPECT_DOUBLE_EQ(a.cassp, 5.5);
    EXPECT_DOUBLE_EQ(a.bazac, 60);
    EXPECT_DOUBLE_EQ(a.impozit, 10);
    EXPECT_DOUBLE_EQ(a.salarMin, 3300);
    EXPECT_DOUBLE_EQ(a.pretGrau, 1);
    EXPECT_EQ(a.serverPath, QStringLiteral("-"));
    const QString folder = home + QStringLiteral("/Salvari_Ogorix");
    EXPECT_EQ(a.backupFolder, folder);
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_EQ(s.ReadMachineSetting(QStringLiteral("CALESALVARI")), folder);

    // Stored values; a constant that is not a number keeps its default.
    s.WriteMachineSetting(QStringLiteral("CALESALVARI"), QStringLiteral("-"));
    s.WriteMachineSetting(QStringLiteral("SERVER"), QStringLiteral("/srv/ogorix"));
    s.WriteSettingNumber(QStringLiteral("CONST"), QStringLiteral("TIPLOC"), 2);
    s.WriteSettingNumber(QStringLiteral("CONST"), QStringLiteral("JUDET"), 41);
    s.WriteSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA"), QStringLiteral("FLORESTI"));
    s.WriteSetting(QStringLiteral("CONST"), QStringLiteral("CASSP"), QStringLiteral("10"));
    s.WriteSetting(QStringLiteral("CONST"), QStringLiteral("BAZAC"), QStringLiteral("abc"));
    s.WriteSetting(QStringLiteral("CONST"), QStringLiteral("PRETGRAU"), QStringLiteral("1.25"));
    AdminSettings b;
    LoadAdminSettings(s, b, home);
    EXPECT_EQ(b.backupFolder, QStringLiteral("-"));
    EXPECT_FALSE(b.automaticBackupOn());
    EXPECT_EQ(b.serverPath, QStringLiteral("/srv/ogorix"));
    EXPECT_EQ(b.localityType(), QStringLiteral("MUNICIPIUL"));
    EXPECT_EQ(b.county(), QStringLiteral("BUCURESTI"));
    EXPECT_EQ(b.comuna, QStringLiteral("FLORESTI"));
    EXPECT_DOUBLE_EQ(b.cassp, 10);
    EXPECT_DOUBLE_EQ(b.bazac, 60);
    EXPECT_DOUBLE_EQ(b.pretGrau, 1.25);

    // No home that can hold the folder: "-" for this run, nothing stored.
    Fixture g;
    const Settings sg(g.ws);
    test::writeFile(g.tmp.path() + QStringLiteral("/file"), "x");
    AdminSettings c;
    LoadAdminSettings(sg, c, g.tmp.path() + QStringLiteral("/file"));
    EXPECT_EQ(c.backupFolder, QStringLiteral("-"));
    EXPECT_EQ(sg.ReadMachineSetting(QStringLiteral("CALESALVARI")), QString());
}

TEST(AdminSettings, SaveStoresCleanedNameAndNumbers)
{
    Fixture f;
    const Settings s(f.ws);
    AdminSettings a;
    a.tipLoc = 1;
    a.judet = 8;
    a.comuna = QStringLiteral("  SAT   \"NOU\" ");
    a.cassp = 10;
    a.bazac = 40.5;
    a.impozit = 10;
    a.salarMin = 3700;
    a.pretGrau = 1.2;
    SaveAdminSettings(s, a);
    EXPECT_EQ(s.ReadSetting(QStringLiteral("CONST"), QStringLiteral("TIPLOC")), QStringLiteral("1"));
    EXPECT_EQ(s.ReadSetting(QStringLiteral("CONST"), QStringLiteral("JUDET")), QStringLiteral("8"));
    EXPECT_EQ(s.ReadSetting(QStringLiteral("CONST"), QStringLiteral("COMUNA")), QStringLiteral("SAT NOU"));
    EXPECT_EQ(s.ReadSetting(QStringLiteral("CONST"), QStringLiteral("BAZAC")), QStringLiteral("40.5"));
    EXPECT_EQ(s.ReadSetting(QStringLiteral("CONST"), QStringLiteral("SALARMIN")), QStringLiteral("3700"));
    EXPECT_EQ(s.ReadSetting(QStringLiteral("CONST"), QStringLiteral("PRETGRAU")), QStringLiteral("1.2"));
    AdminSettings back;
    LoadAdminSettings(s, back, f.tmp.path());
    EXPECT_EQ(back.county(), QStringLiteral("BRAILA"));
    EXPECT_EQ(back.localityType(), QStringLiteral("ORASUL"));
}

TEST(SessionRules, BackupQuestionAtTheEndOfARun)
{
    Fixture f;
    AdminSettings admin;
    admin.backupFolder = f.tmp.path();
    struct Case {
        const char *name;
        bool backupMode, network, contracte, folderOff;
        std::vector<int> answers;
        QStringList asked;
        bool backup;
    };
    const QString sm = QStringLiteral("Salvare modificari"), sa = QStringLiteral("Salvare Automata");
    const Case cases[] = {
        {"local yes", false, false, true, false, {ResultYes}, {sa}, true},
        {"local no", false, false, true, false, {ResultNo}, {sa}, false},
        {"never logged in", false, false, false, false, {}, {}, false},
        {"network", false, true, true, false, {}, {}, false},
        {"folder off", false, false, true, true, {}, {}, false},
        {"backup mode yes", true, false, true, false, {ResultYes}, {sm}, true},
        {"backup mode no then copy", true, false, true, false, {ResultNo, ResultYes}, {sm, sa}, true},
        {"backup mode escape twice", true, false, true, false, {ResultCancel, ResultCancel}, {sm, sa}, false},
    };
    for (const Case &c : cases) {
        Workspace ws = f.ws;
        if (c.backupMode)
            ws.openedBackup = f.tmp.path() + QStringLiteral("/Copie.ogx");
        if (c.network)
            ws.dataDir = f.tmp.path() + QStringLiteral("/server");
        AdminSettings a = admin;
        if (c.folderOff)
            a.backupFolder = QStringLiteral("-");
        ScriptedPrompter p;
        p.answers.assign(c.answers.begin(), c.answers.end());
        EXPECT_EQ(DecideBackupOnClose(p, ws, c.contracte, a), c.backup) << c.name;
        EXPECT_EQ(p.titles, c.asked) << c.name;
    }
}

TEST(SessionRules, FolderChecksAndHelpLeftovers)
{
    Fixture f;
    const QString server = f.tmp.path() + QStringLiteral("/srv");
    QDir().mkpath(server);
    EXPECT_EQ(CheckServerFolder(f.ws, f.ws.dataDir.toUpper()), ServerFolderCheck::Local);
    test::writeFile(server + QStringLiteral("/Contract.dbf"), "x");
    test::writeFile(server + QStringLiteral("/Parcele.dbf"), "x");
    EXPECT_EQ(CheckServerFolder(f.ws, server), ServerFolderCheck::Incomplete);
    test::writeFile(server + QStringLiteral("/Plati2.dbf"), "x");
    EXPECT_EQ(CheckServerFolder(f.ws, server), ServerFolderCheck::Complete);
    EXPECT_EQ(WithoutTrailingSeparator(server + u'/'), server);
    EXPECT_EQ(WithoutTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));

    EXPECT_TRUE(CanWriteFolder(server));
    EXPECT_FALSE(QFileInfo::exists(server + QStringLiteral("/test.txt")));
    EXPECT_FALSE(CanWriteFolder(server + QStringLiteral("/missing")));

    for (const char *name : {"Manual.pdf", "Pop1.pdf", "Pop7.pdf", "Pop8.pdf", "Other.pdf"})
        test::writeFile(f.tmp.path() + u'/' + QLatin1String(name), "x");
    DeleteHelpLeftovers(f.tmp.path());
    EXPECT_FALSE(QFileInfo::exists(f.tmp.path() + QStringLiteral("/Manual.pdf")));
    EXPECT_FALSE(QFileInfo::exists(f.tmp.path() + QStringLiteral("/Pop1.pdf")));
    EXPECT_FALSE(QFileInfo::exists(f.tmp.path() + QStringLiteral("/Pop7.pdf")));
    EXPECT_TRUE(QFileInfo::exists(f.tmp.path() + QStringLiteral("/Pop8.pdf")));
    EXPECT_TRUE(QFileInfo::exists(f.tmp.path() + QStringLiteral("/Other.pdf")));
}
