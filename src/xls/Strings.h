#pragma once
// Text conversions and BIFF8 string encodings. Internal to the engine.

#include "Bytes.h"

#include <string>
#include <string_view>
#include <vector>

namespace xls::detail {

std::u16string utf8ToUtf16(std::string_view s);
std::string utf16ToUtf8(std::u16string_view s);

// Reads a byte sequence spread over a record and its CONTINUE records. Character data
// that crosses into the next record starts there with a fresh option byte (8/16-bit).
class SegmentReader {
public:
    explicit SegmentReader(std::vector<const Bytes *> segs) : m_segs(std::move(segs)) {}
    bool atEnd();
    std::uint8_t u8();
    std::uint16_t u16();
    std::uint32_t u32();
    void skip(std::size_t n);
    // XLUnicodeRichExtendedString (SST entries, STRING results, LABEL cells).
    void readString(std::string &text, Bytes *runs, Bytes *ext, bool lengthIs16 = true);
    // Position of the next byte: (segment, offset).
    std::size_t segment() const { return m_seg; }

private:
    bool nextSegment();
    std::vector<const Bytes *> m_segs;
    std::size_t m_seg = 0;
    std::size_t m_pos = 0;
};

// Writes record data that may overflow into CONTINUE records (8224 data bytes each).
class ContinuedWriter {
public:
    static constexpr std::size_t kMax = 8224;
    ContinuedWriter() { m_segs.emplace_back(); }
    Bytes &cur() { return m_segs.back(); }
    std::size_t room() const { return kMax - m_segs.back().size(); }
    void newSegment() { m_segs.emplace_back(); }
    void bytes(const std::uint8_t *p, std::size_t n); // may split anywhere
    // A string with a 16-bit (or 8-bit) character count: header and first character kept
    // together, characters split between records with a new option byte, runs never split.
    void string(const std::u16string &s, const Bytes &runs, const Bytes &ext, bool lengthIs16 = true);
    std::vector<Bytes> &segments() { return m_segs; }

private:
    std::vector<Bytes> m_segs;
};

// Simple string in one buffer (cch u16 or u8, option byte, characters): LABEL, tStr,
// BOUNDSHEET names, data validation texts.
void putPlainString(Bytes &out, const std::u16string &s, bool lengthIs16);
std::string readPlainString(Reader &r, bool lengthIs16);

} // namespace xls::detail
