#pragma once
// A contract and a parcel as the register lists them: the values the documents print.
// Numbers are printed as their plain text with "." (no grouping, trailing zeros dropped),
// dates as dd.MM.yyyy, an invalid date as an empty text.

#include "datastore/ResultSet.h"

#include <QDate>
#include <QString>

namespace ogx {

struct ContractRecord {
    qint64 IDCON = 0;
    QString TIPCON;
    qint64 NRCON = 0;
    QString NRCPER;
    QDate DATACON;
    qint64 NRINREG = 0;
    QString NRIPER;
    QDate DATAINREG;
    QDate EXPIRA;
    QString NUME1, CNP1, ADRESA1, LOC1, JUD1, MAMA, TATA, CISERIA, CINR, CIPOL, ACTP, TELEFON, EMAIL,
        NOTIFICARI, NUME2, CNP2;
    double SUPRAFT = 0;
    double VALOARE = 0;
    QString TIPPLATA, OBS, FISIER, ADRESA2, LOC2, JUD2;
};

struct ParcelRecord {
    qint64 IDCON = 0;
    qint64 IDPARC = 0;
    QString TARLADEN, TARLANR;
    qint64 PARCNR = 0;
    QString PARCDET;
    qint64 BLOCF = 0;
    QString CATEG, CULTURA;
    double SUPRAF = 0;
    double SUPU = 0;
    QString VECINN, VECINE, VECINS, VECINV;
    qint64 APARCNR = 0;
    QString ACULTNR, NRCAD, NRCADOLD, LOCALIT;
    qint64 SIRUTA = 0;
    QString ACT;
};

// Text of a stored number: "1500.5", "3", "0.1234" (at most four decimals).
QString numberText(double value);
QString numberText(qint64 value);
// dd.MM.yyyy, or empty for an invalid date.
QString dateText(const QDate &date);

// A contract / parcel from row `row` of a query over Contract / Parcele; a column the query
// does not hold leaves its member at the default.
ContractRecord contractFromRow(const ResultSet &rows, int row);
ParcelRecord parcelFromRow(const ResultSet &rows, int row);

} // namespace ogx
