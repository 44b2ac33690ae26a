#include "dbf/Dbf.h"

#include "dbf/Cp1250.h"
#include "dbf/FileIo.h"
#include "dbf/Numbers.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cmath>
#include <cstring>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dbf {
namespace {

std::uint32_t getU32(const unsigned char *p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (std::uint32_t(p[3]) << 24); }
std::uint16_t getU16(const unsigned char *p) { return static_cast<std::uint16_t>(p[0] | (p[1] << 8)); }
void putU32(char *p, std::uint32_t v) { for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF); }
void putU16(char *p, std::uint16_t v) { p[0] = static_cast<char>(v & 0xFF); p[1] = static_cast<char>(v >> 8); }

std::string upper(std::string_view s)
{
    std::string out(s);
    for (char &c : out)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::string hex2(unsigned v)
{
    static const char *digits = "0123456789ABCDEF";
    return std::string("0x") + digits[(v >> 4) & 15] + digits[v & 15];
}

std::string describe(const Field &f)
{
    std::string s = f.name + " ";
    s += f.type;
    s += "(" + std::to_string(f.length);
    if (f.type == 'N')
        s += "," + std::to_string(f.decimals);
    return s + ")";
}

bool rightAlign(const Field &f, const std::string &digits, char *rec, std::string &error)
{
    if (static_cast<int>(digits.size()) > f.length) {
        error = "value " + digits + " is too wide for column " + describe(f);
        return false;
    }
    char *p = rec + f.offset;
    const std::size_t pad = static_cast<std::size_t>(f.length) - digits.size();
    std::memset(p, ' ', pad);
    std::memcpy(p + pad, digits.data(), digits.size());
    return true;
}


} // namespace

// --- dates ------------------------------------------------------------------------

bool isValidDate(int y, int m, int d)
{
    if (y < 1 || y > 9999 || m < 1 || m > 12 || d < 1)
        return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    int dim = days[m - 1];
    if (m == 2 && ((y % 4 == 0 && y % 100 != 0) || y % 400 == 0))
        dim = 29;
    return d <= dim;
}

static bool digitsOf(std::string_view s, int &out)
{
    int v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    out = v;
    return true;
}

std::optional<Date> parseIsoDate(std::string_view t)
{
    if (t.size() != 10 || t[4] != '-' || t[7] != '-')
        return std::nullopt;
    Date d;
    if (!digitsOf(t.substr(0, 4), d.year) || !digitsOf(t.substr(5, 2), d.month) || !digitsOf(t.substr(8, 2), d.day))
        return std::nullopt;
    if (!isValidDate(d.year, d.month, d.day))
        return std::nullopt;
    return d;
}

std::string isoDate(const Date &d)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d", d.year, d.month, d.day);
    return buf;
}

Date todayLocal()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
    localtime_r(&t, &tm);
    return {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday};
}

// --- layout -----------------------------------------------------------------------

