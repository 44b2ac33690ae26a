#include "dbf/Module.h"

#include "dbf/Cp1250.h"
#include "dbf/Dbf.h"
#include "dbf/Numbers.h"
#include "dbf/Store.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace dbf {
namespace {

struct VTab : sqlite3_vtab {
    Store *store = nullptr;
    std::shared_ptr<StoredTable> table;
};

struct Cursor : sqlite3_vtab_cursor {
    bool useList = false;
    std::vector<std::uint32_t> list;
    std::size_t pos = 0;
    std::uint32_t cur = 0;
    bool eof = true;
};

VTab *vt(sqlite3_vtab *p) { return static_cast<VTab *>(p); }

constexpr int kLikeBase = 100000; // idxNum of a LIKE prefix lookup: kLikeBase + column

int setError(sqlite3_vtab *p, const std::string &msg)
{
    sqlite3_free(p->zErrMsg);
    p->zErrMsg = sqlite3_mprintf("%s", msg.c_str());
    return SQLITE_ERROR;
}

std::string unquote(const char *arg)
{
    std::string s = arg ? arg : "";
    while (!s.empty() && s.front() == ' ')
        s.erase(s.begin());
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    if (s.size() >= 2 && (s.front() == '\'' || s.front() == '"') && s.back() == s.front()) {
        const char q = s.front();
        std::string out;
        for (std::size_t i = 1; i + 1 < s.size(); ++i) {
            out += s[i];
            if (s[i] == q && i + 2 < s.size() && s[i + 1] == q)
                ++i;
        }
        return out;
    }
    return s;
}

const char *declaredType(const Field &f)
{
    switch (f.type) {
    case 'C': return "TEXT";
    case 'D': return "DATE TEXT";
    case 'L': return "INTEGER";
    default: return f.decimals == 0 ? "INTEGER" : "REAL";
    }
}

int connect(sqlite3 *db, void *aux, int argc, const char *const *argv, sqlite3_vtab **out, char **err)
{
    if (argc < 4) {
        *err = sqlite3_mprintf("dbf: the table file is missing (USING dbf('path'))");
        return SQLITE_ERROR;
    }
    auto *store = static_cast<Store *>(aux);
    auto *v = new VTab();
    v->store = store;
    try {
        v->table = store->attach(unquote(argv[3]));
    } catch (const std::exception &e) {
        delete v;
        *err = sqlite3_mprintf("%s", e.what());
        return SQLITE_ERROR;
    }
    std::string sql = "CREATE TABLE x(";
    const Layout &l = v->table->layout();
    for (int i = 0; i < l.fieldCount(); ++i) {
        if (i)
            sql += ", ";
        sql += "\"" + l.field(i).name + "\" " + declaredType(l.field(i));
    }
    sql += ")";
    int rc = sqlite3_declare_vtab(db, sql.c_str());
    if (rc != SQLITE_OK) {
        *err = sqlite3_mprintf("dbf: cannot declare %s: %s", v->table->name().c_str(), sqlite3_errmsg(db));
        store->detach(v->table);
        delete v;
        return rc;
    }
    sqlite3_vtab_config(db, SQLITE_VTAB_CONSTRAINT_SUPPORT, 1);
    *out = v;
    return SQLITE_OK;
}

int disconnect(sqlite3_vtab *p)
{
    VTab *v = vt(p);
    auto t = v->table;
    v->table.reset();
    v->store->detach(t);
    delete v;
    return SQLITE_OK;
}

int bestIndex(sqlite3_vtab *p, sqlite3_index_info *info)
{
    VTab *v = vt(p);
    const double n = std::max<double>(1, v->table->image().recordCount());
    int best = -1;
    int bestColumn = -2;
    double bestRows = n;
    // LIKE 'prefix%' on a text column: served by the column's sorted prefix index when no
    // equality does better (the pattern is not known yet: guess a small share of rows).
    int like = -1;
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto &c = info->aConstraint[i];
        if (c.usable && c.op == SQLITE_INDEX_CONSTRAINT_LIKE && c.iColumn >= 0 &&
            v->table->layout().field(c.iColumn).type == 'C') {
            like = i;
            break;
        }
    }
    for (int i = 0; i < info->nConstraint; ++i) {
        const auto &c = info->aConstraint[i];
        if (!c.usable || c.op != SQLITE_INDEX_CONSTRAINT_EQ)
            continue;
        if (c.iColumn < 0) {
            best = i;
            bestColumn = -1;
            bestRows = 1;
            break;
        }
        const double rows = v->table->rowsPerKey(c.iColumn);
        if (best < 0 || rows < bestRows) {
            best = i;
            bestColumn = c.iColumn;
            bestRows = rows;
        }
    }
    const double likeRows = n / 20 + 1;
    if (like >= 0 && (best < 0 || bestRows > likeRows)) {
        info->aConstraintUsage[like].argvIndex = 1;
        info->aConstraintUsage[like].omit = 0;
        info->idxNum = kLikeBase + info->aConstraint[like].iColumn;
        info->estimatedCost = 10 + likeRows * 2;
        info->estimatedRows = static_cast<sqlite3_int64>(likeRows);
        return SQLITE_OK;
    }
    if (best < 0) {
        info->idxNum = 0;
        info->estimatedCost = n * 2 + 10;
        info->estimatedRows = static_cast<sqlite3_int64>(n);
        return SQLITE_OK;
    }
    info->aConstraintUsage[best].argvIndex = 1;
    info->aConstraintUsage[best].omit = 0; // SQLite re-checks with the column's affinity
    if (bestColumn == -1) {
        info->idxNum = 1;
        info->estimatedCost = 1;
        info->estimatedRows = 1;
        info->idxFlags = SQLITE_INDEX_SCAN_UNIQUE;
    } else {
        info->idxNum = 2 + bestColumn;
        info->estimatedCost = 10 + bestRows;
        info->estimatedRows = static_cast<sqlite3_int64>(bestRows + 0.5);
    }
    return SQLITE_OK;
}

