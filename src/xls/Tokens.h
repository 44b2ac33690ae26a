#pragma once
// Formula token streams (rgce): walking, reference adjustment, copying, text. Internal.

#include "Model.h"

#include <functional>
#include <optional>

namespace xls::detail {

constexpr std::uint32_t kMaxRow = 65535;
constexpr std::uint16_t kMaxCol = 255;

// Size of the token at `pos` (ptg byte included), or 0 when unknown / truncated.
std::size_t tokenSize(const Bytes &rgce, std::size_t pos);
// True when every token of `rgce` is known and the stream ends exactly.
bool walkable(const Bytes &rgce);

// One row or column operation on one sheet: insert `count` rows/columns at `at`, or
// delete `count` of them starting at `at`.
struct Shift {
    bool columns = false;
    bool insert = true;
    std::uint32_t at = 0;
    std::uint32_t count = 0;
    int sheet = 0;
};

// Sheets a token refers to: for 3-D tokens through the EXTERNSHEET table; -1 when it
// refers to no single sheet of this workbook.
int tokenSheet(const Book &book, const Bytes &rgce, std::size_t pos, int ownSheet);

// Applies a shift to the references of a token stream owned by `ownSheet` (-1: a name,
// only 3-D references count). Returns true when something changed.
bool applyShift(const Book &book, Bytes &rgce, int ownSheet, const Shift &s);
// Moves one coordinate / span; nullopt when it is deleted (or pushed off the sheet).
std::optional<std::uint32_t> shiftPoint(std::uint32_t x, const Shift &s);
std::optional<std::pair<std::uint32_t, std::uint32_t>> shiftSpan(std::uint32_t a, std::uint32_t b, const Shift &s);

// Adds (dRow, dCol) to the relative parts of the references (a copied formula); parts
// pushed off the sheet turn the token into a #REF! token.
void moveRelative(Bytes &rgce, int dRow, int dCol);
// Turns shared-formula tokens (tRefN/tAreaN) into ordinary ones for the cell (row, col).
void expandShared(Bytes &rgce, std::uint32_t row, std::uint32_t col);

// Highest row referenced per sheet (for the reference index).
void referencedRows(const Book &book, const Bytes &rgce, int ownSheet,
                    const std::function<void(int sheet, std::uint32_t maxRow)> &out);

// Formula as text; "" when it cannot be rendered.
std::string formulaToText(const Book &book, const Bytes &rgce, int ownSheet);

struct FunctionInfo {
    const char *name;
    int argc; // -1: variable
};
const FunctionInfo *functionInfo(unsigned id);
const char *errorText(std::uint8_t code);
std::string numberText(double v);
std::string cellName(std::uint32_t row, std::uint32_t col, bool rowRel, bool colRel);

} // namespace xls::detail
