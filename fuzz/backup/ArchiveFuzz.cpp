// Fuzzes the backup archive reader: any input must end in success or a clean failure,
// every member handed out must carry a safe plain file name and exactly its stated size.
//
//   fuzz_backup_archive -max_len=65536 fuzz/backup/corpus
#include "backup/Archive.h"
#include "datastore/TextCodec.h"

#include <QBuffer>
#include <QByteArray>

#include <cstdint>
#include <cstdlib>

namespace {

[[noreturn]] void broken(const char *what)
{
    fprintf(stderr, "archive reader broke its contract: %s\n", what);
    abort();
}

class CheckingSink final : public ogx::MemberSink {
public:
    bool begin(const QString &name, qint64 size, QString &) override
    {
        if (m_open)
            broken("begin inside a member");
        QByteArray raw;
        if (!ogx::toCp1250(name, raw) || !ogx::IsSafeMemberName(raw))
            broken("unsafe member name handed out");
        if (size <= 0 || size > ogx::kMaxMemberSize)
            broken("impossible member size handed out");
        m_open = true;
        m_size = size;
        m_written = 0;
        return true;
    }
    bool write(const char *data, qint64 length, QString &) override
    {
        if (!m_open || length <= 0)
            broken("write outside a member");
        m_written += length;
        if (m_written > m_size)
            broken("more bytes than the member's size");
        volatile char touch = data[length - 1]; // the buffer must be readable to its end
        (void)touch;
        return true;
    }
    bool end(QString &) override
    {
        if (!m_open || m_written != m_size)
            broken("member ended short of its size");
        m_open = false;
        ++completed;
        return true;
    }
    void abort() override { m_open = false; }

    int completed = 0;

private:
    bool m_open = false;
    qint64 m_size = 0, m_written = 0;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes = QByteArray::fromRawData(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    CheckingSink sink;
    const ogx::ArchiveResult r = ogx::DecodeArchive(buffer, sink);
    if (r.members.size() != sink.completed)
        broken("reported members differ from those completed");
    if (r.ok == !r.error.isEmpty())
        broken("result and error disagree");
    if (r.ok && r.members.size() != r.declaredCount)
        broken("success with fewer members than declared");
    return 0;
}