Layout::Layout(std::vector<Field> fields) : m_fields(std::move(fields))
{
    if (m_fields.empty())
        throw Error("a table needs at least one column");
    if (static_cast<int>(m_fields.size()) > kMaxFields)
        throw Error("a table holds at most " + std::to_string(kMaxFields) + " columns");
    int offset = 1;
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        Field &f = m_fields[i];
        f.name = upper(f.name);
        if (f.name.empty() || f.name.size() > 10)
            throw Error("column name '" + f.name + "' must have 1 to 10 characters");
        for (char c : f.name)
            if (!((c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'))
                throw Error("column name '" + f.name + "' may hold only letters, digits and '_'");
        for (std::size_t j = 0; j < i; ++j)
            if (m_fields[j].name == f.name)
                throw Error("column " + f.name + " appears twice");
        switch (f.type) {
        case 'C':
            if (f.length < 1 || f.length > 254)
                throw Error("text column " + f.name + " must be 1 to 254 characters wide");
            f.decimals = 0;
            break;
        case 'N':
        case 'F':
            if (f.length < 1 || f.length > 20 || f.decimals < 0 || (f.decimals > 0 && f.decimals > f.length - 2))
                throw Error("numeric column " + describe(f) + " has an impossible width");
            break;
        case 'D':
            f.length = 8;
            f.decimals = 0;
            break;
        case 'L':
            f.length = 1;
            f.decimals = 0;
            break;
        default:
            throw Error("column " + f.name + " has an unsupported type");
        }
        f.offset = offset;
        offset += f.length;
    }
    if (offset > kMaxRecordLength)
        throw Error("a record holds at most " + std::to_string(kMaxRecordLength) + " bytes");
    m_recordLength = offset;
}

int Layout::indexOf(std::string_view name) const
{
    const std::string u = upper(name);
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (m_fields[i].name == u)
            return static_cast<int>(i);
    return -1;
}

std::string Layout::header(std::uint32_t count, const Date &updated) const
{
    std::string h(static_cast<std::size_t>(headerLength()), '\0');
    h[0] = 0x03;
    h[1] = static_cast<char>(std::clamp(updated.year - 1900, 0, 255));
    h[2] = static_cast<char>(updated.month);
    h[3] = static_cast<char>(updated.day);
    putU32(&h[4], count);
    putU16(&h[8], static_cast<std::uint16_t>(headerLength()));
    putU16(&h[10], static_cast<std::uint16_t>(m_recordLength));
    h[29] = static_cast<char>(kLanguageCp1250);
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        char *d = &h[32 + 32 * i];
        const Field &f = m_fields[i];
        std::memcpy(d, f.name.data(), f.name.size());
        d[11] = f.type;
        d[16] = static_cast<char>(f.length & 0xFF);
        d[17] = static_cast<char>(f.type == 'C' ? (f.length >> 8) : f.decimals);
    }
    h[32 + 32 * m_fields.size()] = 0x0D;
    return h;
}

// --- fields -----------------------------------------------------------------------

std::string_view rawField(const Field &f, const char *rec)
{
    return {rec + f.offset, static_cast<std::size_t>(f.length)};
}

bool isBlankField(const Field &f, const char *rec)
{
    const char *p = rec + f.offset;
    for (int i = 0; i < f.length; ++i)
        if (p[i] != ' ' && p[i] != '\0')
            return false;
    return true;
}

std::string decodeText(const Field &f, const char *rec)
{
    std::string_view v = rawField(f, rec);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\0'))
        v.remove_suffix(1);
    bool ascii = true;
    for (char c : v)
        if (static_cast<unsigned char>(c) >= 0x80) {
            ascii = false;
            break;
        }
    return ascii ? std::string(v) : cp1250ToUtf8(v);
}

std::optional<double> decodeNumber(const Field &f, const char *rec)
{
    std::string_view v = rawField(f, rec);
    while (!v.empty() && (v.front() == ' ' || v.front() == '\0'))
        v.remove_prefix(1);
    while (!v.empty() && (v.back() == ' ' || v.back() == '\0'))
        v.remove_suffix(1);
    if (v.empty())
        return std::nullopt;
    // Fast path: plain digits with an optional sign and point.
    return parseNumber(v);
}

std::optional<Date> decodeDate(const Field &f, const char *rec)
{
    const std::string_view v = rawField(f, rec);
    if (v.size() != 8)
        return std::nullopt;
    Date d;
    if (!digitsOf(v.substr(0, 4), d.year) || !digitsOf(v.substr(4, 2), d.month) || !digitsOf(v.substr(6, 2), d.day))
        return std::nullopt;
    if (!isValidDate(d.year, d.month, d.day))
        return std::nullopt;
    return d;
}

std::optional<bool> decodeLogical(const Field &f, const char *rec)
{
    switch (rec[f.offset]) {
    case 'T': case 't': case 'Y': case 'y': return true;
    case 'F': case 'f': case 'N': case 'n': return false;
    default: return std::nullopt;
    }
}

void encodeNull(const Field &f, char *rec)
{
    std::memset(rec + f.offset, f.type == 'L' ? '?' : ' ', static_cast<std::size_t>(f.length));
}

bool encodeText(const Field &f, std::string_view utf8, char *rec, std::string &error)
{
    std::string bytes;
    char32_t bad = 0;
    if (!utf8ToCp1250(utf8, bytes, &bad)) {
        error = "column " + f.name + ": character " + codePointName(bad) + " is not in code page 1250";
        return false;
    }
    if (f.type == 'N' || f.type == 'F') {
        const auto v = parseNumber(bytes);
        if (!v) {
            std::string t = bytes;
            if (t.find_first_not_of(' ') == std::string::npos) {
                encodeNull(f, rec);
                return true;
            }
            error = "column " + describe(f) + ": '" + std::string(utf8) + "' is not a number";
            return false;
        }
        return encodeNumber(f, *v, rec, error);
    }
    if (f.type == 'D') {
        if (bytes.find_first_not_of(' ') == std::string::npos) {
            encodeNull(f, rec);
            return true;
        }
        const auto d = parseIsoDate(bytes);
        if (!d) {
            error = "column " + f.name + ": '" + std::string(utf8) + "' is not a date (YYYY-MM-DD)";
            return false;
        }
        return encodeDate(f, *d, rec, error);
    }
    if (f.type == 'L') {
        rec[f.offset] = bytes.empty() ? '?' : (bytes[0] == 'T' || bytes[0] == 't' || bytes[0] == '1' ? 'T' : 'F');
        return true;
    }
    char *p = rec + f.offset;
    const std::size_t n = std::min(bytes.size(), static_cast<std::size_t>(f.length));
    std::memcpy(p, bytes.data(), n);
    std::memset(p + n, ' ', static_cast<std::size_t>(f.length) - n);
    return true;
}

bool encodeNumber(const Field &f, double value, char *rec, std::string &error)
{
    if (f.type == 'C') {
        const std::string t = formatTrimmed(value, 10);
        return encodeText(f, t, rec, error);
    }
    if (f.type != 'N' && f.type != 'F') {
        error = "column " + f.name + ": a number cannot be stored in a " + std::string(1, f.type) + " column";
        return false;
    }
    if (!std::isfinite(value)) {
        error = "column " + describe(f) + ": the value is not a finite number";
        return false;
    }
    return rightAlign(f, formatFixed(value, f.decimals), rec, error);
}

bool encodeInteger(const Field &f, std::int64_t value, char *rec, std::string &error)
{
    if (f.type != 'N' && f.type != 'F') {
        if (f.type == 'C') {
            char buf[32];
            const auto r = std::to_chars(buf, buf + sizeof buf, value);
            return encodeText(f, std::string_view(buf, static_cast<std::size_t>(r.ptr - buf)), rec, error);
        }
        return encodeNumber(f, static_cast<double>(value), rec, error);
    }
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    std::string digits(buf, r.ptr);
    if (f.decimals > 0)
        digits += "." + std::string(static_cast<std::size_t>(f.decimals), '0');
    return rightAlign(f, digits, rec, error);
}

bool encodeDate(const Field &f, const Date &d, char *rec, std::string &error)
{
    if (f.type != 'D') {
        error = "column " + f.name + ": a date cannot be stored here";
        return false;
    }
    if (!isValidDate(d.year, d.month, d.day)) {
        error = "column " + f.name + ": not a valid date";
        return false;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d", d.year, d.month, d.day);
    std::memcpy(rec + f.offset, buf, 8);
    return true;
}

// --- tables -----------------------------------------------------------------------

Table Table::parse(std::string_view bytes, const std::string &name)
{
    const auto *u = reinterpret_cast<const unsigned char *>(bytes.data());
    const std::size_t size = bytes.size();
    if (size < 32)
        throw Error(name + " is not a dBase table: the file is too short");
    const unsigned version = u[0];
    if (version == 0x83 || version == 0x8B || version == 0xF5 || version == 0x8E || version == 0xFB)
        throw Error(name + " is a dBase table with memo fields (version byte " + hex2(version) + "), which is not supported");
    if (version != 0x03)
        throw Error(name + " is not a dBase III table (version byte " + hex2(version) + ")");
    const std::uint32_t count = getU32(u + 4);
    const std::size_t headerLength = getU16(u + 8);
    const std::size_t recordLength = getU16(u + 10);
    if (headerLength < 32 + 1 || headerLength > size)
        throw Error(name + " is damaged: header length " + std::to_string(headerLength) + " does not fit the file");

    std::vector<Field> fields;
    std::size_t pos = 32;
    for (;;) {
        if (pos >= headerLength)
            throw Error(name + " is damaged: the field list has no terminator");
        if (u[pos] == 0x0D)
            break;
        if (pos + 32 > headerLength)
            throw Error(name + " is damaged: a field descriptor runs past the header");
        const unsigned char *d = u + pos;
        std::size_t nameLen = 0;
        while (nameLen < 11 && d[nameLen] != 0)
            ++nameLen;
        Field f;
        f.name.assign(reinterpret_cast<const char *>(d), std::min<std::size_t>(nameLen, 10));
        f.type = static_cast<char>(d[11]);
        f.length = d[16];
        f.decimals = d[17];
        if (f.type == 'C') { // Clipper stores wide text lengths in the decimals byte
            f.length += 256 * f.decimals;
            f.decimals = 0;
        }
        if (f.name.empty())
            throw Error(name + " is damaged: field " + std::to_string(fields.size() + 1) + " has no name");
        for (char c : f.name)
            if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) >= 0x80)
                throw Error(name + " is damaged: field " + std::to_string(fields.size() + 1) + " has an invalid name");
        if (f.type == 'M' || f.type == 'B' || f.type == 'G')
            throw Error(name + ": memo field " + f.name + " is not supported");
        if (f.type != 'C' && f.type != 'N' && f.type != 'F' && f.type != 'D' && f.type != 'L')
            throw Error(name + ": field " + f.name + " has an unsupported type (" + hex2(static_cast<unsigned char>(f.type)) + ")");
        if (f.length == 0)
            throw Error(name + " is damaged: field " + f.name + " has length 0");
        if ((f.type == 'N' || f.type == 'F') && f.decimals >= f.length)
            f.decimals = 0;
        if (f.type == 'D' && f.length != 8)
            throw Error(name + " is damaged: date field " + f.name + " is not 8 bytes long");
        f.name = upper(f.name);
        fields.push_back(std::move(f));
        if (fields.size() > 1024)
            throw Error(name + " is damaged: too many fields");
        pos += 32;
    }
    if (fields.empty())
        throw Error(name + " is damaged: it has no fields");
    // Offsets are cumulative; bytes 12-15 of the descriptors are not trusted.
    std::size_t offset = 1;
    for (Field &f : fields) {
        f.offset = static_cast<int>(offset);
        offset += static_cast<std::size_t>(f.length);
    }
    if (offset != recordLength)
        throw Error(name + " is damaged: record length " + std::to_string(recordLength) +
                    " differs from the fields' total " + std::to_string(offset));
    for (std::size_t i = 0; i < fields.size(); ++i)
        for (std::size_t j = 0; j < i; ++j)
            if (fields[i].name == fields[j].name)
                throw Error(name + " is damaged: field " + fields[i].name + " appears twice");

    Table t;
    // Build the layout without the creation limits (other programs write wider tables).
    t.m_layout.m_fields = std::move(fields);
    t.m_layout.m_recordLength = static_cast<int>(recordLength);
    t.m_layout.m_headerPadding = static_cast<int>(headerLength) - t.m_layout.headerLength();

    std::uint64_t n = count;
    const std::uint64_t available = (size - headerLength) / recordLength;
    if (n == 0)
        n = available;
    else if (n > available)
        throw Error(name + " is damaged: the header announces " + std::to_string(count) +
                    " records but the file holds " + std::to_string(available));
    t.m_count = static_cast<std::uint32_t>(n);
    t.m_data.assign(bytes.data() + headerLength, bytes.data() + headerLength + n * recordLength);
    t.m_updated = {1900 + u[1], u[2], u[3]};
    return t;
}

