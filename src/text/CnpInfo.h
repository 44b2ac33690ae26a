#pragma once
// What a personal numeric code tells: whether it is acceptable for documents, the sex and
// the birth date. The personal-code input control answers through these functions.
//
// These rules are wider than CheckCnp: first digits 1, 2 and 5 to 9 are accepted, and 7,
// 8 and 9 (residents) are dated in the 1900s.

#include <QDate>
#include <QString>

namespace ogx::cnp {

// The date that stands for "no date" (day 0 of the date serial numbers).
inline QDate zeroDate() { return QDate(1899, 12, 30); }

// Empty text: `acceptEmpty`. Otherwise 13 digits, a first digit 1, 2, 5, 6, 7, 8 or 9, a
// real date and the control digit.
bool GetCorect(const QString &text, bool acceptEmpty);

// "masculin" for an empty text or one beginning with 1, 5, 7 or 9; "feminin" otherwise.
QString GetSex(const QString &text);

// The birth date: the zero date for 6 characters or fewer or when the date digits are not
// digits; 01.01.1900 when they form no real date (2000s for a first character 5 or 6,
// 1900s otherwise).
QDate GetNascutLa(const QString &text);

} // namespace ogx::cnp
