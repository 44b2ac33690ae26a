#pragma once
// The written contract of one contract ("Listeaza Contract"), filled from the contract
// templates of the Data directory with one table row per parcel.
//
// The produced document is kept as "C<IDCON>.rtf" in the Data directory; while it exists
// it is opened as it is, so that what the operator changed in it survives.

#include "datastore/ShellOpener.h"
#include "datastore/Workspace.h"
#include "documents/DocumentRecords.h"

#include <QList>
#include <QString>

#include <functional>
#include <utility>

namespace ogx {

using RtfPairs = QList<std::pair<QString, QString>>;

// Template file name for a contract type: "ModCon3.rtf" for exactly "ARENDA", else
// "ModCon4.rtf".
QString ContractTemplateName(const QString &tipCon);

// The clause printed after the rent value for a kind of value ("LEI", "KG/HA", "PROCENT",
// "EURO", "USD", "PRET FIX"). A kind outside the list prints as itself.
QString PaymentClause(const QString &tipPlata);

// "<months> (<words>) luni", or "<years> (<words>) ani" when the months between the start
// and the end (days ignored) make whole years. Empty when a date is missing.
QString DurationText(const QDate &start, const QDate &end);

// Every placeholder and value of the contract document, in the order they are registered.
// Parcel rows are numbered from 1 in the order given; rows after the last parcel up to 80
// are blanked.
RtfPairs ContractPairs(const ContractRecord &contract, const QList<ParcelRecord> &parcels);

class ContractDocument {
public:
    ContractDocument(const Workspace &ws, ShellOpener &shell);

    // Writes the missing templates back into the Data directory (the start-up's installer).
    std::function<void()> installTemplates;
    // Writes one line of the action log.
    std::function<void(const QString &)> writeLog;

    // "<Data directory>/C<IDCON>.rtf".
    QString storedDocumentPath(qint64 idcon) const;

    // Opens the stored document when there is one; otherwise fills a working copy of the
    // contract's template (program directory, "ModCon<n>.rtf"), stores the result, opens it
    // and logs "Vizualizare/Listare Contract <NUME2>". Returns the document's path. Throws
    // ogx::Error when the template cannot be read or the document cannot be written.
    QString List(const ContractRecord &contract, const QList<ParcelRecord> &parcels);

private:
    const Workspace &m_ws;
    ShellOpener &m_shell;
};

} // namespace ogx
