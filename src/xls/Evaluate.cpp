// Formula evaluation: recomputes stored results with a spreadsheet's arithmetic (the
// rounding rules of LibreOffice Calc: approximate add/subtract/compare, INT and ROUND on
// the value rounded to 15 significant digits).
#include "Ops.h"
#include "Strings.h"
#include "Tokens.h"

#include <charconv>
#include <cmath>
#include <unordered_set>

namespace xls::detail {

namespace {

struct Unsupported {};
// Raised when the evaluation nests too deep; `at` is the formula that was not entered.
struct Deferred {
    Formula *at;
};

constexpr std::uint8_t eDiv0 = 0x07, eValue = 0x0F, eRef = 0x17, eNum = 0x24, eNA = 0x2A;

struct V {
    enum T : std::uint8_t { Empty, Num, Str, Bool, Err, Area, Missing };
    T t = Empty;
    double n = 0;
    std::string s;
    int sheet = 0;
    std::uint32_t r1 = 0, r2 = 0;
    std::uint16_t c1 = 0, c2 = 0;

    static V num(double d) { V v; v.t = Num; v.n = d; return v; }
    static V err(std::uint8_t e) { V v; v.t = Err; v.n = e; return v; }
    static V boolean(bool b) { V v; v.t = Bool; v.n = b ? 1 : 0; return v; }
    static V str(std::string x) { V v; v.t = Str; v.s = std::move(x); return v; }
};

double approxValue(double x)
{
    if (x == 0 || !std::isfinite(x))
        return x;
    const int e = int(std::floor(std::log10(std::fabs(x))));
    const int digits = 14 - e;
    if (digits > 300 || digits < -300)
        return x;
    const double scale = std::pow(10.0, std::abs(digits));
    const double r = digits >= 0 ? std::round(x * scale) / scale : std::round(x / scale) * scale;
    return std::isfinite(r) ? r : x;
}

bool approxEqual(double a, double b)
{
    if (a == b)
        return true;
    if (a == 0 || b == 0)
        return false;
    const double e48 = 1.0 / (16777216.0 * 16777216.0);
    const double d = std::fabs(a - b);
    return d < std::fabs(a) * e48 && d < std::fabs(b) * e48;
}

double approxAdd(double a, double b)
{
    if (((a < 0 && b > 0) || (b < 0 && a > 0)) && approxEqual(a, -b))
        return 0;
    return a + b;
}

double approxSub(double a, double b)
{
    if (((a < 0 && b < 0) || (a > 0 && b > 0)) && approxEqual(a, b))
        return 0;
    return a - b;
}

double roundPlaces(double v, int places, int mode) // mode 0 half away, 1 up, -1 down
{
    if (v == 0 || !std::isfinite(v) || places > 20 || places < -20)
        return v;
    const bool neg = v < 0;
    double x = std::fabs(v);
    const double f = std::pow(10.0, std::abs(places));
    x = places >= 0 ? x * f : x / f;
    x = approxValue(x);
    x = mode == 0 ? std::floor(x + 0.5) : mode > 0 ? std::ceil(x) : std::floor(x);
    x = places >= 0 ? x / f : x * f;
    return neg ? -x : x;
}

char16_t fold(char16_t c)
{
    if (c >= u'A' && c <= u'Z')
        return char16_t(c + 32);
    if (c >= 0xC0 && c <= 0xDE && c != 0xD7)
        return char16_t(c + 32);
    if (c >= 0x100 && c <= 0x17F && c % 2 == 0 && c != 0x130 && c != 0x138)
        return char16_t(c + 1);
    if (c == 0x218 || c == 0x21A)
        return char16_t(c + 1);
    return c;
}

char16_t upper(char16_t c)
{
    if (c >= u'a' && c <= u'z')
        return char16_t(c - 32);
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return char16_t(c - 32);
    if (c >= 0x101 && c <= 0x17F && c % 2 == 1 && c != 0x131 && c != 0x149)
        return char16_t(c - 1);
    if (c == 0x219 || c == 0x21B)
        return char16_t(c - 1);
    return c;
}

int compareText(const std::string &a, const std::string &b)
{
    const std::u16string x = utf8ToUtf16(a), y = utf8ToUtf16(b);
    for (std::size_t i = 0; i < x.size() && i < y.size(); ++i) {
        const char16_t p = fold(x[i]), q = fold(y[i]);
        if (p != q)
            return p < q ? -1 : 1;
    }
    return x.size() == y.size() ? 0 : (x.size() < y.size() ? -1 : 1);
}

class Evaluator {
public:
    explicit Evaluator(Book &b) : m_b(b) {}

