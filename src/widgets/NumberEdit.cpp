#include "widgets/NumberEdit.h"

#include <QValidator>

#include <charconv>
#include <cmath>

namespace ogx {
namespace {

class NumberValidator final : public QValidator {
public:
    explicit NumberValidator(NumberEdit *edit) : QValidator(edit), m_edit(edit) {}
    State validate(QString &input, int &) const override
    {
        return NumberEdit::acceptable(input, m_edit->integerDigits(), m_edit->decimals(),
                                      m_edit->allowNegative())
            ? Acceptable
            : Invalid;
    }

private:
    NumberEdit *m_edit;
};

} // namespace

NumberEdit::NumberEdit(QWidget *parent) : QLineEdit(parent)
{
    setValidator(new NumberValidator(this));
    setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

NumberEdit::NumberEdit(int integerDigits, int decimals, bool allowNegative, QWidget *parent)
    : NumberEdit(parent)
{
    setFormat(integerDigits, decimals, allowNegative);
}

void NumberEdit::setFormat(int integerDigits, int decimals, bool allowNegative)
{
    m_integerDigits = integerDigits;
    m_decimals = decimals;
    m_allowNegative = allowNegative;
}

bool NumberEdit::acceptable(const QString &text, int integerDigits, int decimals, bool allowNegative)
{
    qsizetype i = 0;
    if (i < text.size() && text[i] == u'-') {
        if (!allowNegative)
            return false;
        ++i;
    }
    int whole = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        ++whole;
        ++i;
    }
    if (whole > integerDigits)
        return false;
    if (i == text.size())
        return true;
    if (text[i] != u'.' || decimals == 0)
        return false;
    ++i;
    int frac = 0;
    while (i < text.size() && text[i] >= u'0' && text[i] <= u'9') {
        ++frac;
        ++i;
    }
    return i == text.size() && frac <= decimals;
}

double NumberEdit::value() const
{
    const QByteArray t = text().trimmed().toLatin1();
    double v = 0;
    const auto [ptr, ec] = std::from_chars(t.constData(), t.constData() + t.size(), v);
    if (ec != std::errc() || ptr != t.constData() + t.size()) {
        // "12." is a complete number to the operator.
        if (t.endsWith('.')) {
            const auto r = std::from_chars(t.constData(), t.constData() + t.size() - 1, v);
            if (r.ec == std::errc())
                return v;
        }
        return 0;
    }
    return v;
}

QString NumberEdit::formatValue(double value, int decimals)
{
    const double scale = std::pow(10.0, decimals);
    // Half away from zero at the shown precision; the small nudge absorbs binary error.
    double rounded = std::round(value * scale + (value >= 0 ? 1e-9 : -1e-9)) / scale;
    if (rounded == 0)
        rounded = 0; // no "-0.00"
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, rounded, std::chars_format::fixed, decimals);
    return QString::fromLatin1(buf, r.ptr - buf);
}

void NumberEdit::setValue(double v)
{
    setText(formatValue(v, m_decimals));
}

} // namespace ogx
