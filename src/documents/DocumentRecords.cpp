#include "documents/DocumentRecords.h"

#include "dbf/Numbers.h"

namespace ogx {

QString numberText(double value)
{
    return QString::fromStdString(dbf::formatTrimmed(value, 4));
}

QString numberText(qint64 value)
{
    return QString::number(value);
}

QString dateText(const QDate &date)
{
    return date.isValid() ? date.toString(QStringLiteral("dd.MM.yyyy")) : QString();
}

} // namespace ogx
