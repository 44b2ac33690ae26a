#include "contracts/RegisterFilter.h"

#include "datastore/Schema.h"

#include <QStringList>

namespace ogx {

namespace {

struct Builder {
    QStringList sql;
    QStringList shown;
    QVariantList params;

    // Prefix match on a blank-padded text field: the stored value, padded with blanks to
    // the length of the typed text, begins with the typed text.
    void prefix(const char *field, const QString &typed)
    {
        const QString f = QLatin1String(field);
        sql << u"(substr(COALESCE(" % f % u",'') || ?, 1, ?) = ?)";
        params << QString(typed.size(), u' ') << typed.size() << typed;
        shown << u"(" % f % u"='" % typed % u"*')";
    }
    void equals(const char *field, qint64 value)
    {
        const QString f = QLatin1String(field);
        sql << u"(" % f % u" = ?)";
        params << value;
        shown << u"(" % f % u"=" % QString::number(value) % u")";
    }
};

Builder build(const RegisterFilter &filter, const QDate &today)
{
    Builder b;
    if (!filter.lessor.trimmed().isEmpty())
        b.prefix("NUME1", filter.lessor);
    if (!filter.lessee.trimmed().isEmpty())
        b.prefix("NUME2", filter.lessee);
    if (!filter.type.isEmpty())
        b.prefix("TIPCON", filter.type);
    if (filter.onlyActive) {
        b.sql << QStringLiteral("(EXPIRA >= ?)");
        b.params << today;
        b.shown << u"(EXPIRA>='" % today.toString(QStringLiteral("dd.MM.yyyy")) % u"')";
    }
    if (filter.number >= 1)
        b.equals("NRCON", filter.number);
    if (filter.regNumber >= 1)
        b.equals("NRINREG", filter.regNumber);
    if (!filter.suffix.trimmed().isEmpty())
        b.prefix("NRCPER", filter.suffix);
    if (!filter.regSuffix.trimmed().isEmpty())
        b.prefix("NRIPER", filter.regSuffix);
    return b;
}

bool hasField(const std::vector<dbf::Field> &layout, const QString &name)
{
    for (const auto &f : layout)
        if (QString::fromStdString(f.name).compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

} // namespace

SqlCondition FilterCondition(const RegisterFilter &filter, const QDate &today)
{
    Builder b = build(filter, today);
    return {b.sql.join(QStringLiteral(" AND ")), b.params};
}

QString FilterExpression(const RegisterFilter &filter, const QDate &today)
{
    return build(filter, today).shown.join(QStringLiteral(" AND "));
}

QString DefaultContractOrder() { return QStringLiteral("DATACON, NRCON, NRCPER"); }
QString DefaultParcelOrder() { return QStringLiteral("IDPARC"); }

QString ContractOrderFor(const QString &field)
{
    const QString f = field.trimmed().toUpper();
    if (f == u"NRCON" || f == u"NRCPER")
        return QStringLiteral("NRCON, NRCPER");
    if (f == u"NRINREG" || f == u"NRIPER")
        return QStringLiteral("NRINREG, NRIPER");
    return hasField(contractLayout(), f) ? f : QString();
}

QString ParcelOrderFor(const QString &field)
{
    const QString f = field.trimmed().toUpper();
    return hasField(parceleLayout(), f) ? f : QString();
}

} // namespace ogx
