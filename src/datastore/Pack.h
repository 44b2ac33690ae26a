#pragma once
// Packing: deleted rows are removed from the table files for good. Packing renumbers the
// records, so it needs every other workstation gone (exclusive use of the Data directory).

#include <QDate>
#include <QString>

#include <functional>

namespace ogx {

class Database;

// Whole weeks from 30.12.1899 to `day`.
int weeksSince1899(const QDate &day);

enum class PackResult {
    NotDue,  // packed already this week
    Packed,  // Contract, Parcele and Plati2 packed, CONST/LASTPACK holds this week
    Busy,    // other workstations are working: nothing done, LASTPACK unchanged, so the
             // next start tries again
};

// The weekly pack of the start-up: when the integer part of CONST/LASTPACK differs from
// this week, writes the week into LASTPACK and packs Contract, Parcele and Plati2 in this
// order (the log is never packed). `step` is called once per table whatever happens (the
// splash progress). A failing pack throws ogx::Error.
PackResult WeeklyPack(Database &db, const std::function<void()> &step = {});

// Packs one table now (exclusive use must be held; see Database::tryExclusive).
void PackTable(Database &db, const QString &table);

// ogorix-cli "pack": takes exclusive use, packs Contract, Parcele, Plati2 and Log, returns
// to shared use. Throws ogx::Error when other workstations are working.
void PackNow(Database &db);

} // namespace ogx
