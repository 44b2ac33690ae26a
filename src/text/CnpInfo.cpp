#include "text/CnpInfo.h"

#include "text/CodeChecks.h"

namespace ogx::cnp {

using detail::digitAt;
using detail::isAsciiDigit;

bool GetCorect(const QString &text, bool acceptEmpty)
{
    if (text.isEmpty())
        return acceptEmpty;
    if (text.size() != 13)
        return false;
    for (QChar c : text)
        if (!isAsciiDigit(c))
            return false;
    const int first = digitAt(text, 0);
    if (first == 0 || first == 3 || first == 4)
        return false;
    const int yy = digitAt(text, 1) * 10 + digitAt(text, 2);
    const int year = (first == 5 || first == 6) ? 2000 + yy : 1900 + yy;
    const int month = digitAt(text, 3) * 10 + digitAt(text, 4);
    const int day = digitAt(text, 5) * 10 + digitAt(text, 6);
    if (!QDate::isValid(year, month, day))
        return false;
    return digitAt(text, 12) == detail::cnpControlDigit(text);
}

QString GetSex(const QString &text)
{
    if (text.isEmpty())
        return QStringLiteral("masculin");
    const QChar c = text.at(0);
    if (c == u'1' || c == u'5' || c == u'7' || c == u'9')
        return QStringLiteral("masculin");
    return QStringLiteral("feminin");
}

QDate GetNascutLa(const QString &text)
{
    if (text.size() <= 6)
        return zeroDate();
    for (qsizetype i = 1; i <= 6; ++i)
        if (!isAsciiDigit(text.at(i)))
            return zeroDate();
    const int yy = digitAt(text, 1) * 10 + digitAt(text, 2);
    const int month = digitAt(text, 3) * 10 + digitAt(text, 4);
    const int day = digitAt(text, 5) * 10 + digitAt(text, 6);
    const QChar first = text.at(0);
    const int year = (first == u'5' || first == u'6') ? 2000 + yy : 1900 + yy;
    if (!QDate::isValid(year, month, day))
        return QDate(1900, 1, 1);
    return QDate(year, month, day);
}

namespace {
bool deleteSelection(EditState &s)
{
    if (s.selLength <= 0)
        return false;
    const qsizetype start = qBound<qsizetype>(0, s.selStart, s.text.size());
    s.text.remove(start, s.selLength);
    s.caret = start;
    s.selStart = start;
    s.selLength = 0;
    return true;
}
} // namespace

void KeyPress(EditState &s, Key key, int digit)
{
    s.caret = qBound<qsizetype>(0, s.caret, s.text.size());
    switch (key) {
    case Key::Digit:
        if (digit < 0 || digit > 9)
            return;
        deleteSelection(s);
        if (s.text == QLatin1String("0")) {
            s.text.clear();
            s.caret = 0;
        }
        if (s.text.size() >= 13)
            return;
        s.text.insert(s.caret, QChar(u'0' + digit));
        ++s.caret;
        return;
    case Key::Backspace:
        if (!deleteSelection(s) && s.caret > 0) {
            s.text.remove(s.caret - 1, 1);
            --s.caret;
        }
        return;
    case Key::Delete:
        if (!deleteSelection(s) && s.caret < s.text.size())
            s.text.remove(s.caret, 1);
        return;
    case Key::Other:
        return;
    }
}

} // namespace ogx::cnp
