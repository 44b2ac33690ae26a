#pragma once
// The tables of one Data directory as seen by one connection: their in-memory images,
// the shared control file (locks and change counters) and the rollback journal.
//
// Locks (bytes of the control file, see LockFile):
//   DB shared while a statement reads, exclusive while a statement or a transaction
//   writes. acquire()/release() nest; the first acquire() recovers a hot journal and
//   reloads every table another program changed since we read it.
// Change counters: one uint64 per table in the first 1024 bytes of the control file (slot
//   chosen by a hash of the file name; a collision only causes an extra reload). A writer
//   bumps the counters of the tables it changes before it unlocks.
// Commit (driven by the SQLite virtual-table callbacks, see Module.h):
//   the first xSync writes the journal (before-images of every record to be overwritten
//   and the original sizes and headers of every changed table) in one go and syncs it;
//   each xSync writes and syncs its table; the first xCommit deletes the journal (the
//   commit point). A journal found by the next reader is rolled back.

#include "dbf/Dbf.h"
#include "dbf/LockFile.h"

#include <chrono>
#include <cstdint>
#include <optional>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace dbf {

// Test seam: called at the fail points of a commit ("journal-written", "mid-data",
// "before-journal-delete"); a crash test's child process _exit()s there.
using FailHook = void (*)(const char *point);
void setFailHook(FailHook hook);

// Equality index of one column: key bytes -> record numbers (deleted records may stay
// listed; lookups skip them).
struct ColumnIndex {
    bool built = false;
    std::unordered_map<std::string, std::vector<std::uint32_t>> map;
    // Prefix index of a text column: (value with ASCII letters upper-cased, record),
    // sorted; serves LIKE 'abc%'. Dropped on any change of the column, rebuilt on demand.
    bool sortedBuilt = false;
    std::vector<std::pair<std::string, std::uint32_t>> sorted;
};

class Store;

// One table file with its image and its pending transaction.
class StoredTable {
public:
    StoredTable(Store &store, std::string path);

    const std::string &path() const { return m_path; }
    const std::string &name() const { return m_name; } // file name without directory
    const Table &image() const { return m_image; }
    const Layout &layout() const { return m_image.layout(); }

    // Index key of a field's bytes; false when the value is NULL (not indexed).
    bool keyOf(int column, const char *rec, std::string &key) const;
    // Live records whose column may equal `key` (a superset; callers re-check).
    void lookup(int column, const std::string &key, std::vector<std::uint32_t> &out);
    // Average records per distinct value of the column (builds its index).
    double rowsPerKey(int column);
    // Live records whose text column starts with `prefix` (code page 1250 bytes), ASCII
    // letters compared without regard to case, in record order (a superset for LIKE).
    void lookupPrefix(int column, const std::string &prefix, std::vector<std::uint32_t> &out);
    static void foldAscii(std::string &s);

    // Changes (inside a transaction). `rec` is a complete record image.
    std::uint32_t append(const char *rec);
    void overwrite(std::uint32_t recno, const char *rec);

    // Transaction callbacks.
    void begin();
    void savepoint(int level);
    void rollbackTo(int level);
    void release(int level);
    bool inTransaction() const { return m_inTxn; }
    bool dirty() const { return m_inTxn && (!m_undo.empty() || m_image.recordCount() != m_origCount); }

private:
    friend class Store;
    struct Undo {
        std::uint32_t recno;
        std::string before;
    };
    struct Mark {
        std::size_t undo;
        std::uint32_t count;
    };
    void load();
    void undoTo(const Mark &m);
    void dropIndexes();
    void buildIndex(int column);
    void indexRecord(std::uint32_t recno);

    Store &m_store;
    std::string m_path;
    std::string m_name;
    Table m_image;
    std::uint64_t m_counter = 0;
    struct Identity {
        std::uint64_t dev = 0, ino = 0, size = 0;
        std::int64_t mtimeNs = 0;
        bool operator==(const Identity &) const = default;
    } m_identity;
    std::vector<ColumnIndex> m_indexes;

