#include "text/AmountInWords.h"

namespace ogx {

namespace {

const char *const kDigits[10] = {"zero", "una", "doua", "trei", "patru",
                                 "cinci", "sase", "sapte", "opt", "noua"};

QString digitWord(int d) { return QLatin1String(kDigits[d]); }

// Words of three digits (hundreds, tens, units); empty for 000.
QString groupWords(int h, int t, int u)
{
    QString w;
    if (h == 1)
        w += QLatin1String("unasuta");
    else if (h > 1)
        w += digitWord(h) + QLatin1String("sute");

    const int v = 10 * t + u;
    if (v >= 1 && v <= 9)
        w += digitWord(u);
    else if (v == 10)
        w += QLatin1String("zece");
    else if (v == 11)
        w += QLatin1String("unsprezece");
    else if (v == 12)
        w += QLatin1String("doisprezece");
    else if (v == 16)
        w += QLatin1String("saisprezece");
    else if (v > 12 && v < 20)
        w += digitWord(u) + QLatin1String("sprezece");
    else if (v >= 20) {
        w += digitWord(t) + QLatin1String("zeci");
        if (u != 0)
            w += QLatin1String("si") + digitWord(u);
    }
    return w;
}

// Words of a whole number given by its digits (other characters are skipped).
QString wholeWords(const QString &text)
{
    QString digits;
    for (QChar c : text)
        if (c >= u'0' && c <= u'9')
            digits += c;
    while (digits.size() % 3 != 0)
        digits.prepend(u'0');

    QString words;
    qsizetype groupsLeft = digits.size() / 3;
    for (qsizetype i = 0; i < digits.size(); i += 3, --groupsLeft) {
        QString g = groupWords(digits.at(i).unicode() - u'0', digits.at(i + 1).unicode() - u'0',
                               digits.at(i + 2).unicode() - u'0');
        if (g.isEmpty())
            continue;
        if (groupsLeft == 2)
            g += QLatin1String("mii");
        else if (groupsLeft == 3)
            g += QLatin1String("milioane");
        else if (groupsLeft == 4)
            g += QLatin1String("miliarde");
        words += g;
    }
    return words.isEmpty() ? QStringLiteral("zero") : words;
}

QString applyEnding(QString words, bool unu, bool doi)
{
    if (unu && words.endsWith(QLatin1String("una")))
        words.back() = u'u';
    else if (doi && words.size() > 3 && words.endsWith(QLatin1String("doua")))
        words.replace(words.size() - 4, 4, QStringLiteral("doi"));
    return words;
}

} // namespace

QString AmountInWords(const QString &text)
{
    QString t = text;
    t.remove(u',');
    if (t.isEmpty())
        t = QStringLiteral("0");
    if (t.startsWith(u'.'))
        t.prepend(u'0');

    QString lei = t, bani = QStringLiteral("0");
    const qsizetype dot = t.indexOf(u'.');
    if (dot >= 0) {
        lei = t.left(dot);
        bani = t.mid(dot + 1, 2);
        while (bani.size() < 2)
            bani += u'0';
    }
    return applyEnding(wholeWords(lei), true, true) + QLatin1String(" lei si ")
         + applyEnding(wholeWords(bani), true, true) + QLatin1String(" bani");
}

QString NumberInWords(const QString &text, int kind)
{
    QString t = text;
    t.remove(u',');
    if (t.isEmpty())
        t = QStringLiteral("0");
    if (t.startsWith(u'.'))
        t.prepend(u'0');
    const qsizetype dot = t.indexOf(u'.');
    if (dot >= 0)
        t.truncate(dot);
    return applyEnding(wholeWords(t), kind == MasculineEnding || kind == UnuOnlyEnding,
                       kind == MasculineEnding);
}

} // namespace ogx
