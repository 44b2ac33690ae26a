#include "datastore/ActionLog.h"

#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/Error.h"
#include "datastore/Settings.h"

#include "dbf/Numbers.h"

namespace ogx {

namespace {

bool isIdentifier(const QString &s)
{
    if (s.isEmpty())
        return false;
    for (QChar c : s)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_')
            return false;
    return true;
}

} // namespace

void WriteLog(Database &db, const QString &text)
{
    const qlonglong id = db.settings().NextId(QStringLiteral("IDLOG")).toLongLong();
    db.exec(QStringLiteral("INSERT INTO Log (IDLOG, DATAL, ORA, ACTIUNE, UTILIZATOR) VALUES (?, ?, ?, ?, ?)"),
            {id, db.clock().today(), db.clock().now().toString(QStringLiteral("HH:mm:ss")), text.left(120),
             db.workspace().operatorText.left(16)});
}

void PurgeLog(Database &db)
{
    Transaction t(db);
    const ResultSet r = db.query(QStringLiteral(
        "SELECT COUNT(*) AS N, (SELECT IDLOG FROM Log WHERE rowid = (SELECT MAX(rowid) FROM Log)) AS L FROM Log"));
    const qint64 rows = r.integer(0, 0);
    if (rows < 1000 || r.isNull(0, 1)) {
        t.commit();
        return;
    }
    const qint64 last = r.integer(0, 1);
    db.exec(QStringLiteral("DELETE FROM Log WHERE IDLOG < ?"), {last - 1000});
    t.commit();
}

void SyncIdCounters(Database &db)
{
    struct Pair {
        const char *table;
        const char *key;
    };
    static const Pair pairs[] = {{"Contract", "IDCON"}, {"Parcele", "IDPARC"}, {"Log", "IDLOG"}, {"Plati2", "IDPLATA"}};
    const bool wasExclusive = db.isExclusive();
    const bool alone = wasExclusive || db.tryExclusive();
    try {
        for (const Pair &p : pairs) {
            const QString table = QString::fromLatin1(p.table);
            const QString key = QString::fromLatin1(p.key);
            qint64 next = 1;
            if (db.isAttached(table)) {
                const ResultSet r = db.query(QStringLiteral("SELECT MAX(%1) AS NRXX FROM %2").arg(key, table));
                next = static_cast<qint64>(r.number(0, 0)) + 1;
            }
            if (alone) {
                db.settings().SetNextId(key, static_cast<double>(next));
            } else {
                db.settings().settingsFile().update(QStringLiteral("INDEX"), key, [next](const std::optional<QString> &cur) {
                    const auto stored = cur ? dbf::parseNumber(cur->trimmed().toStdString()) : std::nullopt;
                    const double v = std::max(stored ? *stored : 0.0, static_cast<double>(next));
                    return QString::fromStdString(dbf::formatTrimmed(v, 4));
                });
            }
        }
    } catch (...) {
        if (!wasExclusive && alone)
            db.endExclusive();
        throw;
    }
    if (!wasExclusive && alone)
        db.endExclusive();
}

QStringList FillComboDistinct(Database &db, const QString &table, const QString &condition, const QString &field,
                              const QVariantList &params)
{
    if (!isIdentifier(table) || !isIdentifier(field))
        throw Error(QStringLiteral("FillComboDistinct: invalid table or column name"));
    QString sql = QStringLiteral("SELECT DISTINCT %1 FROM %2").arg(field, table);
    if (!condition.trimmed().isEmpty())
        sql += QStringLiteral(" WHERE ") + condition;
    sql += QStringLiteral(" ORDER BY ") + field;
    const ResultSet r = db.query(sql, params);
    QStringList out;
    for (int i = 0; i < r.rowCount(); ++i) {
        const QString v = r.text(i, 0);
        if (!v.trimmed().isEmpty())
            out << v;
    }
    return out;
}

} // namespace ogx
