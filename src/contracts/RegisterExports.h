#pragma once
// The register's three spreadsheet exports, runnable from the window and from the command
// line: the listed contracts ("Export in Excel", template "Expirate"), the nominal table of
// the listed contracts ("Tabel Nominal", template "TabNom.xls" of the Data directory) and
// the parcels of one contract ("Export parcele in Excel", template "DetCon").
//
// Each saves the report through the given ExportXLSModel (which opens it through its
// shell) and returns the saved file; ogx::Error when something fails.

#include "contracts/RegisterFilter.h"
#include "datastore/Prompter.h"
#include "datastore/ResultSet.h"
#include "datastore/Workspace.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

namespace ogx {

class Database;
class ExportXLSModel;
class ReportRunner;

// What the exports list: the register's filter and ordering, and the texts of the head.
struct RegisterExportOptions {
    RegisterFilter filter;
    QString order;     // ContractOrderFor / ParcelOrderFor text; empty: the default order
    QString typeText = QStringLiteral("* indiferent *"); // "#TIPCON": the search panel's type text
    QString commune;   // "#PRIMARIE": the unit's name of the administration settings
};

// The message of a parcel export of a contract without parcels.
inline QString NoParcelsText() { return QStringLiteral("Nu aveti nici o parcela introdusa!"); }

QString ExportContracts(const Workspace &ws, Database &db, ExportXLSModel &model, const RegisterExportOptions &opt);

// The rows of the nominal table, in its order (NUME1, NDCON): NUME1, NDCON, NDINR, SUP,
// DURATA, CATEG. `contracts` are the listed contracts in screen order.
ResultSet NominalTableRows(Database &db, const ResultSet &contracts, Progress &progress);
QString ExportNominalTable(const Workspace &ws, Database &db, ExportXLSModel &model, const RegisterExportOptions &opt,
                           Progress &progress);

// Throws ogx::Error(NoParcelsText()) when the contract has no parcel.
QString ExportParcels(const Workspace &ws, Database &db, ExportXLSModel &model, qint64 idcon,
                      const QString &order = QString());

// Reads the search-panel options of the command line out of `args` (--lessor TEXT,
// --lessee TEXT, --type TEXT, --number N, --suffix TEXT, --reg-number N, --reg-suffix TEXT,
// --all, --order FIELD); what is left stays in `args`. False with a message on a bad option.
bool ParseRegisterOptions(QStringList &args, RegisterExportOptions &opt, QString &error);

// Registers the reports "contracts", "nominal" and "parcels --contract IDCON" (each with
// the options above; the commune comes from the settings file).
void addContractReports(ReportRunner &runner);

// "validate cnp|cif|email|phone TEXT": prints "valid" or "invalid" and returns 0 or 1; an
// unknown kind prints the usage on err and returns 2.
int ValidateCommand(const QStringList &args, QTextStream &out, QTextStream &err);

} // namespace ogx
