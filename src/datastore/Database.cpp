#include "datastore/Database.h"

#include "datastore/Clock.h"
#include "datastore/Error.h"
#include "datastore/Settings.h"

#include "dbf/Module.h"
#include "dbf/Store.h"

#include <QDir>
#include <QFileInfo>

#include <sqlite3.h>

namespace ogx {

namespace {

QString lowerName(const QString &s) { return s.toLower(); }

bool isIdentifier(const QString &s)
{
    if (s.isEmpty() || s.size() > 64)
        return false;
    for (QChar c : s)
        if (!(c.isLetterOrNumber() && c.unicode() < 128) && c != u'_')
            return false;
    return true;
}

QString quoteLiteral(const QString &s)
{
    QString out = s;
    out.replace(u'\'', QStringLiteral("''"));
    return u'\'' + out + u'\'';
}

QString shortSql(const QString &sql)
{
    QString s = sql.simplified();
    if (s.size() > 300)
        s = s.left(300) + QStringLiteral("...");
    return s;
}

QVariant columnValue(sqlite3_stmt *st, int i, ResultSet::Kind kind)
{
    switch (sqlite3_column_type(st, i)) {
    case SQLITE_NULL:
        return QVariant();
    case SQLITE_INTEGER:
        return QVariant(static_cast<qlonglong>(sqlite3_column_int64(st, i)));
    case SQLITE_FLOAT:
        return QVariant(sqlite3_column_double(st, i));
    default: {
        const auto *t = reinterpret_cast<const char *>(sqlite3_column_text(st, i));
        const int n = sqlite3_column_bytes(st, i);
        if (kind == ResultSet::Kind::Date && n == 10) {
            const QDate d = QDate::fromString(QString::fromLatin1(t, n), Qt::ISODate);
            if (d.isValid())
                return QVariant(d);
        }
        return QVariant(QString::fromUtf8(t, n));
    }
    }
}

ResultSet::Kind kindOf(const char *decl)
{
    if (!decl)
        return ResultSet::Kind::Unknown;
    const QByteArray d = QByteArray(decl).toUpper();
    if (d.startsWith("DATE"))
        return ResultSet::Kind::Date;
    if (d == "INTEGER" || d == "REAL" || d.startsWith("NUM") || d.startsWith("DEC"))
        return ResultSet::Kind::Number;
    if (d.contains("TEXT") || d.contains("CHAR"))
        return ResultSet::Kind::Text;
    return ResultSet::Kind::Unknown;
}

} // namespace

// Records whether a statement being compiled writes one of the dbf tables, and keeps
// outside SQL from attaching other files.
int authorize(void *user, int action, const char *a1, const char *, const char *, const char *)
{
    auto *db = static_cast<Database *>(user);
    switch (action) {
    case SQLITE_INSERT:
    case SQLITE_UPDATE:
    case SQLITE_DELETE:
        if (a1 && db->m_attached.contains(QString::fromUtf8(a1).toLower()))
            db->m_compileWrites = true;
        return SQLITE_OK;
    case SQLITE_ATTACH:
    case SQLITE_DETACH:
        return SQLITE_DENY;
    default:
        return SQLITE_OK;
    }
}

Database::Database(const Workspace &ws, const Clock *clock) : m_ws(ws), m_clock(clock)
{
    if (!m_clock) {
        m_ownClock = std::make_unique<SystemClock>();
        m_clock = m_ownClock.get();
    }
    const QFileInfo dirInfo(ws.dataDir);
    if (!dirInfo.isDir())
        throw Error(QStringLiteral("The Data directory %1 does not exist").arg(ws.dataDir));
    m_ws.dataDir = QDir::cleanPath(dirInfo.absoluteFilePath());
    m_settings = std::make_unique<Settings>(m_ws);
    try {
        m_store = std::make_unique<dbf::Store>(m_ws.dataDir.toStdString());
    } catch (const std::exception &e) {
        throw Error(QString::fromStdString(e.what()));
    }
    if (!m_store->lockSessionShared(std::chrono::milliseconds(30000)))
        throw Error(QStringLiteral("Baza de date din %1 este folosita exclusiv de alta statie "
                                   "(actualizare sau compactare). Reporniti programul mai tarziu.")
                        .arg(m_ws.dataDir));
    if (sqlite3_open_v2(":memory:", &m_db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        throw Error(QStringLiteral("Cannot open the SQL engine"));
    dbf::registerModule(m_db, m_store.get());
    dbf::registerExactSum(m_db);
    execRaw("PRAGMA temp_store = MEMORY");
    sqlite3_set_authorizer(m_db, authorize, this);
    attachTables();
}

Database::~Database()
{
    if (m_db) {
        if (!sqlite3_get_autocommit(m_db))
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        sqlite3_close_v2(m_db);
    }
    while (m_store && m_store->mode() != dbf::Store::Mode::None)
        m_store->release();
}

const QStringList &Database::tableNames()
{
    static const QStringList names{QStringLiteral("Log"), QStringLiteral("Contract"), QStringLiteral("Parcele"),
                                   QStringLiteral("Plati2")};
    return names;
}

QString Database::tablePath(const QString &name) const
{
    const QString file = name.endsWith(QStringLiteral(".dbf"), Qt::CaseInsensitive) ? name : name + QStringLiteral(".dbf");
    const QString exact = m_ws.dataDir + u'/' + file;
    if (QFileInfo::exists(exact))
        return exact;
    const QStringList entries = QDir(m_ws.dataDir).entryList(QDir::Files);
    for (const QString &e : entries)
        if (e.compare(file, Qt::CaseInsensitive) == 0)
            return m_ws.dataDir + u'/' + e;
    return exact;
}

bool Database::tableExists(const QString &name) const { return QFileInfo::exists(tablePath(name)); }

bool Database::isAttached(const QString &name) const { return m_attached.contains(lowerName(name)); }

void Database::attachTable(const QString &name, const QString &file)
{
    if (!isIdentifier(name))
        throw Error(QStringLiteral("Invalid table name %1").arg(name));
    if (isAttached(name))
        detachTable(name);
    const QString path = tablePath(file.isEmpty() ? name : file);
    const QString sql = QStringLiteral("CREATE VIRTUAL TABLE temp.\"%1\" USING dbf(%2)").arg(name, quoteLiteral(path));
    char *err = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(m_db));
        sqlite3_free(err);
        throw Error(msg);
    }
    m_attached.append(lowerName(name));
}

void Database::detachTable(const QString &name)
{
    if (!isAttached(name))
        return;
    const QString sql = QStringLiteral("DROP TABLE temp.\"%1\"").arg(name);
    char *err = nullptr;
    if (sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(m_db));
        sqlite3_free(err);
        throw Error(msg);
    }
    m_attached.removeAll(lowerName(name));
}

