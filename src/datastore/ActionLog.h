#pragma once
// The action log, identifier resynchronisation and distinct-value lists.

#include <QString>
#include <QStringList>
#include <QVariantList>

namespace ogx {

class Database;

// Appends one row to Log: IDLOG from NextId("IDLOG"), DATAL today, ORA the time as
// "HH:mm:ss", ACTIUNE the text (cut at 120 characters), UTILIZATOR the operator text of
// the workspace (cut at 16). Inside an open Transaction the row commits or rolls back
// with the caller's changes. Throws ogx::Error.
void WriteLog(Database &db, const QString &text);

// Keeps the log short: with 1000 rows or more, deletes every row whose IDLOG is below
// (IDLOG of the last row in file order) - 1000. Deleted rows are never packed away.
void PurgeLog(Database &db);

// For (Contract, IDCON), (Parcele, IDPARC), (Log, IDLOG), (Plati2, IDPLATA): the counter
// in section INDEX becomes MAX(key) + 1 (1 for an empty table). When other workstations
// are working on the Data directory the counters are only ever raised, never lowered, so
// an identifier another workstation has just taken is not handed out again.
void SyncIdCounters(Database &db);

// SELECT DISTINCT <field> FROM <table> [WHERE <condition>] ORDER BY <field>: the values as
// text (dates dd.MM.yyyy), untrimmed, leaving out those that are blank after trimming.
// `condition` is SQL written by the caller (never user input: pass values as `params`).
QStringList FillComboDistinct(Database &db, const QString &table, const QString &condition, const QString &field,
                              const QVariantList &params = {});

} // namespace ogx