Table Table::load(const std::string &path)
{
    return parse(readWholeFile(path), path);
}

std::uint32_t Table::appendBlank()
{
    const std::size_t len = static_cast<std::size_t>(recordLength());
    m_data.resize(m_data.size() + len, ' ');
    return m_count++;
}

void Table::truncate(std::uint32_t count)
{
    if (count >= m_count)
        return;
    m_count = count;
    m_data.resize(std::size_t(count) * std::size_t(recordLength()));
}

std::uint32_t Table::liveCount() const
{
    std::uint32_t n = 0;
    for (std::uint32_t i = 0; i < m_count; ++i)
        n += isDeleted(i) ? 0 : 1;
    return n;
}

std::string Table::serialize(const Date &updated) const
{
    std::string out = m_layout.header(m_count, updated);
    out.append(m_data.data(), m_data.size());
    out += '\x1A';
    return out;
}

// --- files ------------------------------------------------------------------------

std::string directoryOf(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string baseName(const std::string &path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string readWholeFile(const std::string &path)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw Error("cannot open " + path + ": " + std::strerror(errno));
    struct stat st{};
    if (::fstat(fd, &st) != 0) {
        ::close(fd);
        throw Error("cannot read " + path + ": " + std::strerror(errno));
    }
    std::string out;
    out.resize(static_cast<std::size_t>(st.st_size));
    std::size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::pread(fd, out.data() + done, out.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            const int e = errno;
            ::close(fd);
            throw Error("cannot read " + path + ": " + std::strerror(e));
        }
        if (n == 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    ::close(fd);
    return out;
}

void syncDirectory(const std::string &dir)
{
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd); // not every file system supports it; the rename is already done
        ::close(fd);
    }
}

