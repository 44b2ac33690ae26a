#include "reports/ReportCells.h"

#include "datastore/Error.h"
#include "xls/Workbook.h"

#include <QRegularExpression>

#include <charconv>
#include <cmath>

namespace ogx::reportcells {

namespace {
bool isBlankOrControl(QChar c)
{
    return c.unicode() <= 0x20 || c.category() == QChar::Other_Control;
}

QString shortestNumber(double d)
{
    if (!std::isfinite(d))
        return QString();
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, d);
    QString s = QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
    if (s == u"-0")
        s = QStringLiteral("0");
    return s;
}
} // namespace

QString trimmed(const QString &text)
{
    qsizetype first = 0;
    qsizetype last = text.size();
    while (first < last && isBlankOrControl(text[first]))
        ++first;
    while (last > first && isBlankOrControl(text[last - 1]))
        --last;
    return text.mid(first, last - first);
}

QString cellText(const xls::Workbook &book, int row, int col)
{
    const xls::CellValue v = book.cell(row, col);
    if (v.kind != xls::CellValue::Text || v.hasFormula)
        return QString();
    return QString::fromStdString(v.text);
}

QString cellMarker(const xls::Workbook &book, int row, int col)
{
    return trimmed(cellText(book, row, col)).toUpper();
}

double dateSerial(const QDate &date)
{
    static const QDate epoch(1899, 12, 30);
    return date.isValid() ? static_cast<double>(epoch.daysTo(date)) : 0.0;
}

FieldValue fieldValue(const ResultSet &data, int row, int column)
{
    FieldValue out;
    const QVariant &v = data.value(row, column);
    switch (data.kind(column)) {
    case ResultSet::Kind::Text:
        out.isText = true;
        out.text = ResultSet::displayText(v);
        return out;
    case ResultSet::Kind::Number:
        out.number = data.number(row, column);
        return out;
    case ResultSet::Kind::Date:
        out.number = dateSerial(data.date(row, column));
        return out;
    case ResultSet::Kind::Unknown:
        break;
    }
    switch (v.typeId()) {
    case QMetaType::UnknownType:
        out.isText = true;
        return out;
    case QMetaType::QDate:
        out.number = dateSerial(v.toDate());
        return out;
    case QMetaType::QString: {
        static const QRegularExpression iso(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$"));
        const QString s = v.toString();
        if (iso.match(s).hasMatch()) {
            const QDate d = QDate::fromString(s, Qt::ISODate);
            if (d.isValid()) {
                out.number = dateSerial(d);
                return out;
            }
        }
        out.isText = true;
        out.text = s;
        return out;
    }
    default:
        if (v.isNull()) {
            out.isText = true;
            return out;
        }
        out.number = data.number(row, column);
        if (v.typeId() == QMetaType::Bool)
            out.number = v.toBool() ? 1 : 0;
        return out;
    }
}

QHash<QString, int> fieldMarkers(const ResultSet &data)
{
    QHash<QString, int> markers;
    for (int i = 0; i < data.columnCount(); ++i) {
        const QString key = u'#' + data.columns()[i].toUpper();
        if (!markers.contains(key))
            markers.insert(key, i);
    }
    return markers;
}

void writeVariant(xls::Workbook &book, int row, int col, const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        book.setEmptyText(row, col);
        return;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
        book.setInteger(row, col, value.toLongLong());
        return;
    case QMetaType::Double:
    case QMetaType::Float:
        book.setNumber(row, col, value.toDouble());
        return;
    case QMetaType::Bool:
        book.setInteger(row, col, value.toBool() ? 1 : 0);
        return;
    case QMetaType::QDate:
        book.setNumber(row, col, dateSerial(value.toDate()));
        return;
    default: {
        if (value.isNull()) {
            book.setEmptyText(row, col);
            return;
        }
        const QString text = value.toString();
        if (text.isEmpty())
            book.setEmptyText(row, col);
        else
            book.setText(row, col, text.toStdString());
    }
    }
}

QString variantText(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return QString();
    case QMetaType::Double:
    case QMetaType::Float:
        return shortestNumber(value.toDouble());
    case QMetaType::QDate:
        return value.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    default:
        return value.isNull() ? QString() : value.toString();
    }
}

void engine(const std::function<void()> &call)
{
    try {
        call();
    } catch (const xls::Error &e) {
        throw Error(QString::fromStdString(e.what()));
    }
}

void fillDetailRow(xls::Workbook &book, int row, const ResultSet &data, int rec,
                   const QHash<QString, int> &fields, const std::function<void(int col)> &writeZero)
{
    const int cols = book.colCount();
    for (int c = 1; c <= cols; ++c) {
        const QString t = cellMarker(book, row, c);
        if (t.isEmpty())
            continue;
        if (t == QStringLiteral("%NRCRT")) {
            book.setInteger(row, c, rec + 1);
            continue;
        }
        const auto it = fields.constFind(t);
        if (it == fields.constEnd())
            continue;
        const FieldValue v = fieldValue(data, rec, *it);
        if (v.isText) {
            if (v.text.isEmpty())
                book.setEmptyText(row, c);
            else
                book.setText(row, c, v.text.toStdString());
        } else if (v.number != 0) {
            book.setNumber(row, c, v.number);
        } else {
            writeZero(c);
        }
    }
}

} // namespace ogx::reportcells
