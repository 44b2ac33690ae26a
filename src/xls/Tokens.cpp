#include "Tokens.h"

#include "Strings.h"

#include <cctype>

#include <charconv>
#include <cmath>
#include <cstdio>

namespace xls::detail {

namespace {

unsigned baseId(std::uint8_t ptg) { return ptg >= 0x20 ? ((ptg & 0x1F) | 0x20) : ptg; }

struct FnRow {
    unsigned id;
    FunctionInfo info;
};
const FnRow kFunctions[] = {
    {0, {"COUNT", -1}}, {1, {"IF", -1}}, {2, {"ISNA", 1}}, {3, {"ISERROR", 1}}, {4, {"SUM", -1}},
    {5, {"AVERAGE", -1}}, {6, {"MIN", -1}}, {7, {"MAX", -1}}, {8, {"ROW", -1}}, {9, {"COLUMN", -1}},
    {10, {"NA", 0}}, {15, {"SIN", 1}}, {16, {"COS", 1}}, {17, {"TAN", 1}}, {19, {"PI", 0}},
    {20, {"SQRT", 1}}, {21, {"EXP", 1}}, {22, {"LN", 1}}, {23, {"LOG10", 1}}, {24, {"ABS", 1}},
    {25, {"INT", 1}}, {26, {"SIGN", 1}}, {27, {"ROUND", 2}}, {28, {"LOOKUP", -1}}, {29, {"INDEX", -1}},
    {30, {"REPT", 2}}, {31, {"MID", 3}}, {32, {"LEN", 1}}, {33, {"VALUE", 1}}, {34, {"TRUE", 0}},
    {35, {"FALSE", 0}}, {36, {"AND", -1}}, {37, {"OR", -1}}, {38, {"NOT", 1}}, {39, {"MOD", 2}},
    {48, {"TEXT", 2}}, {63, {"RAND", 0}}, {65, {"DATE", 3}}, {66, {"TIME", 3}}, {67, {"DAY", 1}},
    {68, {"MONTH", 1}}, {69, {"YEAR", 1}}, {70, {"WEEKDAY", -1}}, {74, {"NOW", 0}}, {76, {"ROWS", 1}},
    {77, {"COLUMNS", 1}}, {78, {"OFFSET", -1}}, {82, {"SEARCH", -1}}, {97, {"ATAN2", 2}},
    {100, {"CHOOSE", -1}}, {101, {"HLOOKUP", -1}}, {102, {"VLOOKUP", -1}}, {109, {"LOG", -1}},
    {111, {"CHAR", 1}}, {112, {"LOWER", 1}}, {113, {"UPPER", 1}}, {114, {"PROPER", 1}},
    {115, {"LEFT", -1}}, {116, {"RIGHT", -1}}, {117, {"EXACT", 2}}, {118, {"TRIM", 1}},
    {119, {"REPLACE", 4}}, {120, {"SUBSTITUTE", -1}}, {124, {"FIND", -1}}, {126, {"ISERR", 1}},
    {127, {"ISTEXT", 1}}, {128, {"ISNUMBER", 1}}, {129, {"ISBLANK", 1}}, {130, {"T", 1}}, {131, {"N", 1}},
    {140, {"DATEVALUE", 1}}, {162, {"CLEAN", 1}}, {169, {"COUNTA", -1}}, {183, {"PRODUCT", -1}},
    {184, {"FACT", 1}}, {197, {"TRUNC", -1}}, {212, {"ROUNDUP", 2}}, {213, {"ROUNDDOWN", 2}},
    {221, {"TODAY", 0}}, {227, {"MEDIAN", -1}}, {228, {"SUMPRODUCT", -1}}, {285, {"FLOOR", 2}},
    {288, {"CEILING", 2}}, {336, {"CONCATENATE", -1}}, {337, {"POWER", 2}}, {344, {"SUBTOTAL", -1}},
    {345, {"SUMIF", -1}}, {346, {"COUNTIF", 2}}, {347, {"COUNTBLANK", 1}},
};

std::string colName(std::uint32_t c)
{
    std::string s;
    c += 1;
    while (c > 0) {
        s.insert(s.begin(), char('A' + (c - 1) % 26));
        c = (c - 1) / 26;
    }
    return s;
}

std::string quoteSheet(const std::string &name)
{
    bool plain = !name.empty();
    for (unsigned char ch : name)
        if (!(std::isalnum(ch) || ch == '_' || ch >= 0x80))
            plain = false;
    if (plain && !std::isdigit(static_cast<unsigned char>(name[0])))
        return name;
    std::string q = "'";
    for (char ch : name) {
        if (ch == '\'')
            q += '\'';
        q += ch;
    }
    return q + "'";
}

std::string nameText(const Book &book, std::uint32_t index)
{
    if (index == 0 || index > book.names.size())
        return "#NAME?";
    return book.names[index - 1].text;
}

bool isRefToken(unsigned b)
{
    return b == 0x24 || b == 0x25 || b == 0x3A || b == 0x3B;
}

} // namespace

const FunctionInfo *functionInfo(unsigned id)
{
    for (const FnRow &r : kFunctions)
        if (r.id == id)
            return &r.info;
    return nullptr;
}

const char *errorText(std::uint8_t code)
{
    switch (code) {
    case 0x00: return "#NULL!";
    case 0x07: return "#DIV/0!";
    case 0x0F: return "#VALUE!";
    case 0x17: return "#REF!";
    case 0x1D: return "#NAME?";
    case 0x24: return "#NUM!";
    case 0x2A: return "#N/A";
    default: return "#ERR!";
    }
}

std::string numberText(double v)
{
    if (v == 0)
        return "0";
    if (!std::isfinite(v))
        return "#NUM!";
    char buf[64];
    // Up to 15 significant digits, as spreadsheets show a general number.
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::general, 15);
    std::string s(buf, r.ptr);
    // Trim trailing zeros of a fraction ("2.50000" does not occur with general, but keep safe).
    if (s.find('e') == std::string::npos && s.find('.') != std::string::npos) {
        while (s.back() == '0')
            s.pop_back();
        if (s.back() == '.')
            s.pop_back();
    }
    return s;
}

