#pragma once
// The conditions of the register's search panel ("Cautare dupa:") and the orderings of
// its two lists.
//
// Text conditions are prefix matches on the field as the table stores it (blank-padded to
// its width): "POP" finds every name that begins with POP. Every value is bound as a
// parameter and compared literally, so quotes, "%", "_" and "*" typed by the operator
// match themselves.

#include <QDate>
#include <QString>
#include <QVariantList>

namespace ogx {

struct RegisterFilter {
    QString lessor;        // "Arendator" (NUME1), as typed; blank: no condition
    QString lessee;        // "Arendas" (NUME2)
    QString type;          // "Tip Contract" (TIPCON); empty: "* indiferent *"
    bool onlyActive = true; // "Afiseaza doar contractele active": EXPIRA on or after today
    qint64 number = 0;     // contract number (NRCON); below 1: no condition
    QString suffix;        // NRCPER
    qint64 regNumber = 0;  // registration number (NRINREG)
    QString regSuffix;     // NRIPER
};

// A WHERE condition with its bound values; `where` is empty when nothing narrows the list.
struct SqlCondition {
    QString where;
    QVariantList params;
};

// The SQL condition of a filter over the Contract table.
SqlCondition FilterCondition(const RegisterFilter &filter, const QDate &today);

// The same conditions as the operator would read them, in the order they apply, for
// example "(NUME1='POP*') AND (EXPIRA>='10.12.2026')"; empty when nothing narrows the list.
QString FilterExpression(const RegisterFilter &filter, const QDate &today);

// Orderings. A contract title click orders by its field; NRCON and NRCPER order by
// "NRCON, NRCPER", NRINREG and NRIPER by "NRINREG, NRIPER". Unknown names give an empty
// text (no reordering).
QString DefaultContractOrder(); // "DATACON, NRCON, NRCPER"
QString ContractOrderFor(const QString &field);
QString DefaultParcelOrder();   // "IDPARC"
QString ParcelOrderFor(const QString &field);

} // namespace ogx