int openCursor(sqlite3_vtab *, sqlite3_vtab_cursor **out)
{
    *out = new Cursor();
    return SQLITE_OK;
}

int closeCursor(sqlite3_vtab_cursor *c)
{
    delete static_cast<Cursor *>(c);
    return SQLITE_OK;
}

// Index key of a value compared with a column, as the column stores it; false when no
// record can be equal.
bool keyOfValue(const Field &f, sqlite3_value *val, std::string &key)
{
    const int type = sqlite3_value_type(val);
    if (type == SQLITE_NULL)
        return false;
    switch (f.type) {
    case 'C': {
        const auto *t = reinterpret_cast<const char *>(sqlite3_value_text(val));
        if (!t)
            return false;
        if (!utf8ToCp1250(std::string_view(t, static_cast<std::size_t>(sqlite3_value_bytes(val))), key))
            return false;
        while (!key.empty() && key.back() == ' ')
            key.pop_back();
        return true;
    }
    case 'N':
    case 'F': {
        double d = 0;
        if (type == SQLITE_INTEGER) {
            d = static_cast<double>(sqlite3_value_int64(val));
        } else if (type == SQLITE_FLOAT) {
            d = sqlite3_value_double(val);
        } else {
            const auto *t = reinterpret_cast<const char *>(sqlite3_value_text(val));
            const auto parsed = parseNumber(t ? t : "");
            if (!parsed)
                return false;
            d = *parsed;
        }
        if (d == 0)
            d = 0.0;
        key.assign(reinterpret_cast<const char *>(&d), sizeof d);
        return true;
    }
    case 'D': {
        if (type != SQLITE_TEXT)
            return false;
        const auto *t = reinterpret_cast<const char *>(sqlite3_value_text(val));
        const auto d = parseIsoDate(t ? t : "");
        if (!d)
            return false;
        char buf[16];
        std::snprintf(buf, sizeof buf, "%04d%02d%02d", d->year, d->month, d->day);
        key.assign(buf, 8);
        return true;
    }
    default:
        return false;
    }
}

void skipDeleted(Cursor *c, const StoredTable &t)
{
    if (c->useList) {
        c->eof = c->pos >= c->list.size();
        if (!c->eof)
            c->cur = c->list[c->pos];
        return;
    }
    const Table &img = t.image();
    while (c->cur < img.recordCount() && img.isDeleted(c->cur))
        ++c->cur;
    c->eof = c->cur >= img.recordCount();
}

