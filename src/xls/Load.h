#pragma once
#include "Model.h"

#include <span>

namespace xls::detail {
// Fills `book` from a file's bytes; throws Malformed with the reason.
void loadBook(Book &book, std::span<const std::uint8_t> bytes);
// Serialises `book` into a file's bytes.
Bytes saveBook(Book &book);
} // namespace xls::detail
