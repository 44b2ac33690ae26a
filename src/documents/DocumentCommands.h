#pragma once
// The document commands of the register over the tables: the contract and its parcels are
// read by their identifiers, then filled as ContractDocument and SaleOfferDocument do.

#include "datastore/ShellOpener.h"
#include "documents/DocumentRecords.h"

#include <QList>
#include <QString>

#include <optional>

namespace ogx {

class Database;

// The contract IDCON, or nothing when there is no such row.
std::optional<ContractRecord> LoadContract(Database &db, qint64 idcon);
// The parcels of the contract IDCON in the order of the register's parcel list (IDPARC).
QList<ParcelRecord> LoadParcels(Database &db, qint64 idcon);
// The parcel IDPARC, or nothing.
std::optional<ParcelRecord> LoadParcel(Database &db, qint64 idparc);

// "Listeaza Contract": opens the stored document "C<IDCON>.rtf" when there is one;
// otherwise fills the contract's template (installing missing templates first), stores and
// opens the document and logs "Vizualizare/Listare Contract <NUME2>". Returns the
// document's path. Throws ogx::Error for an unknown contract or a failed document.
QString ListContract(Database &db, ShellOpener &shell, qint64 idcon);

// "Cerere si oferta pentru vanzare" of the parcel IDPARC at the price as typed (accepted by
// SalePriceAccepted). Returns the produced document's path. Throws ogx::Error for an
// unknown parcel or contract or a failed document.
QString ProduceSaleOffer(Database &db, ShellOpener &shell, qint64 idparc, const QString &price);

} // namespace ogx