int filter(sqlite3_vtab_cursor *pc, int idxNum, const char *, int argc, sqlite3_value **argv)
{
    auto *c = static_cast<Cursor *>(pc);
    VTab *v = vt(pc->pVtab);
    try {
        if (v->store->mode() == Store::Mode::None && !v->table->inTransaction()) {
            // Used without the statement layer: at least see other programs' commits.
            v->store->acquire(Store::Mode::Shared);
            v->store->release();
        }
    } catch (const std::exception &e) {
        return setError(pc->pVtab, e.what());
    }
    StoredTable &t = *v->table;
    c->pos = 0;
    c->cur = 0;
    c->list.clear();
    c->useList = idxNum != 0;
    if (idxNum == 1 && argc >= 1) {
        sqlite3_value *val = argv[0];
        sqlite3_int64 rowid = 0;
        bool ok = false;
        if (sqlite3_value_type(val) == SQLITE_INTEGER) {
            rowid = sqlite3_value_int64(val);
            ok = true;
        } else if (sqlite3_value_type(val) != SQLITE_NULL) {
            const double d = sqlite3_value_double(val);
            ok = d == std::floor(d) && std::fabs(d) < 9e15;
            rowid = static_cast<sqlite3_int64>(d);
        }
        if (ok && rowid >= 1 && rowid <= t.image().recordCount() &&
            !t.image().isDeleted(static_cast<std::uint32_t>(rowid - 1)))
            c->list.push_back(static_cast<std::uint32_t>(rowid - 1));
    } else if (idxNum >= kLikeBase && argc >= 1) {
        const int column = idxNum - kLikeBase;
        const auto *pattern = reinterpret_cast<const char *>(sqlite3_value_text(argv[0]));
        std::string prefix;
        bool ok = pattern != nullptr;
        if (ok) {
            std::string_view pv(pattern);
            pv = pv.substr(0, std::min(pv.find('%'), pv.find('_')));
            ok = utf8ToCp1250(pv, prefix);
        }
        if (ok && column < t.layout().fieldCount())
            t.lookupPrefix(column, prefix, c->list);
    } else if (idxNum >= 2 && argc >= 1) {
        const int column = idxNum - 2;
        std::string key;
        if (column < t.layout().fieldCount() && keyOfValue(t.layout().field(column), argv[0], key))
            t.lookup(column, key, c->list);
    }
    skipDeleted(c, t);
    return SQLITE_OK;
}

int next(sqlite3_vtab_cursor *pc)
{
    auto *c = static_cast<Cursor *>(pc);
    if (c->useList)
        ++c->pos;
    else
        ++c->cur;
    skipDeleted(c, *vt(pc->pVtab)->table);
    return SQLITE_OK;
}

int eof(sqlite3_vtab_cursor *pc) { return static_cast<Cursor *>(pc)->eof ? 1 : 0; }

