#pragma once
// xls::Workbook — reads, changes and writes Excel 97-2003 workbooks (.xls: BIFF8 inside a
// compound file). Standard C++ only.
//
// Conventions
//  - Rows, columns and sheets are numbered from 1 (row 1..65536, column 1..256).
//  - Text is UTF-8 std::string in and out; the file keeps Unicode (8-bit Latin-1 where it
//    fits, 16-bit otherwise), so Romanian ă â î ș ț survive.
//  - Every failure throws xls::Error (see Error.h) whose what() names the file and the
//    reason. A failed call leaves the workbook unchanged unless stated otherwise.
//  - Everything the engine does not understand (drawings, charts, styles, VBA, summary
//    streams, ...) is written back byte for byte.
//
// Formulas: shared formulas are expanded on load. Row/column inserts, copies and deletes
// adjust references on every sheet, in defined names (print area, print titles), merged
// ranges, conditional formats, data validations, hyperlinks, notes and page breaks, as a
// spreadsheet does. Stored results are recomputed by recalculate() and by saveAs(), so
// readers that show stored values are right; the file also asks Excel to recalculate.
// A formula using something the evaluator does not know keeps its last stored result and
// is flagged so that the spreadsheet recalculates it.
//
// Limits: drawing objects (pictures, charts, comments' boxes) keep their anchors when
// rows or columns move; array formulas cannot be inside a copied block; data tables
// (what-if TABLE records) and encrypted or pre-BIFF8 files are refused on open.

#include "Error.h"

#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace xls {

// A cell's value as read. For a formula cell, kind/text/number describe its stored result
// (text for a text result, number for a number, number 1/0 for a boolean result) and
// hasFormula is true.
struct CellValue {
    enum Kind { Empty, Text, Number, Bool, Error };
    Kind kind = Empty;
    std::string text;   // Text: the text. Error: "#DIV/0!", "#REF!", ...
    double number = 0;  // Number: the value. Bool: 1 or 0.
    bool hasFormula = false;

    // The value as the pipeline reads it: text as is, a number in its shortest round-trip
    // form with '.' as decimal separator ("3", "2.5", "-0.125"), "TRUE"/"FALSE", an error's
    // text, "" for empty.
    std::string toText() const;
};

class Workbook {
public:
    // Opens a .xls file; throws xls::Error when it cannot be read (missing, not a compound
    // file, truncated, encrypted, BIFF5 or older, contradictory records).
    static Workbook open(const std::filesystem::path &path);
    // The same from bytes in memory; `name` is used in error messages.
    static Workbook fromBytes(std::span<const std::uint8_t> bytes, const std::string &name = "workbook");

    Workbook(Workbook &&) noexcept;
    Workbook &operator=(Workbook &&) noexcept;
    ~Workbook();

    // Sheets (worksheets, chart sheets, ... in tab order).
    int sheetCount() const;
    std::string sheetName(int sheet) const;
    // Makes `sheet` the active sheet; cell and row/column operations act on it. Throws
    // when the number is out of range. Sheet 1 is active after open.
    void selectSheet(int sheet);
    int activeSheet() const;

    // Highest row holding a cell (a value, a formula or a formatted blank) on the active
    // sheet; 0 when the sheet is empty. colCount: highest such column over all rows.
    // Both are cheap (no scan of the sheet).
    int rowCount() const;
    int colCount() const;

    // Reads a cell; outside the used area the cell is Empty. A formula cell gives its
    // stored result as of opening or the last recalculate()/saveAs(): reading never
    // recalculates, so scanning a large sheet stays cheap.
    CellValue cell(int row, int col) const;
    // The formula of a cell as text ("SUM(C3:C4)", "Sumar!$B$1*2"), or "" when the cell has
    // no formula.
    std::string formulaText(int row, int col) const;
    // Number format index (XF) of a cell: the cell's own, else its row's, else its column's,
    // else 15 (the default cell format).
    int cellFormat(int row, int col) const;

    // Writing a cell replaces its value or formula and keeps its format; a new cell takes
    // the row's format, else the column's, else the default.
    void setText(int row, int col, const std::string &utf8);
    void setEmptyText(int row, int col); // an empty text: a formatted empty cell
    void setNumber(int row, int col, double value);
    void setInteger(int row, int col, std::int64_t value);
    // Money with 4 decimals: `value` is rounded half away from zero to 4 decimals.
    void setMoney(int row, int col, double value);
    // Money given exactly as ten-thousandths (value × 10 000), as fixed-point currency is kept.
    void setMoneyUnits(int row, int col, std::int64_t tenThousandths);
    void setBool(int row, int col, bool value);

    // Inserts n copies of rows first..last at row `dest`: the rows at and below dest move
    // down by n·(last−first+1) first (references to them follow, a range spanning dest
    // grows), then each copy receives the block's values, formats, row heights, merged
    // ranges and formulas (relative references shifted to the copy's rows; absolute ones
    // unchanged). dest may be anywhere except strictly inside (first, last]. n <= 0 does
    // nothing. Throws when rows would be pushed past row 65536. The cost is proportional to
    // the rows moved and the formulas that refer to them, so inserting at the end of a
    // growing detail block stays cheap.
    void insertRowCopies(int first, int last, int dest, int n);
    // The same for columns (widths and hidden state copied too; max column 256).
    void insertColCopies(int first, int last, int dest, int n);
    // Deletes n rows starting at `row`: later rows move up, ranges spanning the deleted rows
    // shrink, references to deleted cells become #REF!.
    void deleteRows(int row, int n);

    // Column width in 1/256 of the width of the digit "0" (the file's unit; a width of 10
    // characters is 2560). A hidden column reads as 0. Undefined columns read as the
    // sheet's default width.
    int columnWidth(int col) const;
    // Sets the width; 0 hides the column, any other value shows it with that width.
    void setColumnWidth(int col, int width);
    bool columnHidden(int col) const;

    // Merged ranges of the active sheet as (row1, col1, row2, col2), sorted by position.
    struct Range { int row1, col1, row2, col2; };
    std::vector<Range> mergedRanges() const;

    // Recomputes the stored results of all formulas (linear in the number of formulas and
    // the cells their ranges cover; chains of any length are fine, cycles keep their stored
    // results and are flagged for the spreadsheet to recalculate).
    void recalculate();

    // Saves as a new file. Refuses (throws) when `path` exists. Writes a temporary file
    // beside the target and renames it, so a failure never leaves a partial file. The
    // workbook stays open and unchanged.
    void saveAs(const std::filesystem::path &path);
    // The file's bytes, as saveAs would write them.
    std::vector<std::uint8_t> toBytes();

    struct Impl;

private:
    explicit Workbook(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace xls
