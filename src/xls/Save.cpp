// Saving: model -> workbook stream -> compound file.
#include "Load.h"
#include "Strings.h"
#include "Tokens.h"

#include <cmath>

namespace xls::detail {

namespace {

void writeRecord(Bytes &out, std::uint16_t id, const std::uint8_t *data, std::size_t size)
{
    std::size_t first = std::min<std::size_t>(size, ContinuedWriter::kMax);
    put16(out, id);
    put16(out, std::uint16_t(first));
    out.insert(out.end(), data, data + first);
    std::size_t pos = first;
    while (pos < size) {
        const std::size_t k = std::min<std::size_t>(size - pos, ContinuedWriter::kMax);
        put16(out, 0x003C);
        put16(out, std::uint16_t(k));
        out.insert(out.end(), data + pos, data + pos + k);
        pos += k;
    }
}

void writeRecord(Bytes &out, std::uint16_t id, const Bytes &data) { writeRecord(out, id, data.data(), data.size()); }

void writeVerbatim(Bytes &out, const Record &r)
{
    put16(out, std::uint16_t(r.id));
    put16(out, std::uint16_t(r.data.size()));
    out.insert(out.end(), r.data.begin(), r.data.end());
    for (const Bytes &c : r.cont) {
        put16(out, 0x003C);
        put16(out, std::uint16_t(c.size()));
        out.insert(out.end(), c.begin(), c.end());
    }
}

class Saver {
public:
    explicit Saver(Book &b) : m_book(b) {}

    Bytes run()
    {
        buildSst();
        Bytes out;
        out.reserve(1 << 16);
        std::vector<std::size_t> plyPatch(m_book.sheets.size(), 0);
        for (std::size_t i = 0; i < m_book.globals.size(); ++i) {
            const Record &r = m_book.globals[i];
            switch (r.id) {
            case SlotSst:
                writeSst(out);
                break;
            case SlotRecalcId: {
                const std::uint8_t d[8] = {0xC1, 0x01, 0, 0, 0, 0, 0, 0};
                writeRecord(out, 0x01C1, d, 8);
                break;
            }
            case 0x0018: // NAME, joined at load
                writeRecord(out, 0x0018, r.data);
                break;
            default:
                for (std::size_t s = 0; s < m_book.sheets.size(); ++s)
                    if (m_book.sheets[s].boundsheet == i)
                        plyPatch[s] = out.size() + 4;
                writeVerbatim(out, r);
            }
        }
        for (std::size_t s = 0; s < m_book.sheets.size(); ++s) {
            wr32(&out[plyPatch[s]], std::uint32_t(out.size()));
            writeSheet(out, m_book.sheets[s]);
        }
        if (out.size() < 4096)
            out.resize(4096, 0);
        return out;
    }

private:
    void buildSst()
    {
        m_remap.assign(m_book.strings.size(), 0xFFFFFFFF);
        m_order.clear();
        m_total = 0;
        for (const Sheet &sh : m_book.sheets)
            for (const Row &row : sh.rows)
                for (const Cell &c : row.cells)
                    if (c.kind == CellKind::Text) {
                        ++m_total;
                        if (m_remap[c.str] == 0xFFFFFFFF) {
                            m_remap[c.str] = std::uint32_t(m_order.size());
                            m_order.push_back(c.str);
                        }
                    }
    }