    // Evaluates a formula and everything it needs. Deep chains are walked with an explicit
    // work list instead of unbounded recursion: when nesting reaches the limit, the formula
    // at the limit is evaluated first and the outer one retried.
    void evaluate(Formula &root)
    {
        std::vector<Formula *> work{&root};
        std::unordered_set<Formula *> queued{&root};
        while (!work.empty()) {
            Formula *f = work.back();
            if (f->evalGen == m_b.evalGen && f->evalState >= 2) {
                work.pop_back();
                continue;
            }
            try {
                evalFormula(*f);
                work.pop_back();
            } catch (const Deferred &d) {
                for (Formula *r : m_running) {
                    r->evalState = 0;
                    r->evalGen = 0;
                }
                m_running.clear();
                m_depth = 0;
                if (!queued.insert(d.at).second) { // a cycle longer than the nesting limit
                    d.at->flags |= 0x01;
                    done(*d.at, 3);
                    continue;
                }
                work.push_back(d.at);
            }
        }
    }

    void evalFormula(Formula &f)
    {
        if (f.evalGen == m_b.evalGen && (f.evalState == 2 || f.evalState == 3))
            return;
        if (f.evalGen == m_b.evalGen && f.evalState == 1) // a cycle
            throw Unsupported{};
        if (f.opaque || !f.arrayRecord.empty() || (f.rgce.size() == 5 && f.rgce[0] == 0x01)) {
            done(f, 3);
            return;
        }
        if (m_depth >= 64)
            throw Deferred{&f};
        f.evalGen = m_b.evalGen;
        f.evalState = 1;
        m_running.push_back(&f);
        ++m_depth;
        try {
            V v = scalar(run(f), true);
            store(f, v);
            f.flags &= std::uint16_t(~0x01);
            done(f, 2);
        } catch (const Unsupported &) {
            f.flags |= 0x01; // the spreadsheet recalculates it
            done(f, 3);
        }
        --m_depth;
        m_running.pop_back();
    }

private:
    void done(Formula &f, std::uint8_t st)
    {
        f.evalGen = m_b.evalGen;
        f.evalState = st;
    }

    static void store(Formula &f, const V &v)
    {
        f.text.clear();
        switch (v.t) {
        case V::Num:
            if (std::isfinite(v.n)) {
                f.result = ResultKind::Number;
                f.number = v.n == 0 ? 0.0 : v.n;
            } else {
                f.result = ResultKind::Error;
                f.code = eNum;
            }
            break;
        case V::Str:
            f.result = v.s.empty() ? ResultKind::EmptyText : ResultKind::Text;
            f.text = v.s;
            break;
        case V::Bool:
            f.result = ResultKind::Bool;
            f.code = v.n != 0;
            break;
        case V::Err:
            f.result = ResultKind::Error;
            f.code = std::uint8_t(v.n);
            break;
        default:
            f.result = ResultKind::Number;
            f.number = 0;
        }
    }

    const Cell *find(int sheet, std::uint32_t r, std::uint32_t c) const
    {
        const Sheet &sh = m_b.sheets[std::size_t(sheet)];
        if (r >= sh.rows.size())
            return nullptr;
        const auto &cells = sh.rows[r].cells;
        auto it = std::lower_bound(cells.begin(), cells.end(), c, [](const Cell &x, std::uint32_t col) { return x.col < col; });
        return it != cells.end() && it->col == c ? &*it : nullptr;
    }

    V cellValue(const Cell *c)
    {
        if (!c)
            return V{};
        switch (c->kind) {
        case CellKind::Blank: return V{};
        case CellKind::Number: return V::num(c->num);
        case CellKind::Text: return V::str(m_b.strings[c->str].text);
        case CellKind::Bool: return V::boolean(c->code != 0);
        case CellKind::Error: return V::err(c->code);
        case CellKind::Formula: break;
        }
        Formula &f = *c->f;
        evalFormula(f);
        switch (f.result) {
        case ResultKind::Number: return V::num(f.number);
        case ResultKind::Text: return V::str(f.text);
        case ResultKind::EmptyText: return V::str("");
        case ResultKind::Bool: return V::boolean(f.code != 0);
        case ResultKind::Error: return V::err(f.code);
        }
        return V{};
    }