// "-123.45" with at most 15 digits: the digits as an integer divided by a power of ten.
// Both are exact doubles and IEEE division rounds correctly, so this is the same value a
// full decimal parser gives, much faster.
bool fastDecimal(const char *p, const char *e, double &out)
{
    static const double kPow10[] = {1, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
    bool neg = false;
    if (p < e && *p == '-') {
        neg = true;
        ++p;
    }
    std::int64_t m = 0;
    int digits = 0, decimals = -1;
    for (; p < e; ++p) {
        if (*p >= '0' && *p <= '9') {
            m = m * 10 + (*p - '0');
            if (++digits > 15)
                return false;
            if (decimals >= 0)
                ++decimals;
        } else if (*p == '.' && decimals < 0) {
            decimals = 0;
        } else {
            return false;
        }
    }
    if (digits == 0)
        return false;
    const double v = static_cast<double>(m) / kPow10[decimals < 0 ? 0 : decimals];
    out = neg && m != 0 ? -v : v;
    return true;
}

void resultField(sqlite3_context *ctx, const Field &f, const char *rec)
{
    switch (f.type) {
    case 'C': {
        const char *p = rec + f.offset;
        int len = f.length;
        while (len > 0 && (p[len - 1] == ' ' || p[len - 1] == '\0'))
            --len;
        bool ascii = true;
        for (int i = 0; i < len; ++i)
            if (static_cast<unsigned char>(p[i]) >= 0x80) {
                ascii = false;
                break;
            }
        if (ascii) {
            sqlite3_result_text(ctx, p, len, SQLITE_TRANSIENT);
        } else {
            const std::string s = cp1250ToUtf8(std::string_view(p, static_cast<std::size_t>(len)));
            sqlite3_result_text(ctx, s.data(), static_cast<int>(s.size()), SQLITE_TRANSIENT);
        }
        return;
    }
    case 'N':
    case 'F': {
        // Fast path for whole numbers.
        const char *p = rec + f.offset;
        const char *e = p + f.length;
        while (p < e && *p == ' ')
            ++p;
        while (e > p && (e[-1] == ' ' || e[-1] == '\0'))
            --e;
        if (p == e) {
            sqlite3_result_null(ctx);
            return;
        }
        if (f.decimals == 0) {
            std::int64_t iv = 0;
            const auto r = std::from_chars(p, e, iv);
            if (r.ec == std::errc() && r.ptr == e) {
                sqlite3_result_int64(ctx, iv);
                return;
            }
        } else if (double d = 0; fastDecimal(p, e, d)) {
            sqlite3_result_double(ctx, d);
            return;
        }
        const auto v = parseNumber(std::string_view(p, static_cast<std::size_t>(e - p)));
        if (!v) {
            sqlite3_result_null(ctx);
        } else if (f.decimals == 0 && *v == std::floor(*v) && std::fabs(*v) < 9e15) {
            sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(*v));
        } else {
            sqlite3_result_double(ctx, *v);
        }
        return;
    }
    case 'D': {
        const auto d = decodeDate(f, rec);
        if (!d) {
            sqlite3_result_null(ctx);
            return;
        }
        char buf[16];
        const char *p = rec + f.offset;
        buf[0] = p[0]; buf[1] = p[1]; buf[2] = p[2]; buf[3] = p[3]; buf[4] = '-';
        buf[5] = p[4]; buf[6] = p[5]; buf[7] = '-'; buf[8] = p[6]; buf[9] = p[7];
        sqlite3_result_text(ctx, buf, 10, SQLITE_TRANSIENT);
        return;
    }
    case 'L': {
        const auto b = decodeLogical(f, rec);
        if (b)
            sqlite3_result_int(ctx, *b ? 1 : 0);
        else
            sqlite3_result_null(ctx);
        return;
    }
    default:
        sqlite3_result_null(ctx);
    }
}

int column(sqlite3_vtab_cursor *pc, sqlite3_context *ctx, int i)
{
    auto *c = static_cast<Cursor *>(pc);
    if (sqlite3_vtab_nochange(ctx))
        return SQLITE_OK; // an UPDATE that leaves this column alone: keep its bytes
    const StoredTable &t = *vt(pc->pVtab)->table;
    if (i < 0 || i >= t.layout().fieldCount() || c->cur >= t.image().recordCount()) {
        sqlite3_result_null(ctx);
        return SQLITE_OK;
    }
    resultField(ctx, t.layout().field(i), t.image().record(c->cur));
    return SQLITE_OK;
}

int rowid(sqlite3_vtab_cursor *pc, sqlite3_int64 *out)
{
    *out = static_cast<sqlite3_int64>(static_cast<Cursor *>(pc)->cur) + 1;
    return SQLITE_OK;
}

bool encodeValue(const Field &f, sqlite3_value *v, char *rec, std::string &error)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        encodeNull(f, rec);
        return true;
    case SQLITE_INTEGER:
        if (f.type == 'D') {
            error = "column " + f.name + ": " + std::to_string(sqlite3_value_int64(v)) + " is not a date (YYYY-MM-DD)";
            return false;
        }
        return encodeInteger(f, sqlite3_value_int64(v), rec, error);
    case SQLITE_FLOAT:
        if (f.type == 'D') {
            error = "column " + f.name + ": a number is not a date (YYYY-MM-DD)";
            return false;
        }
        return encodeNumber(f, sqlite3_value_double(v), rec, error);
    case SQLITE_TEXT: {
        const auto *t = reinterpret_cast<const char *>(sqlite3_value_text(v));
        return encodeText(f, std::string_view(t ? t : "", static_cast<std::size_t>(sqlite3_value_bytes(v))), rec, error);
    }
    default:
        error = "column " + f.name + ": binary values cannot be stored";
        return false;
    }
}

int constraintError(sqlite3_vtab *p, const std::string &msg)
{
    sqlite3_free(p->zErrMsg);
    p->zErrMsg = sqlite3_mprintf("%s: %s", vt(p)->table->name().c_str(), msg.c_str());
    return SQLITE_CONSTRAINT;
}

