#include "datastore/ResultSet.h"

#include "datastore/Error.h"
#include "dbf/Numbers.h"

#include <charconv>
#include <cmath>

namespace ogx {

namespace {
const QVariant &nullValue()
{
    static const QVariant v;
    return v;
}

QString doubleText(double d)
{
    if (!std::isfinite(d))
        return QString();
    char buf[400];
    const auto r = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::fixed);
    QString s = QString::fromLatin1(buf, static_cast<int>(r.ptr - buf));
    if (s == u"-0")
        s = QStringLiteral("0");
    return s;
}
} // namespace

int ResultSet::columnIndex(const QString &name) const
{
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

int ResultSet::require(const QString &column) const
{
    const int i = columnIndex(column);
    if (i < 0)
        throw Error(QStringLiteral("The query result has no column %1").arg(column));
    return i;
}

const QVariant &ResultSet::value(int row, int column) const
{
    if (row < 0 || row >= m_rows.size() || column < 0 || column >= m_rows[row].size())
        return nullValue();
    return m_rows[row][column];
}

const QVariant &ResultSet::value(int row, const QString &column) const { return value(row, require(column)); }

QString ResultSet::displayText(const QVariant &v)
{
    if (v.isNull() || !v.isValid())
        return QString();
    switch (v.typeId()) {
    case QMetaType::QDate:
        return v.toDate().toString(QStringLiteral("dd.MM.yyyy"));
    case QMetaType::Double:
        return doubleText(v.toDouble());
    case QMetaType::LongLong:
    case QMetaType::Int:
        return QString::number(v.toLongLong());
    default:
        return v.toString();
    }
}

QString ResultSet::text(int row, int column) const { return displayText(value(row, column)); }
QString ResultSet::text(int row, const QString &column) const { return text(row, require(column)); }

double ResultSet::number(int row, int column) const
{
    const QVariant &v = value(row, column);
    switch (v.typeId()) {
    case QMetaType::Double:
        return v.toDouble();
    case QMetaType::LongLong:
    case QMetaType::Int:
        return static_cast<double>(v.toLongLong());
    case QMetaType::QString: {
        const auto n = dbf::parseNumber(v.toString().toStdString());
        return n ? *n : 0;
    }
    default:
        return 0;
    }
}
double ResultSet::number(int row, const QString &column) const { return number(row, require(column)); }

qint64 ResultSet::integer(int row, int column) const
{
    const QVariant &v = value(row, column);
    if (v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int)
        return v.toLongLong();
    const double d = number(row, column);
    return static_cast<qint64>(std::trunc(d));
}
qint64 ResultSet::integer(int row, const QString &column) const { return integer(row, require(column)); }

QDate ResultSet::date(int row, int column) const
{
    const QVariant &v = value(row, column);
    if (v.typeId() == QMetaType::QDate)
        return v.toDate();
    if (v.typeId() == QMetaType::QString)
        return QDate::fromString(v.toString(), Qt::ISODate);
    return QDate();
}
QDate ResultSet::date(int row, const QString &column) const { return date(row, require(column)); }

} // namespace ogx