void writeFileAtomically(const std::string &path, std::string_view bytes)
{
    // Contract.dbf -> Contract.tmp
    std::string tmp = path;
    const auto dot = tmp.find_last_of('.');
    const auto slash = tmp.find_last_of('/');
    if (dot != std::string::npos && (slash == std::string::npos || dot > slash + 1))
        tmp.resize(dot);
    tmp += ".tmp";
    const int fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (fd < 0)
        throw Error("cannot create " + tmp + ": " + std::strerror(errno));
    try {
        pwriteAll(fd, bytes.data(), bytes.size(), 0, tmp);
        if (::fsync(fd) != 0)
            throw Error("cannot write " + tmp + ": " + std::strerror(errno));
    } catch (...) {
        ::close(fd);
        ::unlink(tmp.c_str());
        throw;
    }
    ::close(fd);
    if (::rename(tmp.c_str(), path.c_str()) != 0) {
        const int e = errno;
        ::unlink(tmp.c_str());
        throw Error("cannot replace " + path + ": " + std::strerror(e));
    }
    syncDirectory(directoryOf(path));
}

void createTable(const std::string &path, const Layout &layout, const Date &today)
{
    struct stat st{};
    if (::stat(path.c_str(), &st) == 0)
        throw Error("cannot create " + path + ": the file exists");
    Table t(layout);
    writeFileAtomically(path, t.serialize(today));
}

