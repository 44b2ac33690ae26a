// Loading: compound file -> workbook stream -> record groups -> model.
#include "Load.h"

#include "Strings.h"
#include "Tokens.h"

#include <algorithm>
#include <cmath>
#include <map>

namespace xls::detail {

namespace {

enum : std::uint16_t {
    rEOF = 0x000A, rBOF = 0x0809, rCONTINUE = 0x003C, rFILEPASS = 0x002F, rBOUNDSHEET = 0x0085,
    rSST = 0x00FC, rEXTSST = 0x00FF, rRECALCID = 0x01C1, rEXTERNSHEET = 0x0017, rSUPBOOK = 0x01AE,
    rNAME = 0x0018, rXF = 0x00E0, rINDEX = 0x020B, rDBCELL = 0x00D7, rCOLINFO = 0x007D,
    rDIMENSIONS = 0x0200, rROW = 0x0208, rBLANK = 0x0201, rMULBLANK = 0x00BE, rNUMBER = 0x0203,
    rRK = 0x027E, rMULRK = 0x00BD, rLABEL = 0x0204, rLABELSST = 0x00FD, rRSTRING = 0x00D6,
    rBOOLERR = 0x0205, rFORMULA = 0x0006, rSTRING = 0x0207, rSHRFMLA = 0x04BC, rARRAY = 0x0221,
    rTABLE = 0x0236, rMERGEDCELLS = 0x00E5, rDEFCOLWIDTH = 0x0055, rSTANDARDWIDTH = 0x0099,
    rDEFAULTROWHEIGHT = 0x0225, rWINDOW2 = 0x023E, rSCL = 0x00A0, rPANE = 0x0041, rSELECTION = 0x001D,
    rCOUNTRY = 0x008C, rMSODRAWINGGROUP = 0x00EB,
};

struct Group {
    std::size_t offset; // stream offset of the record header
    Record rec;
};

// A record group seen in place: the record's data and its CONTINUEs point into the
// stream; a Record is built only for what is kept.
struct Span {
    const std::uint8_t *p = nullptr;
    std::size_t n = 0;
    std::size_t size() const { return n; }
    const std::uint8_t *data() const { return p; }
};

struct LazyRecord {
    std::uint32_t id = 0;
    Span data;
    std::vector<Span> cont;

    Record take() const
    {
        Record r;
        r.id = id;
        r.data.assign(data.p, data.p + data.n);
        for (const Span &c : cont)
            r.cont.emplace_back(c.p, c.p + c.n);
        return r;
    }
    Bytes joined() const
    {
        Bytes d(data.p, data.p + data.n);
        for (const Span &c : cont)
            d.insert(d.end(), c.p, c.p + c.n);
        return d;
    }
};

// Splits the workbook stream into record groups (a record and its CONTINUEs).
class Stream {
public:
    std::size_t pos() const { return m_pos; }
    void seek(std::size_t p) { m_pos = p; }
    LazyRecord nextLazy()
    {
        LazyRecord g;
        g.id = rd16(&m_b[m_pos]);
        g.data = span();
        while (!atEnd() && rd16(&m_b[m_pos]) == rCONTINUE)
            g.cont.push_back(span());
        return g;
    }