void Database::attachTables()
{
    for (const QString &t : tableNames())
        if (tableExists(t) && !isAttached(t))
            attachTable(t);
}

std::vector<dbf::Field> Database::fields(const QString &name) const
{
    try {
        return m_store->attach(tablePath(name).toStdString())->layout().fields();
    } catch (const std::exception &e) {
        throw Error(QString::fromStdString(e.what()));
    }
}

std::optional<dbf::Field> Database::GetFieldDesc(const QString &name, const QString &column) const
{
    for (const dbf::Field &f : fields(name))
        if (QString::fromStdString(f.name).compare(column, Qt::CaseInsensitive) == 0)
            return f;
    return std::nullopt;
}

// --- statements ---------------------------------------------------------------------

void Database::fail(const QString &what, const QString &sql)
{
    if (sql.isEmpty())
        throw Error(what);
    throw Error(QStringLiteral("%1\n(statement: %2)").arg(what, shortSql(sql)));
}

void Database::execRaw(const char *sql)
{
    char *err = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &err) != SQLITE_OK) {
        const QString msg = QString::fromUtf8(err ? err : sqlite3_errmsg(m_db));
        sqlite3_free(err);
        throw Error(msg);
    }
}

sqlite3_stmt *Database::compile(const QString &sql, bool *writes)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt *st = nullptr;
    const char *tail = nullptr;
    m_compileWrites = false;
    if (sqlite3_prepare_v2(m_db, text.constData(), static_cast<int>(text.size()), &st, &tail) != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errmsg(m_db)), sql);
    if (tail && QByteArray(tail).trimmed().size() > 0 && QByteArray(tail).trimmed() != ";") {
        sqlite3_finalize(st);
        fail(QStringLiteral("Only one statement may be run at a time"), sql);
    }
    if (!st)
        fail(QStringLiteral("The statement is empty"), sql);
    *writes = m_compileWrites;
    return st;
}

