// The archive format: round trip, an independent implementation both ways, damaged and
// hostile archives, the listing.
#include "BackupTestSupport.h"
#include "backup/Archive.h"
#include "backup/Backup.h"
#include "datastore/Error.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QCryptographicHash>
#include <QTemporaryDir>

using namespace ogx;
using namespace ogx::test;

namespace {

// An independent reader and writer of the archive format.
const char *kPythonArchive = R"PY(
import sys, os, zlib, json, hashlib
mode = sys.argv[1]
if mode == 'write':
    src, out = sys.argv[2], sys.argv[3]
    names = sorted(n for n in os.listdir(src)
                   if os.path.isfile(os.path.join(src, n)) and os.path.getsize(os.path.join(src, n)) > 0)
    with open(out, 'wb') as f:
        f.write(len(names).to_bytes(4, 'little', signed=True))
        for n in names:
            data = open(os.path.join(src, n), 'rb').read()
            raw = n.encode('cp1250')
            f.write(len(raw).to_bytes(4, 'little', signed=True) + raw)
            f.write(len(data).to_bytes(4, 'little', signed=True))
            f.write(zlib.compress(data, 9))
else:
    buf = open(sys.argv[2], 'rb').read()
    pos = 0
    def i32():
        global pos
        v = int.from_bytes(buf[pos:pos + 4], 'little', signed=True)
        pos += 4
        return v
    result = []
    for _ in range(i32()):
        l = i32()
        name = buf[pos:pos + l].decode('cp1250')
        pos += l
        size = i32()
        d = zlib.decompressobj()
        data = d.decompress(buf[pos:])
        if not d.eof or len(data) != size:
            sys.exit('member %s does not inflate to %d' % (name, size))
        pos = len(buf) - len(d.unused_data)
        result.append([name, size, hashlib.sha256(data).hexdigest()])
    if pos != len(buf):
        sys.exit('bytes after the last member')
    print(json.dumps(result))
)PY";

class ArchiveFormat : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        src = m_tmp.filePath(QStringLiteral("src"));
        dst = m_tmp.filePath(QStringLiteral("dst"));
        QDir().mkpath(src);
        QDir().mkpath(dst);
    }

    // A directory like a Data directory: tables, memo, templates, a Romanian name, a file
    // larger than the read chunks, an empty file and a subdirectory (both left out).
    void fillSource()
    {
        QByteArray records;
        for (int i = 0; i < 20000; ++i)
            records += ' ' + QByteArray::number(i).rightJustified(10, ' ') + "POPESCU ION          "
                + QByteArray::number(i % 97).leftJustified(8, ' ') + "20260308";
        writeFile(src + QStringLiteral("/Contract.dbf"), table(records));
        writeFile(src + QStringLiteral("/Contract.dbt"), noise(700000, 7));
        writeFile(src + QStringLiteral("/Cen1.xls"), QByteArray(5000, 'x'));
        writeFile(src + QStringLiteral("/\u015Eablon \u0163ar\u0103.rtf"), QByteArray("{\\rtf1 \xfe\xe3}"));
        writeFile(src + QStringLiteral("/a"), QByteArray("1"));
        writeFile(src + QStringLiteral("/Ogorix.set"), QByteArray());
        writeFile(src + QStringLiteral("/sub/inside.txt"), QByteArray("not archived"));
    }

    QString archive(const QString &name = QStringLiteral("a.ogx")) const { return m_tmp.filePath(name); }

    QTemporaryDir m_tmp;
    QString src, dst;
};

QMap<QString, QByteArray> plainFiles(const QString &dir)
{
    QMap<QString, QByteArray> out;
    for (const QFileInfo &fi : QDir(dir).entryInfoList(QDir::Files | QDir::Hidden))
        if (fi.size() > 0)
            out.insert(fi.fileName(), readFile(fi.filePath()));
    return out;
}

} // namespace