    // Reduces a reference to a single value (a multi-cell area is not supported).
    V scalar(V v, bool finalResult = false)
    {
        if (v.t == V::Area) {
            if (v.r1 != v.r2 || v.c1 != v.c2)
                throw Unsupported{};
            V c = cellValue(find(v.sheet, v.r1, v.c1));
            if (finalResult && c.t == V::Empty)
                return V::num(0);
            return c;
        }
        if (v.t == V::Missing)
            return V{};
        return v;
    }

    // Number for arithmetic; sets err when the value cannot be one.
    static bool toNumber(const V &v, double &out, std::uint8_t &err)
    {
        switch (v.t) {
        case V::Num: case V::Bool: out = v.n; return true;
        case V::Empty: case V::Missing: out = 0; return true;
        case V::Err: err = std::uint8_t(v.n); return false;
        case V::Str: {
            std::string t = v.s;
            while (!t.empty() && t.back() == ' ')
                t.pop_back();
            std::size_t p = 0;
            while (p < t.size() && t[p] == ' ')
                ++p;
            auto r = std::from_chars(t.data() + p, t.data() + t.size(), out);
            if (r.ec == std::errc() && r.ptr == t.data() + t.size() && p < t.size())
                return true;
            err = eValue;
            return false;
        }
        default: err = eValue; return false;
        }
    }

    static std::string toText(const V &v)
    {
        switch (v.t) {
        case V::Num: return numberText(v.n);
        case V::Str: return v.s;
        case V::Bool: return v.n != 0 ? "TRUE" : "FALSE";
        default: return "";
        }
    }

    // Calls fn for each value of an argument; areas give only their non-empty cells.
    template <typename Fn> void each(const V &arg, Fn fn)
    {
        if (arg.t != V::Area) {
            fn(arg, false);
            return;
        }
        const Sheet &sh = m_b.sheets[std::size_t(arg.sheet)];
        for (std::uint32_t r = arg.r1; r <= arg.r2 && r < sh.rows.size(); ++r) {
            const auto &cells = sh.rows[r].cells;
            auto it = std::lower_bound(cells.begin(), cells.end(), arg.c1,
                                       [](const Cell &x, std::uint32_t col) { return x.col < col; });
            for (; it != cells.end() && it->col <= arg.c2; ++it)
                fn(cellValue(&*it), true);
        }
    }

    V binary(unsigned op, V a, V b)
    {
        a = scalar(a);
        b = scalar(b);
        if (op == 0x08) { // &
            if (a.t == V::Err)
                return a;
            if (b.t == V::Err)
                return b;
            return V::str(toText(a) + toText(b));
        }
        if (op >= 0x09 && op <= 0x0E)
            return compare(op, a, b);
        double x, y;
        std::uint8_t e = 0;
        if (!toNumber(a, x, e) || !toNumber(b, y, e))
            return V::err(e);
        switch (op) {
        case 0x03: return V::num(approxAdd(x, y));
        case 0x04: return V::num(approxSub(x, y));
        case 0x05: return V::num(x * y);
        case 0x06: return y == 0 ? V::err(eDiv0) : V::num(x / y);
        case 0x07: {
            const double r = std::pow(x, y);
            return std::isfinite(r) ? V::num(r) : V::err(eNum);
        }
        }
        throw Unsupported{};
    }

    V compare(unsigned op, const V &a, const V &b)
    {
        if (a.t == V::Err)
            return a;
        if (b.t == V::Err)
            return b;
        auto rank = [](const V &v) { return v.t == V::Num ? 0 : v.t == V::Str ? 1 : v.t == V::Bool ? 2 : -1; };
        V x = a, y = b;
        if (x.t == V::Empty)
            x = y.t == V::Str ? V::str("") : y.t == V::Bool ? V::boolean(false) : V::num(0);
        if (y.t == V::Empty)
            y = x.t == V::Str ? V::str("") : x.t == V::Bool ? V::boolean(false) : V::num(0);
        int c;
        if (rank(x) != rank(y)) {
            c = rank(x) < rank(y) ? -1 : 1;
        } else if (x.t == V::Str) {
            c = compareText(x.s, y.s);
        } else {
            c = approxEqual(x.n, y.n) ? 0 : (x.n < y.n ? -1 : 1);
        }
        bool r = false;
        switch (op) {
        case 0x09: r = c < 0; break;
        case 0x0A: r = c <= 0; break;
        case 0x0B: r = c == 0; break;
        case 0x0C: r = c >= 0; break;
        case 0x0D: r = c > 0; break;
        case 0x0E: r = c != 0; break;
        }
        return V::boolean(r);
    }