std::string cellName(std::uint32_t row, std::uint32_t col, bool rowRel, bool colRel)
{
    return (colRel ? "" : "$") + colName(col) + (rowRel ? "" : "$") + std::to_string(row + 1);
}

std::size_t tokenSize(const Bytes &rgce, std::size_t pos)
{
    if (pos >= rgce.size())
        return 0;
    const std::uint8_t ptg = rgce[pos];
    const unsigned b = baseId(ptg);
    const std::size_t left = rgce.size() - pos - 1;
    std::size_t n = 0;
    switch (b) {
    case 0x01: case 0x02: n = 4; break;
    case 0x03: case 0x04: case 0x05: case 0x06: case 0x07: case 0x08: case 0x09: case 0x0A:
    case 0x0B: case 0x0C: case 0x0D: case 0x0E: case 0x0F: case 0x10: case 0x11: case 0x12:
    case 0x13: case 0x14: case 0x15: case 0x16:
        n = 0;
        break;
    case 0x17: {
        if (left < 2)
            return 0;
        const std::size_t cch = rgce[pos + 1];
        n = 2 + cch * ((rgce[pos + 2] & 1) ? 2 : 1);
        break;
    }
    case 0x19: {
        if (left < 3)
            return 0;
        n = 3;
        if (rgce[pos + 1] & 0x04)
            n += 2 * (std::size_t(rd16(&rgce[pos + 2])) + 1);
        break;
    }
    case 0x1C: case 0x1D: n = 1; break;
    case 0x1E: n = 2; break;
    case 0x1F: n = 8; break;
    case 0x20: n = 7; break;
    case 0x21: n = 2; break;
    case 0x22: n = 3; break;
    case 0x23: n = 4; break;
    case 0x24: n = 4; break;
    case 0x25: n = 8; break;
    case 0x26: case 0x27: case 0x28: n = 6; break;
    case 0x29: n = 2; break;
    case 0x2A: n = 4; break;
    case 0x2B: n = 8; break;
    case 0x2C: n = 4; break;
    case 0x2D: n = 8; break;
    case 0x39: n = 6; break;
    case 0x3A: n = 6; break;
    case 0x3B: n = 10; break;
    case 0x3C: n = 6; break;
    case 0x3D: n = 10; break;
    default:
        return 0;
    }
    if (n > left)
        return 0;
    return n + 1;
}

