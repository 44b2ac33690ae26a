#pragma once
// Brings the tables of a Data directory written by an older version to the current layout.

#include <QString>

#include <functional>
#include <utility>

namespace ogx {

class Database;
class Progress;

// Runs once at every start, after CreateTables:
//  1. reads CONST/Versiune (the old version) and at once writes the running version;
//  2. replaces templates made obsolete by newer versions (deletes them from the Data
//     directory, then calls `installTemplates`, which writes the missing ones again);
//  3. deletes an old "Plati.dbf";
//  4. probes the layouts of Plati2, Parcele and Contract and looks for an old "Contracte.dbf";
//  5. splits "Contracte.dbf" into contracts and parcels (one transaction), then deletes it;
//  6. adds, drops and widens columns as the probe says, with their follow-up updates
//     (`currentCounty` fills Contract.JUD1 when that column is added).
// Steps 5 and 6 change table files, so they need every other workstation gone: when one is
// still working, throws ogx::Error saying so (the version key is already written, the
// column steps follow the probe and run at the next start). `progress` (may be null)
// shows the split. Other failures throw ogx::Error with the engine's text.
void UpgradeSchema(Database &db, const std::function<void()> &installTemplates, const QString &currentCounty,
                   Progress *progress = nullptr);

// The parcel number and its detail from an old parcel text: upper-cased and trimmed, the
// leading digits are the number (0 when none), one following blank, "-", ".", "/" or "\"
// is dropped, the trimmed rest is the detail. "12/a" -> (12, "A"), "B3" -> (0, "B3").
std::pair<qint64, QString> splitParcelNumber(const QString &text);

} // namespace ogx