    // Numbers of the arguments for SUM/MIN/MAX/...: areas contribute their numbers only,
    // direct arguments are converted. Returns an error code or 0.
    std::uint8_t numbers(const std::vector<V> &args, std::vector<double> &out, bool countText = false)
    {
        std::uint8_t err = 0;
        for (const V &a : args) {
            if (a.t == V::Missing)
                continue;
            each(a, [&](const V &v, bool inArea) {
                if (err)
                    return;
                if (v.t == V::Err) {
                    err = std::uint8_t(v.n);
                    return;
                }
                if (inArea) {
                    if (v.t == V::Num)
                        out.push_back(v.n);
                    else if (countText && v.t != V::Empty)
                        out.push_back(0);
                    return;
                }
                double d;
                std::uint8_t e = 0;
                if (toNumber(v, d, e))
                    out.push_back(d);
                else
                    err = e;
            });
        }
        return err;
    }

    static double sum(const std::vector<double> &v)
    {
        double s = 0, c = 0; // Neumaier summation
        for (double x : v) {
            const double t = s + x;
            c += std::fabs(s) >= std::fabs(x) ? (s - t) + x : (x - t) + s;
            s = t;
        }
        return approxAdd(s, c);
    }

    V call(unsigned id, std::vector<V> args)
    {
        auto num1 = [&](std::size_t i, double &d) -> std::uint8_t {
            std::uint8_t e = 0;
            if (i >= args.size())
                throw Unsupported{};
            return toNumber(scalar(args[i]), d, e) ? 0 : e;
        };
        switch (id) {
        case 4: case 6: case 7: case 5: case 0: case 169: case 183: { // SUM MIN MAX AVERAGE COUNT COUNTA PRODUCT
            std::vector<double> v;
            if (id == 0 || id == 169) {
                std::size_t n = 0;
                for (const V &a : args)
                    each(a, [&](const V &x, bool inArea) {
                        if (id == 169 ? (x.t != V::Empty && x.t != V::Missing) : (x.t == V::Num || (!inArea && x.t == V::Bool)))
                            ++n;
                    });
                return V::num(double(n));
            }
            if (std::uint8_t e = numbers(args, v))
                return V::err(e);
            if (id == 4)
                return V::num(sum(v));
            if (id == 5)
                return v.empty() ? V::err(eDiv0) : V::num(sum(v) / double(v.size()));
            if (id == 183) {
                double p = v.empty() ? 0 : 1;
                for (double x : v)
                    p *= x;
                return V::num(p);
            }
            if (v.empty())
                return V::num(0);
            double m = v[0];
            for (double x : v)
                m = id == 6 ? std::min(m, x) : std::max(m, x);
            return V::num(m);
        }
        case 1: { // IF
            if (args.empty() || args.size() > 3)
                throw Unsupported{};
            V c = scalar(args[0]);
            if (c.t == V::Err)
                return c;
            double d;
            std::uint8_t e = 0;
            if (c.t == V::Str || !toNumber(c, d, e))
                return V::err(c.t == V::Str ? eValue : e);
            if (d != 0)
                return args.size() >= 2 ? (args[1].t == V::Missing ? V::num(0) : args[1]) : V::boolean(true);
            return args.size() >= 3 ? (args[2].t == V::Missing ? V::num(0) : args[2]) : V::boolean(false);
        }
        case 24: case 25: case 20: case 26: { // ABS INT SQRT SIGN
            double d;
            if (std::uint8_t e = num1(0, d))
                return V::err(e);
            if (id == 24)
                return V::num(std::fabs(d));
            if (id == 25)
                return V::num(std::floor(approxValue(d)));
            if (id == 26)
                return V::num(d > 0 ? 1 : d < 0 ? -1 : 0);
            return d < 0 ? V::err(eNum) : V::num(std::sqrt(d));
        }
        case 27: case 212: case 213: { // ROUND ROUNDUP ROUNDDOWN
            double d, p;
            if (std::uint8_t e = num1(0, d))
                return V::err(e);
            if (std::uint8_t e = num1(1, p))
                return V::err(e);
            return V::num(roundPlaces(d, int(std::trunc(p)), id == 27 ? 0 : id == 212 ? 1 : -1));
        }
        case 39: { // MOD
            double a, b;
            if (std::uint8_t e = num1(0, a))
                return V::err(e);
            if (std::uint8_t e = num1(1, b))
                return V::err(e);
            if (b == 0)
                return V::err(eDiv0);
            return V::num(a - b * std::floor(approxValue(a / b)));
        }
        case 36: case 37: { // AND OR
            std::vector<double> v;
            bool any = false;
            for (const V &a : args) {
                std::uint8_t err = 0;
                each(a, [&](const V &x, bool inArea) {
                    if (x.t == V::Err && !err)
                        err = std::uint8_t(x.n);
                    if (x.t == V::Num || x.t == V::Bool || (!inArea && x.t == V::Empty)) {
                        v.push_back(x.n);
                        any = true;
                    }
                });
                if (err)
                    return V::err(err);
            }
            if (!any)
                return V::err(eValue);
            bool r = id == 36;
            for (double x : v)
                r = id == 36 ? (r && x != 0) : (r || x != 0);
            return V::boolean(r);
        }
        case 38: { // NOT
            double d;
            if (std::uint8_t e = num1(0, d))
                return V::err(e);
            return V::boolean(d == 0);
        }
        case 34: return V::boolean(true);
        case 35: return V::boolean(false);
        case 10: return V::err(eNA);
        case 32: { // LEN
            V a = scalar(args.at(0));
            if (a.t == V::Err)
                return a;
            return V::num(double(utf8ToUtf16(toText(a)).size()));
        }
        case 115: case 116: case 31: case 112: case 113: case 118: { // LEFT RIGHT MID LOWER UPPER TRIM
            V a = scalar(args.at(0));
            if (a.t == V::Err)
                return a;
            std::u16string u = utf8ToUtf16(toText(a));
            if (id == 112 || id == 113) {
                for (char16_t &ch : u)
                    ch = id == 112 ? fold(ch) : upper(ch);
                return V::str(utf16ToUtf8(u));
            }
            if (id == 118) {
                std::u16string t;
                for (char16_t ch : u)
                    if (ch != u' ' || (!t.empty() && t.back() != u' '))
                        t.push_back(ch);
                while (!t.empty() && t.back() == u' ')
                    t.pop_back();
                return V::str(utf16ToUtf8(t));
            }
            double n = 1, start = 1;
            if (id == 31) {
                if (std::uint8_t e = num1(1, start))
                    return V::err(e);
                if (std::uint8_t e = num1(2, n))
                    return V::err(e);
            } else if (args.size() > 1 && args[1].t != V::Missing) {
                if (std::uint8_t e = num1(1, n))
                    return V::err(e);
            }
            n = std::trunc(n);
            start = std::trunc(start);
            if (n < 0 || start < 1)
                return V::err(eValue);
            const std::size_t len = u.size();
            const std::size_t cnt = std::size_t(std::min<double>(n, double(len)));
            if (id == 115)
                return V::str(utf16ToUtf8(u.substr(0, cnt)));
            if (id == 116)
                return V::str(utf16ToUtf8(u.substr(len - cnt)));
            const std::size_t from = std::size_t(std::min<double>(start - 1, double(len)));
            return V::str(utf16ToUtf8(u.substr(from, cnt)));
        }
        case 336: { // CONCATENATE
            std::string s;
            for (const V &a0 : args) {
                V a = scalar(a0);
                if (a.t == V::Err)
                    return a;
                s += toText(a);
            }
            return V::str(s);
        }
        default:
            throw Unsupported{};
        }
    }