void Database::bind(sqlite3_stmt *st, const QVariantList &params)
{
    const int n = sqlite3_bind_parameter_count(st);
    if (params.size() > n)
        throw Error(QStringLiteral("The statement takes %1 values, %2 were given").arg(n).arg(params.size()));
    for (int i = 0; i < params.size(); ++i) {
        const QVariant &v = params[i];
        const int k = i + 1;
        if (v.isNull() || !v.isValid()) {
            sqlite3_bind_null(st, k);
            continue;
        }
        switch (v.typeId()) {
        case QMetaType::QDate: {
            const QDate d = v.toDate();
            if (!d.isValid()) {
                sqlite3_bind_null(st, k);
            } else {
                const QByteArray iso = d.toString(Qt::ISODate).toLatin1();
                sqlite3_bind_text(st, k, iso.constData(), static_cast<int>(iso.size()), SQLITE_TRANSIENT);
            }
            break;
        }
        case QMetaType::Bool:
            sqlite3_bind_int(st, k, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Short:
        case QMetaType::UShort:
        case QMetaType::Long:
        case QMetaType::ULong:
            sqlite3_bind_int64(st, k, v.toLongLong());
            break;
        case QMetaType::Double:
        case QMetaType::Float:
            sqlite3_bind_double(st, k, v.toDouble());
            break;
        default: {
            const QByteArray t = v.toString().toUtf8();
            sqlite3_bind_text(st, k, t.constData(), static_cast<int>(t.size()), SQLITE_TRANSIENT);
        }
        }
    }
}

void Database::bind(sqlite3_stmt *st, const QVariantMap &params)
{
    QVariantList list;
    const int n = sqlite3_bind_parameter_count(st);
    for (int i = 1; i <= n; ++i) {
        const char *name = sqlite3_bind_parameter_name(st, i);
        QVariant v;
        if (name) {
            const QString key = QString::fromUtf8(name + 1);
            if (!params.contains(key))
                throw Error(QStringLiteral("No value given for :%1").arg(key));
            v = params.value(key);
        }
        list.append(v);
    }
    bind(st, list);
}

ResultSet Database::run(sqlite3_stmt *st, bool writes, bool collect, int *changes, const QString &sql)
{
    try {
        m_store->acquire(writes ? dbf::Store::Mode::Exclusive : dbf::Store::Mode::Shared);
    } catch (const std::exception &e) {
        sqlite3_reset(st);
        fail(QString::fromStdString(e.what()));
    }
    ResultSet out;
    const int cols = sqlite3_column_count(st);
    if (collect) {
        QStringList names;
        QVector<ResultSet::Kind> kinds;
        for (int i = 0; i < cols; ++i) {
            names << QString::fromUtf8(sqlite3_column_name(st, i));
            kinds << kindOf(sqlite3_column_decltype(st, i));
        }
        out = ResultSet(names, kinds);
    }
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        if (!collect)
            continue;
        QVector<QVariant> row;
        row.reserve(cols);
        for (int i = 0; i < cols; ++i)
            row.append(columnValue(st, i, out.kind(i)));
        out.appendRow(std::move(row));
    }
    const int n = sqlite3_changes(m_db);
    if (rc != SQLITE_DONE) {
        const QString msg = QString::fromUtf8(sqlite3_errmsg(m_db));
        sqlite3_reset(st);
        m_store->release();
        fail(msg, sql);
    }
    sqlite3_reset(st);
    m_store->release();
    if (changes)
        *changes = n;
    return out;
}

