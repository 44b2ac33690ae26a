#include "backup/Archive.h"

#include "backup/DataFiles.h"
#include "datastore/Error.h"
#include "datastore/TextCodec.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QtEndian>

#include <zlib.h>

#include <limits>
#include <algorithm>
#include <memory>
#include <vector>

namespace ogx {

namespace {

constexpr qint64 kChunk = 256 * 1024;
// Deflate cannot do better than 1032:1 (a 258-byte match in two bits); a size that the
// rest of the archive cannot hold even at that ratio is a lie.
constexpr qint64 kMaxDeflateRatio = 1032;
// The smallest member: name length, a one-byte name, size, and a zlib stream of at least
// 2 header bytes, 3 deflate bytes and the 4-byte Adler-32.
constexpr qint64 kMinMemberBytes = 4 + 1 + 4 + 9;

QString fileError(const QString &what, const QString &path, const QString &reason)
{
    return QStringLiteral("%1 %2: %3").arg(what, QDir::toNativeSeparators(path), reason);
}

bool isDeviceName(const QByteArray &raw)
{
    QByteArray base = raw.left(raw.indexOf('.') < 0 ? raw.size() : raw.indexOf('.')).trimmed().toUpper();
    static const char *const names[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char *n : names)
        if (base == n)
            return true;
    if (base.size() == 4 && (base.startsWith("COM") || base.startsWith("LPT")) && base.at(3) >= '0'
        && base.at(3) <= '9')
        return true;
    return false;
}

// zlib streams released on every path, exceptions included.
struct Deflater {
    z_stream zs{};
    bool live = false;
    ~Deflater() { if (live) deflateEnd(&zs); }
};
struct Inflater {
    z_stream zs{};
    bool live = false;
    ~Inflater() { if (live) inflateEnd(&zs); }
};

void writeAll(QSaveFile &out, const char *data, qint64 length)
{
    if (out.write(data, length) != length)
        throw Error(fileError(QStringLiteral("Nu pot scrie"), out.fileName(), out.errorString()));
}

void writeInt(QSaveFile &out, qint32 value)
{
    char bytes[4];
    qToLittleEndian<qint32>(value, bytes);
    writeAll(out, bytes, 4);
}

// Buffered reading over a device, tracking how much of it is left.
class Input {
public:
    explicit Input(QIODevice &dev) : m_dev(dev)
    {
        m_size = dev.isSequential() ? -1 : dev.size() - dev.pos();
        m_buffer.resize(m_size < 0 ? kChunk : std::clamp<qint64>(m_size, 1, kChunk));
    }

    // Bytes not yet consumed; the largest qint64 when the device does not know its size.
    qint64 remaining() const
    {
        return m_size < 0 ? std::numeric_limits<qint64>::max() : m_size - m_consumed;
    }

    // Makes at least one byte available; false at the end or on a read error.
    bool fill()
    {
        if (m_avail > 0)
            return true;
        const qint64 got = m_dev.read(m_buffer.data(), m_buffer.size());
        if (got <= 0)
            return false;
        m_at = m_buffer.constData();
        m_avail = got;
        return true;
    }

    bool readExact(char *out, qint64 length)
    {
        while (length > 0) {
            if (!fill())
                return false;
            const qint64 n = std::min(length, m_avail);
            memcpy(out, m_at, size_t(n));
            consume(n);
            out += n;
            length -= n;
        }
        return true;
    }

    bool readInt(qint32 &value)
    {
        char bytes[4];
        if (!readExact(bytes, 4))
            return false;
        value = qFromLittleEndian<qint32>(bytes);
        return true;
    }

    const char *data() const { return m_at; }
    qint64 available() const { return m_avail; }
    void consume(qint64 n)
    {
        m_at += n;
        m_avail -= n;
        m_consumed += n;
    }

private:
    QIODevice &m_dev;
    QByteArray m_buffer;
    const char *m_at = nullptr;
    qint64 m_avail = 0;
    qint64 m_consumed = 0;
    qint64 m_size = -1;
};

// Writes members as files of one directory.
class DirectorySink final : public MemberSink {
public:
    explicit DirectorySink(const QString &directory) : m_directory(directory) {}
    ~DirectorySink() override { abort(); }

