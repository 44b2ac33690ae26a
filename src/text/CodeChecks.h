#pragma once
// Checks of identification data typed by the operator.

#include <QString>

#include <optional>

namespace ogx {

// Romanian personal numeric code: 13 digits, first digit 1, 2, 5, 6 or 9, a real birth
// date (1900s for 1 and 2, 2000s otherwise) and the control digit. Not trimmed.
bool CheckCnp(const QString &text);

// Fiscal code of a company: blanks and a leading non-digit prefix (such as "RO") are
// ignored; 3 to 10 digits ending with the control digit.
bool CheckCif(const QString &text);

// At least 3 characters before the "@", at least 5 after it, only letters A-Z, digits,
// "-", "." and "_" besides the "@", and a domain whose first "." is followed by exactly 2
// or 3 characters.
bool CheckEmail(const QString &text);

// Exactly 10 digits (other characters are ignored) beginning with 07, 03, 02 or 01.
bool CheckPhone(const QString &text);

// The check named by `kind` ("cnp", "cif", "email" or "phone", letter case ignored), as
// `ogorix-cli validate KIND TEXT` offers them; nothing for another kind.
std::optional<bool> CheckCode(const QString &kind, const QString &text);

namespace detail {
// Control digit of the first 12 digits of a personal code (a remainder of 10 gives 1).
int cnpControlDigit(const QString &digits12);
inline bool isAsciiDigit(QChar c) { return c >= u'0' && c <= u'9'; }
inline int digitAt(const QString &s, qsizetype i) { return s.at(i).unicode() - u'0'; }
} // namespace detail

} // namespace ogx
