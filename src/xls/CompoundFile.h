#pragma once
// Compound file (OLE2 structured storage, version 3 and 4 readable, version 3 written).
// Internal to the engine: the workbook lives in the stream "Workbook"; every other stream
// and storage is carried over verbatim.

#include "Bytes.h"

#include <array>
#include <span>
#include <string>
#include <vector>

namespace xls::detail {

struct CfbEntry {
    std::u16string name;
    std::uint8_t type = 0; // 0 unused, 1 storage, 2 stream, 5 root
    std::uint8_t color = 1;
    std::uint32_t left = 0xFFFFFFFF, right = 0xFFFFFFFF, child = 0xFFFFFFFF;
    std::array<std::uint8_t, 16> clsid{};
    std::uint32_t stateBits = 0;
    std::array<std::uint8_t, 16> times{};
    Bytes data; // stream contents (streams only)
};

class CompoundFile {
public:
    // Parses a whole file; throws Malformed with the reason.
    static CompoundFile parse(std::span<const std::uint8_t> file);
    // Writes a version 3 file (512-byte sectors, mini stream for streams under 4096 bytes,
    // DIFAT sectors when the FAT outgrows the header). Deterministic.
    Bytes serialize() const;

    // Index of the stream or storage named `name` (case-insensitive) directly under the
    // root, or -1.
    int findRootChild(std::u16string_view name) const;

    std::vector<CfbEntry> entries; // entries[0] is the root
};

} // namespace xls::detail