    bool begin(const QString &name, qint64, QString &error) override
    {
        // The engine's lock and journal describe the directory they were taken from; in
        // another directory a journal would "roll back" data it never saw.
        m_skip = IsEngineFile(name);
        if (m_skip)
            return true;
        const QString path = m_directory + u'/' + name;
        const QFileInfo fi(path);
        if (fi.isSymLink() || fi.exists()) {
            // Replace what stands there; a link is removed itself, never followed.
            if ((fi.isDir() && !fi.isSymLink()) || !QFile::remove(path)) {
                error = fileError(QStringLiteral("Nu pot inlocui"), path, QStringLiteral("exista si nu poate fi sters"));
                return false;
            }
        }
        m_file.setFileName(path);
        if (!m_file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
            error = fileError(QStringLiteral("Nu pot crea"), path, m_file.errorString());
            return false;
        }
        m_open = true;
        return true;
    }

    bool write(const char *data, qint64 length, QString &error) override
    {
        if (m_skip)
            return true;
        if (m_file.write(data, length) != length) {
            error = fileError(QStringLiteral("Nu pot scrie"), m_file.fileName(), m_file.errorString());
            return false;
        }
        return true;
    }

    bool end(QString &error) override
    {
        if (m_skip)
            return true;
        const bool flushed = m_file.flush();
        m_file.close();
        m_open = false;
        if (!flushed || m_file.error() != QFileDevice::NoError) {
            error = fileError(QStringLiteral("Nu pot scrie"), m_file.fileName(), m_file.errorString());
            QFile::remove(m_file.fileName());
            return false;
        }
        return true;
    }

