// xlstool — inspect and edit .xls workbooks through the spreadsheet engine.
//
//   xlstool dump FILE              every sheet: cells (type, value, format), formulas,
//                                  column widths, hidden columns, merged ranges
//   xlstool apply IN OUT SCRIPT    applies SCRIPT (one operation a line) to IN, saves OUT
//
// Script operations (rows, columns and sheets from 1; '#' starts a comment line):
//   sheet N | set R C text TEXT | set R C number VALUE | set R C empty
//   insert-rows FIRST LAST DEST N | insert-cols FIRST LAST DEST N | delete-rows R N
//   width C W
// Exit status: 0 success, 1 error (the message names the file or the script line), 2 usage.

#include "xls/Workbook.h"

#include <charconv>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string colName(int c)
{
    std::string s;
    while (c > 0) {
        s.insert(s.begin(), char('A' + (c - 1) % 26));
        c = (c - 1) / 26;
    }
    return s;
}

std::string quoted(const std::string &s)
{
    std::string q = "\"";
    for (char ch : s) {
        if (ch == '"' || ch == '\\')
            q += '\\';
        if (ch == '\n') {
            q += "\\n";
            continue;
        }
        q += ch;
    }
    return q + "\"";
}

int dump(const std::string &path)
{
    xls::Workbook wb = xls::Workbook::open(path);
    for (int s = 1; s <= wb.sheetCount(); ++s) {
        wb.selectSheet(s);
        const int rows = wb.rowCount(), cols = wb.colCount();
        std::cout << "sheet " << s << " " << quoted(wb.sheetName(s)) << " rows " << rows << " cols " << cols << "\n";
        try {
            wb.columnWidth(1);
        } catch (const xls::Error &) {
            std::cout << "  (not a worksheet)\n";
            continue;
        }
        for (int c = 1; c <= 256; ++c)
            if (c <= cols || wb.columnHidden(c))
                std::cout << "  column " << colName(c) << " width " << wb.columnWidth(c)
                          << (wb.columnHidden(c) ? " hidden" : "") << "\n";
        for (const auto &m : wb.mergedRanges())
            std::cout << "  merged " << colName(m.col1) << m.row1 << ":" << colName(m.col2) << m.row2 << "\n";
        for (int r = 1; r <= rows; ++r)
            for (int c = 1; c <= cols; ++c) {
                const xls::CellValue v = wb.cell(r, c);
                const std::string f = wb.formulaText(r, c);
                if (v.kind == xls::CellValue::Empty && f.empty() && wb.cellFormat(r, c) == 15)
                    continue;
                std::cout << "  " << colName(c) << r << " ";
                switch (v.kind) {
                case xls::CellValue::Empty: std::cout << "empty"; break;
                case xls::CellValue::Text: std::cout << "text " << quoted(v.text); break;
                case xls::CellValue::Number: std::cout << "number " << v.toText(); break;
                case xls::CellValue::Bool: std::cout << "bool " << v.toText(); break;
                case xls::CellValue::Error: std::cout << "error " << v.text; break;
                }
                std::cout << " xf " << wb.cellFormat(r, c);
                if (!f.empty())
                    std::cout << " formula =" << f;
                std::cout << "\n";
            }
    }
    return 0;
}

bool toInt(const std::string &s, int &out)
{
    auto r = std::from_chars(s.data(), s.data() + s.size(), out);
    return r.ec == std::errc() && r.ptr == s.data() + s.size();
}

int apply(const std::string &in, const std::string &out, const std::string &script)
{
    std::ifstream sf(script);
    if (!sf) {
        std::cerr << script << ": the script cannot be read\n";
        return 1;
    }
    xls::Workbook wb = xls::Workbook::open(in);
    std::string line;
    int lineNo = 0;
    while (std::getline(sf, line)) {
        ++lineNo;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        std::istringstream ls(line);
        std::vector<std::string> w;
        for (std::string t; ls >> t;)
            w.push_back(t);
        if (w.empty() || w[0][0] == '#')
            continue;
        auto fail = [&](const std::string &why) {
            std::cerr << script << ":" << lineNo << ": " << why << "\n";
            return 1;
        };
        std::vector<int> n;
        auto ints = [&](std::size_t from, std::size_t count) {
            n.clear();
            if (w.size() < from + count)
                return false;
            for (std::size_t i = from; i < from + count; ++i) {
                int v;
                if (!toInt(w[i], v))
                    return false;
                n.push_back(v);
            }
            return true;
        };
        try {
            const std::string &op = w[0];
            if (op == "sheet") {
                if (!ints(1, 1) || w.size() != 2)
                    return fail("expected: sheet N");
                wb.selectSheet(n[0]);
            } else if (op == "set") {
                if (w.size() < 4 || !ints(1, 2))
                    return fail("expected: set R C text TEXT | number VALUE | empty");
                if (w[3] == "text") {
                    // The text is the rest of the line after "text ", blanks kept.
                    std::size_t pos = 0;
                    for (int k = 0; k < 4; ++k) {
                        pos = line.find_first_not_of(" \t", pos);
                        pos = line.find_first_of(" \t", pos);
                    }
                    std::string text = pos == std::string::npos ? "" : line.substr(pos + 1);
                    wb.setText(n[0], n[1], text);
                } else if (w[3] == "number") {
                    double v;
                    if (w.size() != 5)
                        return fail("expected: set R C number VALUE");
                    auto r = std::from_chars(w[4].data(), w[4].data() + w[4].size(), v);
                    if (r.ec != std::errc() || r.ptr != w[4].data() + w[4].size())
                        return fail("not a number: " + w[4]);
                    wb.setNumber(n[0], n[1], v);
                } else if (w[3] == "empty") {
                    wb.setEmptyText(n[0], n[1]);
                } else {
                    return fail("unknown cell type: " + w[3]);
                }
            } else if (op == "insert-rows" || op == "insert-cols") {
                if (!ints(1, 4) || w.size() != 5)
                    return fail("expected: " + op + " FIRST LAST DEST N");
                if (op == "insert-rows")
                    wb.insertRowCopies(n[0], n[1], n[2], n[3]);
                else
                    wb.insertColCopies(n[0], n[1], n[2], n[3]);
            } else if (op == "delete-rows") {
                if (!ints(1, 2) || w.size() != 3)
                    return fail("expected: delete-rows R N");
                wb.deleteRows(n[0], n[1]);
            } else if (op == "width") {
                if (!ints(1, 2) || w.size() != 3)
                    return fail("expected: width C W");
                wb.setColumnWidth(n[0], n[1]);
            } else {
                return fail("unknown operation: " + op);
            }
        } catch (const xls::Error &e) {
            return fail(e.what());
        }
    }
    wb.saveAs(out);
    return 0;
}

} // namespace

int main(int argc, char **argv)
{
    std::vector<std::string> a(argv + 1, argv + argc);
    try {
        if (a.size() == 2 && a[0] == "dump")
            return dump(a[1]);
        if (a.size() == 4 && a[0] == "apply")
            return apply(a[1], a[2], a[3]);
    } catch (const xls::Error &e) {
        std::cerr << e.what() << "\n";
        return 1;
    }
    std::cerr << "usage: xlstool dump FILE\n       xlstool apply IN OUT SCRIPT\n";
    return 2;
}