bool walkable(const Bytes &rgce)
{
    std::size_t pos = 0;
    while (pos < rgce.size()) {
        const std::size_t n = tokenSize(rgce, pos);
        if (n == 0)
            return false;
        pos += n;
    }
    return true;
}

int tokenSheet(const Book &book, const Bytes &rgce, std::size_t pos, int ownSheet)
{
    const unsigned b = baseId(rgce[pos]);
    if (b == 0x3A || b == 0x3B || b == 0x3C || b == 0x3D) {
        const std::uint16_t ixti = rd16(&rgce[pos + 1]);
        if (ixti >= book.xti.size())
            return -1;
        const Xti &x = book.xti[ixti];
        if (!x.internal || x.first < 0 || x.first != x.last || std::size_t(x.first) >= book.sheets.size())
            return -1;
        return x.first;
    }
    return ownSheet;
}

std::optional<std::uint32_t> shiftPoint(std::uint32_t x, const Shift &s)
{
    const std::uint32_t max = s.columns ? kMaxCol : kMaxRow;
    if (s.insert) {
        if (x < s.at)
            return x;
        if (x + s.count > max)
            return std::nullopt;
        return x + s.count;
    }
    if (x < s.at)
        return x;
    if (x < s.at + s.count)
        return std::nullopt;
    return x - s.count;
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> shiftSpan(std::uint32_t a, std::uint32_t b, const Shift &s)
{
    const std::uint32_t max = s.columns ? kMaxCol : kMaxRow;
    if (a == 0 && b == max) // whole column / whole row: unchanged
        return std::make_pair(a, b);
    if (s.insert) {
        if (a >= s.at) {
            if (a + s.count > max)
                return std::nullopt;
            return std::make_pair(a + s.count, std::min(b + s.count, max));
        }
        if (b >= s.at)
            return std::make_pair(a, std::min(b + s.count, max));
        return std::make_pair(a, b);
    }
    const std::uint32_t e = s.at + s.count - 1;
    const std::uint32_t na = a < s.at ? a : (a > e ? a - s.count : s.at);
    const std::int64_t nb = b < s.at ? std::int64_t(b) : (b > e ? std::int64_t(b) - s.count : std::int64_t(s.at) - 1);
    if (nb < std::int64_t(na))
        return std::nullopt;
    return std::make_pair(na, std::uint32_t(nb));
}

bool applyShift(const Book &book, Bytes &rgce, int ownSheet, const Shift &s)
{
    bool changed = false;
    std::size_t pos = 0;
    while (pos < rgce.size()) {
        const std::size_t n = tokenSize(rgce, pos);
        if (n == 0)
            return changed;
        const std::uint8_t ptg = rgce[pos];
        const unsigned b = baseId(ptg);
        const bool is3d = b == 0x3A || b == 0x3B;
        if (b == 0x01 && ownSheet == s.sheet) { // tExp: the base cell of an array formula
            std::uint8_t *p = &rgce[pos + 1];
            std::uint32_t v = s.columns ? rd16(p + 2) : rd16(p);
            if (auto nv = shiftPoint(v, s); nv && *nv != v) {
                wr16(s.columns ? p + 2 : p, std::uint16_t(*nv));
                changed = true;
            }
        } else if (isRefToken(b) && tokenSheet(book, rgce, pos, ownSheet) == s.sheet && (is3d || ownSheet >= 0)) {
            std::uint8_t *p = &rgce[pos + 1 + (is3d ? 2 : 0)];
            bool dead = false;
            if (b == 0x24 || b == 0x3A) {
                const std::uint16_t colField = rd16(p + 2);
                std::uint32_t v = s.columns ? (colField & 0xFF) : rd16(p);
                auto nv = shiftPoint(v, s);
                if (!nv) {
                    dead = true;
                } else if (*nv != v) {
                    if (s.columns)
                        wr16(p + 2, std::uint16_t((colField & 0xFF00) | *nv));
                    else
                        wr16(p, std::uint16_t(*nv));
                    changed = true;
                }
            } else {
                const std::uint16_t cf1 = rd16(p + 4), cf2 = rd16(p + 6);
                std::uint32_t a = s.columns ? (cf1 & 0xFF) : rd16(p);
                std::uint32_t z = s.columns ? (cf2 & 0xFF) : rd16(p + 2);
                auto span = shiftSpan(a, z, s);
                if (!span) {
                    dead = true;
                } else if (span->first != a || span->second != z) {
                    if (s.columns) {
                        wr16(p + 4, std::uint16_t((cf1 & 0xFF00) | span->first));
                        wr16(p + 6, std::uint16_t((cf2 & 0xFF00) | span->second));
                    } else {
                        wr16(p, std::uint16_t(span->first));
                        wr16(p + 2, std::uint16_t(span->second));
                    }
                    changed = true;
                }
            }
            if (dead) {
                // Same-size error token keeps every jump offset valid.
                const std::uint8_t cls = ptg & 0x60;
                rgce[pos] = std::uint8_t(cls | (b == 0x24 ? 0x0A : b == 0x25 ? 0x0B : b == 0x3A ? 0x1C : 0x1D));
                changed = true;
            }
        }
        pos += n;
    }
    return changed;
}

void moveRelative(Bytes &rgce, int dRow, int dCol)
{
    std::size_t pos = 0;
    while (pos < rgce.size()) {
        const std::size_t n = tokenSize(rgce, pos);
        if (n == 0)
            return;
        const std::uint8_t ptg = rgce[pos];
        const unsigned b = baseId(ptg);
        if (isRefToken(b)) {
            const bool is3d = b == 0x3A || b == 0x3B;
            std::uint8_t *p = &rgce[pos + 1 + (is3d ? 2 : 0)];
            const bool area = b == 0x25 || b == 0x3B;
            bool dead = false;
            auto fix = [&](std::uint8_t *rowP, std::uint8_t *colP) {
                const std::uint16_t cf = rd16(colP);
                if ((cf & 0x8000) && dRow) {
                    const std::int64_t r = std::int64_t(rd16(rowP)) + dRow;
                    if (r < 0 || r > kMaxRow)
                        dead = true;
                    else
                        wr16(rowP, std::uint16_t(r));
                }
                if ((cf & 0x4000) && dCol) {
                    const std::int64_t c = std::int64_t(cf & 0xFF) + dCol;
                    if (c < 0 || c > kMaxCol)
                        dead = true;
                    else
                        wr16(colP, std::uint16_t((cf & 0xFF00) | std::uint16_t(c)));
                }
            };
            if (area) {
                fix(p, p + 4);
                fix(p + 2, p + 6);
            } else {
                fix(p, p + 2);
            }
            if (dead)
                rgce[pos] = std::uint8_t((ptg & 0x60) | (b == 0x24 ? 0x0A : b == 0x25 ? 0x0B : b == 0x3A ? 0x1C : 0x1D));
        }
        pos += n;
    }
}

void expandShared(Bytes &rgce, std::uint32_t row, std::uint32_t col)
{
    std::size_t pos = 0;
    while (pos < rgce.size()) {
        const std::size_t n = tokenSize(rgce, pos);
        if (n == 0)
            return;
        const std::uint8_t ptg = rgce[pos];
        const unsigned b = baseId(ptg);
        if (b == 0x2C || b == 0x2D) {
            std::uint8_t *p = &rgce[pos + 1];
            auto fix = [&](std::uint8_t *rowP, std::uint8_t *colP) {
                const std::uint16_t cf = rd16(colP);
                if (cf & 0x8000)
                    wr16(rowP, std::uint16_t((row + rd16(rowP)) & 0xFFFF));
                if (cf & 0x4000)
                    wr16(colP, std::uint16_t((cf & 0xFF00) | ((col + (cf & 0xFF)) & 0xFF)));
            };
            if (b == 0x2C) {
                fix(p, p + 2);
            } else {
                fix(p, p + 4);
                fix(p + 2, p + 6);
            }
            rgce[pos] = std::uint8_t((ptg & 0x60) | (b == 0x2C ? 0x04 : 0x05));
        }
        pos += n;
    }
}

void referencedRows(const Book &book, const Bytes &rgce, int ownSheet,
                    const std::function<void(int, std::uint32_t)> &out)
{
    std::size_t pos = 0;
    while (pos < rgce.size()) {
        const std::size_t n = tokenSize(rgce, pos);
        if (n == 0)
            return;
        const unsigned b = baseId(rgce[pos]);
        if (b == 0x01) {
            out(ownSheet, rd16(&rgce[pos + 1]));
        } else if (isRefToken(b)) {
            const bool is3d = b == 0x3A || b == 0x3B;
            const std::uint8_t *p = &rgce[pos + 1 + (is3d ? 2 : 0)];
            const std::uint32_t maxRow = (b == 0x24 || b == 0x3A) ? rd16(p) : std::max(rd16(p), rd16(p + 2));
            if (is3d) {
                const std::uint16_t ixti = rd16(&rgce[pos + 1]);
                if (ixti < book.xti.size() && book.xti[ixti].internal) {
                    const Xti &x = book.xti[ixti];
                    for (int sh = std::max<int>(0, x.first); sh <= x.last && std::size_t(sh) < book.sheets.size(); ++sh)
                        out(sh, maxRow);
                }
            } else {
                out(ownSheet, maxRow);
            }
        }
        pos += n;
    }
}

std::string formulaToText(const Book &book, const Bytes &rgce, int ownSheet)
{
    std::vector<std::string> st;
    auto pop = [&]() {
        if (st.empty())
            throw Malformed("formula stack");
        std::string s = std::move(st.back());
        st.pop_back();
        return s;
    };
    auto sheetPrefix = [&](std::uint16_t ixti) -> std::string {
        if (ixti >= book.xti.size())
            return "#REF!";
        const Xti &x = book.xti[ixti];
        if (!x.internal)
            return "[ext]!";
        if (x.first < 0 || x.last < x.first || std::size_t(x.last) >= book.sheets.size())
            return "#REF!";
        std::string s = book.sheets[std::size_t(x.first)].name;
        if (x.last != x.first)
            s += ":" + book.sheets[std::size_t(x.last)].name;
        return quoteSheet(s) + "!";
    };
    static const char *binOps[] = {"+", "-", "*", "/", "^", "&", "<", "<=", "=", ">=", ">", "<>", " ", ",", ":"};
    try {
        std::size_t pos = 0;
        while (pos < rgce.size()) {
            const std::size_t n = tokenSize(rgce, pos);
            if (n == 0)
                return "";
            const std::uint8_t *p = &rgce[pos + 1];
            const unsigned b = baseId(rgce[pos]);
            switch (b) {
            case 0x03: case 0x04: case 0x05: case 0x06: case 0x07: case 0x08: case 0x09: case 0x0A:
            case 0x0B: case 0x0C: case 0x0D: case 0x0E: case 0x0F: case 0x10: case 0x11: {
                std::string r = pop(), l = pop();
                st.push_back(l + binOps[b - 3] + r);
                break;
            }
            case 0x12: st.push_back("+" + pop()); break;
            case 0x13: st.push_back("-" + pop()); break;
            case 0x14: st.push_back(pop() + "%"); break;
            case 0x15: st.push_back("(" + pop() + ")"); break;
            case 0x16: st.push_back(""); break;
            case 0x17: {
                std::string s = "\"";
                const std::size_t cch = p[0];
                std::u16string u;
                for (std::size_t i = 0; i < cch; ++i)
                    u.push_back((p[1] & 1) ? char16_t(rd16(p + 2 + 2 * i)) : char16_t(p[2 + i]));
                for (char ch : utf16ToUtf8(u)) {
                    if (ch == '"')
                        s += '"';
                    s += ch;
                }
                st.push_back(s + "\"");
                break;
            }
            case 0x19:
                if (p[0] & 0x10)
                    st.push_back("SUM(" + pop() + ")");
                break;
            case 0x1C: st.push_back(errorText(p[0])); break;
            case 0x1D: st.push_back(p[0] ? "TRUE" : "FALSE"); break;
            case 0x1E: st.push_back(std::to_string(rd16(p))); break;
            case 0x1F: st.push_back(numberText(rdDouble(p))); break;
            case 0x20: st.push_back("{...}"); break;
            case 0x21: case 0x22: {
                const unsigned id = b == 0x21 ? rd16(p) : (rd16(p + 1) & 0x7FFF);
                const FunctionInfo *fi = functionInfo(id);
                int argc = b == 0x22 ? (p[0] & 0x7F) : (fi ? fi->argc : -1);
                if (argc < 0)
                    return "";
                if (st.size() < std::size_t(argc))
                    return "";
                std::string args;
                for (int i = 0; i < argc; ++i) {
                    std::string a = std::move(st[st.size() - std::size_t(argc) + std::size_t(i)]);
                    args += (i ? "," : "") + a;
                }
                st.resize(st.size() - std::size_t(argc));
                st.push_back(std::string(fi ? fi->name : ("_F" + std::to_string(id)).c_str()) + "(" + args + ")");
                break;
            }
            case 0x23: st.push_back(nameText(book, rd32(p))); break;
            case 0x24: {
                const std::uint16_t cf = rd16(p + 2);
                st.push_back(cellName(rd16(p), cf & 0xFF, cf & 0x8000, cf & 0x4000));
                break;
            }
            case 0x25: {
                const std::uint16_t c1 = rd16(p + 4), c2 = rd16(p + 6);
                st.push_back(cellName(rd16(p), c1 & 0xFF, c1 & 0x8000, c1 & 0x4000) + ":" +
                             cellName(rd16(p + 2), c2 & 0xFF, c2 & 0x8000, c2 & 0x4000));
                break;
            }
            case 0x26: case 0x27: case 0x28: case 0x29: break;
            case 0x2A: case 0x2B: st.push_back("#REF!"); break;
            case 0x39: st.push_back("#NAME?"); break;
            case 0x3A: {
                const std::uint16_t cf = rd16(p + 4);
                st.push_back(sheetPrefix(rd16(p)) + cellName(rd16(p + 2), cf & 0xFF, cf & 0x8000, cf & 0x4000));
                break;
            }
            case 0x3B: {
                const std::uint16_t c1 = rd16(p + 6), c2 = rd16(p + 8);
                st.push_back(sheetPrefix(rd16(p)) + cellName(rd16(p + 2), c1 & 0xFF, c1 & 0x8000, c1 & 0x4000) + ":" +
                             cellName(rd16(p + 4), c2 & 0xFF, c2 & 0x8000, c2 & 0x4000));
                break;
            }
            case 0x3C: case 0x3D: st.push_back(sheetPrefix(rd16(p)) + "#REF!"); break;
            default:
                return "";
            }
            pos += n;
        }
    } catch (const Malformed &) {
        return "";
    }
    if (st.size() != 1)
        return "";
    (void)ownSheet;
    return st.back();
}

} // namespace xls::detail
