#include "documents/DocumentRecords.h"

#include "datastore/ResultSet.h"
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

ContractRecord contractFromRow(const ResultSet &r, int row)
{
    ContractRecord c;
    auto t = [&](const char *name) {
        const int i = r.columnIndex(QLatin1String(name));
        return i < 0 ? QString() : r.text(row, i);
    };
    auto n = [&](const char *name) {
        const int i = r.columnIndex(QLatin1String(name));
        return i < 0 ? 0.0 : r.number(row, i);
    };
    auto d = [&](const char *name) {
        const int i = r.columnIndex(QLatin1String(name));
        return i < 0 ? QDate() : r.date(row, i);
    };
    c.IDCON = qint64(n("IDCON"));
    c.TIPCON = t("TIPCON");
    c.NRCON = qint64(n("NRCON"));
    c.NRCPER = t("NRCPER");
    c.DATACON = d("DATACON");
    c.NRINREG = qint64(n("NRINREG"));
    c.NRIPER = t("NRIPER");
    c.DATAINREG = d("DATAINREG");
    c.EXPIRA = d("EXPIRA");
    c.NUME1 = t("NUME1");
    c.CNP1 = t("CNP1");
    c.ADRESA1 = t("ADRESA1");
    c.LOC1 = t("LOC1");
    c.JUD1 = t("JUD1");
    c.MAMA = t("MAMA");
    c.TATA = t("TATA");
    c.CISERIA = t("CISERIA");
    c.CINR = t("CINR");
    c.CIPOL = t("CIPOL");
    c.ACTP = t("ACTP");
    c.TELEFON = t("TELEFON");
    c.EMAIL = t("EMAIL");
    c.NOTIFICARI = t("NOTIFICARI");
    c.NUME2 = t("NUME2");
    c.CNP2 = t("CNP2");
    c.SUPRAFT = n("SUPRAFT");
    c.VALOARE = n("VALOARE");
    c.TIPPLATA = t("TIPPLATA");
    c.OBS = t("OBS");
    c.FISIER = t("FISIER");
    c.ADRESA2 = t("ADRESA2");
    c.LOC2 = t("LOC2");
    c.JUD2 = t("JUD2");
    return c;
}

ParcelRecord parcelFromRow(const ResultSet &r, int row)
{
    ParcelRecord p;
    auto t = [&](const char *name) {
        const int i = r.columnIndex(QLatin1String(name));
        return i < 0 ? QString() : r.text(row, i);
    };
    auto n = [&](const char *name) {
        const int i = r.columnIndex(QLatin1String(name));
        return i < 0 ? 0.0 : r.number(row, i);
    };
    p.IDCON = qint64(n("IDCON"));
    p.IDPARC = qint64(n("IDPARC"));
    p.TARLADEN = t("TARLADEN");
    p.TARLANR = t("TARLANR");
    p.PARCNR = qint64(n("PARCNR"));
    p.PARCDET = t("PARCDET");
    p.BLOCF = qint64(n("BLOCF"));
    p.CATEG = t("CATEG");
    p.CULTURA = t("CULTURA");
    p.SUPRAF = n("SUPRAF");
    p.SUPU = n("SUPU");
    p.VECINN = t("VECINN");
    p.VECINE = t("VECINE");
    p.VECINS = t("VECINS");
    p.VECINV = t("VECINV");
    p.APARCNR = qint64(n("APARCNR"));
    p.ACULTNR = t("ACULTNR");
    p.NRCAD = t("NRCAD");
    p.NRCADOLD = t("NRCADOLD");
    p.LOCALIT = t("LOCALIT");
    p.SIRUTA = qint64(n("SIRUTA"));
    p.ACT = t("ACT");
    return p;
}

} // namespace ogx
