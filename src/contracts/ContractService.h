#pragma once
// Contracts and parcels: the register's lists, the editors' checks and every change, each
// change made in one transaction together with its line in the action log.
//
//   ContractService svc(db);
//   ContractInput in = ...;                          // what the editor holds
//   CheckOutcome out = svc.checkContract(in, -1);    // normalises `in`, then checks
//   if (ConfirmOutcome(prompter, out, lookup)) {
//       svc.rememberNewContract(in);                 // the "TEMP" values of a new contract
//       qint64 id = svc.addContract(in);
//   }
//
// Errors of the data store throw ogx::Error; the transaction is then rolled back and
// nothing (not even the log line) is stored.

#include "contracts/EditorChecks.h"
#include "contracts/RegisterFilter.h"
#include "datastore/ResultSet.h"
#include "documents/DocumentRecords.h"

#include <QDate>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace ogx {

class Database;

// The values of the contract editor. IDCON, SUPRAFT and FISIER are not edited there.
using ContractInput = ContractRecord;

// The values of the parcel editor. The SIRUTA code is a text input over a numeric column.
struct ParcelInput {
    QString ACT, TARLADEN, TARLANR;
    qint64 PARCNR = 0;
    QString PARCDET;
    qint64 BLOCF = 0;
    QString NRCAD, NRCADOLD;
    double SUPRAF = 0;
    double SUPU = 0;
    QString CATEG = QStringLiteral("Teren arabil");
    QString CULTURA, LOCALIT, SIRUTA;
    qint64 APARCNR = 0;
    QString VECINN, VECINE, VECINS, VECINV;
    QString ACULTNR;
};

// One lessee of the editor's lessee list: the greatest value of each column over the
// lessee's contracts.
struct LesseeInfo {
    QString NUME2, CNP2, ADRESA2, LOC2, JUD2;
};

// The values a new contract starts with (settings section "TEMP").
struct RememberedContract {
    QDate DATACON, EXPIRA; // invalid when absent or unreadable
    QString NUME1, CNP1, NUME2, CNP2;
};

// Fixed lists.
const QStringList &PaymentKinds();  // "LEI", "KG/HA", "PROCENT", "EURO", "USD", "PRET FIX"
const QStringList &LandCategories(); // "Teren arabil", "Pasuni naturale", ...
const QStringList &CountyList();    // the 42 counties in the system's own order

// "<NRCON>[/<NRCPER>]/<DATACON>": the suffix only when it is not blank after trimming.
QString ContractReference(const ContractRecord &c);
// The payments window's details text "<NUME1>: Contract <NRCON>[/<NRCPER>]/<DATACON>".
QString PaymentDetailsText(const ContractRecord &c);

// The parcel editor's values of a stored parcel.
ParcelInput parcelInputFrom(const ParcelRecord &p);

class ContractService {
public:
    explicit ContractService(Database &db);

    Database &database() { return m_db; }
    // "Today" of the database's clock.
    QDate today() const;

    // --- lists ----------------------------------------------------------------------
    // SELECT * FROM Contract narrowed by the filter ("today" from the database's clock),
    // ordered by `order` (a text from ContractOrderFor; empty: the default order).
    ResultSet listContracts(const RegisterFilter &filter, const QString &order = QString());
    // SELECT * FROM Parcele of one contract, ordered by `order` (ParcelOrderFor).
    ResultSet listParcels(qint64 idcon, const QString &order = QString());
    std::optional<ContractRecord> contract(qint64 idcon);
    std::optional<ParcelRecord> parcel(qint64 idparc);
    QList<ParcelRecord> parcels(qint64 idcon, const QString &order = QString());
    // Distinct non-blank values of a Contract or Parcele column, ascending.
    QStringList distinctValues(const QString &table, const QString &field);
    QList<LesseeInfo> lesseeList();
    RememberedContract rememberedContract() const;

    // --- checks ---------------------------------------------------------------------
    // The contract editor's checks, in order, for the contract `idcon` (-1 for a new one).
    // Normalises `in` first: CleanText on the texts the editor cleans, numbers rounded to
    // four decimals.
    CheckOutcome checkContract(ContractInput &in, qint64 idcon);
    // The parcel editor's checks for parcel `idparc` (-1 for a new one) of a contract
    // running from `datacon` to `expira`. Normalises `in` first.
    CheckOutcome checkParcel(ParcelInput &in, qint64 idparc, const QDate &datacon, const QDate &expira);

    // Stores the values a new contract starts with next time (after a new contract is
    // accepted; a cancelled entry changes nothing).
    void rememberNewContract(const ContractInput &in);

    // --- contracts --------------------------------------------------------------------
    // Returns the new IDCON. SUPRAFT starts at 0, FISIER empty.
    qint64 addContract(const ContractInput &in);
    // Every edited column; SUPRAFT and FISIER are kept. With `deleteDocument` the stored
    // contract document is removed once the change is stored.
    void changeContract(qint64 idcon, const ContractInput &in, bool deleteDocument = false);
    // The contract, its parcels and its Plati2 rows; then its stored document.
    void deleteContract(qint64 idcon);
    // A copy with a new IDCON and new IDPARCs: every field and parcel kept, no payments,
    // no stored document. Returns the new IDCON.
    qint64 duplicateContract(qint64 idcon);
    // Sets FISIER (an empty path forgets the attached file). The file itself is untouched.
    // Throws ogx::Error when the path does not fit the column (160 characters).
    void setAttachedFile(qint64 idcon, const QString &path);

    // --- parcels ----------------------------------------------------------------------
    qint64 addParcel(qint64 idcon, const ParcelInput &in, bool deleteDocument = false);
    void changeParcel(qint64 idparc, const ParcelInput &in, bool deleteDocument = false);
    void deleteParcel(qint64 idparc, bool deleteDocument = false);
    // Contract.SUPRAFT := the exact sum of the contract's parcel surfaces (NULL when it has
    // no parcel).
    void RecomputeContractSurface(qint64 idcon);

    // --- stored contract document ("<Data directory>/C<IDCON>.rtf") ----------------------
    QString storedDocumentPath(qint64 idcon) const;
    bool hasStoredDocument(qint64 idcon) const;

private:
    void removeStoredDocument(qint64 idcon);

    Database &m_db;
};

} // namespace ogx
