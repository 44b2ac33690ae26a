#pragma once
// The four tables of a Data directory under SQL.
//
//   ogx::Database db(workspace);                 // opens ws.dataDir
//   CreateTables(db);                            // Schema.h: creates missing tables
//   ResultSet r = db.query(u"SELECT * FROM Contract WHERE NUME1 LIKE ? ORDER BY NRCON"_s,
//                          {prefix + u'%'});
//   {
//       ogx::Transaction t(db);                  // all or nothing
//       db.exec(u"UPDATE Contract SET OBS = ? WHERE IDCON = ?"_s, {obs, idcon});
//       WriteLog(db, u"Modificare Contract Nr.12 / 01.03.2024, ION."_s); // ActionLog.h
//       t.commit();                              // without commit(): rolled back
//   }
//
// Tables: `Contract`, `Parcele`, `Plati2`, `Log` (the files Contract.dbf, ... of the Data
// directory, found without regard to letter case), each a `dbf` virtual table in the temp
// schema of a private in-memory SQLite connection (see dbf/Module.h for how columns read:
// text without trailing blanks, numbers, dates as 'YYYY-MM-DD' text or NULL). Temporary
// report tables are ordinary SQLite TEMP tables of the same connection.
//
// Statements: exactly one per call, values always bound as parameters ("?" or "?1",
// or ":name" with a QVariantMap), never spliced into the SQL text. Bound values: null
// QVariant -> NULL, QDate -> 'YYYY-MM-DD' (NULL when invalid), numbers, bool -> 0/1,
// anything else -> its text. Results are materialised (ResultSet) before the call returns.
//
// Locking: every program holds the SESSION lock shared while its Database is open; a
// statement that reads holds DB shared, a statement or Transaction that writes holds DB
// exclusive (waiting up to 10 s for other workstations). Each statement is atomic; a
// Transaction makes a group of statements atomic, also across workstations and crashes.
//
// Errors throw ogx::Error with a message that names the table (or the statement) and what
// failed, e.g. "Contract.dbf: value 123456.5000 is too wide for column SUPRAFT N(10,4)".

#include "datastore/ResultSet.h"
#include "datastore/Workspace.h"

#include "dbf/Dbf.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace dbf {
class Store;
}

namespace ogx {

class Clock;
class Settings;
int authorize(void *, int, const char *, const char *, const char *, const char *);

class Database {
public:
    // Opens the Data directory `ws.dataDir` (which must exist) and attaches the tables
    // whose files are present. `clock` gives the dates of log rows and headers (the
    // system clock when null); it must outlive the Database.
    explicit Database(const Workspace &ws, const Clock *clock = nullptr);
    ~Database();
    Database(const Database &) = delete;
    Database &operator=(const Database &) = delete;

    const Workspace &workspace() const { return m_ws; }
    const Settings &settings() const { return *m_settings; }
    const Clock &clock() const { return *m_clock; }

    // --- tables -------------------------------------------------------------------
    // The four table names in the order CreateTables makes them: Log, Contract, Parcele, Plati2.
    static const QStringList &tableNames();
    // Path of a table's file: an existing file matched without regard to case, else
    // "<dataDir>/<name>.dbf".
    QString tablePath(const QString &name) const;
    bool tableExists(const QString &name) const;
    // (Re)attaches the virtual table `name` over `<dataDir>/<file>` (any .dbf of the Data
    // directory, e.g. an old "Contracte.dbf"); file defaults to name + ".dbf".
    void attachTable(const QString &name, const QString &file = QString());
    void detachTable(const QString &name);
    bool isAttached(const QString &name) const;
    // Attaches every one of the four tables whose file exists.
    void attachTables();
    // The fields of an attached table; GetFieldDesc: one field, nullopt when absent.
    std::vector<dbf::Field> fields(const QString &name) const;
    std::optional<dbf::Field> GetFieldDesc(const QString &name, const QString &column) const;