template <class Params>
ResultSet Database::runOnce(const QString &sql, const Params &params, bool collect, int *changes)
{
    bool writes = false;
    sqlite3_stmt *st = compile(sql, &writes);
    try {
        bind(st, params);
        ResultSet r = run(st, writes, collect, changes, sql);
        sqlite3_finalize(st);
        return r;
    } catch (...) {
        sqlite3_finalize(st);
        throw;
    }
}

ResultSet Database::query(const QString &sql, const QVariantList &params)
{
    return runOnce(sql, params, true, nullptr);
}

ResultSet Database::query(const QString &sql, const QVariantMap &params)
{
    return runOnce(sql, params, true, nullptr);
}

int Database::exec(const QString &sql, const QVariantList &params)
{
    int changes = 0;
    runOnce(sql, params, false, &changes);
    return changes;
}

int Database::exec(const QString &sql, const QVariantMap &params)
{
    int changes = 0;
    runOnce(sql, params, false, &changes);
    return changes;
}

QVariant Database::scalar(const QString &sql, const QVariantList &params)
{
    const ResultSet r = query(sql, params);
    return r.rowCount() > 0 && r.columnCount() > 0 ? r.value(0, 0) : QVariant();
}

bool Database::isReadOnly(const QString &sql)
{
    bool writes = false;
    sqlite3_stmt *st = compile(sql, &writes);
    const bool ro = !writes && sqlite3_stmt_readonly(st);
    sqlite3_finalize(st);
    return ro;
}

Database::Statement Database::prepare(const QString &sql)
{
    bool writes = false;
    sqlite3_stmt *st = compile(sql, &writes);
    return Statement(*this, st, writes);
}

Database::Statement::~Statement()
{
    if (m_st)
        sqlite3_finalize(m_st);
}

Database::Statement::Statement(Statement &&o) noexcept : m_db(o.m_db), m_st(o.m_st), m_writes(o.m_writes)
{
    o.m_st = nullptr;
}

int Database::Statement::exec(const QVariantList &params)
{
    sqlite3_clear_bindings(m_st);
    m_db->bind(m_st, params);
    int changes = 0;
    m_db->run(m_st, m_writes, false, &changes, QString::fromUtf8(sqlite3_sql(m_st)));
    return changes;
}

ResultSet Database::Statement::query(const QVariantList &params)
{
    sqlite3_clear_bindings(m_st);
    m_db->bind(m_st, params);
    return m_db->run(m_st, m_writes, true, nullptr, QString::fromUtf8(sqlite3_sql(m_st)));
}

// --- exclusive use ----------------------------------------------------------------------

bool Database::tryExclusive() { return m_store->tryExclusiveSession(); }
void Database::endExclusive() { m_store->downgradeSession(); }
bool Database::isExclusive() const { return m_store->sessionExclusive(); }

void Database::requireExclusive(const QString &what)
{
    if (!isExclusive())
        throw Error(QStringLiteral("%1: alte statii lucreaza cu baza de date; operatia cere ca ele sa iasa din program")
                        .arg(what));
    if (inTransaction())
        throw Error(QStringLiteral("%1 cannot run inside a transaction").arg(what));
}

void Database::packTable(const QString &name)
{
    const QString path = tablePath(name);
    requireExclusive(QFileInfo(path).fileName());
    try {
        m_store->pack(path.toStdString());
    } catch (const std::exception &e) {
        throw Error(QString::fromStdString(e.what()));
    }
}

void Database::restructure(const QString &name, const std::vector<dbf::ColumnMap> &columns)
{
    const QString path = tablePath(name);
    requireExclusive(QFileInfo(path).fileName());
    const bool wasAttached = isAttached(name);
    detachTable(name);
    try {
        m_store->restructure(path.toStdString(), columns);
    } catch (const std::exception &e) {
        if (wasAttached)
            attachTable(name);
        throw Error(QString::fromStdString(e.what()));
    }
    if (wasAttached)
        attachTable(name);
}

