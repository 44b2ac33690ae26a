#pragma once
// The backup archive (".ogx"): every data file of a directory, each compressed on its own.
//
// Layout, all integers signed 32-bit little-endian, nothing between the fields:
//   member count N
//   N times: name length L, name (L bytes, code page 1250, no directory part, no
//            terminator), uncompressed size S (> 0), one complete zlib stream (level 9,
//            default window and memory) that inflates to exactly S bytes.
// The compressed length is not stored: a member ends where its zlib stream ends. There is
// no signature, no directory and no overall checksum; each stream's Adler-32 is the only
// integrity check. Members are written in name order, so equal directories give equal
// archives.

#include <QByteArray>
#include <QList>
#include <QString>

#include <functional>

class QIODevice;

namespace ogx {

// Called before each member with its index (0-based) and the member count.
using ArchiveProgress = std::function<void(int index, int count)>;

// Largest file a member can hold (its size is a signed 32-bit field).
constexpr qint64 kMaxMemberSize = 0x7fffffff;
// Longest member name accepted (a file name, not a path).
constexpr int kMaxMemberNameLength = 255;

struct ArchiveMember {
    QString name;
    qint64 size = 0;
};

struct ArchiveResult {
    bool ok = false;
    QString error;                // why reading stopped; empty when ok
    int declaredCount = -1;       // N as stored; -1 when it could not be read
    QList<ArchiveMember> members; // members read completely, in archive order
};

// Whether a stored member name may be unpacked: a plain file name of at most 255 bytes,
// with no path separator, drive, control character or character a file name cannot hold,
// not "." or "..", not a device name. Writing and reading apply the same rule.
bool IsSafeMemberName(const QByteArray &rawName);
// Whether a file of this name can go into an archive (code page 1250 and the rule above).
bool IsStorableFileName(const QString &fileName);

// Packs every file of ListArchivableFiles(directory) into `archivePath`, in name order.
// The archive is written beside its final name and renamed over it only when complete, so
// a failure never leaves a half-written archive where a good one was (the old file stays).
// Returns the member count; 0 means there was nothing to pack and nothing was written.
// Throws ogx::Error (naming the file) on any read or write error, on a file of 2 GiB or
// more and on a file name that cannot be stored.
int WriteArchive(const QString &archivePath, const QString &directory, const ArchiveProgress &progress = {});

// Unpacks `archivePath` into the existing directory `destination`. Stops at the first
// damage (a member name that is not a plain file name, a length or size the file cannot
// hold, a stream that is corrupt, truncated or inflates to more or less than its size):
// the member being written is removed, members already written stay, and nothing is ever
// written outside `destination`. An existing file of a member's name is replaced (a
// symbolic link is replaced, never followed). Members named like the storage engine's
// lock or journal file are checked but not written.
ArchiveResult ReadArchive(const QString &archivePath, const QString &destination,
                          const ArchiveProgress &progress = {});

// Checks an archive without writing anything: every member is inflated and counted.
ArchiveResult ListArchive(const QString &archivePath);
// One line per member read: "<name>\t<size>\n".
QString FormatListing(const ArchiveResult &listing);

// Receives the members of an archive as they are decoded.
class MemberSink {
public:
    virtual ~MemberSink() = default;
    // A member starts; false stops decoding (the error text is taken from `error`).
    virtual bool begin(const QString &name, qint64 size, QString &error) = 0;
    virtual bool write(const char *data, qint64 length, QString &error) = 0;
    // The member inflated completely to its size.
    virtual bool end(QString &error) = 0;
    // Decoding stopped inside the member begun last.
    virtual void abort() = 0;
};

// Decodes an archive from any readable device (files, memory). The device's size, when
// it knows it, bounds every length and size read.
ArchiveResult DecodeArchive(QIODevice &in, MemberSink &sink, const ArchiveProgress &progress = {});

} // namespace ogx
