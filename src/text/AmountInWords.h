#pragma once
// Romanian words for sums and whole numbers, without diacritics and without blanks
// between the words of one number ("unamiidouasutetreizecisipatru").

#include <QString>

namespace ogx {

// Kinds of ending for NumberInWords.
enum WordsEnding {
    FeminineEnding = 0,   // "una", "doua" stay as they are
    MasculineEnding = 1,  // "una" -> "unu", "doua" -> "doi" at the very end
    UnuOnlyEnding = 3,    // only "una" -> "unu"
};

// Money amount: "<lei in words> lei si <bani in words> bani". The text holds digits, an
// optional "." and decimals; "," is a grouping character and is dropped. The bani are
// the first two decimals, cut, not rounded. Characters other than digits inside the lei
// or the bani are ignored.
QString AmountInWords(const QString &text);

// Whole number in words. "," is dropped, anything from the first "." on is ignored.
// `kind` chooses the ending (see WordsEnding; callers pass MasculineEnding).
QString NumberInWords(const QString &text, int kind);

} // namespace ogx
