#include "Strings.h"

namespace xls::detail {

std::u16string utf8ToUtf16(std::string_view s)
{
    std::u16string out;
    out.reserve(s.size());
    std::size_t i = 0;
    while (i < s.size()) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        char32_t cp = 0xFFFD;
        std::size_t len = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c & 0xE0) == 0xC0) {
            len = 2;
        } else if ((c & 0xF0) == 0xE0) {
            len = 3;
        } else if ((c & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            if (i + len > s.size()) {
                len = 1;
            } else {
                char32_t v = c & (0x7F >> len);
                bool ok = true;
                for (std::size_t k = 1; k < len; ++k) {
                    const unsigned char cc = static_cast<unsigned char>(s[i + k]);
                    if ((cc & 0xC0) != 0x80) {
                        ok = false;
                        break;
                    }
                    v = (v << 6) | (cc & 0x3F);
                }
                const char32_t minv = len == 2 ? 0x80 : len == 3 ? 0x800 : 0x10000;
                if (!ok || v < minv || v > 0x10FFFF || (v >= 0xD800 && v <= 0xDFFF)) {
                    len = 1;
                } else {
                    cp = v;
                }
            }
        }
        i += len;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(char16_t(0xD800 + (cp >> 10)));
            out.push_back(char16_t(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(char16_t(cp));
        }
    }
    return out;
}

