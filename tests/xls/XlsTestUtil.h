#pragma once
// Shared helpers of the spreadsheet engine tests.

#include "TestSupport.h"
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

} // namespace xlstest