void packTable(const std::string &path, const Date &today)
{
    const Table old = Table::load(path);
    Table packed(old.layout());
    const std::size_t len = static_cast<std::size_t>(old.recordLength());
    for (std::uint32_t i = 0; i < old.recordCount(); ++i) {
        if (old.isDeleted(i))
            continue;
        const std::uint32_t k = packed.appendBlank();
        std::memcpy(packed.record(k), old.record(i), len);
    }
    writeFileAtomically(path, packed.serialize(today));
}

void restructureTable(const std::string &path, const std::vector<ColumnMap> &columns, const Date &today)
{
    const Table old = Table::load(path);
    std::vector<Field> fields;
    std::vector<int> from;
    for (const ColumnMap &c : columns) {
        fields.push_back(c.field);
        int k = -1;
        if (!c.from.empty()) {
            k = old.layout().indexOf(c.from);
            if (k < 0)
                throw Error(path + " has no column " + c.from);
        }
        from.push_back(k);
    }
    const Layout layout(std::move(fields));
    for (int i = 0; i < layout.fieldCount(); ++i) {
        if (from[i] < 0)
            continue;
        const Field &o = old.layout().field(from[i]);
        const Field &n = layout.field(i);
        const bool numeric = (o.type == 'N' || o.type == 'F') && (n.type == 'N' || n.type == 'F');
        if (o.type != n.type && !numeric)
            throw Error(path + ": column " + o.name + " cannot change its type");
    }
    Table out(layout);
    std::string error;
    for (std::uint32_t r = 0; r < old.recordCount(); ++r) {
        const char *src = old.record(r);
        char *dst = out.record(out.appendBlank());
        dst[0] = src[0];
        for (int i = 0; i < layout.fieldCount(); ++i) {
            const Field &n = layout.field(i);
            if (from[i] < 0) {
                encodeNull(n, dst);
                continue;
            }
            const Field &o = old.layout().field(from[i]);
            if (o.length == n.length && o.decimals == n.decimals) {
                std::memcpy(dst + n.offset, src + o.offset, static_cast<std::size_t>(n.length));
            } else if (n.type == 'C') {
                const std::size_t k = static_cast<std::size_t>(std::min(o.length, n.length));
                std::memset(dst + n.offset, ' ', static_cast<std::size_t>(n.length));
                std::memcpy(dst + n.offset, src + o.offset, k);
            } else if (n.type == 'N' || n.type == 'F') {
                const auto v = decodeNumber(o, src);
                if (!v)
                    encodeNull(n, dst);
                else if (!encodeNumber(n, *v, dst, error))
                    throw Error(path + ", record " + std::to_string(r + 1) + ": " + error);
            } else {
                std::memcpy(dst + n.offset, src + o.offset, static_cast<std::size_t>(std::min(o.length, n.length)));
            }
        }
    }
    writeFileAtomically(path, out.serialize(today));
}

} // namespace dbf
