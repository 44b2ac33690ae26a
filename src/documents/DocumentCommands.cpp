#include "documents/DocumentCommands.h"

#include "datastore/ActionLog.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Templates.h"
#include "documents/ContractDocument.h"
#include "documents/SaleOfferDocument.h"

#include <QFileInfo>

namespace ogx {


std::optional<ContractRecord> LoadContract(Database &db, qint64 idcon)
{
    const ResultSet r = db.query(QStringLiteral("SELECT * FROM Contract WHERE IDCON = ?"), {qlonglong(idcon)});
    if (r.isEmpty())
        return std::nullopt;
    return contractFromRow(r, 0);
}

QList<ParcelRecord> LoadParcels(Database &db, qint64 idcon)
{
    const ResultSet r = db.query(QStringLiteral("SELECT * FROM Parcele WHERE IDCON = ? ORDER BY IDPARC"),
                                 {qlonglong(idcon)});
    QList<ParcelRecord> parcels;
    for (int i = 0; i < r.rowCount(); ++i)
        parcels.append(parcelFromRow(r, i));
    return parcels;
}

std::optional<ParcelRecord> LoadParcel(Database &db, qint64 idparc)
{
    const ResultSet r = db.query(QStringLiteral("SELECT * FROM Parcele WHERE IDPARC = ?"), {qlonglong(idparc)});
    if (r.isEmpty())
        return std::nullopt;
    return parcelFromRow(r, 0);
}

QString ListContract(Database &db, ShellOpener &shell, qint64 idcon)
{
    const std::optional<ContractRecord> contract = LoadContract(db, idcon);
    if (!contract)
        throw Error(QStringLiteral("Contractul cu IDCON %1 nu exista.").arg(idcon));
    const Workspace &ws = db.workspace();
    ContractDocument doc(ws, shell);
    doc.installTemplates = [&ws] { InstallTemplates(ws); };
    doc.writeLog = [&db](const QString &line) { WriteLog(db, line); };
    // The stored document is opened without reading the parcels.
    if (QFileInfo::exists(doc.storedDocumentPath(idcon)))
        return doc.List(*contract, {});
    return doc.List(*contract, LoadParcels(db, idcon));
}

QString ProduceSaleOffer(Database &db, ShellOpener &shell, qint64 idparc, const QString &price)
{
    const std::optional<ParcelRecord> parcel = LoadParcel(db, idparc);
    if (!parcel)
        throw Error(QStringLiteral("Parcela cu IDPARC %1 nu exista.").arg(idparc));
    const std::optional<ContractRecord> contract = LoadContract(db, parcel->IDCON);
    if (!contract)
        throw Error(QStringLiteral("Contractul cu IDCON %1 nu exista.").arg(parcel->IDCON));
    SaleOfferDocument offer(db.workspace(), shell, db.clock());
    return offer.Produce(*contract, *parcel, price);
}

} // namespace ogx
