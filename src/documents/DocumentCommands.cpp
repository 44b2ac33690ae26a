#include "documents/DocumentCommands.h"

#include "datastore/ActionLog.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Templates.h"
#include "documents/ContractDocument.h"
#include "documents/SaleOfferDocument.h"

#include <QFileInfo>

namespace ogx {

namespace {

ContractRecord contractAt(const ResultSet &r, int i)
{
    ContractRecord c;
    c.IDCON = r.integer(i, QStringLiteral("IDCON"));
    c.TIPCON = r.text(i, QStringLiteral("TIPCON"));
    c.NRCON = r.integer(i, QStringLiteral("NRCON"));
    c.NRCPER = r.text(i, QStringLiteral("NRCPER"));
    c.DATACON = r.date(i, QStringLiteral("DATACON"));
    c.NRINREG = r.integer(i, QStringLiteral("NRINREG"));
    c.NRIPER = r.text(i, QStringLiteral("NRIPER"));
    c.DATAINREG = r.date(i, QStringLiteral("DATAINREG"));
    c.EXPIRA = r.date(i, QStringLiteral("EXPIRA"));
    c.NUME1 = r.text(i, QStringLiteral("NUME1"));
    c.CNP1 = r.text(i, QStringLiteral("CNP1"));
    c.ADRESA1 = r.text(i, QStringLiteral("ADRESA1"));
    c.LOC1 = r.text(i, QStringLiteral("LOC1"));
    c.JUD1 = r.text(i, QStringLiteral("JUD1"));
    c.MAMA = r.text(i, QStringLiteral("MAMA"));
    c.TATA = r.text(i, QStringLiteral("TATA"));
    c.CISERIA = r.text(i, QStringLiteral("CISERIA"));
    c.CINR = r.text(i, QStringLiteral("CINR"));
    c.CIPOL = r.text(i, QStringLiteral("CIPOL"));
    c.ACTP = r.text(i, QStringLiteral("ACTP"));
    c.TELEFON = r.text(i, QStringLiteral("TELEFON"));
    c.EMAIL = r.text(i, QStringLiteral("EMAIL"));
    c.NOTIFICARI = r.text(i, QStringLiteral("NOTIFICARI"));
    c.NUME2 = r.text(i, QStringLiteral("NUME2"));
    c.CNP2 = r.text(i, QStringLiteral("CNP2"));
    c.SUPRAFT = r.number(i, QStringLiteral("SUPRAFT"));
    c.VALOARE = r.number(i, QStringLiteral("VALOARE"));
    c.TIPPLATA = r.text(i, QStringLiteral("TIPPLATA"));
    c.OBS = r.text(i, QStringLiteral("OBS"));
    c.FISIER = r.text(i, QStringLiteral("FISIER"));
    c.ADRESA2 = r.text(i, QStringLiteral("ADRESA2"));
    c.LOC2 = r.text(i, QStringLiteral("LOC2"));
    c.JUD2 = r.text(i, QStringLiteral("JUD2"));
    return c;
}

ParcelRecord parcelAt(const ResultSet &r, int i)
{
    ParcelRecord p;
    p.IDCON = r.integer(i, QStringLiteral("IDCON"));
    p.IDPARC = r.integer(i, QStringLiteral("IDPARC"));
    p.TARLADEN = r.text(i, QStringLiteral("TARLADEN"));
    p.TARLANR = r.text(i, QStringLiteral("TARLANR"));
    p.PARCNR = r.integer(i, QStringLiteral("PARCNR"));
    p.PARCDET = r.text(i, QStringLiteral("PARCDET"));
    p.BLOCF = r.integer(i, QStringLiteral("BLOCF"));
    p.CATEG = r.text(i, QStringLiteral("CATEG"));
    p.CULTURA = r.text(i, QStringLiteral("CULTURA"));
    p.SUPRAF = r.number(i, QStringLiteral("SUPRAF"));
    p.SUPU = r.number(i, QStringLiteral("SUPU"));
    p.VECINN = r.text(i, QStringLiteral("VECINN"));
    p.VECINE = r.text(i, QStringLiteral("VECINE"));
    p.VECINS = r.text(i, QStringLiteral("VECINS"));
    p.VECINV = r.text(i, QStringLiteral("VECINV"));
    p.APARCNR = r.integer(i, QStringLiteral("APARCNR"));
    p.ACULTNR = r.text(i, QStringLiteral("ACULTNR"));
    p.NRCAD = r.text(i, QStringLiteral("NRCAD"));
    p.NRCADOLD = r.text(i, QStringLiteral("NRCADOLD"));
    p.LOCALIT = r.text(i, QStringLiteral("LOCALIT"));
    p.SIRUTA = r.integer(i, QStringLiteral("SIRUTA"));
    p.ACT = r.text(i, QStringLiteral("ACT"));
    return p;
}

} // namespace

std::optional<ContractRecord> LoadContract(Database &db, qint64 idcon)
{
    const ResultSet r = db.query(QStringLiteral("SELECT * FROM Contract WHERE IDCON = ?"), {qlonglong(idcon)});
    if (r.isEmpty())
        return std::nullopt;
    return contractAt(r, 0);
}

QList<ParcelRecord> LoadParcels(Database &db, qint64 idcon)
{
    const ResultSet r = db.query(QStringLiteral("SELECT * FROM Parcele WHERE IDCON = ? ORDER BY IDPARC"),
                                 {qlonglong(idcon)});
    QList<ParcelRecord> parcels;
    for (int i = 0; i < r.rowCount(); ++i)
        parcels.append(parcelAt(r, i));
    return parcels;
}

std::optional<ParcelRecord> LoadParcel(Database &db, qint64 idparc)
{
    const ResultSet r = db.query(QStringLiteral("SELECT * FROM Parcele WHERE IDPARC = ?"), {qlonglong(idparc)});
    if (r.isEmpty())
        return std::nullopt;
    return parcelAt(r, 0);
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
