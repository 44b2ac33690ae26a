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

// Editing of the personal-code input, which takes only digits and at most 13 of them.
struct EditState {
    QString text;
    qsizetype caret = 0;      // insertion point, 0..text.size()
    qsizetype selStart = 0;   // selection, empty when selLength is 0
    qsizetype selLength = 0;
};

enum class Key { Digit, Backspace, Delete, Other };

// One key press (keypad digits count as digits):
// - a digit deletes the selection, empties a text that is exactly "0", and is inserted at
//   the caret unless the text already has 13 characters;
// - Backspace deletes the selection or the character before the caret;
// - Delete deletes the selection or the character after the caret;
// - any other key changes nothing.
void KeyPress(EditState &state, Key key, int digit = 0);

} // namespace ogx::cnp
