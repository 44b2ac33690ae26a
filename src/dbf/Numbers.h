#pragma once
// Locale-free decimal numbers.
//
// Stored numbers (tables, settings files) always use "." and never pass through the C
// locale or QLocale: under a Romanian locale printf would write "12,50".
// Rounding is half away from zero on the shortest decimal text of the value, so 2.675
// rounds to 2.68 and 1.005 to 1.01, as a person reading the number expects.

#include <optional>
#include <string>
#include <string_view>

namespace dbf {

// The value with exactly `decimals` decimals ("12.50", "-3", "0.0000"). No grouping,
// leading "-" for negatives, never "-0".
std::string formatFixed(double value, int decimals);

// The value rounded to at most `maxDecimals` decimals, trailing zeros and a trailing
// point removed ("5.5", "3300", "1.0151").
std::string formatTrimmed(double value, int maxDecimals);

// The value rounded half away from zero to `decimals` decimals (via its decimal text).
double roundDecimal(double value, int decimals);

// Parses a decimal number: optional blanks around it, optional sign, digits with an
// optional "." and fraction, optional exponent. Anything else (a comma, letters, an empty
// text) gives nullopt.
std::optional<double> parseNumber(std::string_view text);

} // namespace dbf