    explicit Stream(const Bytes &b) : m_b(b) {}
    bool atEnd() const { return m_pos + 4 > m_b.size(); }
    // Peeks the id of the next record (0 at the end).
    std::uint16_t peekId() const { return atEnd() ? 0 : rd16(&m_b[m_pos]); }
    Group next()
    {
        Group g;
        g.offset = m_pos;
        g.rec.id = rd16(&m_b[m_pos]);
        g.rec.data = take();
        while (!atEnd() && rd16(&m_b[m_pos]) == rCONTINUE)
            g.rec.cont.push_back(take());
        return g;
    }

private:
    Span span()
    {
        const std::size_t len = rd16(&m_b[m_pos + 2]);
        if (m_pos + 4 + len > m_b.size())
            throw Malformed("the workbook stream is truncated inside a record");
        Span sp{m_b.data() + m_pos + 4, len};
        m_pos += 4 + len;
        return sp;
    }
    Bytes take()
    {
        const std::size_t len = rd16(&m_b[m_pos + 2]);
        if (m_pos + 4 + len > m_b.size())
            throw Malformed("the workbook stream is truncated inside a record");
        Bytes d(m_b.begin() + std::ptrdiff_t(m_pos + 4), m_b.begin() + std::ptrdiff_t(m_pos + 4 + len));
        m_pos += 4 + len;
        return d;
    }
    const Bytes &m_b;
    std::size_t m_pos = 0;
};

Bytes joined(const Record &r)
{
    Bytes d = r.data;
    for (const Bytes &c : r.cont)
        d.insert(d.end(), c.begin(), c.end());
    return d;
}

double rkValue(std::uint32_t rk)
{
    double v;
    if (rk & 2) {
        v = double(std::int32_t(rk) >> 2);
    } else {
        const std::uint64_t bits = std::uint64_t(rk & 0xFFFFFFFC) << 32;
        std::memcpy(&v, &bits, 8);
    }
    return (rk & 1) ? v / 100 : v;
}

const char *const kBuiltinNames[] = {"Consolidate_Area", "Auto_Open", "Auto_Close", "Extract", "Database",
                                     "Criteria", "Print_Area", "Print_Titles", "Recorder", "Data_Form",
                                     "Auto_Activate", "Auto_Deactivate", "Sheet_Title", "_FilterDatabase"};

struct Shared {
    std::uint32_t r1, r2;
    std::uint16_t c1, c2;
    Bytes rgce, rgcb;
};

class Loader {
public:
    explicit Loader(Book &book) : m_book(book) {}

