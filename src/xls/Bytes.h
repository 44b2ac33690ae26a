#pragma once
// Little-endian helpers with bounds checks. Internal to the engine.

#include "Error.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace xls::detail {

using Bytes = std::vector<std::uint8_t>;

inline std::uint16_t rd16(const std::uint8_t *p) { return std::uint16_t(p[0] | (p[1] << 8)); }
inline std::uint32_t rd32(const std::uint8_t *p)
{
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) | (std::uint32_t(p[3]) << 24);
}
inline double rdDouble(const std::uint8_t *p)
{
    double d;
    std::memcpy(&d, p, 8);
    return d;
}
inline void wr16(std::uint8_t *p, std::uint16_t v) { p[0] = std::uint8_t(v); p[1] = std::uint8_t(v >> 8); }
inline void wr32(std::uint8_t *p, std::uint32_t v)
{
    p[0] = std::uint8_t(v); p[1] = std::uint8_t(v >> 8); p[2] = std::uint8_t(v >> 16); p[3] = std::uint8_t(v >> 24);
}
inline void put8(Bytes &b, std::uint8_t v) { b.push_back(v); }
inline void put16(Bytes &b, std::uint16_t v) { b.push_back(std::uint8_t(v)); b.push_back(std::uint8_t(v >> 8)); }
inline void put32(Bytes &b, std::uint32_t v) { put16(b, std::uint16_t(v)); put16(b, std::uint16_t(v >> 16)); }
inline void putDouble(Bytes &b, double d)
{
    std::uint8_t t[8];
    std::memcpy(t, &d, 8);
    b.insert(b.end(), t, t + 8);
}

// Raised for malformed data; the loader turns it into an xls::Error naming the file.
struct Malformed : std::runtime_error {
    explicit Malformed(const std::string &m) : std::runtime_error(m) {}
};

// Sequential reader over a byte range that throws Malformed instead of reading past the end.
class Reader {
public:
    Reader(const std::uint8_t *data, std::size_t size, const char *what) : m_p(data), m_n(size), m_what(what) {}
    explicit Reader(const Bytes &b, const char *what = "record") : Reader(b.data(), b.size(), what) {}
    std::size_t pos() const { return m_pos; }
    std::size_t left() const { return m_n - m_pos; }
    void need(std::size_t k) const
    {
        if (k > m_n - m_pos)
            throw Malformed(std::string("a ") + m_what + " is shorter than its contents require");
    }
    std::uint8_t u8() { need(1); return m_p[m_pos++]; }
    std::uint16_t u16() { need(2); auto v = rd16(m_p + m_pos); m_pos += 2; return v; }
    std::uint32_t u32() { need(4); auto v = rd32(m_p + m_pos); m_pos += 4; return v; }
    double f64() { need(8); auto v = rdDouble(m_p + m_pos); m_pos += 8; return v; }
    const std::uint8_t *take(std::size_t k) { need(k); auto p = m_p + m_pos; m_pos += k; return p; }
    void skip(std::size_t k) { need(k); m_pos += k; }
    const std::uint8_t *here() const { return m_p + m_pos; }

private:
    const std::uint8_t *m_p;
    std::size_t m_n;
    std::size_t m_pos = 0;
    const char *m_what;
};

} // namespace xls::detail