    V run(const Formula &f)
    {
        const Bytes &g = f.rgce;
        std::vector<V> st;
        auto pop = [&]() {
            if (st.empty())
                throw Unsupported{};
            V v = std::move(st.back());
            st.pop_back();
            return v;
        };
        std::size_t pos = 0;
        while (pos < g.size()) {
            const std::size_t n = tokenSize(g, pos);
            if (n == 0)
                throw Unsupported{};
            const std::uint8_t *p = &g[pos + 1];
            const std::uint8_t ptg = g[pos];
            const unsigned b = ptg >= 0x20 ? ((ptg & 0x1F) | 0x20) : ptg;
            switch (b) {
            case 0x03: case 0x04: case 0x05: case 0x06: case 0x07: case 0x08: case 0x09: case 0x0A:
            case 0x0B: case 0x0C: case 0x0D: case 0x0E: {
                V r = pop();
                V l = pop();
                st.push_back(binary(b, std::move(l), std::move(r)));
                break;
            }
            case 0x12: case 0x13: case 0x14: {
                V a = scalar(pop());
                double d;
                std::uint8_t e = 0;
                if (b == 0x12) {
                    st.push_back(a);
                } else if (!toNumber(a, d, e)) {
                    st.push_back(V::err(e));
                } else {
                    st.push_back(V::num(b == 0x13 ? -d : d / 100));
                }
                break;
            }
            case 0x15: break;
            case 0x16: { V m; m.t = V::Missing; st.push_back(m); break; }
            case 0x17: {
                std::u16string u;
                for (std::size_t i = 0; i < p[0]; ++i)
                    u.push_back((p[1] & 1) ? char16_t(rd16(p + 2 + 2 * i)) : char16_t(p[2 + i]));
                st.push_back(V::str(utf16ToUtf8(u)));
                break;
            }
            case 0x19:
                if (p[0] & 0x10) {
                    std::vector<V> a{pop()};
                    st.push_back(call(4, std::move(a)));
                } else if (p[0] & ~0x5F) {
                    throw Unsupported{};
                }
                break;
            case 0x1C: st.push_back(V::err(p[0])); break;
            case 0x1D: st.push_back(V::boolean(p[0] != 0)); break;
            case 0x1E: st.push_back(V::num(rd16(p))); break;
            case 0x1F: st.push_back(V::num(rdDouble(p))); break;
            case 0x21: case 0x22: {
                const unsigned id = b == 0x21 ? rd16(p) : rd16(p + 1);
                int argc;
                if (b == 0x22) {
                    argc = p[0] & 0x7F;
                } else {
                    const FunctionInfo *fi = functionInfo(id);
                    if (!fi || fi->argc < 0)
                        throw Unsupported{};
                    argc = fi->argc;
                }
                if (st.size() < std::size_t(argc) || (id & 0x8000))
                    throw Unsupported{};
                std::vector<V> args(std::make_move_iterator(st.end() - argc), std::make_move_iterator(st.end()));
                st.resize(st.size() - std::size_t(argc));
                st.push_back(call(id, std::move(args)));
                break;
            }
            case 0x24: case 0x3A: {
                const int sh = tokenSheet(m_b, g, pos, f.sheet);
                if (sh < 0)
                    throw Unsupported{};
                const std::uint8_t *q = p + (b == 0x3A ? 2 : 0);
                V v;
                v.t = V::Area;
                v.sheet = sh;
                v.r1 = v.r2 = rd16(q);
                v.c1 = v.c2 = std::uint16_t(rd16(q + 2) & 0xFF);
                st.push_back(v);
                break;
            }
            case 0x25: case 0x3B: {
                const int sh = tokenSheet(m_b, g, pos, f.sheet);
                if (sh < 0)
                    throw Unsupported{};
                const std::uint8_t *q = p + (b == 0x3B ? 2 : 0);
                V v;
                v.t = V::Area;
                v.sheet = sh;
                v.r1 = rd16(q);
                v.r2 = rd16(q + 2);
                v.c1 = std::uint16_t(rd16(q + 4) & 0xFF);
                v.c2 = std::uint16_t(rd16(q + 6) & 0xFF);
                if (v.r1 > v.r2)
                    std::swap(v.r1, v.r2);
                if (v.c1 > v.c2)
                    std::swap(v.c1, v.c2);
                st.push_back(v);
                break;
            }
            case 0x26: case 0x27: case 0x28: case 0x29: break;
            case 0x2A: case 0x2B: case 0x3C: case 0x3D: st.push_back(V::err(eRef)); break;
            default:
                throw Unsupported{};
            }
            pos += n;
        }
        if (st.size() != 1)
            throw Unsupported{};
        return std::move(st.back());
    }

    Book &m_b;
    int m_depth = 0;
    std::vector<Formula *> m_running;
};

} // namespace

void recalcAll(Book &b)
{
    ++b.evalGen;
    Evaluator ev(b);
    for (Sheet &sh : b.sheets)
        for (Row &row : sh.rows)
            for (Cell &c : row.cells)
                if (c.f)
                    ev.evaluate(*c.f);
}

} // namespace xls::detail