    void run(const Bytes &stream)
    {
        Stream s(stream);
        if (s.atEnd())
            throw Malformed("the workbook stream is empty");
        const std::uint16_t firstId = s.peekId();
        if (firstId == 0x0009 || firstId == 0x0209 || firstId == 0x0409)
            throw Malformed("an Excel 2.x-4.x file (BIFF2-4), which is not supported");
        if (firstId != rBOF)
            throw Malformed("the workbook stream does not start with a BOF record");
        Group bof = s.next();
        if (bof.rec.data.size() < 4)
            throw Malformed("a BOF record is too short");
        if (rd16(bof.rec.data.data()) != 0x0600)
            throw Malformed("an Excel 5.0/95 file (BIFF5) or older, which is not supported");
        if (rd16(bof.rec.data.data() + 2) != 0x0005)
            throw Malformed("the workbook stream does not start with workbook globals");
        loadGlobals(s, std::move(bof.rec));

        // Substreams: one per sheet, found by the offsets in BOUNDSHEET.
        std::map<std::size_t, std::size_t> subs; // start -> end
        while (!s.atEnd() && s.peekId() == rBOF) {
            const std::size_t start = s.pos();
            int depth = 0;
            for (;;) {
                if (s.atEnd())
                    throw Malformed("the workbook stream ends inside a sheet");
                const LazyRecord g = s.nextLazy();
                if (g.id == rBOF)
                    ++depth;
                else if (g.id == rEOF)
                    --depth;
                if (depth == 0)
                    break;
            }
            subs[start] = s.pos();
        }
        for (std::size_t i = 0; i < m_book.sheets.size(); ++i) {
            Sheet &sh = m_book.sheets[i];
            auto it = subs.find(m_sheetOffsets[i]);
            if (it == subs.end())
                throw Malformed("sheet \"" + sh.name + "\" points to a position where no sheet starts");
            loadSheet(sh, int(i), stream, it->first, it->second);
            subs.erase(it);
        }
        if (m_book.sheets.empty())
            throw Malformed("the workbook has no sheets");
        for (std::size_t i = 0; i < m_book.sheets.size(); ++i)
            for (Row &row : m_book.sheets[i].rows)
                for (Cell &c : row.cells)
                    if (c.f && !c.f->opaque)
                        m_book.indexFormula(c.f.get());
    }

private:
    void loadGlobals(Stream &s, Record bof)
    {
        std::vector<Record> &g = m_book.globals;
        g.push_back(std::move(bof));
        std::vector<bool> supbookInternal;
        bool sawSst = false;
        for (;;) {
            if (s.atEnd())
                throw Malformed("the workbook stream ends inside the workbook globals");
            Record r = s.next().rec;
            const std::uint32_t id = r.id;
            if (id == rFILEPASS)
                throw Malformed("the workbook is encrypted (password protected)");
            if (id == rBOF)
                throw Malformed("a BOF record inside the workbook globals");
            if (id == rBOUNDSHEET) {
                Reader rd(r.data, "BOUNDSHEET record");
                m_sheetOffsets.push_back(rd.u32());
                rd.u8();
                rd.u8();
                Sheet sh;
                sh.name = readPlainString(rd, false);
                sh.boundsheet = g.size();
                m_book.sheets.push_back(std::move(sh));
            } else if (id == rSST) {
                if (sawSst)
                    throw Malformed("the workbook has two shared string tables");
                sawSst = true;
                loadSst(r);
                g.push_back(Record{SlotSst, {}, {}});
                continue;
            } else if (id == rEXTSST) {
                continue;
            } else if (id == rRECALCID) {
                g.push_back(Record{SlotRecalcId, {}, {}});
                continue;
            } else if (id == rSUPBOOK) {
                supbookInternal.push_back(r.data.size() == 4 && rd16(r.data.data() + 2) == 0x0401);
            } else if (id == rEXTERNSHEET) {
                r.data = joined(r);
                r.cont.clear();
                Reader rd(r.data, "EXTERNSHEET record");
                const std::uint16_t n = rd.u16();
                for (std::uint16_t i = 0; i < n; ++i) {
                    Xti x;
                    x.supbook = rd.u16();
                    x.first = std::int16_t(rd.u16());
                    x.last = std::int16_t(rd.u16());
                    x.internal = x.supbook < supbookInternal.size() && supbookInternal[x.supbook];
                    m_book.xti.push_back(x);
                }
            } else if (id == rNAME) {
                r.data = joined(r);
                r.cont.clear();
                loadName(r, g.size());
            } else if (id == rXF) {
                ++m_book.xfCount;
            }
            const bool eof = id == rEOF;
            g.push_back(std::move(r));
            if (eof)
                break;
        }
        // RECALCID goes after the names and external references, before drawings and SST.
        const bool hasRecalc = std::any_of(g.begin(), g.end(), [](const Record &r) { return r.id == SlotRecalcId; });
        if (!hasRecalc) {
            std::size_t pos = g.size() - 1;
            std::size_t lastName = 0;
            for (std::size_t i = 0; i < g.size(); ++i)
                if (g[i].id == rNAME || g[i].id == rSUPBOOK || g[i].id == rEXTERNSHEET || g[i].id == rCOUNTRY ||
                    g[i].id == rBOUNDSHEET)
                    lastName = i;
            for (std::size_t i = lastName + 1; i < g.size(); ++i)
                if (g[i].id == rMSODRAWINGGROUP || g[i].id == SlotSst || g[i].id == rEOF) {
                    pos = i;
                    break;
                }
            g.insert(g.begin() + std::ptrdiff_t(pos), Record{SlotRecalcId, {}, {}});
            for (Sheet &sh : m_book.sheets)
                if (sh.boundsheet >= pos)
                    ++sh.boundsheet;
            for (NameDef &nd : m_book.names)
                if (nd.record >= pos)
                    ++nd.record;
        }
        if (!sawSst) {
            // A workbook without strings: the table goes just before EOF.
            g.insert(g.end() - 1, Record{SlotSst, {}, {}});
        }
        for (const NameDef &nd : m_book.names)
            if (nd.sheet >= int(m_book.sheets.size()))
                throw Malformed("a defined name belongs to a sheet that does not exist");
    }

    void loadSst(const Record &r)
    {
        std::vector<const Bytes *> segs{&r.data};
        for (const Bytes &c : r.cont)
            segs.push_back(&c);
        SegmentReader sr(segs);
        sr.u32();
        const std::uint32_t unique = sr.u32();
        if (unique > r.data.size() + 8224 * r.cont.size())
            throw Malformed("the shared string table counts more strings than it holds");
        m_book.strings.reserve(unique);
        for (std::uint32_t i = 0; i < unique; ++i) {
            SstEntry e;
            sr.readString(e.text, &e.runs, &e.ext);
            if (e.runs.empty() && e.ext.empty())
                m_book.plainStrings.emplace(e.text, std::uint32_t(m_book.strings.size()));
            m_book.strings.push_back(std::move(e));
        }
    }