TEST_F(ArchiveFormat, RoundTripKeepsEveryNonEmptyFileInNameOrder)
{
    fillSource();
    QList<int> progress;
    ASSERT_EQ(WriteArchive(archive(), src, [&](int i, int n) { progress << i << n; }), 5);
    EXPECT_EQ(progress, (QList<int>{0, 5, 1, 5, 2, 5, 3, 5, 4, 5}));

    const ArchiveResult r = ReadArchive(archive(), dst);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    QStringList names;
    for (const ArchiveMember &m : r.members)
        names << m.name;
    EXPECT_EQ(names, (QStringList{QStringLiteral("Cen1.xls"), QStringLiteral("Contract.dbf"), QStringLiteral("Contract.dbt"),
                                  QStringLiteral("a"), QStringLiteral("\u015Eablon \u0163ar\u0103.rtf")}));
    EXPECT_EQ(tree(dst), plainFiles(src)); // no subdirectory, no empty file

    // The name is stored in code page 1250 (Ş = 0xAA, ţ = 0xFE, ă = 0xE3).
    EXPECT_TRUE(readFile(archive()).contains(QByteArray("\xaa" "ablon \xfe" "ar\xe3.rtf")));
    // The same directory gives the same bytes.
    WriteArchive(archive(QStringLiteral("b.ogx")), src);
    EXPECT_EQ(readFile(archive()), readFile(archive(QStringLiteral("b.ogx"))));
}

TEST_F(ArchiveFormat, IndependentImplementationReadsOursAndWritesWhatWeRead)
{
    fillSource();
    QDir(src + QStringLiteral("/sub")).removeRecursively();
    QFile::remove(src + QStringLiteral("/Ogorix.set"));

    // Theirs -> ours.
    const ProcessResult w = runPython(QString::fromUtf8(kPythonArchive),
                                      {QStringLiteral("write"), src, archive(QStringLiteral("theirs.ogx"))});
    ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
    const ArchiveResult r = ReadArchive(archive(QStringLiteral("theirs.ogx")), dst);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(tree(dst), plainFiles(src));

    // Ours -> theirs.
    WriteArchive(archive(), src);
    const ProcessResult p = runPython(QString::fromUtf8(kPythonArchive), {QStringLiteral("read"), archive()});
    ASSERT_EQ(p.exitCode, 0) << p.err.toStdString();
    const QJsonArray members = QJsonDocument::fromJson(p.out).array();
    const QMap<QString, QByteArray> files = plainFiles(src);
    ASSERT_EQ(members.size(), files.size());
    int i = 0;
    for (auto it = files.cbegin(); it != files.cend(); ++it, ++i) {
        const QJsonArray m = members.at(i).toArray();
        EXPECT_EQ(m.at(0).toString(), it.key());
        EXPECT_EQ(m.at(1).toInteger(), it.value().size());
        EXPECT_EQ(m.at(2).toString().toLatin1(), QCryptographicHash::hash(it.value(), QCryptographicHash::Sha256).toHex());
    }
    // Level 9 with the default window and memory: the very same bytes as the other writer.
    EXPECT_EQ(readFile(archive()), readFile(archive(QStringLiteral("theirs.ogx"))));
}