    void abort() override
    {
        if (!m_open)
            return;
        m_file.close();
        m_open = false;
        QFile::remove(m_file.fileName()); // a partial member is worse than none
    }

private:
    QString m_directory;
    QFile m_file;
    bool m_open = false;
    bool m_skip = false;
};

class CountingSink final : public MemberSink {
public:
    bool begin(const QString &, qint64, QString &) override { return true; }
    bool write(const char *, qint64, QString &) override { return true; }
    bool end(QString &) override { return true; }
    void abort() override {}
};

} // namespace

bool IsSafeMemberName(const QByteArray &raw)
{
    if (raw.isEmpty() || raw.size() > kMaxMemberNameLength)
        return false;
    for (const char c : raw) {
        const auto b = static_cast<unsigned char>(c);
        if (b < 0x20 || b == 0x7F)
            return false;
        switch (c) {
        case '/': case '\\': case ':': case '*': case '?': case '"': case '<': case '>': case '|':
            return false;
        default:
            break;
        }
    }
    // The bytes code page 1250 leaves undefined decode to C1 control characters.
    const QString name = fromCp1250(raw);
    for (const QChar ch : name)
        if (ch.category() == QChar::Other_Control)
            return false;
    // "." and "..", and names that Windows would silently cut (trailing dot or blank).
    if (raw.endsWith('.') || raw.endsWith(' '))
        return false;
    return !isDeviceName(raw);
}

bool IsStorableFileName(const QString &name)
{
    QByteArray raw;
    return toCp1250(name, raw) && IsSafeMemberName(raw);
}

int WriteArchive(const QString &archivePath, const QString &directory, const ArchiveProgress &progress)
{
    const QStringList files = ListArchivableFiles(directory);
    if (files.isEmpty())
        return 0;
    if (files.size() > std::numeric_limits<qint32>::max())
        throw Error(QStringLiteral("Prea multe fisiere in %1").arg(QDir::toNativeSeparators(directory)));

    QList<QByteArray> names;
    names.reserve(files.size());
    for (const QString &path : files) {
        const QString name = QFileInfo(path).fileName();
        QByteArray raw;
        if (!IsStorableFileName(name) || !toCp1250(name, raw))
            throw Error(fileError(QStringLiteral("Nu pot salva"), path,
                                  QStringLiteral("numele fisierului nu poate fi pastrat intr-o salvare")));
        names.append(raw);
    }

    QSaveFile out(archivePath);
    if (!out.open(QIODevice::WriteOnly))
        throw Error(fileError(QStringLiteral("Nu pot crea"), archivePath, out.errorString()));
    const int count = int(files.size());
    writeInt(out, count);

    std::unique_ptr<char[]> inBuf(new char[kChunk]);
    std::unique_ptr<char[]> outBuf(new char[kChunk]);
    for (int i = 0; i < count; ++i) {
        if (progress)
            progress(i, count);
        const QString &path = files.at(i);
        QFile in(path);
        if (!in.open(QIODevice::ReadOnly))
            throw Error(fileError(QStringLiteral("Nu pot citi"), path, in.errorString()));
        const qint64 size = in.size();
        if (size <= 0)
            throw Error(fileError(QStringLiteral("Nu pot salva"), path, QStringLiteral("fisierul s-a golit in timpul salvarii")));
        if (size > kMaxMemberSize)
            throw Error(fileError(QStringLiteral("Nu pot salva"), path,
                                  QStringLiteral("fisierele de 2 GiB sau mai mari nu pot fi salvate")));
        writeInt(out, qint32(names.at(i).size()));
        writeAll(out, names.at(i).constData(), names.at(i).size());
        writeInt(out, qint32(size));

        Deflater d;
        if (deflateInit(&d.zs, 9) != Z_OK)
            throw Error(QStringLiteral("zlib: deflateInit"));
        d.live = true;
        qint64 read = 0;
        int flush = Z_NO_FLUSH;
        while (flush != Z_FINISH) {
            const qint64 got = in.read(inBuf.get(), std::min(kChunk, size - read));
            if (got <= 0)
                throw Error(fileError(QStringLiteral("Nu pot citi"), path,
                                      got < 0 ? in.errorString() : QStringLiteral("fisierul s-a scurtat in timpul salvarii")));
            read += got;
            flush = read == size ? Z_FINISH : Z_NO_FLUSH;
            d.zs.next_in = reinterpret_cast<Bytef *>(inBuf.get());
            d.zs.avail_in = uInt(got);
            do {
                d.zs.next_out = reinterpret_cast<Bytef *>(outBuf.get());
                d.zs.avail_out = uInt(kChunk);
                const int rc = deflate(&d.zs, flush);
                if (rc == Z_STREAM_ERROR)
                    throw Error(QStringLiteral("zlib: deflate"));
                writeAll(out, outBuf.get(), kChunk - qint64(d.zs.avail_out));
            } while (d.zs.avail_out == 0);
        }
    }
    if (!out.commit())
        throw Error(fileError(QStringLiteral("Nu pot scrie"), archivePath, out.errorString()));
    return count;
}

ArchiveResult DecodeArchive(QIODevice &dev, MemberSink &sink, const ArchiveProgress &progress)
{
    ArchiveResult r;
    Input in(dev);
    auto fail = [&r](const QString &why) {
        r.ok = false;
        r.error = why;
        return r;
    };

    qint32 count = 0;
    if (!in.readInt(count))
        return fail(QStringLiteral("arhiva se termina inainte de numarul de fisiere"));
    r.declaredCount = count;
    if (count < 0 || count > in.remaining() / kMinMemberBytes)
        return fail(QStringLiteral("numarul de fisiere %1 nu este posibil").arg(count));

    std::vector<char> outBuf; // grows to the largest member's size, at most kChunk
    for (int i = 0; i < count; ++i) {
        if (progress)
            progress(i, count);
        const QString which = QStringLiteral("fisierul %1").arg(i + 1);
        qint32 nameLength = 0;
        if (!in.readInt(nameLength))
            return fail(which + QStringLiteral(": arhiva se termina inainte de nume"));
        if (nameLength <= 0 || nameLength > kMaxMemberNameLength || nameLength > in.remaining())
            return fail(which + QStringLiteral(": lungimea numelui %1 nu este posibila").arg(nameLength));
        QByteArray raw(nameLength, Qt::Uninitialized);
        if (!in.readExact(raw.data(), nameLength))
            return fail(which + QStringLiteral(": arhiva se termina in nume"));
        if (!IsSafeMemberName(raw))
            return fail(which + QStringLiteral(": numele nu este un simplu nume de fisier"));
        const QString name = fromCp1250(raw);
        const QString member = QStringLiteral("fisierul %1 (\"%2\")").arg(i + 1).arg(name);
        qint32 size = 0;
        if (!in.readInt(size))
            return fail(member + QStringLiteral(": arhiva se termina inainte de dimensiune"));
        const qint64 room = in.remaining();
        if (size <= 0 || (room < std::numeric_limits<qint64>::max() / kMaxDeflateRatio
                          && qint64(size) > room * kMaxDeflateRatio))
            return fail(member + QStringLiteral(": dimensiunea %1 nu este posibila").arg(size));

        QString error;
        if (!sink.begin(name, size, error))
            return fail(error);
        Inflater z;
        if (inflateInit(&z.zs) != Z_OK) {
            sink.abort();
            return fail(QStringLiteral("zlib: inflateInit"));
        }
        z.live = true;
        if (qint64(outBuf.size()) < std::min<qint64>(size, kChunk))
            outBuf.resize(size_t(std::min<qint64>(size, kChunk)));
        const qint64 space = qint64(outBuf.size());
        qint64 produced = 0;
        for (;;) {
            // At the end of the archive inflate may still hold output it could not hand
            // over; it is called without input until it makes no more progress.
            const bool more = in.fill();
            z.zs.next_in = more ? reinterpret_cast<Bytef *>(const_cast<char *>(in.data())) : nullptr;
            z.zs.avail_in = more ? uInt(in.available()) : 0;
            z.zs.next_out = reinterpret_cast<Bytef *>(outBuf.data());
            z.zs.avail_out = uInt(space);
            const int rc = inflate(&z.zs, Z_NO_FLUSH);
            in.consume(in.available() - qint64(z.zs.avail_in));
            const qint64 have = space - qint64(z.zs.avail_out);
            if (rc != Z_OK && rc != Z_STREAM_END && rc != Z_BUF_ERROR) {
                sink.abort();
                return fail(member + QStringLiteral(": datele comprimate sunt deteriorate (%1)")
                                         .arg(QString::fromLatin1(z.zs.msg ? z.zs.msg : "zlib")));
            }
            produced += have;
            if (produced > size) {
                sink.abort();
                return fail(member + QStringLiteral(": se despacheteaza la mai mult de %1 octeti").arg(size));
            }
            if (have > 0 && !sink.write(outBuf.data(), have, error)) {
                sink.abort();
                return fail(error);
            }
            if (rc == Z_STREAM_END)
                break;
            if (!more && have == 0) {
                sink.abort();
                return fail(member + QStringLiteral(": arhiva se termina in datele comprimate"));
            }
        }
        if (produced != size) {
            sink.abort();
            return fail(member + QStringLiteral(": se despacheteaza la %1 octeti in loc de %2").arg(produced).arg(size));
        }
        if (!sink.end(error))
            return fail(error);
        r.members.append({name, size});
    }
    r.ok = true;
    return r;
}

ArchiveResult ReadArchive(const QString &archivePath, const QString &destination, const ArchiveProgress &progress)
{
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadOnly)) {
        ArchiveResult r;
        r.error = fileError(QStringLiteral("Nu pot citi"), archivePath, file.errorString());
        return r;
    }
    DirectorySink sink(destination);
    return DecodeArchive(file, sink, progress);
}

ArchiveResult ListArchive(const QString &archivePath)
{
    QFile file(archivePath);
    if (!file.open(QIODevice::ReadOnly)) {
        ArchiveResult r;
        r.error = fileError(QStringLiteral("Nu pot citi"), archivePath, file.errorString());
        return r;
    }
    CountingSink sink;
    return DecodeArchive(file, sink);
}

QString FormatListing(const ArchiveResult &listing)
{
    QString out;
    for (const ArchiveMember &m : listing.members)
        out += m.name + u'\t' + QString::number(m.size) + u'\n';
    return out;
}

} // namespace ogx