    void writeSst(Bytes &out)
    {
        ContinuedWriter w;
        put32(w.cur(), m_total);
        put32(w.cur(), std::uint32_t(m_order.size()));
        const std::size_t n = m_order.size();
        const std::size_t dsst = std::max<std::size_t>(8, (n + 127) / 128);
        std::vector<std::pair<std::size_t, std::size_t>> buckets; // (segment, offset)
        for (std::size_t i = 0; i < n; ++i) {
            const SstEntry &e = m_book.strings[m_order[i]];
            const std::u16string u = utf8ToUtf16(e.text);
            // Record where the string will start (the writer may open a new segment first).
            const std::size_t header = 3 + (e.runs.empty() ? 0 : 2) + (e.ext.empty() ? 0 : 4) + (u.empty() ? 0 : 2);
            if (w.room() < header)
                w.newSegment();
            if (i % dsst == 0)
                buckets.emplace_back(w.segments().size() - 1, w.cur().size());
            w.string(u, e.runs, e.ext);
        }
        std::vector<std::size_t> segStart;
        auto &segs = w.segments();
        for (std::size_t k = 0; k < segs.size(); ++k) {
            segStart.push_back(out.size());
            put16(out, k == 0 ? 0x00FC : 0x003C);
            put16(out, std::uint16_t(segs[k].size()));
            out.insert(out.end(), segs[k].begin(), segs[k].end());
        }
        Bytes ext;
        put16(ext, std::uint16_t(dsst));
        for (auto [seg, off] : buckets) {
            put32(ext, std::uint32_t(segStart[seg] + 4 + off));
            put16(ext, std::uint16_t(4 + off));
            put16(ext, 0);
        }
        writeRecord(out, 0x00FF, ext);
    }

    void writeSheet(Bytes &out, const Sheet &sh)
    {
        for (const Record &r : sh.recs) {
            switch (r.id) {
            case SlotColInfo:
                writeColInfo(out, sh);
                break;
            case SlotCells:
                writeCells(out, sh);
                break;
            case SlotMerged:
                writeMerged(out, sh);
                break;
            default:
                writeVerbatim(out, r);
            }
        }
    }

    void writeColInfo(Bytes &out, const Sheet &sh)
    {
        std::size_t c = 0;
        while (c < sh.cols.size()) {
            if (!sh.cols[c].defined) {
                ++c;
                continue;
            }
            std::size_t e = c;
            while (e + 1 < sh.cols.size() && sh.cols[e + 1] == sh.cols[c])
                ++e;
            Bytes d;
            put16(d, std::uint16_t(c));
            put16(d, std::uint16_t(e));
            put16(d, sh.cols[c].width);
            put16(d, sh.cols[c].xf);
            put16(d, sh.cols[c].flags);
            put16(d, sh.cols[c].reserved);
            writeRecord(out, 0x007D, d);
            c = e + 1;
        }
    }

    void writeMerged(Bytes &out, const Sheet &sh)
    {
        std::vector<Area> all;
        for (const auto &[k, a] : sh.merged)
            all.push_back(a);
        std::sort(all.begin(), all.end(), [](const Area &a, const Area &b) {
            return a.r1 != b.r1 ? a.r1 < b.r1 : a.c1 < b.c1;
        });
        for (std::size_t i = 0; i < all.size(); i += 1026) {
            const std::size_t n = std::min<std::size_t>(1026, all.size() - i);
            Bytes d;
            put16(d, std::uint16_t(n));
            for (std::size_t k = i; k < i + n; ++k) {
                put16(d, std::uint16_t(all[k].r1));
                put16(d, std::uint16_t(all[k].r2));
                put16(d, all[k].c1);
                put16(d, all[k].c2);
            }
            writeRecord(out, 0x00E5, d);
        }
    }

    void writeCells(Bytes &out, const Sheet &sh)
    {
        std::uint32_t rwMic = 0, rwMac = 0;
        std::uint16_t colMic = 0xFFFF, colMac = 0;
        bool any = false;
        for (std::size_t r = 0; r < sh.rows.size(); ++r) {
            const Row &row = sh.rows[r];
            if (row.cells.empty())
                continue;
            if (!any)
                rwMic = std::uint32_t(r);
            any = true;
            rwMac = std::uint32_t(r + 1);
            colMic = std::min(colMic, row.cells.front().col);
            colMac = std::max<std::uint16_t>(colMac, std::uint16_t(row.cells.back().col + 1));
        }
        Bytes d;
        put32(d, any ? rwMic : 0);
        put32(d, any ? rwMac : 0);
        put16(d, any ? colMic : 0);
        put16(d, any ? colMac : 0);
        put16(d, 0);
        writeRecord(out, 0x0200, d);

        for (std::size_t b = 0; b < sh.rows.size(); b += 32) {
            const std::size_t e = std::min(sh.rows.size(), b + 32);
            for (std::size_t r = b; r < e; ++r) {
                const Row &row = sh.rows[r];
                if (!row.hasRecord && row.cells.empty())
                    continue;
                Bytes rd;
                put16(rd, std::uint16_t(r));
                put16(rd, row.cells.empty() ? 0 : row.cells.front().col);
                put16(rd, row.cells.empty() ? 0 : std::uint16_t(row.cells.back().col + 1));
                const auto &attr = row.hasRecord ? row.attr : sh.defaultRowAttr;
                rd.insert(rd.end(), attr.begin(), attr.end());
                writeRecord(out, 0x0208, rd);
            }
            for (std::size_t r = b; r < e; ++r)
                for (const Cell &c : sh.rows[r].cells)
                    writeCell(out, std::uint16_t(r), c);
        }
    }

