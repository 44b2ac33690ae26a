// The dbf tables under SQL against the same data in native SQLite tables with indexes.
//
// For demo registers of 1 000 and 50 000 contracts: the register query, a prefix filter,
// the parcel join, GROUP BY reports and a committed single-row change with its log line
// (native: journal_mode=DELETE, synchronous=FULL), each the median of several runs after
// a warm-up, both sides materialising their rows the same way. Then the peak memory of a
// fresh process that opens the 50 000-contract register, beside the size of its .dbf files.
//
//   storage_bench [--sizes 1000,50000]

#include "datastore/ActionLog.h"
#include "datastore/Clock.h"
#include "datastore/Database.h"
#include "datastore/DemoData.h"
#include "datastore/Schema.h"
#include "datastore/Settings.h"

#include "dbf/Store.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <sqlite3.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <vector>

using namespace ogx;

namespace {

using Clock = std::chrono::steady_clock;

double medianMs(int runs, const std::function<void()> &f)
{
    f(); // warm-up: lazily built indexes, page cache
    std::vector<double> t;
    for (int i = 0; i < runs; ++i) {
        const auto a = Clock::now();
        f();
        t.push_back(std::chrono::duration<double, std::milli>(Clock::now() - a).count());
    }
    std::sort(t.begin(), t.end());
    return t[t.size() / 2];
}

// The same materialisation as Database::query, for the native connection.
int materialise(sqlite3 *db, const char *sql, const QVariantList &params = {})
{
    sqlite3_stmt *st = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &st, nullptr) != SQLITE_OK) {
        std::fprintf(stderr, "native: %s\n", sqlite3_errmsg(db));
        std::exit(1);
    }
    for (int i = 0; i < params.size(); ++i) {
        const QByteArray t = params[i].toString().toUtf8();
        if (params[i].typeId() == QMetaType::Int || params[i].typeId() == QMetaType::LongLong)
            sqlite3_bind_int64(st, i + 1, params[i].toLongLong());
        else
            sqlite3_bind_text(st, i + 1, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
    }
    const int cols = sqlite3_column_count(st);
    std::vector<bool> isDate(static_cast<std::size_t>(cols));
    QStringList names;
    for (int i = 0; i < cols; ++i) {
        const char *d = sqlite3_column_decltype(st, i);
        isDate[static_cast<std::size_t>(i)] = d && QByteArray(d).startsWith("DATE");
        names << QString::fromUtf8(sqlite3_column_name(st, i));
    }
    QVector<QVector<QVariant>> rows;
    while (sqlite3_step(st) == SQLITE_ROW) {
        QVector<QVariant> row;
        row.reserve(cols);
        for (int i = 0; i < cols; ++i) {
            switch (sqlite3_column_type(st, i)) {
            case SQLITE_NULL: row.append(QVariant()); break;
            case SQLITE_INTEGER: row.append(QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, i)))); break;
            case SQLITE_FLOAT: row.append(QVariant(sqlite3_column_double(st, i))); break;
            default: {
                const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
                const int n = sqlite3_column_bytes(st, i);
                if (isDate[static_cast<std::size_t>(i)] && n == 10)
                    row.append(QVariant(QDate::fromString(QString::fromLatin1(t, n), Qt::ISODate)));
                else
                    row.append(QVariant(QString::fromUtf8(t, n)));
            }
            }
        }
        rows.append(std::move(row));
    }
    sqlite3_finalize(st);
    return static_cast<int>(rows.size());
}

void nativeExec(sqlite3 *db, const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        std::fprintf(stderr, "native: %s (%s)\n", err, sql);
        std::exit(1);
    }
}

// Copies the four tables into a native SQLite file with the natural indexes.
void buildNative(Database &db, sqlite3 *native)
{
    nativeExec(native, "PRAGMA journal_mode = DELETE");
    nativeExec(native, "PRAGMA synchronous = FULL");
    nativeExec(native, "BEGIN");
    for (const QString &table : Database::tableNames()) {
        QStringList cols, marks;
        for (const dbf::Field &f : tableLayout(table)) {
            const char *type = f.type == 'C' ? "TEXT" : f.type == 'D' ? "DATE TEXT" : f.decimals == 0 ? "INTEGER" : "REAL";
            cols << QString::fromStdString(f.name) + u' ' + QString::fromLatin1(type);
            marks << QStringLiteral("?");
        }
        nativeExec(native, QStringLiteral("CREATE TABLE %1 (%2)").arg(table, cols.join(u',')).toUtf8().constData());
        sqlite3_stmt *ins = nullptr;
        sqlite3_prepare_v2(native, QStringLiteral("INSERT INTO %1 VALUES (%2)").arg(table, marks.join(u',')).toUtf8().constData(),
                           -1, &ins, nullptr);
        db.store().acquire(dbf::Store::Mode::Shared);
        sqlite3_stmt *sel = nullptr;
        sqlite3_prepare_v2(db.handle(), QStringLiteral("SELECT * FROM %1").arg(table).toUtf8().constData(), -1, &sel, nullptr);
        const int n = sqlite3_column_count(sel);
        while (sqlite3_step(sel) == SQLITE_ROW) {
            for (int i = 0; i < n; ++i)
                sqlite3_bind_value(ins, i + 1, sqlite3_column_value(sel, i));
            sqlite3_step(ins);
            sqlite3_reset(ins);
        }
        sqlite3_finalize(sel);
        db.store().release();
        sqlite3_finalize(ins);
    }
    nativeExec(native, "CREATE INDEX ci ON Contract(IDCON)");
    nativeExec(native, "CREATE INDEX cn ON Contract(NUME1 COLLATE NOCASE)");
    nativeExec(native, "CREATE INDEX pi ON Parcele(IDCON)");
    nativeExec(native, "CREATE INDEX pp ON Parcele(IDPARC)");
    nativeExec(native, "CREATE INDEX ti ON Plati2(IDCON)");
    nativeExec(native, "CREATE INDEX li ON Log(IDLOG)");
    nativeExec(native, "COMMIT");
    nativeExec(native, "ANALYZE");
}

