#pragma once
// A numeric input: at most `integerDigits` digits before the decimal point, at most
// `decimals` after it ("." only, whatever the locale), and a leading minus sign only when
// allowed. The text never passes through the locale.

#include <QLineEdit>

namespace ogx {

class NumberEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit NumberEdit(QWidget *parent = nullptr);
    NumberEdit(int integerDigits, int decimals, bool allowNegative, QWidget *parent = nullptr);

    void setFormat(int integerDigits, int decimals, bool allowNegative);
    int integerDigits() const { return m_integerDigits; }
    int decimals() const { return m_decimals; }
    bool allowNegative() const { return m_allowNegative; }

    // The typed number; 0 for an empty or incomplete text ("", "-", ".").
    double value() const;
    // Shows the value with exactly `decimals` decimals, rounded half away from zero.
    void setValue(double value);

    // Text of a value in this input's format ("5.50" for 5.5 with two decimals).
    static QString formatValue(double value, int decimals);
    // Whether a text is acceptable while typing (complete or a prefix of a number).
    static bool acceptable(const QString &text, int integerDigits, int decimals, bool allowNegative);

private:
    int m_integerDigits = 9;
    int m_decimals = 2;
    bool m_allowNegative = false;
};

} // namespace ogx
