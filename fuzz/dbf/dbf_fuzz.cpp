// Any bytes as a table file (and as a journal): a clear dbf::Error or a table whose every
// field decodes, and which writes back to a file that reads the same.
#include "dbf/Dbf.h"
#include "dbf/Store.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    (void)dbf::parseJournal(bytes);
    dbf::Table t;
    try {
        t = dbf::Table::parse(bytes, "fuzz.dbf");
    } catch (const dbf::Error &) {
        return 0;
    }
    std::size_t sink = 0;
    const dbf::Layout &l = t.layout();
    for (std::uint32_t r = 0; r < t.recordCount() && r < 64; ++r) {
        const char *rec = t.record(r);
        for (int f = 0; f < l.fieldCount(); ++f) {
            const dbf::Field &fd = l.field(f);
            switch (fd.type) {
            case 'C': sink += dbf::decodeText(fd, rec).size(); break;
            case 'N':
            case 'F': sink += dbf::decodeNumber(fd, rec).has_value(); break;
            case 'D': sink += dbf::decodeDate(fd, rec).has_value(); break;
            default: sink += dbf::decodeLogical(fd, rec).has_value(); break;
            }
        }
    }
    const std::string again = t.serialize({2025, 1, 1});
    const dbf::Table back = dbf::Table::parse(again, "again.dbf");
    if (back.recordCount() != t.recordCount() || back.layout().fieldCount() != l.fieldCount())
        std::abort();
    return static_cast<int>(sink & 0);
}
