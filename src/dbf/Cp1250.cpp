#include "Cp1250.h"

#include <array>
#include <cstdio>

namespace dbf {
namespace {

constexpr std::array<char16_t, 128> kHigh = {
    0x20AC, 0x0081, 0x201A, 0x0083, 0x201E, 0x2026, 0x2020, 0x2021,
    0x0088, 0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x0098, 0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Decodes one UTF-8 sequence at `i`; returns 0xFFFFFFFF on malformed input.
char32_t nextUtf8(std::string_view s, std::size_t &i)
{
    const auto b0 = static_cast<unsigned char>(s[i]);
    if (b0 < 0x80) {
        ++i;
        return b0;
    }
    int len = 0;
    char32_t c = 0;
    if ((b0 & 0xE0) == 0xC0) { len = 2; c = b0 & 0x1F; }
    else if ((b0 & 0xF0) == 0xE0) { len = 3; c = b0 & 0x0F; }
    else if ((b0 & 0xF8) == 0xF0) { len = 4; c = b0 & 0x07; }
    else return 0xFFFFFFFF;
    if (i + len > s.size())
        return 0xFFFFFFFF;
    for (int k = 1; k < len; ++k) {
        const auto b = static_cast<unsigned char>(s[i + k]);
        if ((b & 0xC0) != 0x80)
            return 0xFFFFFFFF;
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[len] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return 0xFFFFFFFF;
    i += len;
    return c;
}

} // namespace

char32_t cp1250Char(unsigned char b)
{
    return b < 0x80 ? char32_t(b) : char32_t(kHigh[b - 0x80]);
}

int cp1250Byte(char32_t c)
{
    if (c < 0x80)
        return int(c);
    switch (c) { // comma-below letters are stored as their cedilla twins
    case 0x0218: return 0xAA; // Ș -> Ş
    case 0x0219: return 0xBA; // ș -> ş
    case 0x021A: return 0xDE; // Ț -> Ţ
    case 0x021B: return 0xFE; // ț -> ţ
    default: break;
    }
    for (int k = 0; k < 128; ++k)
        if (kHigh[k] == c)
            return 0x80 + k;
    return -1;
}

std::string cp1250ToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size() + bytes.size() / 4);
    for (char ch : bytes)
        appendUtf8(out, cp1250Char(static_cast<unsigned char>(ch)));
    return out;
}

bool utf8ToCp1250(std::string_view utf8, std::string &out, char32_t *badChar, std::size_t *badOffset)
{
    out.clear();
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const std::size_t at = i;
        const auto b = static_cast<unsigned char>(utf8[i]);
        if (b < 0x80) { // fast path for ASCII
            out += static_cast<char>(b);
            ++i;
            continue;
        }
        const char32_t c = nextUtf8(utf8, i);
        const int byte = c == 0xFFFFFFFF ? -1 : cp1250Byte(c);
        if (byte < 0) {
            if (badChar)
                *badChar = c == 0xFFFFFFFF ? 0xFFFD : c;
            if (badOffset)
                *badOffset = at;
            return false;
        }
        out += static_cast<char>(byte);
    }
    return true;
}

std::string codePointName(char32_t c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(c));
    return buf;
}

} // namespace dbf
