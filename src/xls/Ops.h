#pragma once
// Row and column operations on the model, with reference adjustment. Internal.

#include "Model.h"
#include "Tokens.h"

namespace xls::detail {

void insertRows(Book &b, int sheet, std::uint32_t at, std::uint32_t n);
void deleteRows(Book &b, int sheet, std::uint32_t at, std::uint32_t n);
void insertCols(Book &b, int sheet, std::uint32_t at, std::uint32_t n);
// Copies rows s..e (0-based, already in place) n times starting at row d (rows already
// inserted there).
void copyRows(Book &b, int sheet, std::uint32_t s, std::uint32_t e, std::uint32_t d, std::uint32_t n);
void copyCols(Book &b, int sheet, std::uint32_t s, std::uint32_t e, std::uint32_t d, std::uint32_t n);
// Highest used row + 1 / column + 1 of a sheet.
std::uint32_t usedRows(const Sheet &sh);
std::uint32_t usedCols(const Sheet &sh);
std::unique_ptr<Formula> cloneFormula(Book &b, const Formula &f);
// Recomputes every formula's stored result.
void recalcAll(Book &b);

} // namespace xls::detail