TEST_F(ArchiveFormat, DamagedOrHostileArchivesStopWithoutWritingOutside)
{
    const QByteArray good = member("good.txt", "first member");
    const QByteArray text = QByteArray("the quick brown fox ").repeated(50);
    const QByteArray random = noise(4000, 3);
    const QByteArray randomMember = member("rnd.bin", random);
    QByteArray corrupt = randomMember;
    corrupt[4 + 7 + 4 + 2000] = char(corrupt[4 + 7 + 4 + 2000] ^ 0x55);
    QByteArray badAdler = randomMember;
    badAdler[badAdler.size() - 1] = char(badAdler.at(badAdler.size() - 1) ^ 1);
    const QString outside = m_tmp.filePath(QStringLiteral("box/outside"));
    auto withName = [&](const QByteArray &name) -> QByteArray { return le32(2) + good + member(name, "evil"); };
    auto withSize = [&](qint32 size) -> QByteArray {
        return le32(2) + good + le32(4) + "evil" + le32(size) + zlibStream(text);
    };

    const struct {
        const char *what;
        QByteArray bytes;
    } cases[] = {
        {"truncated count", QByteArray("\x01\x00", 2)},
        {"negative count", le32(-1) + good},
        {"count the file cannot hold", le32(1000) + good},
        {"name length zero", le32(2) + good + le32(0) + le32(4) + zlibStream("evil")},
        {"negative name length", le32(2) + good + le32(-5) + "evil" + le32(4) + zlibStream("evil")},
        {"name length beyond the file", le32(2) + good + le32(100000) + "evil"},
        {"name of 300 bytes", withName(QByteArray(300, 'n'))},
        {"parent", withName("..")},
        {"dot", withName(".")},
        {"parent path", withName("../outside")},
        {"separator", withName("sub/evil")},
        {"backslash", withName("..\\outside")},
        {"absolute", withName(outside.toUtf8())},
        {"drive", withName("C:evil")},
        {"control character", withName("evil\x01.txt")},
        {"undefined code page byte", withName("evil\x81.txt")},
        {"device name", withName("nul.txt")},
        {"trailing dot", withName("evil.")},
        {"truncated in the size", le32(2) + good + le32(4) + "evil" + QByteArray("\x05\x00", 2)},
        {"negative size", withSize(-1)},
        {"zero size", withSize(0)},
        {"size the rest of the file cannot hold", withSize(2000000000)},
        {"inflates to more than its size", withSize(qint32(text.size() - 1))},
        {"inflates to less than its size", withSize(qint32(text.size() + 1))},
        {"corrupt deflate data", le32(2) + good + corrupt},
        {"wrong Adler-32", le32(2) + good + badAdler},
        {"truncated stream", le32(2) + good + randomMember.left(randomMember.size() - 100)},
        {"end of file before the second member", le32(2) + good},
    };
    const QString box = m_tmp.filePath(QStringLiteral("box"));
    for (const auto &c : cases) {
        SCOPED_TRACE(c.what);
        QDir(box).removeRecursively();
        const QString into = box + QStringLiteral("/a/dest");
        QDir().mkpath(into);
        writeFile(m_tmp.filePath(QStringLiteral("hostile.ogx")), c.bytes);

        const ArchiveResult r = ReadArchive(m_tmp.filePath(QStringLiteral("hostile.ogx")), into);
        EXPECT_FALSE(r.ok);
        EXPECT_FALSE(r.error.isEmpty());
        // Only a complete first member may stand, and only inside the destination.
        QMap<QString, QByteArray> expected{{QStringLiteral("a/"), {}}, {QStringLiteral("a/dest/"), {}}};
        if (c.bytes.startsWith(QByteArray(le32(2) + good)))
            expected.insert(QStringLiteral("a/dest/good.txt"), "first member");
        EXPECT_EQ(tree(box), expected);
        EXPECT_EQ(BackupListCommand(m_tmp.filePath(QStringLiteral("hostile.ogx"))).exitStatus, 1);
    }
}

TEST_F(ArchiveFormat, UnpackingReplacesLinksAndSkipsEngineFiles)
{
    writeFile(m_tmp.filePath(QStringLiteral("precious")), "keep me");
    ASSERT_TRUE(QFile::link(m_tmp.filePath(QStringLiteral("precious")), dst + QStringLiteral("/Contract.dbf")));
    writeFile(dst + QStringLiteral("/Ogorix.lck"), "live counters");
    writeFile(m_tmp.filePath(QStringLiteral("x.ogx")),
              le32(3) + member("Contract.dbf", "table") + member("Ogorix.jnl", "journal") + member("OGORIX.LCK", "lock"));

    const ArchiveResult r = ReadArchive(m_tmp.filePath(QStringLiteral("x.ogx")), dst);
    ASSERT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(r.members.size(), 3);
    EXPECT_EQ(readFile(m_tmp.filePath(QStringLiteral("precious"))), "keep me");
    EXPECT_EQ(tree(dst), (QMap<QString, QByteArray>{{QStringLiteral("Contract.dbf"), "table"},
                                                    {QStringLiteral("Ogorix.lck"), "live counters"}}));
}