    // --- statements ---------------------------------------------------------------
    ResultSet query(const QString &sql, const QVariantList &params = {});
    ResultSet query(const QString &sql, const QVariantMap &params);
    // Runs a statement that returns no rows (or ignores them); returns the number of rows
    // it changed.
    int exec(const QString &sql, const QVariantList &params = {});
    int exec(const QString &sql, const QVariantMap &params);
    // First column of the first row; null when there is none.
    QVariant scalar(const QString &sql, const QVariantList &params = {});

    // A statement prepared once and run many times (bulk work inside a Transaction).
    class Statement {
    public:
        ~Statement();
        Statement(Statement &&) noexcept;
        Statement &operator=(Statement &&) = delete;
        int exec(const QVariantList &params);
        ResultSet query(const QVariantList &params);

    private:
        friend class Database;
        Statement(Database &db, sqlite3_stmt *st, bool writes) : m_db(&db), m_st(st), m_writes(writes) {}
        Database *m_db;
        sqlite3_stmt *m_st;
        bool m_writes;
    };
    Statement prepare(const QString &sql);

    // True when the statement would change a table of the Data directory or anything
    // else (used by ogorix-cli to refuse writes without --write).
    bool isReadOnly(const QString &sql);

    bool inTransaction() const { return m_txnDepth > 0; }

    // --- exclusive use (pack, schema upgrade) ---------------------------------------
    // Tries to become the only program on this Data directory (SESSION exclusive) without
    // waiting; false when another program is working on it. endExclusive() returns to
    // shared use.
    bool tryExclusive();
    void endExclusive();
    bool isExclusive() const;

    // Whole-table changes; they need exclusive use (throw ogx::Error otherwise). The
    // virtual table is re-created with the new layout.
    void packTable(const QString &name);
    void restructure(const QString &name, const std::vector<dbf::ColumnMap> &columns);
    // Adds columns at the end, drops columns, or widens one column keeping every value.
    void addColumns(const QString &name, const std::vector<dbf::Field> &fields);
    void dropColumns(const QString &name, const QStringList &columns);
    void WidenField(const QString &name, const QString &column, int width);

    // Raw access for the engine's own helpers and tests.
    sqlite3 *handle() const { return m_db; }
    dbf::Store &store() { return *m_store; }

private:
    friend class Transaction;
    sqlite3_stmt *compile(const QString &sql, bool *writes);
    void bind(sqlite3_stmt *st, const QVariantList &params);
    void bind(sqlite3_stmt *st, const QVariantMap &params);
    ResultSet run(sqlite3_stmt *st, bool writes, bool collect, int *changes, const QString &sql);
    // Compiles, binds and runs one statement, finalizing it whatever happens.
    template <class Params>
    ResultSet runOnce(const QString &sql, const Params &params, bool collect, int *changes);
    void execRaw(const char *sql);
    [[noreturn]] void fail(const QString &what, const QString &sql = QString());
    void requireExclusive(const QString &what);

    Workspace m_ws;
    std::unique_ptr<Clock> m_ownClock;
    const Clock *m_clock;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<dbf::Store> m_store;
    sqlite3 *m_db = nullptr;
    QStringList m_attached; // lower-case names of attached virtual tables
    int m_txnDepth = 0;
    // Set by the authorizer while compiling: the statement writes a dbf table.
    bool m_compileWrites = false;
    friend int authorize(void *, int, const char *, const char *, const char *, const char *);
};

// All-or-nothing group of statements. Takes the write lock at once; commit() makes the
// changes durable; destruction without commit() rolls them back. Nested Transactions
// become savepoints of the outer one.
class Transaction {
public:
    explicit Transaction(Database &db);
    ~Transaction();
    Transaction(const Transaction &) = delete;
    Transaction &operator=(const Transaction &) = delete;
    void commit();
    void rollback();
    bool active() const { return m_active; }

private:
    Database &m_db;
    int m_level;
    bool m_active = true;
};

} // namespace ogx
