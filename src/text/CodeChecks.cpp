#include "text/CodeChecks.h"

#include <QDate>

namespace ogx {

using detail::digitAt;
using detail::isAsciiDigit;

int detail::cnpControlDigit(const QString &digits12)
{
    static const int weights[12] = {2, 7, 9, 1, 4, 6, 3, 5, 8, 2, 7, 9};
    int sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += digitAt(digits12, i) * weights[i];
    const int r = sum % 11;
    return r == 10 ? 1 : r;
}

bool CheckCnp(const QString &text)
{
    if (text.size() != 13)
        return false;
    for (QChar c : text)
        if (!isAsciiDigit(c))
            return false;
    const int first = digitAt(text, 0);
    if (first != 1 && first != 2 && first != 5 && first != 6 && first != 9)
        return false;
    const int yy = digitAt(text, 1) * 10 + digitAt(text, 2);
    const int year = (first == 1 || first == 2) ? 1900 + yy : 2000 + yy;
    const int month = digitAt(text, 3) * 10 + digitAt(text, 4);
    const int day = digitAt(text, 5) * 10 + digitAt(text, 6);
    if (!QDate::isValid(year, month, day))
        return false;
    return digitAt(text, 12) == detail::cnpControlDigit(text);
}

bool CheckCif(const QString &text)
{
    QString t = text.toUpper();
    t.remove(u' ');
    if (t.size() < 3)
        return false;
    qsizetype start = 0;
    while (start < t.size() && !isAsciiDigit(t.at(start)))
        ++start;
    t = t.mid(start);
    if (t.size() < 3 || t.size() > 10)
        return false;
    for (QChar c : t)
        if (!isAsciiDigit(c))
            return false;
    while (t.size() < 10)
        t.prepend(u'0');
    static const int weights[9] = {7, 5, 3, 2, 1, 7, 5, 3, 2};
    int sum = 0;
    for (int j = 0; j < 9; ++j)
        sum += digitAt(t, j) * weights[j];
    return digitAt(t, 9) == (sum * 10 % 11) % 10;
}

bool CheckEmail(const QString &text)
{
    const qsizetype at = text.indexOf(u'@');
    if (at < 0 || at < 3 || text.size() - at - 1 < 5)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (i == at)
            continue;
        const QChar c = text.at(i);
        const bool ok = (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z') || isAsciiDigit(c)
                     || c == u'-' || c == u'.' || c == u'_';
        if (!ok)
            return false;
    }
    const QString domain = text.mid(at + 1);
    const qsizetype dot = domain.indexOf(u'.');
    if (dot < 0)
        return false;
    const qsizetype after = domain.size() - dot - 1;
    return after == 2 || after == 3;
}

bool CheckPhone(const QString &text)
{
    QString digits;
    for (QChar c : text)
        if (isAsciiDigit(c))
            digits += c;
    if (digits.size() != 10)
        return false;
    return digits.startsWith(QLatin1String("07")) || digits.startsWith(QLatin1String("03"))
        || digits.startsWith(QLatin1String("02")) || digits.startsWith(QLatin1String("01"));
}

std::optional<bool> CheckCode(const QString &kind, const QString &text)
{
    const QString k = kind.toLower();
    if (k == QLatin1String("cnp"))
        return CheckCnp(text);
    if (k == QLatin1String("cif"))
        return CheckCif(text);
    if (k == QLatin1String("email"))
        return CheckEmail(text);
    if (k == QLatin1String("phone"))
        return CheckPhone(text);
    return std::nullopt;
}

} // namespace ogx
