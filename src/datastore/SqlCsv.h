#pragma once
// `ogorix-cli sql "..."`: one SQLite statement over the tables Contract, Parcele, Plati2 and
// Log of the Data directory, printed as CSV.

#include <QString>

class QTextStream;

namespace ogx {

class Database;

// Runs `sql` and writes CSV to `out`: a header row with the column names, then one line per
// row; fields separated by ",", quoted with '"' (doubled inside) when they hold a comma, a
// quote or a line break; NULL as an empty field; table dates as dd.MM.yyyy; numbers with ".".
// A statement that would change anything is refused (ogx::Error) unless `allowWrite`; an
// allowed change prints its result rows, if any. Returns the number of rows printed, or
// for a change without result rows the number of rows it changed.
int runSqlCsv(Database &db, const QString &sql, bool allowWrite, QTextStream &out);

// One CSV field as above.
QString csvField(const QString &text);

} // namespace ogx