std::string utf16ToUtf8(std::u16string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t cp = s[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (s[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;
        }
        if (cp < 0x80) {
            out.push_back(char(cp));
        } else if (cp < 0x800) {
            out.push_back(char(0xC0 | (cp >> 6)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(char(0xE0 | (cp >> 12)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(char(0xF0 | (cp >> 18)));
            out.push_back(char(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(char(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(char(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

bool SegmentReader::nextSegment()
{
    while (m_seg + 1 < m_segs.size()) {
        ++m_seg;
        m_pos = 0;
        if (!m_segs[m_seg]->empty())
            return true;
    }
    return false;
}

bool SegmentReader::atEnd()
{
    if (m_seg < m_segs.size() && m_pos < m_segs[m_seg]->size())
        return false;
    return !nextSegment();
}

std::uint8_t SegmentReader::u8()
{
    if (atEnd())
        throw Malformed("a string table or string record ends inside a string");
    return (*m_segs[m_seg])[m_pos++];
}

std::uint16_t SegmentReader::u16()
{
    const std::uint16_t a = u8();
    return std::uint16_t(a | (u8() << 8));
}

std::uint32_t SegmentReader::u32()
{
    const std::uint32_t a = u16();
    return a | (std::uint32_t(u16()) << 16);
}

void SegmentReader::skip(std::size_t n)
{
    while (n > 0) {
        if (atEnd())
            throw Malformed("a string table or string record ends inside a string");
        const std::size_t k = std::min(n, m_segs[m_seg]->size() - m_pos);
        m_pos += k;
        n -= k;
    }
}

void SegmentReader::readString(std::string &text, Bytes *runs, Bytes *ext, bool lengthIs16)
{
    const std::size_t cch = lengthIs16 ? u16() : u8();
    std::uint8_t flags = u8();
    std::size_t cRun = 0, cbExt = 0;
    if (flags & 0x08)
        cRun = u16();
    if (flags & 0x04)
        cbExt = u32();
    std::u16string s;
    s.reserve(cch);
    while (s.size() < cch) {
        if (m_seg >= m_segs.size() || m_pos >= m_segs[m_seg]->size()) {
            // Characters continue in the next record, which starts with a new option byte.
            if (!nextSegment())
                throw Malformed("a string table or string record ends inside a string");
            flags = (*m_segs[m_seg])[m_pos++];
            if (flags & 0xFE)
                throw Malformed("a continued string has a bad option byte");
            continue;
        }
        const Bytes &b = *m_segs[m_seg];
        if (flags & 0x01) {
            if (m_pos + 2 > b.size())
                throw Malformed("a 16-bit string is split inside a character");
            s.push_back(char16_t(rd16(b.data() + m_pos)));
            m_pos += 2;
        } else {
            s.push_back(char16_t(b[m_pos++]));
        }
    }
    text = utf16ToUtf8(s);
    if (cRun) {
        if (runs) {
            runs->clear();
            for (std::size_t i = 0; i < cRun * 4; ++i)
                runs->push_back(u8());
        } else {
            skip(cRun * 4);
        }
    }
    if (cbExt) {
        if (ext) {
            ext->clear();
            for (std::size_t i = 0; i < cbExt; ++i)
                ext->push_back(u8());
        } else {
            skip(cbExt);
        }
    }
}

void ContinuedWriter::bytes(const std::uint8_t *p, std::size_t n)
{
    while (n > 0) {
        if (room() == 0)
            newSegment();
        const std::size_t k = std::min(n, room());
        cur().insert(cur().end(), p, p + k);
        p += k;
        n -= k;
    }
}

void ContinuedWriter::string(const std::u16string &s, const Bytes &runs, const Bytes &ext, bool lengthIs16)
{
    bool wide = false;
    for (char16_t c : s)
        if (c > 0xFF)
            wide = true;
    const std::size_t cs = wide ? 2 : 1;
    const std::size_t cRun = runs.size() / 4;
    const std::size_t header = (lengthIs16 ? 3 : 2) + (cRun ? 2 : 0) + (ext.empty() ? 0 : 4);
    if (room() < header + (s.empty() ? 0 : cs))
        newSegment();
    Bytes &b = cur();
    if (lengthIs16)
        put16(b, std::uint16_t(s.size()));
    else
        put8(b, std::uint8_t(s.size()));
    put8(b, std::uint8_t((wide ? 0x01 : 0) | (cRun ? 0x08 : 0) | (ext.empty() ? 0 : 0x04)));
    if (cRun)
        put16(b, std::uint16_t(cRun));
    if (!ext.empty())
        put32(b, std::uint32_t(ext.size()));
    std::size_t i = 0;
    while (i < s.size()) {
        if (room() < cs) {
            newSegment();
            put8(cur(), wide ? 1 : 0);
        }
        Bytes &c = cur();
        std::size_t k = std::min(s.size() - i, room() / cs);
        for (std::size_t j = 0; j < k; ++j, ++i) {
            if (wide)
                put16(c, s[i]);
            else
                put8(c, std::uint8_t(s[i]));
        }
    }
    for (std::size_t r = 0; r < cRun; ++r) {
        if (room() < 4)
            newSegment();
        cur().insert(cur().end(), runs.begin() + std::ptrdiff_t(4 * r), runs.begin() + std::ptrdiff_t(4 * r + 4));
    }
    bytes(ext.data(), ext.size());
}

void putPlainString(Bytes &out, const std::u16string &s, bool lengthIs16)
{
    bool wide = false;
    for (char16_t c : s)
        if (c > 0xFF)
            wide = true;
    if (lengthIs16)
        put16(out, std::uint16_t(s.size()));
    else
        put8(out, std::uint8_t(s.size()));
    put8(out, wide ? 1 : 0);
    for (char16_t c : s) {
        if (wide)
            put16(out, c);
        else
            put8(out, std::uint8_t(c));
    }
}

std::string readPlainString(Reader &r, bool lengthIs16)
{
    const std::size_t cch = lengthIs16 ? r.u16() : r.u8();
    const std::uint8_t flags = r.u8();
    std::u16string s;
    s.reserve(cch);
    if (flags & 0x08)
        throw Malformed("an unexpected rich string");
    for (std::size_t i = 0; i < cch; ++i)
        s.push_back((flags & 1) ? char16_t(r.u16()) : char16_t(r.u8()));
    return utf16ToUtf8(s);
}

} // namespace xls::detail