int update(sqlite3_vtab *p, int argc, sqlite3_value **argv, sqlite3_int64 *outRowid)
{
    VTab *v = vt(p);
    StoredTable &t = *v->table;
    const Layout &l = t.layout();
    const std::size_t len = static_cast<std::size_t>(l.recordLength());
    try {
        auto existing = [&](sqlite3_value *val, std::uint32_t &recno) {
            const sqlite3_int64 r = sqlite3_value_int64(val);
            if (r < 1 || r > t.image().recordCount() || t.image().isDeleted(static_cast<std::uint32_t>(r - 1)))
                return false;
            recno = static_cast<std::uint32_t>(r - 1);
            return true;
        };
        if (argc == 1) { // DELETE
            std::uint32_t recno = 0;
            if (!existing(argv[0], recno))
                return SQLITE_OK;
            std::string rec(t.image().record(recno), len);
            rec[0] = '*';
            t.overwrite(recno, rec.data());
            return SQLITE_OK;
        }
        if (argc != 2 + l.fieldCount())
            return setError(p, "dbf: unexpected number of values");
        std::string rec;
        std::uint32_t recno = 0;
        const bool insert = sqlite3_value_type(argv[0]) == SQLITE_NULL;
        if (insert) {
            if (sqlite3_value_type(argv[1]) != SQLITE_NULL)
                return constraintError(p, "the record number (rowid) cannot be chosen");
            rec.assign(len, ' ');
        } else {
            if (!existing(argv[0], recno))
                return constraintError(p, "the record to change no longer exists");
            if (sqlite3_value_type(argv[1]) == SQLITE_NULL || sqlite3_value_int64(argv[1]) != sqlite3_value_int64(argv[0]))
                return constraintError(p, "the record number (rowid) cannot change");
            rec.assign(t.image().record(recno), len);
        }
        std::string error;
        for (int i = 0; i < l.fieldCount(); ++i) {
            sqlite3_value *val = argv[2 + i];
            if (!insert && sqlite3_value_nochange(val))
                continue;
            if (!encodeValue(l.field(i), val, rec.data(), error))
                return constraintError(p, error);
        }
        if (insert) {
            *outRowid = static_cast<sqlite3_int64>(t.append(rec.data())) + 1;
        } else {
            t.overwrite(recno, rec.data());
        }
    } catch (const std::exception &e) {
        return setError(p, e.what());
    }
    return SQLITE_OK;
}

template <typename F> int guarded(sqlite3_vtab *p, F &&f)
{
    try {
        f();
        return SQLITE_OK;
    } catch (const std::exception &e) {
        return setError(p, e.what());
    }
}

int xBegin(sqlite3_vtab *p) { return guarded(p, [&] { vt(p)->store->joinTransaction(*vt(p)->table); }); }
int xSync(sqlite3_vtab *p) { return guarded(p, [&] { vt(p)->store->sync(*vt(p)->table); }); }
int xCommit(sqlite3_vtab *p) { return guarded(p, [&] { vt(p)->store->commit(*vt(p)->table); }); }
int xRollback(sqlite3_vtab *p) { return guarded(p, [&] { vt(p)->store->rollback(*vt(p)->table); }); }
int xSavepoint(sqlite3_vtab *p, int n) { return guarded(p, [&] { vt(p)->table->savepoint(n); }); }
int xRelease(sqlite3_vtab *p, int n) { return guarded(p, [&] { vt(p)->table->release(n); }); }
int xRollbackTo(sqlite3_vtab *p, int n) { return guarded(p, [&] { vt(p)->table->rollbackTo(n); }); }
int xRename(sqlite3_vtab *, const char *) { return SQLITE_OK; }

sqlite3_module makeModule()
{
    sqlite3_module m{};
    m.iVersion = 2;
    m.xCreate = connect;
    m.xConnect = connect;
    m.xBestIndex = bestIndex;
    m.xDisconnect = disconnect;
    m.xDestroy = disconnect; // DROP TABLE forgets the table, never deletes the file
    m.xOpen = openCursor;
    m.xClose = closeCursor;
    m.xFilter = filter;
    m.xNext = next;
    m.xEof = eof;
    m.xColumn = column;
    m.xRowid = rowid;
    m.xUpdate = update;
    m.xBegin = xBegin;
    m.xSync = xSync;
    m.xCommit = xCommit;
    m.xRollback = xRollback;
    m.xRename = xRename;
    m.xSavepoint = xSavepoint;
    m.xRelease = xRelease;
    m.xRollbackTo = xRollbackTo;
    return m;
}

