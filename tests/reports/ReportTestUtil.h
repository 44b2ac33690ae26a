#pragma once
// Shared helpers of the report tests: a throw-away workspace, small datasets, fixtures and
// the outside readers (LibreOffice, python3-xlrd) that check saved reports.

#include "TestSupport.h"
#include "datastore/ResultSet.h"
#include "datastore/Workspace.h"
#include "xls/Workbook.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonObject>
#include <QJsonArray>
#include <QJsonDocument>
#include <QTemporaryDir>

namespace reporttest {

inline QString fixture(const char *name)
{
    return ogx::test::sourceDir() + QStringLiteral("/tests/reports/fixtures/") + QString::fromUtf8(name);
}

// A workspace under a temporary folder: program dir, Data and Temp made.
inline ogx::Workspace makeWorkspace(const QTemporaryDir &dir)
{
    ogx::Workspace ws;
    ws.programDir = dir.path();
    ws.dataDir = dir.path() + QStringLiteral("/Data");
    ws.localDataDir = ws.dataDir;
    ws.tempDir = dir.path() + QStringLiteral("/Temp");
    ws.machineDir = dir.path() + QStringLiteral("/machine");
    QDir().mkpath(ws.dataDir);
    QDir().mkpath(ws.tempDir);
    QDir().mkpath(ws.machineDir);
    return ws;
}

using Kind = ogx::ResultSet::Kind;

inline ogx::ResultSet dataset(const QStringList &columns, const QVector<Kind> &kinds,
                              const QVector<QVector<QVariant>> &rows)
{
    ogx::ResultSet r(columns, kinds);
    for (const auto &row : rows)
        r.appendRow(row);
    return r;
}

// A copy of a fixture (or any workbook) changed by `edit`, saved as `target`.
template <class Edit>
QString editedCopy(const QString &source, const QString &target, Edit edit)
{
    xls::Workbook book = xls::Workbook::open(source.toStdString());
    edit(book);
    QFile::remove(target);
    book.saveAs(target.toStdString());
    return target;
}

inline QString text(const xls::Workbook &b, int r, int c) { return QString::fromStdString(b.cell(r, c).text); }
inline double number(const xls::Workbook &b, int r, int c) { return b.cell(r, c).number; }
inline xls::CellValue::Kind kind(const xls::Workbook &b, int r, int c) { return b.cell(r, c).kind; }

// Every sheet's values as LibreOffice recomputes and shows them (cell formats applied):
// converts `xls` to CSV in `outDir`
// and returns the rows of sheet `sheetName`.
inline QVector<QStringList> libreOfficeCsv(const QString &xls, const QString &sheetName, const QString &outDir)
{
    QDir().mkpath(outDir);
    const auto r = ogx::test::runLibreOffice(
        {QStringLiteral("--convert-to"),
         QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,UTF8,1,,0,false,true,true,false,false,-1"),
         QStringLiteral("--outdir"), outDir, xls},
        outDir);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QString base = QFileInfo(xls).completeBaseName();
    QString path = outDir + u'/' + base + u'-' + sheetName + QStringLiteral(".csv");
    if (!QFile::exists(path))
        path = outDir + u'/' + base + QStringLiteral(".csv");
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << "no CSV from LibreOffice: " << path.toStdString() << "\n"
                                             << r.out.toStdString() << r.err.toStdString();
    QVector<QStringList> rows;
    const QString all = QString::fromUtf8(f.readAll());
    // Fields may be quoted and hold commas, quotes and line breaks.
    QStringList row;
    QString field;
    bool quoted = false;
    for (qsizetype i = 0; i < all.size(); ++i) {
        const QChar ch = all[i];
        if (quoted) {
            if (ch == u'"' && i + 1 < all.size() && all[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (ch == u'"') {
                quoted = false;
            } else {
                field += ch;
            }
        } else if (ch == u'"') {
            quoted = true;
        } else if (ch == u',') {
            row << field;
            field.clear();
        } else if (ch == u'\n') {
            row << field;
            field.clear();
            rows << row;
            row.clear();
        } else if (ch != u'\r') {
            field += ch;
        }
    }
    if (!field.isEmpty() || !row.isEmpty()) {
        row << field;
        rows << row;
    }
    return rows;
}

// The stored values of the first sheet as python3-xlrd reads them: rows of cells, each
// [type, value] (xlrd's ctype: 0 empty, 1 text, 2 number, 3 date, 4 bool, 5 error, 6 blank),
// and each cell's number format string.
struct XlrdSheet {
    QJsonArray cells;    // [row][col] -> [ctype, value, format]
    QJsonArray widths;   // column widths
};
inline XlrdSheet xlrdSheet(const QString &xls, int sheet = 0)
{
    const QString script = QStringLiteral(
        "import sys, json, xlrd\n"
        "b = xlrd.open_workbook(sys.argv[1], formatting_info=True)\n"
        "s = b.sheet_by_index(int(sys.argv[2]))\n"
        "rows = []\n"
        "for r in range(s.nrows):\n"
        "    row = []\n"
        "    for c in range(s.ncols):\n"
        "        cell = s.cell(r, c)\n"
        "        fmt = b.format_map[b.xf_list[cell.xf_index].format_key].format_str\n"
        "        row.append([cell.ctype, cell.value, fmt])\n"
        "    rows.append(row)\n"
        "widths = [s.colinfo_map[c].width if c in s.colinfo_map else -1 for c in range(s.ncols)]\n"
        "print(json.dumps({'cells': rows, 'widths': widths}))\n");
    const auto r = ogx::test::runPython(script, {xls, QString::number(sheet)});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(r.out).object();
    return {o.value(QStringLiteral("cells")).toArray(), o.value(QStringLiteral("widths")).toArray()};
}

} // namespace reporttest
