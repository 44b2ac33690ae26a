#pragma once
// dBase III tables (no memo): layout, field encoding and whole-file operations.
//
// File layout: a 32-byte header (version 0x03, last update date, record count, header
// length, record length, language driver 0xC8 = code page 1250), one 32-byte descriptor per
// field, 0x0D, the records (byte 0 ' ' live or '*' deleted) and one 0x1A.
//
// Field encoding:
//   C  code page 1250, left-aligned, blank-padded; read trimmed on the right only.
//   N  ASCII right-aligned, exactly `decimals` decimals, '.' point, leading '-';
//      all blanks = NULL; a value too wide for the column is an error (never cut).
//   D  YYYYMMDD; 8 blanks (or 00000000) = NULL.
// Reading also accepts F (as N) and L fields written by other programs.
//
// Every malformed file gives a dbf::Error naming the file; nothing here crashes on
// hostile input (fuzzed).

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace dbf {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

constexpr unsigned char kLanguageCp1250 = 0xC8;
constexpr int kMaxFields = 128;
constexpr int kMaxRecordLength = 4000;

struct Field {
    std::string name;  // ASCII, upper case, at most 10 characters
    char type = 'C';   // 'C', 'N', 'D' (read also 'F', 'L')
    int length = 0;
    int decimals = 0;
    int offset = 0;    // of the field's first byte within a record (the flag is byte 0)

    static Field text(std::string n, int len) { return {std::move(n), 'C', len, 0, 0}; }
    static Field number(std::string n, int len, int dec) { return {std::move(n), 'N', len, dec, 0}; }
    static Field date(std::string n) { return {std::move(n), 'D', 8, 0, 0}; }
    bool operator==(const Field &o) const
    {
        return name == o.name && type == o.type && length == o.length && decimals == o.decimals;
    }
};

struct Date {
    int year = 0, month = 0, day = 0;
    bool operator==(const Date &) const = default;
};
bool isValidDate(int y, int m, int d);
// "YYYY-MM-DD" (exactly that form, a real calendar date) -> Date.
std::optional<Date> parseIsoDate(std::string_view text);
std::string isoDate(const Date &d);

// Fields with offsets, header and record lengths.
class Layout {
public:
    Layout() = default;
    // Validates names, types, widths and the dBase III limits; throws Error.
    explicit Layout(std::vector<Field> fields);

    const std::vector<Field> &fields() const { return m_fields; }
    int fieldCount() const { return static_cast<int>(m_fields.size()); }
    const Field &field(int i) const { return m_fields[static_cast<std::size_t>(i)]; }
    // Index of a field by name (case-insensitive), -1 when absent.
    int indexOf(std::string_view name) const;
    int headerLength() const { return 32 + 32 * fieldCount() + 1 + m_headerPadding; }
    int recordLength() const { return m_recordLength; }

    // Header + descriptors + terminator for `count` records, dated `updated`.
    std::string header(std::uint32_t count, const Date &updated) const;

private:
    friend class Table;
    std::vector<Field> m_fields;
    int m_recordLength = 1;
    int m_headerPadding = 0; // bytes after the terminator some writers add
};

// --- field values ---------------------------------------------------------------
// Decoding reads the field bytes of one record (`rec` points at the deletion flag).
std::string_view rawField(const Field &f, const char *rec);
bool isBlankField(const Field &f, const char *rec);
// Text of a C field: code page 1250 decoded to UTF-8, blanks on the right removed.
std::string decodeText(const Field &f, const char *rec);
// N/F field: nullopt when blank or not a number (dBase writes '*' on overflow).
std::optional<double> decodeNumber(const Field &f, const char *rec);
// D field: nullopt when blank, 00000000 or not a valid date.
std::optional<Date> decodeDate(const Field &f, const char *rec);
// L field: nullopt when '?' or blank.
std::optional<bool> decodeLogical(const Field &f, const char *rec);

// Encoding writes the field bytes of one record; on failure returns false with a message
// in `error` and leaves the bytes unchanged.
void encodeNull(const Field &f, char *rec);
bool encodeText(const Field &f, std::string_view utf8, char *rec, std::string &error);
bool encodeNumber(const Field &f, double value, char *rec, std::string &error);
bool encodeInteger(const Field &f, std::int64_t value, char *rec, std::string &error);
bool encodeDate(const Field &f, const Date &d, char *rec, std::string &error);

// --- whole tables ---------------------------------------------------------------
// A table image: layout plus the record bytes, as read from one file.
class Table {
public:
    Table() = default;
    explicit Table(Layout layout) : m_layout(std::move(layout)) {}

    // Parses a complete file image; `name` is used in error messages.
    static Table parse(std::string_view bytes, const std::string &name);
    static Table load(const std::string &path);

    const Layout &layout() const { return m_layout; }
    std::uint32_t recordCount() const { return m_count; }
    int recordLength() const { return m_layout.recordLength(); }
    const char *record(std::uint32_t i) const { return m_data.data() + std::size_t(i) * std::size_t(recordLength()); }
    char *record(std::uint32_t i) { return m_data.data() + std::size_t(i) * std::size_t(recordLength()); }
    bool isDeleted(std::uint32_t i) const { return record(i)[0] == '*'; }
    // Appends a blank live record and returns its index.
    std::uint32_t appendBlank();
    // Drops records from the end (undo of appends).
    void truncate(std::uint32_t count);
    std::uint32_t liveCount() const;
    const Date &updated() const { return m_updated; }

    // The complete file image (header, records, 0x1A).
    std::string serialize(const Date &updated) const;

private:
    Layout m_layout;
    std::vector<char> m_data;
    std::uint32_t m_count = 0;
    Date m_updated{};
};

// --- file operations (each writes a temporary file, syncs it and renames it over) ---
// Creates an empty table; fails when the file exists.
void createTable(const std::string &path, const Layout &layout, const Date &today);
// Removes deleted records for good.
void packTable(const std::string &path, const Date &today);

// One column of the restructured table: a new field and where its values come from
// (the name of an old field, or empty for a new blank column).
struct ColumnMap {
    Field field;
    std::string from;
};
// Rewrites the table with a new layout. Values of carried columns are kept: C columns
// padded or cut on the right, N columns re-encoded with the new decimals (an old value
// too wide for the new width is an error, nothing written), D columns copied. Deleted
// records stay deleted.
void restructureTable(const std::string &path, const std::vector<ColumnMap> &columns, const Date &today);

// Writes `bytes` to `path` atomically: path.tmp, fsync, rename, fsync the directory.
void writeFileAtomically(const std::string &path, std::string_view bytes);
std::string readWholeFile(const std::string &path);
// Flushes a directory entry change (no-op where not supported).
void syncDirectory(const std::string &dir);
std::string directoryOf(const std::string &path);
std::string baseName(const std::string &path);
Date todayLocal();

} // namespace dbf