const sqlite3_module g_module = makeModule();

// --- exact sum ------------------------------------------------------------------------

constexpr std::int64_t kScale = 100000000; // 8 decimals

// SQLite's aggregate memory is only 8-byte aligned: the 128-bit totals are kept as
// bytes and copied in and out.
struct SumState {
    std::int64_t count;
    std::int64_t anyReal;
    unsigned char scaled[16];
    unsigned char integer[16];
};

__int128 load128(const unsigned char *p)
{
    __int128 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void store128(unsigned char *p, __int128 v) { std::memcpy(p, &v, sizeof v); }

__int128 scaledOf(double d)
{
    if (std::fabs(d) < 9e7)
        return static_cast<__int128>(std::llround(d * double(kScale)));
    // Large values: round on the decimal text.
    const std::string s = formatFixed(d, 8);
    __int128 v = 0;
    bool neg = false;
    for (char ch : s) {
        if (ch == '-')
            neg = true;
        else if (ch >= '0' && ch <= '9')
            v = v * 10 + (ch - '0');
    }
    return neg ? -v : v;
}

void sumStep(sqlite3_context *ctx, int, sqlite3_value **argv, int sign)
{
    auto *s = static_cast<SumState *>(sqlite3_aggregate_context(ctx, sizeof(SumState)));
    if (!s)
        return;
    sqlite3_value *v = argv[0];
    int type = sqlite3_value_numeric_type(v);
    if (type == SQLITE_NULL)
        return;
    s->count += sign;
    if (type == SQLITE_INTEGER) {
        store128(s->integer, load128(s->integer) + __int128(sqlite3_value_int64(v)) * sign);
    } else if (type == SQLITE_FLOAT) {
        s->anyReal = 1;
        store128(s->scaled, load128(s->scaled) + scaledOf(sqlite3_value_double(v)) * sign);
    } else {
        s->anyReal = 1; // text that is not a number counts as 0.0
    }
}

void sumValue(sqlite3_context *ctx)
{
    auto *s = static_cast<SumState *>(sqlite3_aggregate_context(ctx, 0));
    if (!s || s->count <= 0) {
        sqlite3_result_null(ctx);
        return;
    }
    const __int128 integer = load128(s->integer);
    if (!s->anyReal) {
        if (integer > INT64_MAX || integer < INT64_MIN) {
            sqlite3_result_error(ctx, "integer overflow", -1);
            return;
        }
        sqlite3_result_int64(ctx, static_cast<sqlite3_int64>(integer));
        return;
    }
    __int128 total = load128(s->scaled) + integer * kScale;
    const bool neg = total < 0;
    if (neg)
        total = -total;
    std::string digits;
    do {
        digits.insert(digits.begin(), char('0' + int(total % 10)));
        total /= 10;
    } while (total > 0);
    while (digits.size() < 9)
        digits.insert(digits.begin(), '0');
    std::string text = (neg ? "-" : "") + digits.substr(0, digits.size() - 8) + "." + digits.substr(digits.size() - 8);
    double d = 0;
    std::from_chars(text.data(), text.data() + text.size(), d);
    sqlite3_result_double(ctx, d);
}

void sumStepAdd(sqlite3_context *ctx, int n, sqlite3_value **argv) { sumStep(ctx, n, argv, 1); }
void sumStepRemove(sqlite3_context *ctx, int n, sqlite3_value **argv) { sumStep(ctx, n, argv, -1); }

} // namespace

int registerModule(sqlite3 *db, Store *store)
{
    return sqlite3_create_module_v2(db, "dbf", &g_module, store, nullptr);
}

int registerExactSum(sqlite3 *db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    int rc = sqlite3_create_window_function(db, "sum", 1, flags, nullptr, sumStepAdd, sumValue, sumValue,
                                            sumStepRemove, nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_create_window_function(db, "xsum", 1, flags, nullptr, sumStepAdd, sumValue, sumValue,
                                            sumStepRemove, nullptr);
    return rc;
}

} // namespace dbf