    bool m_inTxn = false;
    std::uint32_t m_origCount = 0;
    std::vector<Undo> m_undo;
    std::vector<Mark> m_marks; // savepoint level -> state when it was taken
    bool m_written = false;    // data written to the file by this transaction's sync
};

class Store {
public:
    // `dir` holds the tables; the control file and journal are created there.
    explicit Store(std::string dir, std::string controlName = "Ogorix.lck",
                   std::string journalName = "Ogorix.jnl");
    ~Store();
    Store(const Store &) = delete;
    Store &operator=(const Store &) = delete;

    const std::string &dir() const { return m_dir; }
    std::string journalPath() const { return m_dir + "/" + m_journalName; }
    LockFile &control() { return m_control; }

    // DB lock. Throws dbf::Error when the lock cannot be had within the time-out.
    enum class Mode { None, Shared, Exclusive };
    void acquire(Mode mode);
    void release();
    Mode mode() const { return m_mode; }
    std::chrono::milliseconds lockTimeout{10000};

    // SESSION lock (held shared by every running program). tryExclusiveSession() does not
    // wait: false means another program is working on this Data directory.
    bool lockSessionShared(std::chrono::milliseconds timeout = std::chrono::milliseconds(10000));
    bool tryExclusiveSession();
    void downgradeSession();
    void unlockSession();
    bool sessionExclusive() const { return m_sessionExclusive; }

    // Registry used by the virtual tables (one image per file, shared).
    std::shared_ptr<StoredTable> attach(const std::string &path);
    void detach(const std::shared_ptr<StoredTable> &t);

    // Whole-file operations under DB exclusive; the table's image (when attached) is
    // reloaded. The caller makes sure no other program uses the table (SESSION).
    void pack(const std::string &path);
    void restructure(const std::string &path, const std::vector<ColumnMap> &columns);

    // Transaction plumbing for the virtual tables.
    void joinTransaction(StoredTable &t);
    void sync(StoredTable &t);
    void commit(StoredTable &t);
    void rollback(StoredTable &t);

    // Rolls back a journal left by a crashed writer (needs DB exclusive); true if one was.
    bool recoverHotJournal();
    // Reloads tables whose counter or file moved (DB lock held).
    void refresh();
    // Bumps the change counter of a table file (DB exclusive held); returns the new value.
    std::uint64_t bumpCounter(const std::string &name);
    std::uint64_t readCounter(const std::string &name);

    // Held shared by programs waiting for the DB lock (see lockDb).
    static constexpr std::uint64_t kWait = 0x40000003;

private:
    void lockDb(LockFile::Mode mode);
    bool othersWaiting();
    void writeJournal();
    void writeData(StoredTable &t);
    void finishTransaction(StoredTable &t);
    static int slotOf(const std::string &name);

    std::string m_dir;
    std::string m_journalName;
    LockFile m_control;
    Mode m_mode = Mode::None;
    int m_depth = 0;
    bool m_sessionExclusive = false;

    std::map<std::string, std::weak_ptr<StoredTable>> m_tables; // by lower-case file name
    std::vector<StoredTable *> m_joined;
    enum class Phase { Idle, Open, JournalWritten, Committed } m_phase = Phase::Idle;
    bool m_journalExists = false;
    bool m_autoLocked = false;
};

// Journal parsing, exposed for tests and the fuzzer: the tables and byte ranges a valid
// journal restores; nullopt when the journal is incomplete or its checksum fails.
struct JournalEntry {
    std::string name;
    std::uint64_t originalSize = 0;
    std::string header; // first 32 bytes of the file
    std::vector<std::pair<std::uint64_t, std::string>> ranges;
};
std::optional<std::vector<JournalEntry>> parseJournal(std::string_view bytes);

} // namespace dbf
