#include "Workbook.h"

#include "Load.h"
#include "Ops.h"
#include "Tokens.h"

#include <cmath>
#include <fstream>
#include <random>

namespace xls {

using namespace detail;

struct Workbook::Impl {
    Book book;
    int active = 0;
    std::string name;

    [[noreturn]] void fail(const std::string &why) const { throw Error(name + ": " + why); }

    Sheet &ws()
    {
        Sheet &sh = book.sheets[std::size_t(active)];
        if (!sh.worksheet)
            fail("sheet " + std::to_string(active + 1) + " (\"" + sh.name + "\") is not a worksheet");
        return sh;
    }
    const Sheet &ws() const { return const_cast<Impl *>(this)->ws(); }

    void checkCell(int row, int col) const
    {
        if (row < 1 || row > 65536 || col < 1 || col > 256)
            fail("cell (" + std::to_string(row) + ", " + std::to_string(col) + ") is outside the sheet");
    }

    const Cell *find(const Sheet &sh, int row, int col) const
    {
        const std::size_t r = std::size_t(row - 1);
        if (r >= sh.rows.size())
            return nullptr;
        const auto &cells = sh.rows[r].cells;
        auto it = std::lower_bound(cells.begin(), cells.end(), std::uint16_t(col - 1),
                                   [](const Cell &c, std::uint16_t v) { return c.col < v; });
        return it != cells.end() && it->col == col - 1 ? &*it : nullptr;
    }

    static int rowXf(const Row &row)
    {
        const std::uint16_t flags = rd16(row.attr.data() + 6);
        if (row.hasRecord && (flags & 0x80))
            return rd16(row.attr.data() + 8) & 0x0FFF;
        return -1;
    }

