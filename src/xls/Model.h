#pragma once
// The in-memory BIFF8 model. Internal to the engine.
//
// A workbook stream is a list of record groups (a record plus its CONTINUE records). The
// engine owns and regenerates the records it understands (cells, ROW, DIMENSIONS,
// COLINFO, MERGEDCELLS, SST, EXTSST, RECALCID, BOUNDSHEET offsets) and keeps all others
// verbatim in place; slot markers in the record lists say where the regenerated ones go.

#include "Bytes.h"
#include "CompoundFile.h"

#include <array>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace xls::detail {

enum : std::uint32_t {
    SlotColInfo = 0x10000,  // COLINFO records
    SlotCells = 0x10001,    // DIMENSIONS + the cell table
    SlotMerged = 0x10002,   // MERGEDCELLS records
    SlotSst = 0x10003,      // SST + EXTSST
    SlotRecalcId = 0x10004, // RECALCID
};

struct Record {
    std::uint32_t id = 0;
    Bytes data;
    std::vector<Bytes> cont; // CONTINUE records that follow it
};

enum class ResultKind : std::uint8_t { Number, Text, Bool, Error, EmptyText };

struct Book;

struct Formula {
    Bytes rgce;
    Bytes rgcb;
    std::uint16_t flags = 0;
    std::uint32_t chn = 0;
    ResultKind result = ResultKind::Number;
    double number = 0;
    std::uint8_t code = 0; // Bool: 0/1; Error: error code
    std::string text;
    Bytes arrayRecord;   // ARRAY record data when this cell is the base of an array formula
    bool opaque = false; // tokens could not be walked: kept verbatim, never adjusted
    std::uint16_t sheet = 0;
    // Registration in Book::refIndex: (sheet, iterator) pairs.
    std::vector<std::pair<std::uint16_t, std::multimap<std::uint32_t, Formula *>::iterator>> reg;
    Book *book = nullptr;
    // Evaluation bookkeeping.
    std::uint32_t evalGen = 0;
    std::uint8_t evalState = 0; // 0 stale, 1 running, 2 done, 3 unsupported

    ~Formula();
};

enum class CellKind : std::uint8_t { Blank, Number, Text, Bool, Error, Formula };

struct Cell {
    std::uint16_t col = 0;
    std::uint16_t xf = 15;
    CellKind kind = CellKind::Blank;
    std::uint8_t code = 0;   // Bool / Error
    std::uint32_t str = 0;   // Text: index into Book::strings
    double num = 0;
    std::unique_ptr<Formula> f;
};

struct Row {
    std::vector<Cell> cells; // sorted by column
    std::array<std::uint8_t, 10> attr{}; // ROW record bytes 6..15 (height, options, XF)
    bool hasRecord = false;
};

struct ColAttr {
    bool defined = false;
    std::uint16_t width = 0, xf = 15, flags = 0, reserved = 0;
    bool operator==(const ColAttr &) const = default;
};

struct Area {
    std::uint32_t r1, r2; // rows, 0-based
    std::uint16_t c1, c2; // columns, 0-based
};

struct Sheet {
    std::string name;
    std::size_t boundsheet = 0; // index of its BOUNDSHEET record in Book::globals
    bool worksheet = false;     // modelled (BOF type 0x10); other sheets stay verbatim
    std::vector<Record> recs;   // the substream, with slot markers
    std::vector<Row> rows;
    std::array<ColAttr, 257> cols{};
    std::array<std::uint32_t, 256> colUse{}; // cells per column, for colCount()
    std::multimap<std::uint32_t, Area> merged; // keyed by last row
    std::uint16_t defColWidth = 8;    // DEFCOLWIDTH (characters)
    int stdWidth = -1;                // STANDARDWIDTH (1/256), -1 if absent
    std::array<std::uint8_t, 10> defaultRowAttr{0xFF, 0, 0, 0, 0, 0, 0x00, 0x01, 0x0F, 0};
};

struct SstEntry {
    std::string text;
    Bytes runs;
    Bytes ext;
};

struct Xti {
    std::uint16_t supbook = 0;
    std::int16_t first = -1, last = -1;
    bool internal = false; // refers to this workbook's sheets
};

struct NameDef {
    std::size_t record = 0;      // index in Book::globals
    std::string text;            // "Print_Area", "Total", ...
    int sheet = -1;              // local to this sheet (0-based), -1 global
    std::size_t rgceOffset = 0;  // position of the formula in the record's data
    std::size_t cce = 0;
};

struct Book {
    CompoundFile cfb;
    int workbookEntry = -1;
    std::vector<Record> globals; // with slot markers
    std::vector<Sheet> sheets;
    std::vector<SstEntry> strings;
    std::unordered_map<std::string, std::uint32_t> plainStrings; // text -> index (no runs)
    std::vector<Xti> xti;
    std::vector<NameDef> names;
    std::uint32_t xfCount = 0;
    // Formulas by the highest row they reference on each sheet (per sheet).
    std::vector<std::multimap<std::uint32_t, Formula *>> refIndex;
    std::uint32_t evalGen = 1;

    Book() = default;
    Book(const Book &) = delete;
    Book &operator=(const Book &) = delete;
    // Cells (and their formulas, which unregister from refIndex) go first.
    ~Book() { sheets.clear(); }

    std::uint32_t internString(const std::string &text);
    using RefIndex = std::multimap<std::uint32_t, Formula *>;
    // Registers a formula; `hint` (for sheet `hintSheet`) is where its entry most likely
    // belongs, which makes the registration constant time when right.
    void indexFormula(Formula *f, int hintSheet = -1, RefIndex::iterator hint = {});
    void unindexFormula(Formula *f);
};

} // namespace xls::detail
