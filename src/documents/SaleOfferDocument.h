#pragma once
// The request and offer for the sale of a leased parcel ("Cerere si oferta pentru
// vanzare"), filled from "COf.rtf" of the Data directory and produced anew every time.

#include "datastore/Clock.h"
#include "datastore/ShellOpener.h"
#include "datastore/Workspace.h"
#include "documents/ContractDocument.h"
#include "documents/DocumentRecords.h"

#include <QString>

namespace ogx {

// What the price dialog ("Cerere si Oferta de vanzare") holds: the price as typed, "0" at
// first and afterwards the last price typed.
struct SalePrice {
    QString Pret = QStringLiteral("0");
};

// The hint shown on the price when "&Continuare" refuses it.
inline QString missingPriceHint() { return QStringLiteral("Lipseste Pretul!"); }

// "&Continuare" accepts only a price of 1 or more.
bool SalePriceAccepted(const QString &pret);

// Every placeholder and value of the sale offer, in the order they are registered.
RtfPairs SaleOfferPairs(const ContractRecord &contract, const ParcelRecord &parcel, const QString &price,
                        const QDate &today);

class SaleOfferDocument {
public:
    SaleOfferDocument(const Workspace &ws, ShellOpener &shell, const Clock &clock);

    // Fills "<Data directory>/COf.rtf" into "COF<n>.rtf" of the program directory and opens
    // it; returns its path. Nothing is logged. Throws ogx::Error when the template is missing
    // (it is not reinstalled here) or the document cannot be written.
    QString Produce(const ContractRecord &contract, const ParcelRecord &parcel, const QString &price);

private:
    const Workspace &m_ws;
    ShellOpener &m_shell;
    const Clock &m_clock;
};

} // namespace ogx
