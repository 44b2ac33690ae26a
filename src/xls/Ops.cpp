#include "Ops.h"

#include <algorithm>
#include <set>

namespace xls::detail {

Formula::~Formula()
{
    if (book)
        book->unindexFormula(this);
}

std::uint32_t Book::internString(const std::string &text)
{
    auto it = plainStrings.find(text);
    if (it != plainStrings.end())
        return it->second;
    const std::uint32_t idx = std::uint32_t(strings.size());
    strings.push_back(SstEntry{text, {}, {}});
    plainStrings.emplace(text, idx);
    return idx;
}

void Book::indexFormula(Formula *f, int hintSheet, RefIndex::iterator hint)
{
    if (f->opaque)
        return;
    if (refIndex.size() < sheets.size())
        refIndex.resize(sheets.size());
    // One entry per referenced sheet, keyed by the highest row referenced there.
    std::vector<std::pair<int, std::uint32_t>> maxima;
    referencedRows(*this, f->rgce, f->sheet, [&](int sh, std::uint32_t row) {
        for (auto &m : maxima)
            if (m.first == sh) {
                m.second = std::max(m.second, row);
                return;
            }
        maxima.emplace_back(sh, row);
    });
    // Copies of a growing detail block refer to the highest rows: the end() hint makes
    // their registration constant time.
    for (auto [sh, row] : maxima)
        if (sh >= 0 && std::size_t(sh) < refIndex.size()) {
            auto &idx = refIndex[std::size_t(sh)];
            f->reg.emplace_back(std::uint16_t(sh), idx.emplace_hint(sh == hintSheet ? hint : idx.end(), row, f));
        }
}

void Book::unindexFormula(Formula *f)
{
    for (auto &[sh, it] : f->reg)
        refIndex[sh].erase(it);
    f->reg.clear();
}

std::uint32_t usedRows(const Sheet &sh)
{
    std::size_t r = sh.rows.size();
    while (r > 0 && sh.rows[r - 1].cells.empty())
        --r;
    return std::uint32_t(r);
}

std::uint32_t usedCols(const Sheet &sh)
{
    std::size_t c = sh.colUse.size();
    while (c > 0 && sh.colUse[c - 1] == 0)
        --c;
    return std::uint32_t(c);
}

std::unique_ptr<Formula> cloneFormula(Book &b, const Formula &f)
{
    auto n = std::make_unique<Formula>();
    n->rgce = f.rgce;
    n->rgcb = f.rgcb;
    n->flags = f.flags;
    n->chn = 0;
    n->result = f.result;
    n->number = f.number;
    n->code = f.code;
    n->text = f.text;
    n->opaque = f.opaque;
    n->sheet = f.sheet;
    n->book = &b;
    return n;
}

namespace {

// First entry whose key is at least k, found from the end: the entries a row shift
// touches are the last ones, and walking back over them costs no more than adjusting
// them, while a search from the root would cost a cache-missing descent per call.
template <typename Map> typename Map::iterator firstAtLeast(Map &m, std::uint32_t k)
{
    auto it = m.end();
    while (it != m.begin()) {
        auto p = std::prev(it);
        if (p->first < k)
            break;
        it = p;
    }
    return it;
}

// Shifts a Ref8-style range (r1, r2, c1, c2 as u16 at p); false when it vanished.
bool shiftRef8(std::uint8_t *p, const Shift &s)
{
    std::uint32_t a = s.columns ? rd16(p + 4) : rd16(p);
    std::uint32_t z = s.columns ? rd16(p + 6) : rd16(p + 2);
    auto span = shiftSpan(a, z, s);
    if (!span)
        return false;
    wr16(s.columns ? p + 4 : p, std::uint16_t(span->first));
    wr16(s.columns ? p + 6 : p + 2, std::uint16_t(span->second));
    return true;
}

// Adjusts the records the engine keeps verbatim but that hold cell positions.
void adjustSheetRecords(Book &b, Sheet &sh, const Shift &s)
{
    std::vector<bool> drop(sh.recs.size(), false);
    int dvRemoved = 0;
    for (std::size_t i = 0; i < sh.recs.size(); ++i) {
        Record &r = sh.recs[i];
        Bytes &d = r.data;
        try {
            switch (r.id) {
            case 0x001B:   // HORIZONTALPAGEBREAKS
            case 0x001A: { // VERTICALPAGEBREAKS
                if ((r.id == 0x001B) == s.columns || d.size() < 2)
                    break;
                const std::size_t n = std::min<std::size_t>(rd16(d.data()), (d.size() - 2) / 6);
                Bytes out;
                put16(out, 0);
                std::uint16_t kept = 0;
                for (std::size_t k = 0; k < n; ++k) {
                    const std::uint8_t *p = d.data() + 2 + 6 * k;
                    auto v = shiftPoint(rd16(p), s);
                    if (!v || *v == 0)
                        continue;
                    put16(out, std::uint16_t(*v));
                    put16(out, rd16(p + 2));
                    put16(out, rd16(p + 4));
                    ++kept;
                }
                wr16(out.data(), kept);
                d = std::move(out);
                if (kept == 0)
                    drop[i] = true;
                break;
            }
            case 0x01B0: { // CONDFMT
                Reader rd(d, "CONDFMT record");
                const std::uint16_t ccf = rd.u16();
                rd.skip(2 + 8);
                const std::uint16_t cref = rd.u16();
                rd.need(std::size_t(cref) * 8);
                Bytes refs;
                std::uint16_t kept = 0;
                std::uint32_t br1 = 0xFFFF, br2 = 0, bc1 = 0xFFFF, bc2 = 0;
                for (std::uint16_t k = 0; k < cref; ++k) {
                    std::uint8_t ref[8];
                    std::copy(d.data() + 14 + 8 * k, d.data() + 22 + 8 * k, ref);
                    if (!shiftRef8(ref, s))
                        continue;
                    refs.insert(refs.end(), ref, ref + 8);
                    ++kept;
                    br1 = std::min<std::uint32_t>(br1, rd16(ref));
                    br2 = std::max<std::uint32_t>(br2, rd16(ref + 2));
                    bc1 = std::min<std::uint32_t>(bc1, rd16(ref + 4));
                    bc2 = std::max<std::uint32_t>(bc2, rd16(ref + 6));
                }
                if (kept == 0) {
                    drop[i] = true;
                    for (std::size_t k = i + 1; k < sh.recs.size() && k <= i + ccf; ++k)
                        if (sh.recs[k].id == 0x01B1)
                            drop[k] = true;
                    break;
                }
                Bytes out(d.begin(), d.begin() + 4);
                put16(out, std::uint16_t(br1));
                put16(out, std::uint16_t(br2));
                put16(out, std::uint16_t(bc1));
                put16(out, std::uint16_t(bc2));
                put16(out, kept);
                out.insert(out.end(), refs.begin(), refs.end());
                out.insert(out.end(), d.begin() + 14 + 8 * std::ptrdiff_t(cref), d.end());
                d = std::move(out);
                break;
            }
            case 0x01BE: { // DV
                Reader rd(d, "DV record");
                rd.skip(4);
                for (int k = 0; k < 4; ++k) {
                    const std::size_t cch = rd.u16();
                    const std::uint8_t fl = rd.u8();
                    rd.skip(cch * ((fl & 1) ? 2 : 1));
                }
                for (int k = 0; k < 2; ++k) {
                    const std::size_t cce = rd.u16();
                    rd.skip(2);
                    const std::size_t at = rd.pos();
                    rd.skip(cce);
                    Bytes rg(d.begin() + std::ptrdiff_t(at), d.begin() + std::ptrdiff_t(at + cce));
                    if (applyShift(b, rg, s.sheet, s))
                        std::copy(rg.begin(), rg.end(), d.begin() + std::ptrdiff_t(at));
                }
                const std::size_t refAt = rd.pos();
                const std::uint16_t cref = rd.u16();
                rd.need(std::size_t(cref) * 8);
                Bytes out(d.begin(), d.begin() + std::ptrdiff_t(refAt));
                put16(out, 0);
                std::uint16_t kept = 0;
                for (std::uint16_t k = 0; k < cref; ++k) {
                    std::uint8_t ref[8];
                    std::copy(d.data() + refAt + 2 + 8 * k, d.data() + refAt + 10 + 8 * k, ref);
                    if (!shiftRef8(ref, s))
                        continue;
                    out.insert(out.end(), ref, ref + 8);
                    ++kept;
                }
                wr16(out.data() + refAt, kept);
                out.insert(out.end(), d.begin() + std::ptrdiff_t(refAt + 2 + 8 * std::size_t(cref)), d.end());
                d = std::move(out);
                if (kept == 0) {
                    drop[i] = true;
                    ++dvRemoved;
                }
                break;
            }
            case 0x01B8: // HLINK
                if (d.size() >= 8 && !shiftRef8(d.data(), s)) {
                    drop[i] = true;
                    if (i + 1 < sh.recs.size() && sh.recs[i + 1].id == 0x0800)
                        drop[i + 1] = true;
                }
                break;
            case 0x0800: // HLINKTOOLTIP
                if (d.size() >= 10 && !drop[i])
                    shiftRef8(d.data() + 2, s);
                break;
            case 0x001C: { // NOTE
                if (d.size() < 4)
                    break;
                std::uint8_t *p = d.data() + (s.columns ? 2 : 0);
                auto v = shiftPoint(rd16(p), s);
                wr16(p, std::uint16_t(v ? *v : s.at));
                break;
            }
            default:
                break;
            }
        } catch (const Malformed &) {
            // A record the engine cannot read is left as it is.
        }
    }
    if (std::find(drop.begin(), drop.end(), true) == drop.end())
        return;
    std::vector<Record> kept;
    for (std::size_t i = 0; i < sh.recs.size(); ++i) {
        if (drop[i])
            continue;
        if (sh.recs[i].id == 0x01B2 && dvRemoved && sh.recs[i].data.size() >= 18) {
            Bytes &d = sh.recs[i].data;
            const std::uint32_t n = rd32(d.data() + 14);
            wr32(d.data() + 14, n >= std::uint32_t(dvRemoved) ? n - std::uint32_t(dvRemoved) : 0);
        }
        kept.push_back(std::move(sh.recs[i]));
    }
    sh.recs = std::move(kept);
}

void adjustNames(Book &b, const Shift &s)
{
    for (NameDef &nd : b.names) {
        Bytes &d = b.globals[nd.record].data;
        if (nd.rgceOffset + nd.cce > d.size())
            continue;
        Bytes rg(d.begin() + std::ptrdiff_t(nd.rgceOffset), d.begin() + std::ptrdiff_t(nd.rgceOffset + nd.cce));
        if (applyShift(b, rg, -1, s))
            std::copy(rg.begin(), rg.end(), d.begin() + std::ptrdiff_t(nd.rgceOffset));
    }
}

void adjustArray(Book &b, Formula &f, const Shift &s)
{
    if (f.arrayRecord.size() < 14 || f.sheet != s.sheet)
        return;
    Bytes &d = f.arrayRecord;
    if (s.columns) {
        auto span = shiftSpan(d[4], d[5], s);
        if (span) {
            d[4] = std::uint8_t(span->first);
            d[5] = std::uint8_t(span->second);
        }
    } else {
        auto span = shiftSpan(rd16(d.data()), rd16(d.data() + 2), s);
        if (span) {
            wr16(d.data(), std::uint16_t(span->first));
            wr16(d.data() + 2, std::uint16_t(span->second));
        }
    }
    const std::size_t cce = rd16(d.data() + 12);
    if (14 + cce <= d.size()) {
        Bytes rg(d.begin() + 14, d.begin() + 14 + std::ptrdiff_t(cce));
        if (applyShift(b, rg, f.sheet, s))
            std::copy(rg.begin(), rg.end(), d.begin() + 14);
    }
}

// Row shifts: only the formulas that refer to rows at or after the shift point.
void adjustFormulasForRows(Book &b, const Shift &s)
{
    if (b.refIndex.size() <= std::size_t(s.sheet))
        return;
    auto &idx = b.refIndex[std::size_t(s.sheet)];
    std::vector<Formula *> hit;
    for (auto it = firstAtLeast(idx, s.at); it != idx.end(); ++it)
        hit.push_back(it->second);
    // Unregister all first: re-registered in their (preserved) order, each new entry then
    // lands at the end of the index, in constant time.
    for (Formula *f : hit)
        b.unindexFormula(f);
    for (Formula *f : hit) {
        applyShift(b, f->rgce, f->sheet, s);
        adjustArray(b, *f, s);
        b.indexFormula(f);
    }
}

void adjustMergedRows(Sheet &sh, const Shift &s)
{
    std::vector<Area> moved;
    for (auto it = firstAtLeast(sh.merged, s.at); it != sh.merged.end();) {
        moved.push_back(it->second);
        it = sh.merged.erase(it);
    }
    for (Area a : moved) {
        auto span = shiftSpan(a.r1, a.r2, s);
        if (!span)
            continue;
        a.r1 = span->first;
        a.r2 = span->second;
        if (a.r1 == a.r2 && a.c1 == a.c2)
            continue;
        sh.merged.emplace(a.r2, a);
    }
}

void recountColumns(Sheet &sh)
{
    sh.colUse.fill(0);
    for (const Row &row : sh.rows)
        for (const Cell &c : row.cells)
            ++sh.colUse[c.col];
}

Cell cloneCell(Book &b, const Cell &c, int dRow, int dCol)
{
    Cell n;
    n.col = std::uint16_t(c.col + dCol);
    n.xf = c.xf;
    n.kind = c.kind;
    n.code = c.code;
    n.str = c.str;
    n.num = c.num;
    if (c.f) {
        n.f = cloneFormula(b, *c.f);
        if (!n.f->opaque)
            moveRelative(n.f->rgce, dRow, dCol);
    }
    return n;
}

} // namespace

void insertRows(Book &b, int sheet, std::uint32_t at, std::uint32_t n)
{
    Sheet &sh = b.sheets[std::size_t(sheet)];
    if (at < sh.rows.size())
    {
        std::vector<Row> fresh(n);
        sh.rows.insert(sh.rows.begin() + std::ptrdiff_t(at), std::make_move_iterator(fresh.begin()),
                       std::make_move_iterator(fresh.end()));
    }
    const Shift s{false, true, at, n, sheet};
    adjustFormulasForRows(b, s);
    adjustNames(b, s);
    adjustMergedRows(sh, s);
    adjustSheetRecords(b, sh, s);
}

void deleteRows(Book &b, int sheet, std::uint32_t at, std::uint32_t n)
{
    Sheet &sh = b.sheets[std::size_t(sheet)];
    if (at < sh.rows.size()) {
        const std::size_t end = std::min<std::size_t>(sh.rows.size(), std::size_t(at) + n);
        for (std::size_t r = at; r < end; ++r)
            for (const Cell &c : sh.rows[r].cells)
                --sh.colUse[c.col];
        sh.rows.erase(sh.rows.begin() + std::ptrdiff_t(at), sh.rows.begin() + std::ptrdiff_t(end));
    }
    const Shift s{false, false, at, n, sheet};
    adjustFormulasForRows(b, s);
    adjustNames(b, s);
    adjustMergedRows(sh, s);
    adjustSheetRecords(b, sh, s);
}

void insertCols(Book &b, int sheet, std::uint32_t at, std::uint32_t n)
{
    Sheet &sh = b.sheets[std::size_t(sheet)];
    for (Row &row : sh.rows)
        for (Cell &c : row.cells)
            if (c.col >= at)
                c.col = std::uint16_t(c.col + n);
    recountColumns(sh);
    for (int c = 255; c >= int(at); --c) {
        if (std::uint32_t(c) + n <= 255)
            sh.cols[std::size_t(c) + n] = sh.cols[std::size_t(c)];
    }
    for (std::uint32_t c = at; c < at + n && c <= 255; ++c)
        sh.cols[c] = at > 0 ? sh.cols[at - 1] : ColAttr{};
    const Shift s{true, true, at, n, sheet};
    for (Sheet &other : b.sheets)
        for (Row &row : other.rows)
            for (Cell &c : row.cells)
                if (c.f && !c.f->opaque) {
                    applyShift(b, c.f->rgce, c.f->sheet, s);
                    adjustArray(b, *c.f, s);
                }
    adjustNames(b, s);
    std::multimap<std::uint32_t, Area> merged;
    for (auto [k, a] : sh.merged) {
        auto span = shiftSpan(a.c1, a.c2, s);
        if (!span)
            continue;
        a.c1 = std::uint16_t(span->first);
        a.c2 = std::uint16_t(span->second);
        merged.emplace(a.r2, a);
    }
    sh.merged = std::move(merged);
    adjustSheetRecords(b, sh, s);
}

void copyRows(Book &b, int sheet, std::uint32_t s, std::uint32_t e, std::uint32_t d, std::uint32_t n)
{
    Sheet &sh = b.sheets[std::size_t(sheet)];
    const std::uint32_t h = e - s + 1;
    if (sh.rows.size() < std::size_t(d) + std::size_t(n) * h)
        sh.rows.resize(std::size_t(d) + std::size_t(n) * h);
    std::vector<Area> merges;
    for (auto it = firstAtLeast(sh.merged, s); it != sh.merged.end() && it->first <= e; ++it)
        if (it->second.r1 >= s)
            merges.push_back(it->second);
    // Right after the insertion no formula refers to the new rows: copies referring to
    // their own rows belong just before the first entry at or after d.
    if (b.refIndex.size() < b.sheets.size())
        b.refIndex.resize(b.sheets.size());
    const auto hint = firstAtLeast(b.refIndex[std::size_t(sheet)], d);
    for (std::uint32_t k = 0; k < n; ++k) {
        const int delta = int(d + k * h) - int(s);
        for (std::uint32_t i = 0; i < h; ++i) {
            if (s + i >= sh.rows.size())
                continue;
            const Row &src = sh.rows[s + i];
            Row &dst = sh.rows[d + k * h + i];
            dst.attr = src.attr;
            dst.hasRecord = src.hasRecord;
            dst.cells.reserve(src.cells.size());
            for (const Cell &c : src.cells) {
                dst.cells.push_back(cloneCell(b, c, delta, 0));
                ++sh.colUse[c.col];
                if (dst.cells.back().f) {
                    dst.cells.back().f->sheet = std::uint16_t(sheet);
                    b.indexFormula(dst.cells.back().f.get(), sheet, hint);
                }
            }
        }
        for (Area a : merges) {
            a.r1 = std::uint32_t(int(a.r1) + delta);
            a.r2 = std::uint32_t(int(a.r2) + delta);
            sh.merged.emplace(a.r2, a);
        }
    }
}

void copyCols(Book &b, int sheet, std::uint32_t s, std::uint32_t e, std::uint32_t d, std::uint32_t n)
{
    Sheet &sh = b.sheets[std::size_t(sheet)];
    const std::uint32_t w = e - s + 1;
    for (Row &row : sh.rows) {
        std::vector<Cell> added;
        for (const Cell &c : row.cells)
            if (c.col >= s && c.col <= e)
                for (std::uint32_t k = 0; k < n; ++k) {
                    const int delta = int(d + k * w) - int(s);
                    added.push_back(cloneCell(b, c, 0, delta));
                    if (added.back().f) {
                        added.back().f->sheet = std::uint16_t(sheet);
                        b.indexFormula(added.back().f.get());
                    }
                }
        if (added.empty())
            continue;
        for (Cell &c : added)
            row.cells.push_back(std::move(c));
        std::stable_sort(row.cells.begin(), row.cells.end(), [](const Cell &x, const Cell &y) { return x.col < y.col; });
    }
    recountColumns(sh);
    for (std::uint32_t k = 0; k < n; ++k)
        for (std::uint32_t i = 0; i < w; ++i)
            sh.cols[d + k * w + i] = sh.cols[s + i];
    std::vector<Area> merges;
    for (const auto &[key, a] : sh.merged)
        if (a.c1 >= s && a.c2 <= e)
            merges.push_back(a);
    for (std::uint32_t k = 0; k < n; ++k)
        for (Area a : merges) {
            const int delta = int(d + k * w) - int(s);
            a.c1 = std::uint16_t(int(a.c1) + delta);
            a.c2 = std::uint16_t(int(a.c2) + delta);
            sh.merged.emplace(a.r2, a);
        }
}

} // namespace xls::detail
