#include "datastore/Pack.h"

#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Settings.h"

#include <cmath>

namespace ogx {

namespace {
const QStringList &packedTables()
{
    static const QStringList t{QStringLiteral("Contract"), QStringLiteral("Parcele"), QStringLiteral("Plati2")};
    return t;
}
} // namespace

int weeksSince1899(const QDate &day)
{
    const qint64 days = QDate(1899, 12, 30).daysTo(day);
    return static_cast<int>(days >= 0 ? days / 7 : -((-days + 6) / 7));
}

void PackTable(Database &db, const QString &table)
{
    db.packTable(table);
}

PackResult WeeklyPack(Database &db, const std::function<void()> &step)
{
    auto steps = [&](int n) {
        for (int i = 0; i < n && step; ++i)
            step();
    };
    const int week = weeksSince1899(db.clock().today());
    const double last = db.settings().ReadSettingNumber(QStringLiteral("CONST"), QStringLiteral("LASTPACK"));
    if (static_cast<qint64>(std::trunc(last)) == week) {
        steps(3);
        return PackResult::NotDue;
    }
    const bool wasExclusive = db.isExclusive();
    if (!wasExclusive && !db.tryExclusive()) {
        // Packing renumbers records under the other workstations' feet: wait for a start
        // where this program is alone.
        steps(3);
        return PackResult::Busy;
    }
    int done = 0;
    try {
        db.settings().WriteSettingNumber(QStringLiteral("CONST"), QStringLiteral("LASTPACK"), week);
        for (const QString &t : packedTables()) {
            if (db.tableExists(t))
                db.packTable(t);
            ++done;
            steps(1);
        }
    } catch (...) {
        steps(3 - done);
        if (!wasExclusive)
            db.endExclusive();
        throw;
    }
    if (!wasExclusive)
        db.endExclusive();
    return PackResult::Packed;
}

void PackNow(Database &db)
{
    const bool wasExclusive = db.isExclusive();
    if (!wasExclusive && !db.tryExclusive())
        throw Error(QStringLiteral("Alte statii lucreaza cu baza de date din %1; compactarea cere ca ele sa iasa din "
                                   "program.")
                        .arg(db.workspace().dataDir));
    try {
        for (const QString &t : packedTables() + QStringList{QStringLiteral("Log")})
            if (db.tableExists(t))
                db.packTable(t);
    } catch (...) {
        if (!wasExclusive)
            db.endExclusive();
        throw;
    }
    if (!wasExclusive)
        db.endExclusive();
}

} // namespace ogx
