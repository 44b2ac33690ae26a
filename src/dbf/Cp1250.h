#pragma once
// Code page 1250 <-> UTF-8.
//
// Every 8-bit text Ogorix reads or writes (tables, settings files, RTF, archive member
// names) is code page 1250. The five bytes the code page leaves undefined (0x81 0x83 0x88
// 0x90 0x98) map to U+0081 U+0083 U+0088 U+0090 U+0098 and back, so every byte
// round-trips (the scrambled administrator password uses them). Romanian comma-below
// letters (U+0218..U+021B) are written as the cedilla letters the code page has.

#include <cstddef>
#include <string>
#include <string_view>

namespace dbf {

// Decodes code page 1250 bytes to UTF-8. Never fails: every byte has a character.
std::string cp1250ToUtf8(std::string_view bytes);

// Encodes UTF-8 text to code page 1250. Returns false when the text holds a character
// the code page lacks or is not valid UTF-8; `out` is then unspecified and `badChar`
// (when given) receives the offending code point (0xFFFD for invalid UTF-8) and
// `badOffset` its byte offset in the input.
bool utf8ToCp1250(std::string_view utf8, std::string &out, char32_t *badChar = nullptr,
                  std::size_t *badOffset = nullptr);

// Code page 1250 byte for one code point, or -1 when the code page has none.
int cp1250Byte(char32_t c);
// Code point of one code page 1250 byte.
char32_t cp1250Char(unsigned char b);

// "U+0219"-style name of a code point for error messages.
std::string codePointName(char32_t c);

} // namespace dbf
