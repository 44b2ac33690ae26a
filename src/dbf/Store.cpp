#include "dbf/Store.h"

#include "dbf/Cp1250.h"
#include "dbf/FileIo.h"
#include "dbf/Numbers.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <random>
#include <thread>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace dbf {
namespace {

FailHook g_failHook = nullptr;

void failPoint(const char *name)
{
    if (g_failHook)
        g_failHook(name);
}

constexpr char kMagic[8] = {'O', 'G', 'X', 'J', 'N', 'L', '0', '1'};
constexpr std::size_t kJournalHeader = 8 + 8 + 4 + 8 + 8;
constexpr int kCounterSlots = 128;

std::string lower(std::string s)
{
    for (char &c : s)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::uint64_t fnv1a(std::uint64_t h, const char *p, std::size_t n)
{
    for (std::size_t i = 0; i < n; ++i) {
        h ^= static_cast<unsigned char>(p[i]);
        h *= 0x100000001b3ULL;
    }
    return h;
}

std::uint64_t checksum(std::uint64_t nonce, std::string_view payload)
{
    char nb[8];
    std::memcpy(nb, &nonce, 8);
    std::uint64_t h = fnv1a(0xcbf29ce484222325ULL, nb, 8);
    return fnv1a(h, payload.data(), payload.size());
}

template <typename T> void put(std::string &out, T v)
{
    char b[sizeof(T)];
    for (std::size_t i = 0; i < sizeof(T); ++i)
        b[i] = static_cast<char>((static_cast<std::uint64_t>(v) >> (8 * i)) & 0xFF);
    out.append(b, sizeof(T));
}

template <typename T> bool get(std::string_view &in, T &v)
{
    if (in.size() < sizeof(T))
        return false;
    std::uint64_t x = 0;
    for (std::size_t i = 0; i < sizeof(T); ++i)
        x |= std::uint64_t(static_cast<unsigned char>(in[i])) << (8 * i);
    v = static_cast<T>(x);
    in.remove_prefix(sizeof(T));
    return true;
}


std::string preadSome(int fd, std::uint64_t offset, std::size_t size)
{
    std::string out(size, '\0');
    std::size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pread(fd, out.data() + done, size - done, static_cast<off_t>(offset + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    out.resize(done);
    return out;
}

class Fd {
public:
    Fd(const std::string &path, int flags) : m_path(path), m_fd(::open(path.c_str(), flags | O_CLOEXEC, 0666))
    {
        if (m_fd < 0)
            throw Error("cannot open " + path + ": " + std::strerror(errno));
    }
    ~Fd() { if (m_fd >= 0) ::close(m_fd); }
    int get() const { return m_fd; }
    // fdatasync: the data and what is needed to read it back (the size), as SQLite does.
    void sync() const
    {
        if (::fdatasync(m_fd) != 0)
            throw Error("cannot flush " + m_path + " to disk: " + std::strerror(errno));
    }

private:
    std::string m_path;
    int m_fd;
};

std::uint64_t randomNonce()
{
    std::random_device rd;
    return (std::uint64_t(rd()) << 32) ^ rd();
}

} // namespace

void setFailHook(FailHook hook) { g_failHook = hook; }

// --- journal ------------------------------------------------------------------------

std::optional<std::vector<JournalEntry>> parseJournal(std::string_view bytes)
{
    if (bytes.size() < kJournalHeader || std::memcmp(bytes.data(), kMagic, 8) != 0)
        return std::nullopt;
    std::string_view in = bytes.substr(8);
    std::uint64_t nonce = 0, payloadLength = 0, sum = 0;
    std::uint32_t tables = 0;
    get(in, nonce);
    get(in, tables);
    get(in, payloadLength);
    get(in, sum);
    if (payloadLength > in.size())
        return std::nullopt;
    const std::string_view payload = in.substr(0, static_cast<std::size_t>(payloadLength));
    if (checksum(nonce, payload) != sum)
        return std::nullopt;
    in = payload;
    std::vector<JournalEntry> out;
    for (std::uint32_t t = 0; t < tables; ++t) {
        JournalEntry e;
        std::uint16_t nameLength = 0;
        std::uint32_t ranges = 0;
        if (!get(in, nameLength) || in.size() < nameLength)
            return std::nullopt;
        e.name = std::string(in.substr(0, nameLength));
        in.remove_prefix(nameLength);
        if (!get(in, e.originalSize) || in.size() < 32)
            return std::nullopt;
        e.header = std::string(in.substr(0, 32));
        in.remove_prefix(32);
        if (!get(in, ranges))
            return std::nullopt;
        if (e.name.empty() || e.name.find('/') != std::string::npos || e.name == "." || e.name == "..")
            return std::nullopt;
        for (std::uint32_t r = 0; r < ranges; ++r) {
            std::uint64_t offset = 0;
            std::uint32_t length = 0;
            if (!get(in, offset) || !get(in, length) || in.size() < length)
                return std::nullopt;
            e.ranges.emplace_back(offset, std::string(in.substr(0, length)));
            in.remove_prefix(length);
        }
        out.push_back(std::move(e));
    }
    if (!in.empty())
        return std::nullopt;
    return out;
}

// --- StoredTable --------------------------------------------------------------------

StoredTable::StoredTable(Store &store, std::string path)
    : m_store(store), m_path(std::move(path)), m_name(baseName(m_path))
{
    load();
}

void StoredTable::load()
{
    const int fd = ::open(m_path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw Error("cannot open " + m_path + ": " + std::strerror(errno));
    struct stat st{};
    ::fstat(fd, &st);
    std::string bytes = preadSome(fd, 0, static_cast<std::size_t>(st.st_size));
    ::close(fd);
    m_image = Table::parse(bytes, m_path);
    m_identity = {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(bytes.size()),
                  std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    m_counter = m_store.readCounter(m_name);
    dropIndexes();
}

void StoredTable::dropIndexes()
{
    m_indexes.clear();
    m_indexes.resize(static_cast<std::size_t>(m_image.layout().fieldCount()));
}

bool StoredTable::keyOf(int column, const char *rec, std::string &key) const
{
    const Field &f = layout().field(column);
    switch (f.type) {
    case 'C': {
        std::string_view v = rawField(f, rec);
        while (!v.empty() && (v.back() == ' ' || v.back() == '\0'))
            v.remove_suffix(1);
        key.assign(v);
        return true;
    }
    case 'N':
    case 'F': {
        const auto v = decodeNumber(f, rec);
        if (!v)
            return false;
        double d = *v == 0 ? 0.0 : *v;
        key.assign(reinterpret_cast<const char *>(&d), sizeof d);
        return true;
    }
    case 'D': {
        if (!decodeDate(f, rec))
            return false;
        key.assign(rawField(f, rec));
        return true;
    }
    default:
        key.assign(rawField(f, rec));
        return true;
    }
}

void StoredTable::buildIndex(int column)
{
    ColumnIndex &ix = m_indexes[static_cast<std::size_t>(column)];
    ix.map.clear();
    std::string key;
    const std::uint32_t n = m_image.recordCount();
    for (std::uint32_t i = 0; i < n; ++i) {
        const char *rec = m_image.record(i);
        if (rec[0] == '*')
            continue;
        if (keyOf(column, rec, key))
            ix.map[key].push_back(i);
    }
    ix.built = true;
}

void StoredTable::lookup(int column, const std::string &key, std::vector<std::uint32_t> &out)
{
    out.clear();
    ColumnIndex &ix = m_indexes[static_cast<std::size_t>(column)];
    if (!ix.built)
        buildIndex(column);
    const auto it = ix.map.find(key);
    if (it == ix.map.end())
        return;
    for (std::uint32_t r : it->second)
        if (r < m_image.recordCount() && !m_image.isDeleted(r))
            out.push_back(r);
}

double StoredTable::rowsPerKey(int column)
{
    ColumnIndex &ix = m_indexes[static_cast<std::size_t>(column)];
    if (!ix.built)
        buildIndex(column);
    if (ix.map.empty())
        return 1;
    return std::max(1.0, double(m_image.recordCount()) / double(ix.map.size()));
}

void StoredTable::foldAscii(std::string &s)
{
    for (char &c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
}

void StoredTable::lookupPrefix(int column, const std::string &prefix, std::vector<std::uint32_t> &out)
{
    out.clear();
    ColumnIndex &ix = m_indexes[static_cast<std::size_t>(column)];
    const Field &f = layout().field(column);
    if (!ix.sortedBuilt) {
        ix.sorted.clear();
        ix.sorted.reserve(m_image.recordCount());
        for (std::uint32_t i = 0; i < m_image.recordCount(); ++i) {
            const char *rec = m_image.record(i);
            if (rec[0] == '*')
                continue;
            std::string_view v = rawField(f, rec);
            while (!v.empty() && (v.back() == ' ' || v.back() == '\0'))
                v.remove_suffix(1);
            std::string k(v);
            foldAscii(k);
            ix.sorted.emplace_back(std::move(k), i);
        }
        std::sort(ix.sorted.begin(), ix.sorted.end());
        ix.sortedBuilt = true;
    }
    std::string p = prefix;
    foldAscii(p);
    auto it = std::lower_bound(ix.sorted.begin(), ix.sorted.end(), std::make_pair(p, std::uint32_t(0)));
    for (; it != ix.sorted.end() && it->first.compare(0, p.size(), p) == 0; ++it)
        if (it->second < m_image.recordCount() && !m_image.isDeleted(it->second))
            out.push_back(it->second);
    std::sort(out.begin(), out.end());
}

void StoredTable::indexRecord(std::uint32_t recno)
{
    std::string key;
    for (std::size_t c = 0; c < m_indexes.size(); ++c) {
        ColumnIndex &ix = m_indexes[c];
        if (ix.built && keyOf(static_cast<int>(c), m_image.record(recno), key))
            ix.map[key].push_back(recno);
        if (ix.sortedBuilt) {
            ix.sortedBuilt = false;
            ix.sorted.clear();
        }
    }
}

std::uint32_t StoredTable::append(const char *rec)
{
    const std::uint32_t k = m_image.appendBlank();
    std::memcpy(m_image.record(k), rec, static_cast<std::size_t>(m_image.recordLength()));
    indexRecord(k);
    return k;
}

void StoredTable::overwrite(std::uint32_t recno, const char *rec)
{
    char *cur = m_image.record(recno);
    const std::size_t len = static_cast<std::size_t>(m_image.recordLength());
    if (std::memcmp(cur, rec, len) == 0)
        return;
    m_undo.push_back({recno, std::string(cur, len)});
    // Keep the built indexes right for the columns whose bytes change.
    std::string oldKey, newKey;
    for (std::size_t c = 0; c < m_indexes.size(); ++c) {
        ColumnIndex &ix = m_indexes[c];
        if (!ix.built && !ix.sortedBuilt)
            continue;
        const Field &f = layout().field(static_cast<int>(c));
        if (std::memcmp(cur + f.offset, rec + f.offset, static_cast<std::size_t>(f.length)) == 0)
            continue;
        if (ix.sortedBuilt) {
            ix.sortedBuilt = false;
            ix.sorted.clear();
        }
        if (!ix.built)
            continue;
        if (keyOf(static_cast<int>(c), cur, oldKey)) {
            auto it = ix.map.find(oldKey);
            if (it != ix.map.end()) {
                if (it->second.size() > 256) { // a huge bucket: rebuilding later is cheaper
                    ix.built = false;
                    ix.map.clear();
                    continue;
                }
                auto &v = it->second;
                v.erase(std::remove(v.begin(), v.end(), recno), v.end());
            }
        }
        if (rec[0] != '*' && keyOf(static_cast<int>(c), rec, newKey))
            ix.map[newKey].push_back(recno);
    }
    std::memcpy(cur, rec, len);
}

void StoredTable::begin()
{
    m_inTxn = true;
    m_origCount = m_image.recordCount();
    m_undo.clear();
    m_marks.clear();
    m_written = false;
}

void StoredTable::undoTo(const Mark &m)
{
    const std::size_t len = static_cast<std::size_t>(m_image.recordLength());
    bool touched = false;
    while (m_undo.size() > m.undo) {
        const Undo &u = m_undo.back();
        if (u.recno < m_image.recordCount())
            std::memcpy(m_image.record(u.recno), u.before.data(), len);
        m_undo.pop_back();
        touched = true;
    }
    if (m_image.recordCount() > m.count) {
        m_image.truncate(m.count);
        touched = true;
    }
    if (touched)
        dropIndexes();
}

void StoredTable::savepoint(int level)
{
    if (level < 0)
        return;
    // Levels taken before this table joined cover none of its changes: they keep the
    // state of xBegin.
    const Mark start{0, m_origCount};
    while (static_cast<int>(m_marks.size()) < level)
        m_marks.push_back(start);
    m_marks.resize(static_cast<std::size_t>(level));
    m_marks.push_back({m_undo.size(), m_image.recordCount()});
}

void StoredTable::rollbackTo(int level)
{
    if (level < 0)
        return;
    if (static_cast<std::size_t>(level) < m_marks.size()) {
        undoTo(m_marks[static_cast<std::size_t>(level)]);
        m_marks.resize(static_cast<std::size_t>(level) + 1);
    } else {
        // The savepoint was opened before this table joined: undo all of it.
        undoTo({0, m_origCount});
    }
}

void StoredTable::release(int level)
{
    if (level >= 0 && static_cast<std::size_t>(level) < m_marks.size())
        m_marks.resize(static_cast<std::size_t>(level));
}

// --- Store --------------------------------------------------------------------------

Store::Store(std::string dir, std::string controlName, std::string journalName)
    : m_dir(std::move(dir)), m_journalName(std::move(journalName))
{
    if (!m_control.open(m_dir + "/" + controlName))
        throw Error(m_control.error());
}

Store::~Store() = default;

int Store::slotOf(const std::string &name)
{
    const std::string l = lower(name);
    return static_cast<int>(fnv1a(0xcbf29ce484222325ULL, l.data(), l.size()) % kCounterSlots);
}

std::uint64_t Store::readCounter(const std::string &name)
{
    const std::string b = preadSome(m_control.fd(), std::uint64_t(slotOf(name)) * 8, 8);
    if (b.size() < 8)
        return 0;
    std::uint64_t v = 0;
    std::memcpy(&v, b.data(), 8);
    return v;
}

std::uint64_t Store::bumpCounter(const std::string &name)
{
    const std::uint64_t v = readCounter(name) + 1;
    char b[8];
    std::memcpy(b, &v, 8);
    pwriteAll(m_control.fd(), b, 8, std::uint64_t(slotOf(name)) * 8, m_control.path());
    return v;
}

// Another program waits for the DB lock (holds the WAIT byte).
bool Store::othersWaiting()
{
    struct flock fl;
    std::memset(&fl, 0, sizeof fl);
    fl.l_type = F_WRLCK;
    fl.l_whence = SEEK_SET;
    fl.l_start = static_cast<off_t>(kWait);
    fl.l_len = 1;
    if (::fcntl(m_control.fd(), F_OFD_GETLK, &fl) != 0)
        return false;
    return fl.l_type != F_UNLCK;
}

// fcntl locks are not queued: a program that commits again and again could keep a waiting
// one out for ever. A waiter announces itself on the WAIT byte; a program about to take
// the DB lock while someone waits first leaves it a moment to get in.
void Store::lockDb(LockFile::Mode mode)
{
    using namespace std::chrono;
    if (othersWaiting())
        std::this_thread::sleep_for(milliseconds(5));
    if (m_control.lock(LockFile::kDb, mode, milliseconds(0)))
        return;
    m_control.lock(kWait, LockFile::Mode::Shared, milliseconds(0));
    const auto deadline = steady_clock::now() + lockTimeout;
    auto pause = microseconds(100);
    for (;;) {
        if (m_control.lock(LockFile::kDb, mode, milliseconds(0))) {
            m_control.unlock(kWait);
            return;
        }
        if (steady_clock::now() >= deadline)
            break;
        std::this_thread::sleep_for(pause);
        pause = std::min(pause * 2, microseconds(1000));
    }
    m_control.unlock(kWait);
    throw Error("the tables in " + m_dir + " are locked by another program");
}

void Store::acquire(Mode mode)
{
    if (mode == Mode::None)
        return;
    if (m_depth > 0) {
        if (mode == Mode::Exclusive && m_mode == Mode::Shared) {
            lockDb(LockFile::Mode::Exclusive);
            m_mode = Mode::Exclusive;
        }
        ++m_depth;
        return;
    }
    lockDb(mode == Mode::Shared ? LockFile::Mode::Shared : LockFile::Mode::Exclusive);
    m_mode = mode;
    m_depth = 1;
    try {
        struct stat st{};
        if (::stat(journalPath().c_str(), &st) == 0) {
            // A journal while nobody writes: its writer died. Only an exclusive holder
            // may roll it back; take the lock afresh to be sure no writer is alive.
            if (m_mode == Mode::Shared) {
                m_control.unlock(LockFile::kDb);
                lockDb(LockFile::Mode::Exclusive);
                recoverHotJournal();
                lockDb(LockFile::Mode::Shared); // downgrade
            } else {
                recoverHotJournal();
            }
        }
        refresh();
    } catch (...) {
        m_control.unlock(LockFile::kDb);
        m_mode = Mode::None;
        m_depth = 0;
        throw;
    }
}

void Store::release()
{
    if (m_depth == 0)
        return;
    if (--m_depth == 0) {
        m_control.unlock(LockFile::kDb);
        m_mode = Mode::None;
    }
}

bool Store::lockSessionShared(std::chrono::milliseconds timeout)
{
    m_sessionExclusive = false;
    return m_control.lock(LockFile::kSession, LockFile::Mode::Shared, timeout);
}

bool Store::tryExclusiveSession()
{
    if (m_sessionExclusive)
        return true;
    if (!m_control.lock(LockFile::kSession, LockFile::Mode::Exclusive, std::chrono::milliseconds(0)))
        return false;
    m_sessionExclusive = true;
    return true;
}

void Store::downgradeSession()
{
    if (!m_sessionExclusive)
        return;
    m_control.lock(LockFile::kSession, LockFile::Mode::Shared, std::chrono::milliseconds(0));
    m_sessionExclusive = false;
}

void Store::unlockSession()
{
    m_control.unlock(LockFile::kSession);
    m_sessionExclusive = false;
}

std::shared_ptr<StoredTable> Store::attach(const std::string &path)
{
    if (directoryOf(path) != m_dir)
        throw Error(path + " is not in the data directory " + m_dir);
    const std::string key = lower(baseName(path));
    auto it = m_tables.find(key);
    if (it != m_tables.end())
        if (auto t = it->second.lock())
            return t;
    // Read the image under the shared lock so a writer is never seen half-way.
    acquire(m_mode == Mode::None ? Mode::Shared : m_mode);
    std::shared_ptr<StoredTable> t;
    try {
        t = std::make_shared<StoredTable>(*this, path);
    } catch (...) {
        release();
        throw;
    }
    release();
    m_tables[key] = t;
    return t;
}

void Store::detach(const std::shared_ptr<StoredTable> &t)
{
    const std::string key = lower(t->name());
    auto it = m_tables.find(key);
    if (it != m_tables.end() && it->second.lock() == t && t.use_count() <= 2)
        m_tables.erase(it);
}

void Store::refresh()
{
    for (auto it = m_tables.begin(); it != m_tables.end();) {
        auto t = it->second.lock();
        if (!t) {
            it = m_tables.erase(it);
            continue;
        }
        ++it;
        if (t->m_inTxn)
            continue;
        struct stat st{};
        StoredTable::Identity id;
        if (::stat(t->m_path.c_str(), &st) == 0)
            id = {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size),
                  std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
        if (id == t->m_identity && readCounter(t->m_name) == t->m_counter)
            continue;
        t->load();
    }
}

void Store::pack(const std::string &path)
{
    acquire(Mode::Exclusive);
    try {
        packTable(path, todayLocal());
        bumpCounter(baseName(path));
        refresh();
    } catch (...) {
        release();
        throw;
    }
    release();
}

void Store::restructure(const std::string &path, const std::vector<ColumnMap> &columns)
{
    acquire(Mode::Exclusive);
    try {
        restructureTable(path, columns, todayLocal());
        bumpCounter(baseName(path));
        refresh();
    } catch (...) {
        release();
        throw;
    }
    release();
}

bool Store::recoverHotJournal()
{
    const std::string jpath = journalPath();
    std::string bytes;
    try {
        bytes = readWholeFile(jpath);
    } catch (const Error &) {
        return false; // gone meanwhile
    }
    const auto entries = parseJournal(bytes);
    if (entries) {
        // Complete journal: the writer may have touched the tables; put the before-images back.
        for (const JournalEntry &e : *entries) {
            const std::string path = m_dir + "/" + e.name;
            struct stat st{};
            if (::stat(path.c_str(), &st) != 0)
                continue;
            Fd fd(path, O_RDWR);
            for (const auto &[offset, data] : e.ranges)
                pwriteAll(fd.get(), data.data(), data.size(), offset, path);
            if (::ftruncate(fd.get(), static_cast<off_t>(e.originalSize)) != 0)
                throw Error("cannot restore " + path + ": " + std::strerror(errno));
            pwriteAll(fd.get(), e.header.data(), e.header.size(), 0, path);
            fd.sync();
        }
    }
    // An incomplete journal means the tables were never touched.
    if (::unlink(jpath.c_str()) != 0 && errno != ENOENT)
        throw Error("cannot delete the journal " + jpath + ": " + std::strerror(errno));
    syncDirectory(m_dir);
    if (entries)
        for (const JournalEntry &e : *entries)
            bumpCounter(e.name);
    return true;
}

void Store::joinTransaction(StoredTable &t)
{
    if (m_joined.empty()) {
        // The transaction holds DB exclusive until its last table commits or rolls back,
        // whatever the statement layer does with its own (nested) locks meanwhile.
        acquire(Mode::Exclusive);
        m_autoLocked = true;
        m_phase = Phase::Open;
        m_journalExists = false;
    }
    if (std::find(m_joined.begin(), m_joined.end(), &t) == m_joined.end())
        m_joined.push_back(&t);
    t.begin();
}

void Store::writeJournal()
{
    std::string payload;
    std::uint32_t tables = 0;
    for (StoredTable *t : m_joined) {
        if (!t->dirty())
            continue;
        Fd fd(t->m_path, O_RDONLY);
        struct stat st{};
        ::fstat(fd.get(), &st);
        const std::uint64_t size = std::uint64_t(st.st_size);
        const std::uint64_t hl = std::uint64_t(t->layout().headerLength());
        const std::uint64_t rl = std::uint64_t(t->layout().recordLength());
        std::vector<std::uint32_t> recs;
        for (const auto &u : t->m_undo)
            if (u.recno < t->m_origCount)
                recs.push_back(u.recno);
        std::sort(recs.begin(), recs.end());
        recs.erase(std::unique(recs.begin(), recs.end()), recs.end());
        std::vector<std::pair<std::uint64_t, std::uint64_t>> ranges;
        for (std::uint32_t r : recs) {
            const std::uint64_t off = hl + r * rl;
            if (!ranges.empty() && ranges.back().first + ranges.back().second == off)
                ranges.back().second += rl;
            else
                ranges.emplace_back(off, rl);
        }
        const std::uint64_t tail = hl + std::uint64_t(t->m_origCount) * rl;
        if (t->m_image.recordCount() > t->m_origCount && size > tail)
            ranges.emplace_back(tail, size - tail);
        put<std::uint16_t>(payload, static_cast<std::uint16_t>(t->m_name.size()));
        payload += t->m_name;
        put<std::uint64_t>(payload, size);
        std::string header = preadSome(fd.get(), 0, 32);
        header.resize(32, '\0');
        payload += header;
        put<std::uint32_t>(payload, static_cast<std::uint32_t>(ranges.size()));
        for (const auto &[off, len] : ranges) {
            std::string before = preadSome(fd.get(), off, static_cast<std::size_t>(len));
            put<std::uint64_t>(payload, off);
            put<std::uint32_t>(payload, static_cast<std::uint32_t>(before.size()));
            payload += before;
        }
        ++tables;
    }
    if (tables == 0)
        return;
    const std::uint64_t nonce = randomNonce();
    std::string journal(kMagic, 8);
    put<std::uint64_t>(journal, nonce);
    put<std::uint32_t>(journal, tables);
    put<std::uint64_t>(journal, payload.size());
    put<std::uint64_t>(journal, checksum(nonce, payload));
    journal += payload;
    {
        Fd fd(journalPath(), O_WRONLY | O_CREAT | O_TRUNC);
        m_journalExists = true;
        pwriteAll(fd.get(), journal.data(), journal.size(), 0, journalPath());
        fd.sync();
    }
    syncDirectory(m_dir);
    // Readers re-read every table this transaction may change (a rollback only makes this
    // an unnecessary reload).
    for (StoredTable *t : m_joined)
        if (t->dirty())
            t->m_counter = bumpCounter(t->m_name);
    failPoint("journal-written");
}

void Store::writeData(StoredTable &t)
{
    if (!t.dirty())
        return;
    Fd fd(t.m_path, O_RDWR);
    const std::uint64_t hl = std::uint64_t(t.layout().headerLength());
    const std::uint64_t rl = std::uint64_t(t.layout().recordLength());
    t.m_written = true;
    std::vector<std::uint32_t> recs;
    for (const auto &u : t.m_undo)
        if (u.recno < t.m_origCount)
            recs.push_back(u.recno);
    std::sort(recs.begin(), recs.end());
    recs.erase(std::unique(recs.begin(), recs.end()), recs.end());
    std::size_t i = 0;
    while (i < recs.size()) {
        std::size_t j = i + 1;
        while (j < recs.size() && recs[j] == recs[j - 1] + 1)
            ++j;
        pwriteAll(fd.get(), t.m_image.record(recs[i]), (j - i) * rl, hl + recs[i] * rl, t.m_path);
        i = j;
    }
    failPoint("mid-data");
    const std::uint32_t count = t.m_image.recordCount();
    if (count > t.m_origCount) {
        const std::uint64_t at = hl + std::uint64_t(t.m_origCount) * rl;
        const std::uint64_t bytes = std::uint64_t(count - t.m_origCount) * rl;
        pwriteAll(fd.get(), t.m_image.record(t.m_origCount), static_cast<std::size_t>(bytes), at, t.m_path);
        const char eof = '\x1A';
        pwriteAll(fd.get(), &eof, 1, at + bytes, t.m_path);
    }
    const std::string header = t.layout().header(count, todayLocal()).substr(0, 32);
    pwriteAll(fd.get(), header.data(), header.size(), 0, t.m_path);
    fd.sync();
}

void Store::sync(StoredTable &t)
{
    // SQLite also syncs a virtual table it has just created, without xBegin.
    if (!t.m_inTxn)
        return;
    if (m_phase == Phase::Open) {
        writeJournal();
        m_phase = Phase::JournalWritten;
    }
    writeData(t);
}

void Store::finishTransaction(StoredTable &t)
{
    t.m_inTxn = false;
    t.m_undo.clear();
    t.m_marks.clear();
    t.m_written = false;
    if (t.m_origCount != t.m_image.recordCount() || true) {
        struct stat st{};
        if (::stat(t.m_path.c_str(), &st) == 0)
            t.m_identity = {std::uint64_t(st.st_dev), std::uint64_t(st.st_ino), std::uint64_t(st.st_size),
                            std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
    }
    m_joined.erase(std::remove(m_joined.begin(), m_joined.end(), &t), m_joined.end());
    if (m_joined.empty()) {
        m_phase = Phase::Idle;
        m_journalExists = false;
        if (m_autoLocked) {
            m_autoLocked = false;
            release();
        }
    }
}

void Store::commit(StoredTable &t)
{
    if (!t.m_inTxn)
        return;
    if (m_phase == Phase::JournalWritten) {
        if (m_journalExists) {
            failPoint("before-journal-delete");
            // The commit point. Like SQLite, the directory is not synced here: should a
            // power cut bring the journal back, the next reader rolls the change back
            // whole, so the tables stay consistent either way.
            if (::unlink(journalPath().c_str()) != 0 && errno != ENOENT)
                throw Error("cannot delete the journal " + journalPath() + ": " + std::strerror(errno));
        }
        m_phase = Phase::Committed;
    }
    finishTransaction(t);
}

void Store::rollback(StoredTable &t)
{
    if (!t.m_inTxn)
        return;
    if (m_phase == Phase::JournalWritten && m_journalExists) {
        bool written = false;
        for (StoredTable *j : m_joined)
            written = written || j->m_written;
        // Put the files back as they were; when that fails the journal stays hot and the
        // next reader finishes the job.
        try {
            if (written)
                recoverHotJournal();
            else
                ::unlink(journalPath().c_str());
        } catch (const Error &) {
        }
        m_journalExists = false;
    }
    t.undoTo({0, t.m_origCount});
    finishTransaction(t);
}

} // namespace dbf