    void writeCell(Bytes &out, std::uint16_t row, const Cell &c)
    {
        Bytes d;
        put16(d, row);
        put16(d, c.col);
        put16(d, c.xf);
        switch (c.kind) {
        case CellKind::Blank:
            writeRecord(out, 0x0201, d);
            return;
        case CellKind::Number:
            putDouble(d, c.num);
            writeRecord(out, 0x0203, d);
            return;
        case CellKind::Text:
            put32(d, m_remap[c.str]);
            writeRecord(out, 0x00FD, d);
            return;
        case CellKind::Bool:
        case CellKind::Error:
            put8(d, c.code);
            put8(d, c.kind == CellKind::Error ? 1 : 0);
            writeRecord(out, 0x0205, d);
            return;
        case CellKind::Formula:
            break;
        }
        const Formula &f = *c.f;
        std::uint8_t res[8] = {0, 0, 0, 0, 0, 0, 0xFF, 0xFF};
        bool stringFollows = false;
        switch (f.result) {
        case ResultKind::Number:
            if (std::isfinite(f.number)) {
                std::memcpy(res, &f.number, 8);
            } else {
                res[0] = 2;
                res[2] = 0x24;
            }
            break;
        case ResultKind::Text:
            if (f.text.empty()) {
                res[0] = 3;
            } else {
                stringFollows = true;
            }
            break;
        case ResultKind::EmptyText:
            res[0] = 3;
            break;
        case ResultKind::Bool:
            res[0] = 1;
            res[2] = f.code;
            break;
        case ResultKind::Error:
            res[0] = 2;
            res[2] = f.code;
            break;
        }
        d.insert(d.end(), res, res + 8);
        put16(d, f.flags);
        put32(d, f.chn);
        put16(d, std::uint16_t(f.rgce.size()));
        d.insert(d.end(), f.rgce.begin(), f.rgce.end());
        d.insert(d.end(), f.rgcb.begin(), f.rgcb.end());
        writeRecord(out, 0x0006, d);
        if (!f.arrayRecord.empty())
            writeRecord(out, 0x0221, f.arrayRecord);
        if (stringFollows) {
            ContinuedWriter w;
            w.string(utf8ToUtf16(f.text), {}, {});
            auto &segs = w.segments();
            for (std::size_t k = 0; k < segs.size(); ++k) {
                put16(out, k == 0 ? 0x0207 : 0x003C);
                put16(out, std::uint16_t(segs[k].size()));
                out.insert(out.end(), segs[k].begin(), segs[k].end());
            }
        }
    }

    Book &m_book;
    std::vector<std::uint32_t> m_remap;
    std::vector<std::uint32_t> m_order;
    std::uint32_t m_total = 0;
};

} // namespace

Bytes saveBook(Book &book)
{
    Bytes stream = Saver(book).run();
    CfbEntry &wb = book.cfb.entries[std::size_t(book.workbookEntry)];
    wb.data = std::move(stream);
    Bytes file = book.cfb.serialize();
    wb.data.clear();
    wb.data.shrink_to_fit();
    return file;
}

} // namespace xls::detail