    Cell &touch(int row, int col)
    {
        checkCell(row, col);
        Sheet &sh = ws();
        const std::size_t r = std::size_t(row - 1);
        if (r >= sh.rows.size())
            sh.rows.resize(r + 1);
        Row &rw = sh.rows[r];
        auto it = std::lower_bound(rw.cells.begin(), rw.cells.end(), std::uint16_t(col - 1),
                                   [](const Cell &c, std::uint16_t v) { return c.col < v; });
        if (it != rw.cells.end() && it->col == col - 1) {
            it->f.reset();
            return *it;
        }
        Cell c;
        c.col = std::uint16_t(col - 1);
        int xf = rowXf(rw);
        if (xf < 0 && sh.cols[std::size_t(col - 1)].defined)
            xf = sh.cols[std::size_t(col - 1)].xf;
        c.xf = std::uint16_t(xf < 0 || std::uint32_t(xf) >= book.xfCount ? 15 : xf);
        ++sh.colUse[std::size_t(col - 1)];
        return *rw.cells.insert(it, std::move(c));
    }
};

std::string CellValue::toText() const
{
    switch (kind) {
    case Empty: return "";
    case Text: case Error: return text;
    case Number: return numberText(number);
    case Bool: return number != 0 ? "TRUE" : "FALSE";
    }
    return "";
}

Workbook::Workbook(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}
Workbook::Workbook(Workbook &&) noexcept = default;
Workbook &Workbook::operator=(Workbook &&) noexcept = default;
Workbook::~Workbook() = default;

Workbook Workbook::open(const std::filesystem::path &path)
{
    const std::string name = path.string();
    std::ifstream in(path, std::ios::binary);
    if (!in)
        throw Error(name + ": the file cannot be opened for reading");
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    if (ec)
        throw Error(name + ": the file cannot be read");
    std::vector<std::uint8_t> bytes(std::size_t(size), 0);
    in.read(reinterpret_cast<char *>(bytes.data()), std::streamsize(bytes.size()));
    if (in.gcount() != std::streamsize(bytes.size()))
        throw Error(name + ": the file cannot be read");
    return fromBytes(bytes, name);
}

Workbook Workbook::fromBytes(std::span<const std::uint8_t> bytes, const std::string &name)
{
    auto impl = std::make_unique<Impl>();
    impl->name = name;
    try {
        loadBook(impl->book, bytes);
    } catch (const Malformed &e) {
        throw Error(name + ": " + e.what());
    } catch (const std::length_error &) {
        throw Error(name + ": the file's structures are too large");
    } catch (const std::bad_alloc &) {
        throw Error(name + ": the file's structures are too large");
    }
    return Workbook(std::move(impl));
}

int Workbook::sheetCount() const { return int(d->book.sheets.size()); }

std::string Workbook::sheetName(int sheet) const
{
    if (sheet < 1 || sheet > sheetCount())
        d->fail("there is no sheet " + std::to_string(sheet));
    return d->book.sheets[std::size_t(sheet - 1)].name;
}

void Workbook::selectSheet(int sheet)
{
    if (sheet < 1 || sheet > sheetCount())
        d->fail("there is no sheet " + std::to_string(sheet));
    d->active = sheet - 1;
}

int Workbook::activeSheet() const { return d->active + 1; }

int Workbook::rowCount() const
{
    const Sheet &sh = d->book.sheets[std::size_t(d->active)];
    return sh.worksheet ? int(usedRows(sh)) : 0;
}

int Workbook::colCount() const
{
    const Sheet &sh = d->book.sheets[std::size_t(d->active)];
    return sh.worksheet ? int(usedCols(sh)) : 0;
}

CellValue Workbook::cell(int row, int col) const
{
    d->checkCell(row, col);
    CellValue v;
    const Sheet &sh = d->book.sheets[std::size_t(d->active)];
    if (!sh.worksheet)
        return v;
    const Cell *c = d->find(sh, row, col);
    if (!c)
        return v;
    switch (c->kind) {
    case CellKind::Blank: break;
    case CellKind::Number: v.kind = CellValue::Number; v.number = c->num; break;
    case CellKind::Text: v.kind = CellValue::Text; v.text = d->book.strings[c->str].text; break;
    case CellKind::Bool: v.kind = CellValue::Bool; v.number = c->code ? 1 : 0; break;
    case CellKind::Error: v.kind = CellValue::Error; v.text = errorText(c->code); break;
    case CellKind::Formula: {
        const Formula &f = *c->f;
        v.hasFormula = true;
        switch (f.result) {
        case ResultKind::Number: v.kind = CellValue::Number; v.number = f.number; break;
        case ResultKind::Text: v.kind = CellValue::Text; v.text = f.text; break;
        case ResultKind::EmptyText: v.kind = CellValue::Text; break;
        case ResultKind::Bool: v.kind = CellValue::Bool; v.number = f.code ? 1 : 0; break;
        case ResultKind::Error: v.kind = CellValue::Error; v.text = errorText(f.code); break;
        }
        break;
    }
    }
    return v;
}

std::string Workbook::formulaText(int row, int col) const
{
    d->checkCell(row, col);
    const Sheet &sh = d->book.sheets[std::size_t(d->active)];
    if (!sh.worksheet)
        return "";
    const Cell *c = d->find(sh, row, col);
    if (!c || !c->f)
        return "";
    if (c->f->rgce.size() == 5 && c->f->rgce[0] == 0x01)
        return "{array}";
    std::string t = formulaToText(d->book, c->f->rgce, d->active);
    return t.empty() ? "?" : t;
}

int Workbook::cellFormat(int row, int col) const
{
    d->checkCell(row, col);
    const Sheet &sh = d->ws();
    if (const Cell *c = d->find(sh, row, col))
        return c->xf;
    if (std::size_t(row - 1) < sh.rows.size()) {
        const int xf = Impl::rowXf(sh.rows[std::size_t(row - 1)]);
        if (xf >= 0)
            return xf;
    }
    if (sh.cols[std::size_t(col - 1)].defined)
        return sh.cols[std::size_t(col - 1)].xf;
    return 15;
}

void Workbook::setText(int row, int col, const std::string &utf8)
{
    if (utf8.size() > 32767 * 4)
        d->fail("a text of more than 32767 characters does not fit in a cell");
    const std::uint32_t idx = d->book.internString(utf8);
    Cell &c = d->touch(row, col);
    c.kind = CellKind::Text;
    c.str = idx;
}

void Workbook::setEmptyText(int row, int col)
{
    Cell &c = d->touch(row, col);
    c.kind = CellKind::Blank;
}

void Workbook::setNumber(int row, int col, double value)
{
    Cell &c = d->touch(row, col);
    if (std::isfinite(value)) {
        c.kind = CellKind::Number;
        c.num = value;
    } else {
        c.kind = CellKind::Error;
        c.code = 0x24;
    }
}

void Workbook::setInteger(int row, int col, std::int64_t value) { setNumber(row, col, double(value)); }

void Workbook::setMoney(int row, int col, double value)
{
    if (!std::isfinite(value) || std::fabs(value) > 9e14)
        return setNumber(row, col, value);
    setMoneyUnits(row, col, std::llround(value * 10000.0));
}

void Workbook::setMoneyUnits(int row, int col, std::int64_t tenThousandths)
{
    setNumber(row, col, double(tenThousandths) / 10000.0);
}

void Workbook::setBool(int row, int col, bool value)
{
    Cell &c = d->touch(row, col);
    c.kind = CellKind::Bool;
    c.code = value ? 1 : 0;
}

namespace {
bool hasArray(const Sheet &sh, std::uint32_t r1, std::uint32_t r2, std::uint32_t c1, std::uint32_t c2)
{
    for (std::uint32_t r = r1; r <= r2 && r < sh.rows.size(); ++r)
        for (const Cell &c : sh.rows[r].cells)
            if (c.col >= c1 && c.col <= c2 && c.f && (!c.f->arrayRecord.empty() || (c.f->rgce.size() == 5 && c.f->rgce[0] == 0x01)))
                return true;
    return false;
}
} // namespace

void Workbook::insertRowCopies(int first, int last, int dest, int n)
{
    if (n <= 0)
        return;
    Sheet &sh = d->ws();
    if (first < 1 || last < first || last > 65536 || dest < 1 || dest > 65536)
        d->fail("rows " + std::to_string(first) + "-" + std::to_string(last) + " cannot be copied to row " +
                std::to_string(dest));
    if (dest > first && dest <= last)
        d->fail("a block of rows cannot be copied into itself");
    const std::uint64_t h = std::uint64_t(last - first + 1);
    const std::uint64_t total = h * std::uint64_t(n);
    const std::uint32_t used = usedRows(sh);
    if (std::uint64_t(dest - 1) + total > 65536 || (used > std::uint32_t(dest - 1) && used + total > 65536))
        d->fail("inserting " + std::to_string(total) + " rows would push cells past row 65536");
    if (hasArray(sh, std::uint32_t(first - 1), std::uint32_t(last - 1), 0, 255))
        d->fail("rows holding an array formula cannot be copied");
    const std::uint32_t s = std::uint32_t(first - 1), e = std::uint32_t(last - 1), dd = std::uint32_t(dest - 1);
    detail::insertRows(d->book, d->active, dd, std::uint32_t(total));
    const std::uint32_t s2 = dd <= s ? s + std::uint32_t(total) : s;
    copyRows(d->book, d->active, s2, e + (s2 - s), dd, std::uint32_t(n));
}

void Workbook::insertColCopies(int first, int last, int dest, int n)
{
    if (n <= 0)
        return;
    Sheet &sh = d->ws();
    if (first < 1 || last < first || last > 256 || dest < 1 || dest > 256)
        d->fail("columns " + std::to_string(first) + "-" + std::to_string(last) + " cannot be copied to column " +
                std::to_string(dest));
    if (dest > first && dest <= last)
        d->fail("a block of columns cannot be copied into itself");
    const std::uint64_t w = std::uint64_t(last - first + 1);
    const std::uint64_t total = w * std::uint64_t(n);
    const std::uint32_t used = usedCols(sh);
    if (std::uint64_t(dest - 1) + total > 256 || (used > std::uint32_t(dest - 1) && used + total > 256))
        d->fail("inserting " + std::to_string(total) + " columns would push cells past column 256");
    if (hasArray(sh, 0, 65535, std::uint32_t(first - 1), std::uint32_t(last - 1)))
        d->fail("columns holding an array formula cannot be copied");
    const std::uint32_t s = std::uint32_t(first - 1), e = std::uint32_t(last - 1), dd = std::uint32_t(dest - 1);
    insertCols(d->book, d->active, dd, std::uint32_t(total));
    const std::uint32_t s2 = dd <= s ? s + std::uint32_t(total) : s;
    copyCols(d->book, d->active, s2, e + (s2 - s), dd, std::uint32_t(n));
}

void Workbook::deleteRows(int row, int n)
{
    if (n <= 0)
        return;
    d->ws();
    if (row < 1 || row > 65536)
        d->fail("there is no row " + std::to_string(row));
    n = std::min(n, 65537 - row);
    detail::deleteRows(d->book, d->active, std::uint32_t(row - 1), std::uint32_t(n));
}

int Workbook::columnWidth(int col) const
{
    if (col < 1 || col > 256)
        d->fail("there is no column " + std::to_string(col));
    const Sheet &sh = d->ws();
    const ColAttr &a = sh.cols[std::size_t(col - 1)];
    if (a.defined)
        return (a.flags & 1) ? 0 : a.width;
    return sh.stdWidth >= 0 ? sh.stdWidth : sh.defColWidth * 256;
}

bool Workbook::columnHidden(int col) const
{
    if (col < 1 || col > 256)
        d->fail("there is no column " + std::to_string(col));
    const ColAttr &a = d->ws().cols[std::size_t(col - 1)];
    return a.defined && (a.flags & 1);
}

void Workbook::setColumnWidth(int col, int width)
{
    if (col < 1 || col > 256)
        d->fail("there is no column " + std::to_string(col));
    if (width < 0 || width > 65535)
        d->fail("a column width must lie between 0 and 65535");
    Sheet &sh = d->ws();
    ColAttr &a = sh.cols[std::size_t(col - 1)];
    if (!a.defined) {
        a = ColAttr{};
        a.defined = true;
        a.xf = 15;
    }
    if (width == 0) {
        a.width = 0;
        a.flags |= 0x0001;
    } else {
        a.width = std::uint16_t(width);
        a.flags = std::uint16_t((a.flags & ~0x0001) | 0x0002);
    }
}

std::vector<Workbook::Range> Workbook::mergedRanges() const
{
    std::vector<Range> out;
    for (const auto &[k, a] : d->ws().merged)
        out.push_back(Range{int(a.r1) + 1, int(a.c1) + 1, int(a.r2) + 1, int(a.c2) + 1});
    std::sort(out.begin(), out.end(), [](const Range &x, const Range &y) {
        return x.row1 != y.row1 ? x.row1 < y.row1 : x.col1 < y.col1;
    });
    return out;
}

void Workbook::recalculate() { recalcAll(d->book); }

std::vector<std::uint8_t> Workbook::toBytes()
{
    recalcAll(d->book);
    return saveBook(d->book);
}

void Workbook::saveAs(const std::filesystem::path &path)
{
    const std::string target = path.string();
    std::error_code ec;
    if (std::filesystem::exists(path, ec))
        throw Error(target + ": the file already exists and is not overwritten");
    const std::vector<std::uint8_t> bytes = toBytes();
    std::random_device rd;
    std::filesystem::path tmp = path;
    tmp += ".tmp" + std::to_string(rd() % 1000000);
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            throw Error(target + ": cannot write in the target folder");
        out.write(reinterpret_cast<const char *>(bytes.data()), std::streamsize(bytes.size()));
        out.close();
        if (!out) {
            std::filesystem::remove(tmp, ec);
            throw Error(target + ": writing the file failed");
        }
    }
    if (std::filesystem::exists(path, ec)) {
        std::filesystem::remove(tmp, ec);
        throw Error(target + ": the file already exists and is not overwritten");
    }
    std::filesystem::rename(tmp, path, ec);
    if (ec) {
        std::filesystem::remove(tmp, ec);
        throw Error(target + ": the file cannot be created");
    }
}

} // namespace xls