void Database::addColumns(const QString &name, const std::vector<dbf::Field> &add)
{
    std::vector<dbf::ColumnMap> cols;
    for (const dbf::Field &f : fields(name))
        cols.push_back({f, f.name});
    for (const dbf::Field &f : add)
        cols.push_back({f, std::string()});
    restructure(name, cols);
}

void Database::dropColumns(const QString &name, const QStringList &drop)
{
    std::vector<dbf::ColumnMap> cols;
    const std::vector<dbf::Field> old = fields(name);
    for (const QString &d : drop) {
        bool found = false;
        for (const dbf::Field &f : old)
            found = found || QString::fromStdString(f.name).compare(d, Qt::CaseInsensitive) == 0;
        if (!found)
            throw Error(QStringLiteral("%1 has no column %2").arg(QFileInfo(tablePath(name)).fileName(), d));
    }
    for (const dbf::Field &f : old)
        if (!drop.contains(QString::fromStdString(f.name), Qt::CaseInsensitive))
            cols.push_back({f, f.name});
    restructure(name, cols);
}

void Database::WidenField(const QString &name, const QString &column, int width)
{
    std::vector<dbf::ColumnMap> cols;
    bool found = false;
    for (dbf::Field f : fields(name)) {
        const std::string from = f.name;
        if (QString::fromStdString(f.name).compare(column, Qt::CaseInsensitive) == 0) {
            found = true;
            if (f.length >= width)
                return; // already wide enough
            f.length = width;
        }
        cols.push_back({f, from});
    }
    if (!found)
        throw Error(QStringLiteral("%1 has no column %2").arg(QFileInfo(tablePath(name)).fileName(), column));
    restructure(name, cols);
}

// --- transactions -------------------------------------------------------------------------

Transaction::Transaction(Database &db) : m_db(db), m_level(db.m_txnDepth + 1)
{
    if (m_level == 1) {
        try {
            db.m_store->acquire(dbf::Store::Mode::Exclusive);
        } catch (const std::exception &e) {
            throw Error(QString::fromStdString(e.what()));
        }
        try {
            db.execRaw("BEGIN");
        } catch (...) {
            db.m_store->release();
            throw;
        }
    } else {
        db.execRaw(QStringLiteral("SAVEPOINT ogx_%1").arg(m_level).toUtf8().constData());
    }
    db.m_txnDepth = m_level;
}

Transaction::~Transaction()
{
    if (m_active) {
        try {
            rollback();
        } catch (...) {
        }
    }
}

void Transaction::commit()
{
    if (!m_active)
        return;
    if (m_db.m_txnDepth != m_level)
        throw Error(QStringLiteral("An inner transaction is still open"));
    m_active = false;
    m_db.m_txnDepth = m_level - 1;
    if (m_level > 1) {
        m_db.execRaw(QStringLiteral("RELEASE ogx_%1").arg(m_level).toUtf8().constData());
        return;
    }
    try {
        m_db.execRaw("COMMIT");
    } catch (...) {
        if (!sqlite3_get_autocommit(m_db.m_db))
            sqlite3_exec(m_db.m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        m_db.m_store->release();
        throw;
    }
    m_db.m_store->release();
}

void Transaction::rollback()
{
    if (!m_active)
        return;
    m_active = false;
    m_db.m_txnDepth = m_level - 1;
    if (m_level > 1) {
        m_db.execRaw(QStringLiteral("ROLLBACK TO ogx_%1").arg(m_level).toUtf8().constData());
        m_db.execRaw(QStringLiteral("RELEASE ogx_%1").arg(m_level).toUtf8().constData());
        return;
    }
    if (!sqlite3_get_autocommit(m_db.m_db))
        sqlite3_exec(m_db.m_db, "ROLLBACK", nullptr, nullptr, nullptr);
    m_db.m_store->release();
}

} // namespace ogx