    void loadName(const Record &r, std::size_t index)
    {
        Reader rd(r.data, "NAME record");
        const std::uint16_t flags = rd.u16();
        rd.u8();
        const std::size_t cch = rd.u8();
        const std::size_t cce = rd.u16();
        rd.u16();
        const std::uint16_t itab = rd.u16();
        rd.skip(4);
        NameDef nd;
        nd.record = index;
        nd.sheet = int(itab) - 1;
        const std::uint8_t sflags = cch ? rd.u8() : 0;
        std::u16string name;
        for (std::size_t i = 0; i < cch; ++i)
            name.push_back((sflags & 1) ? char16_t(rd.u16()) : char16_t(rd.u8()));
        if ((flags & 0x20) && name.size() == 1 && name[0] < 14)
            nd.text = kBuiltinNames[name[0]];
        else
            nd.text = utf16ToUtf8(name);
        nd.rgceOffset = rd.pos();
        rd.need(cce);
        nd.cce = cce;
        m_book.names.push_back(std::move(nd));
    }

    Cell &place(Sheet &sh, std::uint32_t row, std::uint32_t col, std::uint32_t xf)
    {
        if (col > kMaxCol)
            throw Malformed("a cell lies beyond the last column");
        if (xf >= m_book.xfCount)
            throw Malformed("a cell uses a cell format that does not exist");
        if (row >= sh.rows.size())
            sh.rows.resize(row + 1);
        Row &r = sh.rows[row];
        r.cells.emplace_back();
        Cell &c = r.cells.back();
        c.col = std::uint16_t(col);
        c.xf = std::uint16_t(xf);
        return c;
    }