TEST_F(ArchiveFormat, EmptyArchiveAndBytesAfterTheLastMember)
{
    writeFile(archive(), le32(0));
    ArchiveResult r = ReadArchive(archive(), dst);
    EXPECT_TRUE(r.ok);
    EXPECT_TRUE(r.members.isEmpty());
    // Like the original reader, bytes after the N-th member are not read.
    writeFile(archive(), le32(1) + member("a.txt", "abc") + "padding");
    r = ReadArchive(archive(), dst);
    EXPECT_TRUE(r.ok) << r.error.toStdString();
    EXPECT_EQ(readFile(dst + QStringLiteral("/a.txt")), "abc");
}

TEST_F(ArchiveFormat, ListingNamesEverySizeAndFailsOnDamage)
{
    writeFile(archive(), le32(2) + member("Contract.dbf", "12345") + member("Log.dbf", QByteArray(70000, 'L')));
    CommandOutput out = BackupListCommand(archive());
    EXPECT_EQ(out.exitStatus, 0);
    EXPECT_EQ(out.out, QStringLiteral("Contract.dbf\t5\nLog.dbf\t70000\n"));
    EXPECT_TRUE(out.err.isEmpty());

    writeFile(archive(), le32(2) + member("Contract.dbf", "12345") + le32(7) + "Log.dbf" + le32(69999)
                             + zlibStream(QByteArray(70000, 'L')));
    out = BackupListCommand(archive());
    EXPECT_EQ(out.exitStatus, 1);
    EXPECT_EQ(out.out, QStringLiteral("Contract.dbf\t5\n"));
    EXPECT_TRUE(out.err.contains(QStringLiteral("Log.dbf"))) << out.err.toStdString();
    EXPECT_EQ(BackupListCommand(m_tmp.filePath(QStringLiteral("missing.ogx"))).exitStatus, 1);
}

TEST_F(ArchiveFormat, WritingFailsCleanlyAndKeepsTheOldArchive)
{
    writeFile(archive(), "the good old archive");
    writeFile(src + QStringLiteral("/b.txt"), "b");
    writeFile(src + QStringLiteral("/c.txt"), "c");

    // A file that disappears while the archive is written.
    EXPECT_THROW(WriteArchive(archive(), src,
                              [&](int i, int) {
                                  if (i == 1)
                                      QFile::remove(src + QStringLiteral("/c.txt"));
                              }),
                 Error);
    EXPECT_EQ(readFile(archive()), "the good old archive");

    // Names that an archive cannot hold safely, and files of 2 GiB.
    const QString bad[] = {QStringLiteral("x\\y.txt"), QStringLiteral("a:b.txt"), QStringLiteral("\u65e5\u672c.txt")};
    for (const QString &name : bad) {
        SCOPED_TRACE(name.toStdString());
        writeFile(src + u'/' + name, "data");
        EXPECT_THROW(WriteArchive(archive(), src), Error);
        QFile::remove(src + u'/' + name);
    }
    QFile big(src + QStringLiteral("/big.dbf"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(qint64(1) << 31)); // sparse
    big.close();
    EXPECT_THROW(WriteArchive(archive(), src), Error);
    EXPECT_EQ(readFile(archive()), "the good old archive");
    EXPECT_EQ(QDir(m_tmp.path()).entryList(QDir::Files), QStringList{QStringLiteral("a.ogx")}); // no stray temporary
}

TEST_F(ArchiveFormat, MembersOfEverySizeEndingTheArchiveReadBack)
{
    // The last member's stream ends the file: the reader must drain inflate's pending
    // output without more input, whatever the sizes of its buffers.
    QList<int> sizes;
    for (int s = 1; s <= 300; ++s)
        sizes << s;
    sizes << 4095 << 4096 << 4097 << 65535 << 65536 << 262143 << 262144 << 262145 << 600000;
    for (const int s : sizes) {
        SCOPED_TRACE(s);
        QByteArray data = QByteArray("ab").repeated(s / 2 + 1).left(s);
        if (s % 3 == 0)
            data = noise(s, quint32(s));
        writeFile(archive(), le32(2) + member("first.bin", data.left(s / 2 + 1)) + member("last.bin", data));
        const ArchiveResult r = ListArchive(archive());
        ASSERT_TRUE(r.ok) << r.error.toStdString();
        ASSERT_EQ(r.members.size(), 2);
        EXPECT_EQ(r.members[1].size, s);
    }
}
