#pragma once
// The "dbf" SQLite virtual-table module and the exact SUM aggregate.
//
//   CREATE VIRTUAL TABLE temp.Contract USING dbf('/data/Contract.dbf');
//
// Columns are the table's fields in order. C fields read as TEXT (blanks on the right
// removed; an empty field reads as ''), N fields as INTEGER (no decimals) or REAL, NULL
// when blank; D fields as 'YYYY-MM-DD' TEXT or NULL (declared type "DATE TEXT", so their
// affinity is TEXT and the statement layer can tell dates apart). rowid is the 1-based
// record number; deleted records are invisible; DELETE marks a record deleted.
//
// Writes are checked before anything changes: a number too wide for its column, a date
// that is not a real 'YYYY-MM-DD' date, a character outside code page 1250, a rowid
// change: the statement fails with SQLITE_CONSTRAINT and a message naming the table and
// the column. Changes stay in memory until the transaction commits through the Store's
// journal. DROP TABLE never deletes the file.
//
// Equality constraints on any column are served from per-column hash indexes, built the
// first time they are needed.

#include <sqlite3.h>

namespace dbf {

class Store;

// Registers the module (named "dbf") on a connection; the Store must outlive it.
// Returns an SQLite result code.
int registerModule(sqlite3 *db, Store *store);

// Replaces SUM(x) on the connection by an exact decimal sum (values are added as scaled
// integers with 8 decimals, so 4000 x 0.10 is exactly 400). Integers sum to an INTEGER,
// anything else to a REAL; NULLs are skipped; no rows give NULL. Works as a window
// function too. Also registered as XSUM(x).
int registerExactSum(sqlite3 *db);

} // namespace dbf
