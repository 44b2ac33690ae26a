#pragma once
// Shared helpers of the spreadsheet engine tests.

#include "TestSupport.h"
#include "xls/CompoundFile.h"
#include "xls/Workbook.h"

#include <cstdint>
#include <string>
#include <vector>

namespace xlstest {

inline std::string fixture(const char *name)
{
    const QString path = ogx::test::sourceDir() + QStringLiteral("/tests/xls/fixtures/") + QString::fromUtf8(name);
    return path.toStdString();
}

inline std::vector<std::uint8_t> fileBytes(const std::string &path)
{
    const QByteArray b = ogx::test::readFile(QString::fromStdString(path));
    return std::vector<std::uint8_t>(b.begin(), b.end());
}

// Every visible fact of the active sheet, one line per cell, for comparisons.
inline std::vector<std::string> describeSheet(xls::Workbook &wb)
{
    std::vector<std::string> out;
    out.push_back("rows " + std::to_string(wb.rowCount()) + " cols " + std::to_string(wb.colCount()));
    for (int c = 1; c <= 256; ++c)
        if (c <= wb.colCount() || wb.columnHidden(c))
            out.push_back("width " + std::to_string(c) + " " + std::to_string(wb.columnWidth(c)));
    for (const auto &m : wb.mergedRanges())
        out.push_back("merged " + std::to_string(m.row1) + "," + std::to_string(m.col1) + ":" +
                      std::to_string(m.row2) + "," + std::to_string(m.col2));
    for (int r = 1; r <= wb.rowCount(); ++r)
        for (int c = 1; c <= wb.colCount(); ++c) {
            const xls::CellValue v = wb.cell(r, c);
            out.push_back(std::to_string(r) + "," + std::to_string(c) + " k" + std::to_string(int(v.kind)) + " " +
                          v.toText() + " xf" + std::to_string(wb.cellFormat(r, c)) + " =" + wb.formulaText(r, c));
        }
    return out;
}

// The records of a saved file's workbook stream: (id, data) in order.
inline std::vector<std::pair<int, std::vector<std::uint8_t>>> records(const std::vector<std::uint8_t> &file)
{
    std::vector<std::pair<int, std::vector<std::uint8_t>>> out;
    const auto cf = xls::detail::CompoundFile::parse(file);
    const int e = cf.findRootChild(u"Workbook");
    if (e < 0)
        return out;
    const auto &s = cf.entries[std::size_t(e)].data;
    for (std::size_t p = 0; p + 4 <= s.size();) {
        const int id = s[p] | (s[p + 1] << 8);
        const std::size_t len = std::size_t(s[p + 2] | (s[p + 3] << 8));
        if ((id == 0 && len == 0) || p + 4 + len > s.size())
            break;
        out.emplace_back(id, std::vector<std::uint8_t>(s.begin() + std::ptrdiff_t(p + 4), s.begin() + std::ptrdiff_t(p + 4 + len)));
        p += 4 + len;
    }
    return out;
}

inline int u16at(const std::vector<std::uint8_t> &d, std::size_t at) { return d[at] | (d[at + 1] << 8); }

} // namespace xlstest