    void loadSheet(Sheet &sh, int index, const Bytes &stream, std::size_t start, std::size_t end)
    {
        Stream st(stream);
        st.seek(start);
        const LazyRecord bof = st.nextLazy();
        if (bof.data.size() < 4)
            throw Malformed("a BOF record is too short");
        if (rd16(bof.data.data()) != 0x0600)
            throw Malformed("a sheet in an older format (BIFF5 or before)");
        sh.worksheet = rd16(bof.data.data() + 2) == 0x0010;
        st.seek(start);
        if (!sh.worksheet) {
            while (st.pos() < end)
                sh.recs.push_back(st.nextLazy().take());
            return;
        }
        bool colSlot = false, cellSlot = false, mergedSlot = false;
        std::map<std::pair<std::uint32_t, std::uint32_t>, Shared> shared;
        Formula *pendingString = nullptr;
        Formula *lastFormula = nullptr;
        int depth = 0;
        auto needCellSlot = [&]() {
            if (!colSlot) {
                sh.recs.push_back(Record{SlotColInfo, {}, {}});
                colSlot = true;
            }
            if (!cellSlot) {
                sh.recs.push_back(Record{SlotCells, {}, {}});
                cellSlot = true;
            }
        };
        for (bool firstRec = true; st.pos() < end; firstRec = false) {
            const LazyRecord r = st.nextLazy();
            const std::uint32_t id = r.id;
            if (depth > 0 || (!firstRec && id == rBOF)) { // an embedded chart: verbatim
                if (id == rBOF)
                    ++depth;
                else if (id == rEOF)
                    --depth;
                sh.recs.push_back(r.take());
                continue;
            }
            if (id != rSTRING && id != rSHRFMLA && id != rARRAY)
                pendingString = nullptr;
            if (id != rARRAY && id != rSHRFMLA && id != rSTRING)
                lastFormula = nullptr;
            Reader rd(r.data.data(), r.data.size(), "cell record");
            switch (id) {
            case rINDEX:
            case rDBCELL:
                break;
            case rCOLINFO: {
                if (!colSlot) {
                    sh.recs.push_back(Record{SlotColInfo, {}, {}});
                    colSlot = true;
                }
                const std::uint16_t first = rd.u16(), last = rd.u16();
                ColAttr a;
                a.defined = true;
                a.width = rd.u16();
                a.xf = rd.u16();
                a.flags = rd.u16();
                a.reserved = r.data.size() >= 12 ? rd.u16() : 0;
                if (first > last || last > 256)
                    throw Malformed("a column format covers columns that do not exist");
                for (unsigned c = first; c <= last; ++c)
                    sh.cols[c] = a;
                break;
            }
            case rDIMENSIONS:
                needCellSlot();
                break;
            case rDEFCOLWIDTH:
                sh.defColWidth = rd.u16();
                sh.recs.push_back(r.take());
                break;
            case rSTANDARDWIDTH:
                sh.stdWidth = rd.u16();
                sh.recs.push_back(r.take());
                break;
            case rDEFAULTROWHEIGHT:
                rd.u16();
                wr16(sh.defaultRowAttr.data(), rd.u16());
                sh.recs.push_back(r.take());
                break;
            case rROW: {
                needCellSlot();
                const std::uint16_t row = rd.u16();
                rd.skip(4);
                const std::uint8_t *p = rd.take(10);
                if (row >= sh.rows.size())
                    sh.rows.resize(std::size_t(row) + 1);
                std::copy(p, p + 10, sh.rows[row].attr.begin());
                sh.rows[row].hasRecord = true;
                break;
            }
            case rBLANK: {
                needCellSlot();
                const std::uint16_t row = rd.u16(), col = rd.u16();
                place(sh, row, col, rd.u16());
                break;
            }
            case rMULBLANK: {
                needCellSlot();
                const std::uint16_t row = rd.u16(), col = rd.u16();
                if (r.data.size() < 6 || (r.data.size() - 6) % 2)
                    throw Malformed("a MULBLANK record has a bad length");
                const std::size_t n = (r.data.size() - 6) / 2;
                const std::uint16_t last = rd16(r.data.data() + r.data.size() - 2);
                if (std::size_t(col) + n - 1 != last)
                    throw Malformed("a MULBLANK record's last column contradicts its length");
                for (std::size_t k = 0; k < n; ++k)
                    place(sh, row, col + std::uint32_t(k), rd.u16());
                break;
            }
            case rNUMBER: {
                needCellSlot();
                const std::uint16_t row = rd.u16(), col = rd.u16(), xf = rd.u16();
                Cell &c = place(sh, row, col, xf);
                c.kind = CellKind::Number;
                c.num = rd.f64();
                break;
            }
            case rRK: {
                needCellSlot();
                const std::uint16_t row = rd.u16(), col = rd.u16(), xf = rd.u16();
                Cell &c = place(sh, row, col, xf);
                c.kind = CellKind::Number;
                c.num = rkValue(rd.u32());
                break;
            }
            case rMULRK: {
                needCellSlot();
                const std::uint16_t row = rd.u16(), col = rd.u16();
                if (r.data.size() < 6 || (r.data.size() - 6) % 6)
                    throw Malformed("a MULRK record has a bad length");
                const std::size_t n = (r.data.size() - 6) / 6;
                const std::uint16_t last = rd16(r.data.data() + r.data.size() - 2);
                if (std::size_t(col) + n - 1 != last)
                    throw Malformed("a MULRK record's last column contradicts its length");
                for (std::size_t k = 0; k < n; ++k) {
                    const std::uint16_t xf = rd.u16();
                    Cell &c = place(sh, row, col + std::uint32_t(k), xf);
                    c.kind = CellKind::Number;
                    c.num = rkValue(rd.u32());
                }
                break;
            }
            case rLABEL:
            case rRSTRING: {
                needCellSlot();
                const std::uint16_t row = rd.u16(), col = rd.u16(), xf = rd.u16();
                Cell &c = place(sh, row, col, xf);
                c.kind = CellKind::Text;
                SstEntry e;
                e.text = readPlainString(rd, true);
                if (id == rRSTRING && rd.left() >= 2) {
                    const std::size_t runs = rd.u16();
                    const std::uint8_t *p = rd.take(runs * 4);
                    e.runs.assign(p, p + runs * 4);
                }
                if (e.runs.empty()) {
                    c.str = m_book.internString(e.text);
                } else {
                    c.str = std::uint32_t(m_book.strings.size());
                    m_book.strings.push_back(std::move(e));
                }
                break;
            }
            case rLABELSST: {
                needCellSlot();
                const std::uint16_t row = rd.u16(), col = rd.u16(), xf = rd.u16();
                const std::uint32_t isst = rd.u32();
                if (isst >= m_book.strings.size())
                    throw Malformed("a cell refers to a shared string that does not exist");
                Cell &c = place(sh, row, col, xf);
                c.kind = CellKind::Text;
                c.str = isst;
                break;
            }
            case rBOOLERR: {
                needCellSlot();
                const std::uint16_t row = rd.u16(), col = rd.u16(), xf = rd.u16();
                const std::uint8_t v = rd.u8(), isErr = rd.u8();
                Cell &c = place(sh, row, col, xf);
                c.kind = isErr ? CellKind::Error : CellKind::Bool;
                c.code = v;
                break;
            }
            case rFORMULA: {
                needCellSlot();
                const Bytes fd = r.joined();
                Reader fr(fd, "FORMULA record");
                const std::uint16_t row = fr.u16(), col = fr.u16(), xf = fr.u16();
                const std::uint8_t *res = fr.take(8);
                auto f = std::make_unique<Formula>();
                f->flags = fr.u16();
                f->chn = fr.u32();
                const std::size_t cce = fr.u16();
                const std::uint8_t *tok = fr.take(cce);
                f->rgce.assign(tok, tok + cce);
                f->rgcb.assign(fr.here(), fr.here() + fr.left());
                f->sheet = std::uint16_t(index);
                f->book = &m_book;
                if (rd16(res + 6) == 0xFFFF) {
                    switch (res[0]) {
                    case 0: f->result = ResultKind::Text; pendingString = f.get(); break;
                    case 1: f->result = ResultKind::Bool; f->code = res[2] ? 1 : 0; break;
                    case 2: f->result = ResultKind::Error; f->code = res[2]; break;
                    case 3: f->result = ResultKind::EmptyText; break;
                    default: f->result = ResultKind::Number; f->number = 0; break;
                    }
                } else {
                    f->result = ResultKind::Number;
                    f->number = rdDouble(res);
                }
                if (!walkable(f->rgce)) {
                    f->opaque = true;
                    f->flags |= 0x01;
                }
                lastFormula = f.get();
                Cell &c = place(sh, row, col, xf);
                c.kind = CellKind::Formula;
                c.f = std::move(f);
                break;
            }
            case rSTRING: {
                if (pendingString) {
                    const Record sr0 = r.take();
                    std::vector<const Bytes *> segs{&sr0.data};
                    for (const Bytes &cb : sr0.cont)
                        segs.push_back(&cb);
                    SegmentReader sr(segs);
                    sr.readString(pendingString->text, nullptr, nullptr);
                    pendingString = nullptr;
                }
                break;
            }
            case rSHRFMLA: {
                needCellSlot();
                const Bytes sd = r.joined();
                Reader sr(sd, "SHRFMLA record");
                Shared s;
                s.r1 = sr.u16();
                s.r2 = sr.u16();
                s.c1 = sr.u8();
                s.c2 = sr.u8();
                sr.skip(2);
                const std::size_t cce = sr.u16();
                const std::uint8_t *tok = sr.take(cce);
                s.rgce.assign(tok, tok + cce);
                s.rgcb.assign(sr.here(), sr.here() + sr.left());
                if (s.r1 > s.r2 || s.c1 > s.c2)
                    throw Malformed("a shared formula covers an empty range");
                shared[{s.r1, s.c1}] = std::move(s);
                break;
            }
            case rARRAY:
                needCellSlot();
                if (!lastFormula)
                    throw Malformed("an array formula record without its formula cell");
                lastFormula->arrayRecord = r.joined();
                lastFormula->flags |= 0x01;
                break;
            case rTABLE:
                throw Malformed("the workbook holds a data table (what-if table), which is not supported");
            case rMERGEDCELLS: {
                if (!mergedSlot) {
                    sh.recs.push_back(Record{SlotMerged, {}, {}});
                    mergedSlot = true;
                }
                const std::uint16_t n = rd.u16();
                for (std::uint16_t k = 0; k < n; ++k) {
                    Area a;
                    a.r1 = rd.u16();
                    a.r2 = rd.u16();
                    a.c1 = rd.u16();
                    a.c2 = rd.u16();
                    if (a.r1 > a.r2 || a.c1 > a.c2 || a.c2 > kMaxCol)
                        throw Malformed("a merged range is empty or beyond the last column");
                    sh.merged.emplace(a.r2, a);
                }
                break;
            }
            default:
                sh.recs.push_back(r.take());
                break;
            }
        }
        if (sh.recs.empty() || sh.recs.back().id != rEOF)
            throw Malformed("a sheet does not end with EOF");
        if (!cellSlot) {
            std::size_t pos = sh.recs.size() - 1;
            for (std::size_t i = 1; i < sh.recs.size(); ++i)
                if (sh.recs[i].id == rWINDOW2) {
                    pos = i;
                    break;
                }
            sh.recs.insert(sh.recs.begin() + std::ptrdiff_t(pos), Record{SlotCells, {}, {}});
            if (!colSlot)
                sh.recs.insert(sh.recs.begin() + std::ptrdiff_t(pos), Record{SlotColInfo, {}, {}});
        }
        if (!mergedSlot) {
            std::size_t pos = sh.recs.size() - 1;
            for (std::size_t i = 0; i < sh.recs.size(); ++i) {
                const std::uint32_t id = sh.recs[i].id;
                if (id == rWINDOW2 || id == rSCL || id == rPANE || id == rSELECTION)
                    pos = i + 1;
            }
            sh.recs.insert(sh.recs.begin() + std::ptrdiff_t(pos), Record{SlotMerged, {}, {}});
        }

        // Cells in column order, a repeated cell replacing the earlier one.
        for (Row &row : sh.rows) {
            std::stable_sort(row.cells.begin(), row.cells.end(),
                             [](const Cell &a, const Cell &b) { return a.col < b.col; });
            std::vector<Cell> out;
            out.reserve(row.cells.size());
            for (Cell &c : row.cells) {
                if (!out.empty() && out.back().col == c.col)
                    out.back() = std::move(c);
                else
                    out.push_back(std::move(c));
            }
            row.cells = std::move(out);
            for (const Cell &c : row.cells)
                ++sh.colUse[c.col];
        }

        // Shared formulas: members carry tExp(base row, base column).
        for (std::size_t r = 0; r < sh.rows.size(); ++r) {
            for (Cell &c : sh.rows[r].cells) {
                if (!c.f || c.f->rgce.size() != 5 || (c.f->rgce[0] != 0x01))
                    continue;
                const std::uint32_t br = rd16(&c.f->rgce[1]), bc = rd16(&c.f->rgce[3]);
                auto it = shared.find({br, bc});
                if (it != shared.end() && r >= it->second.r1 && r <= it->second.r2 && c.col >= it->second.c1 &&
                    c.col <= it->second.c2) {
                    c.f->rgce = it->second.rgce;
                    c.f->rgcb = it->second.rgcb;
                    expandShared(c.f->rgce, std::uint32_t(r), c.col);
                    c.f->flags &= std::uint16_t(~0x08);
                    c.f->opaque = !walkable(c.f->rgce);
                    continue;
                }
                // An array formula member: its base must exist.
                const Cell *base = nullptr;
                if (br < sh.rows.size())
                    for (const Cell &bcell : sh.rows[br].cells)
                        if (bcell.col == bc)
                            base = &bcell;
                if (!base || !base->f || base->f->arrayRecord.empty())
                    throw Malformed("a formula refers to a shared formula that does not exist");
            }
        }
    }

    Book &m_book;
    std::vector<std::size_t> m_sheetOffsets;
};

} // namespace

void loadBook(Book &book, std::span<const std::uint8_t> bytes)
{
    book.cfb = CompoundFile::parse(bytes);
    book.workbookEntry = book.cfb.findRootChild(u"Workbook");
    if (book.workbookEntry < 0) {
        if (book.cfb.findRootChild(u"Book") >= 0)
            throw Malformed("an Excel 5.0/95 file (BIFF5) or older, which is not supported");
        if (book.cfb.findRootChild(u"EncryptedPackage") >= 0)
            throw Malformed("the workbook is encrypted (password protected)");
        throw Malformed("no Workbook stream: not an Excel workbook");
    }
    if (book.cfb.entries[std::size_t(book.workbookEntry)].type != 2)
        throw Malformed("the Workbook entry is not a stream");
    Loader(book).run(book.cfb.entries[std::size_t(book.workbookEntry)].data);
    book.cfb.entries[std::size_t(book.workbookEntry)].data.clear();
    book.cfb.entries[std::size_t(book.workbookEntry)].data.shrink_to_fit();
}

} // namespace xls::detail