qint64 dbfBytes(const QString &dir)
{
    qint64 n = 0;
    for (const QFileInfo &fi : QDir(dir).entryInfoList({QStringLiteral("*.dbf")}, QDir::Files))
        n += fi.size();
    return n;
}

qint64 peakKb()
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// Child process: open the register the way the register window does and report the peak.
int memoryChild(const QString &programDir)
{
    Workspace ws;
    ws.programDir = programDir;
    ws.dataDir = ws.localDataDir = programDir + QStringLiteral("/Data");
    ws.machineDir = programDir;
    Database db(ws);
    const ResultSet contracts = db.query(QStringLiteral("SELECT * FROM Contract ORDER BY DATACON, NRCON, NRCPER"));
    const qint64 afterRegister = peakKb();
    const ResultSet parcels = db.query(QStringLiteral("SELECT * FROM Parcele ORDER BY IDPARC"));
    std::printf("%lld %lld %d %d\n", static_cast<long long>(afterRegister), static_cast<long long>(peakKb()),
                contracts.rowCount(), parcels.rowCount());
    return 0;
}

struct Case {
    const char *name;
    const char *sql;
    QVariantList params;
};

void runScale(int contracts, const QString &self)
{
    QTemporaryDir tmp;
    Workspace ws;
    ws.programDir = tmp.path();
    ws.dataDir = ws.localDataDir = tmp.path() + QStringLiteral("/Data");
    ws.machineDir = tmp.path();
    ws.operatorText = QStringLiteral("BENCH - bench");
    QDir().mkpath(ws.dataDir);
    SystemClock clock;
    auto db = std::make_unique<Database>(ws, &clock);
    CreateTables(*db);
    auto t0 = Clock::now();
    const DemoSummary s = fillDemoRegister(*db, contracts, 1);
    const double fillMs = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
    sqlite3 *native = nullptr;
    sqlite3_open((tmp.path() + QStringLiteral("/native.db")).toUtf8().constData(), &native);
    buildNative(*db, native);
    const qint64 dbf = dbfBytes(ws.dataDir);
    std::printf("\n== %d contracts: %d parcels, %d payment rows, %d log rows; .dbf files %.1f MB "
                "(demo filled in %.0f ms)\n",
                s.contracts, s.parcels, s.payments, s.logLines, dbf / 1048576.0, fillMs);
    std::printf("%-34s %12s %12s %8s\n", "operation", "dbf ms", "native ms", "ratio");

    const Case cases[] = {
        {"register (all contracts, sorted)", "SELECT * FROM Contract ORDER BY DATACON, NRCON, NRCPER", {}},
        {"filter by name prefix", "SELECT * FROM Contract WHERE NUME1 LIKE ? ORDER BY DATACON, NRCON, NRCPER",
         {QStringLiteral("POPESCU I%")}},
        {"parcels of one contract", "SELECT * FROM Parcele WHERE IDCON = ? ORDER BY IDPARC", {contracts / 2}},
        {"parcel join (all contracts)",
         "SELECT C.IDCON, C.NRCON, C.NUME1, P.TARLADEN, P.PARCNR, P.SUPRAF FROM Contract C "
         "LEFT JOIN Parcele P ON P.IDCON = C.IDCON ORDER BY C.IDCON, P.IDPARC", {}},
        {"GROUP BY tarla (join)",
         "SELECT P.TARLADEN, COUNT(*), SUM(P.SUPRAF), COUNT(DISTINCT C.IDCON) FROM Parcele P "
         "JOIN Contract C ON C.IDCON = P.IDCON GROUP BY P.TARLADEN ORDER BY P.TARLADEN", {}},
        {"GROUP BY year (payments)",
         "SELECT ANAFERENT, SUM(DEPLATA), SUM(PLATA), COUNT(*) FROM Plati2 GROUP BY ANAFERENT ORDER BY ANAFERENT", {}},
        {"balance per contract (join+group)",
         "SELECT C.IDCON, C.NUME1, SUM(P.DEPLATA - P.PLATA) FROM Contract C JOIN Plati2 P ON P.IDCON = C.IDCON "
         "GROUP BY C.IDCON, C.NUME1 HAVING SUM(P.DEPLATA - P.PLATA) > 0", {}},
    };
    const int runs = contracts > 10000 ? 5 : 9;
    double worstRead = 0;
    for (const Case &c : cases) {
        int ours = 0, theirs = 0;
        const double a = medianMs(runs, [&] { ours = db->query(QString::fromUtf8(c.sql), c.params).rowCount(); });
        const double b = medianMs(runs, [&] { theirs = materialise(native, c.sql, c.params); });
        if (ours != theirs)
            std::printf("  !! row counts differ: %d vs %d\n", ours, theirs);
        worstRead = std::max(worstRead, a / b);
        std::printf("%-34s %12.2f %12.2f %7.2fx   (%d rows)\n", c.name, a, b, a / b, ours);
    }

    // A committed single-row change with its log line.
    int k = 0;
    const double change = medianMs(15, [&] {
        const qlonglong id = 1 + (k++ * 7919) % contracts;
        Transaction t(*db);
        db->exec(QStringLiteral("UPDATE Contract SET OBS = ? WHERE IDCON = ?"), {QStringLiteral("modificat %1").arg(k), id});
        WriteLog(*db, QStringLiteral("Modificare Contract Nr.%1").arg(id));
        t.commit();
    });
    sqlite3_stmt *upd = nullptr, *log = nullptr;
    sqlite3_prepare_v2(native, "UPDATE Contract SET OBS = ? WHERE IDCON = ?", -1, &upd, nullptr);
    sqlite3_prepare_v2(native, "INSERT INTO Log (IDLOG, DATAL, ORA, ACTIUNE, UTILIZATOR) VALUES "
                               "((SELECT MAX(IDLOG) + 1 FROM Log), date('now'), time('now'), ?, 'BENCH')", -1, &log, nullptr);
    const double nativeChange = medianMs(15, [&] {
        const int id = 1 + (k++ * 7919) % contracts;
        nativeExec(native, "BEGIN");
        const QByteArray obs = QStringLiteral("modificat %1").arg(k).toUtf8();
        sqlite3_bind_text(upd, 1, obs.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_int(upd, 2, id);
        sqlite3_step(upd);
        sqlite3_reset(upd);
        const QByteArray text = QStringLiteral("Modificare Contract Nr.%1").arg(id).toUtf8();
        sqlite3_bind_text(log, 1, text.constData(), -1, SQLITE_TRANSIENT);
        sqlite3_step(log);
        sqlite3_reset(log);
        nativeExec(native, "COMMIT");
    });
    sqlite3_finalize(upd);
    sqlite3_finalize(log);
    std::printf("%-34s %12.2f %12.2f %7.2fx\n", "change one row + log line (commit)", change, nativeChange,
                change / nativeChange);
    std::printf("worst read ratio %.2fx (target <= 2), change ratio %.2fx (target <= 3)\n", worstRead,
                change / nativeChange);
    sqlite3_close(native);
    db.reset();

    QProcess child;
    child.start(self, {QStringLiteral("--memory"), tmp.path()});
    child.waitForFinished(600000);
    const QList<QByteArray> m = child.readAllStandardOutput().trimmed().split(' ');
    if (m.size() >= 2) {
        const double registerMb = m[0].toLongLong() / 1024.0, withParcelsMb = m[1].toLongLong() / 1024.0;
        const double files = dbfBytes(ws.dataDir) / 1048576.0;
        std::printf("peak memory: %.1f MB with the register open, %.1f MB with all parcels too; "
                    ".dbf files %.1f MB -> %.2fx / %.2fx (target <= 2)\n",
                    registerMb, withParcelsMb, files, registerMb / files, withParcelsMb / files);
    } else {
        std::printf("peak memory: the measuring process failed: %s\n", child.readAllStandardError().constData());
    }
}

} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == u"--memory")
        return memoryChild(args[2]);
    QList<int> sizes{1000, 50000};
    const int at = static_cast<int>(args.indexOf(QStringLiteral("--sizes")));
    if (at > 0 && at + 1 < args.size()) {
        sizes.clear();
        for (const QString &s : args[at + 1].split(u','))
            sizes << s.toInt();
    }
    std::printf("storage_bench: dbf virtual tables vs native SQLite %s (medians)\n", sqlite3_libversion());
    for (int n : sizes)
        runScale(n, app.applicationFilePath());
    return 0;
}
