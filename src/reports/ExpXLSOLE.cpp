#include "reports/ExpXLSOLE.h"

#include "datastore/Error.h"
#include "datastore/Helpers.h"
#include "reports/ReportCells.h"
#include "xls/Workbook.h"

#include <QFileInfo>

namespace ogx {

using namespace reportcells;

ExpXLSOLE::ExpXLSOLE(const Workspace &ws, ShellOpener &shell) : m_ws(ws), m_shell(shell) {}

ExpXLSOLE::~ExpXLSOLE() = default;

bool ExpXLSOLE::OpenWorkbook(const QString &templatePath)
{
    if (!QFileInfo(templatePath).isFile())
        return false;
    m_book.reset();
    m_output = MakeTempName(m_ws, QStringLiteral("XLSTmp"), QStringLiteral(".xls"));
    engine([&] {
        auto book = std::make_unique<xls::Workbook>(xls::Workbook::open(templatePath.toStdString()));
        book->selectSheet(1);
        m_book = std::move(book);
    });
    return true;
}

xls::Workbook &ExpXLSOLE::XCell()
{
    if (!m_book)
        throw Error(QStringLiteral("There is no open file"));
    return *m_book;
}

void ExpXLSOLE::SelectSheet(int sheet)
{
    xls::Workbook &book = XCell();
    if (sheet >= 1 && sheet <= book.sheetCount())
        engine([&] { book.selectSheet(sheet); });
}

void ExpXLSOLE::ReplaceOnSheet(const QString &key, const QVariant &value)
{
    xls::Workbook &book = XCell();
    if (key.isEmpty())
        return;
    const QString upperKey = key.toUpper();
    const QString valueText = variantText(value);
    engine([&] {
        const int rows = book.rowCount();
        for (int r = 1; r <= rows; ++r) {
            const int cols = book.colCount();
            for (int c = 1; c <= cols; ++c) {
                const QString text = cellText(book, r, c);
                if (text.isEmpty())
                    continue;
                if (text.toUpper() == upperKey) {
                    writeVariant(book, r, c, value);
                    continue;
                }
                qsizetype at = text.indexOf(key, 0, Qt::CaseInsensitive);
                if (at < 0)
                    continue;
                QString result = text;
                while (at >= 0) {
                    result.replace(at, key.size(), valueText);
                    at = result.indexOf(key, at + valueText.size(), Qt::CaseInsensitive);
                }
                if (result.isEmpty())
                    book.setEmptyText(r, c);
                else
                    book.setText(r, c, result.toStdString());
            }
        }
    });
}

void ExpXLSOLE::CopyBlock(int first, int dest, int count)
{
    xls::Workbook &book = XCell();
    if (count <= 0)
        return;
    engine([&] { book.insertRowCopies(first, first + count - 1, dest, 1); });
}

void ExpXLSOLE::InsertCopies(int row, int count)
{
    xls::Workbook &book = XCell();
    if (count <= 0)
        return;
    engine([&] { book.insertRowCopies(row, row, row, count); });
}

void ExpXLSOLE::FillRows(const ResultSet &dataset)
{
    xls::Workbook &book = XCell();
    if (dataset.columnCount() == 0)
        return;
    const QString dbfMarker = QStringLiteral("#DBF");
    engine([&] {
        int detail = 0;
        const int rows = book.rowCount();
        for (int r = 1; r <= rows && detail == 0; ++r) {
            const int cols = book.colCount();
            for (int c = 1; c <= cols; ++c) {
                if (cellMarker(book, r, c) == dbfMarker) {
                    book.setEmptyText(r, c);
                    detail = r;
                    break;
                }
            }
        }
        if (detail == 0)
            return;
        if (dataset.rowCount() > 1)
            book.insertRowCopies(detail, detail, detail, dataset.rowCount() - 1);

        const QHash<QString, int> fields = fieldMarkers(dataset);
        int row = detail;
        for (int rec = 0; rec < dataset.rowCount(); ++rec, ++row) {
            fillDetailRow(book, row, dataset, rec, fields, [&book, row](int c) { book.setEmptyText(row, c); });
            if (m_step)
                m_step();
        }
    });
}

QString ExpXLSOLE::SaveAndOpen(bool show)
{
    xls::Workbook &book = XCell();
    if (m_output.isEmpty())
        throw Error(QStringLiteral("No free file name XLSTmp<n>.xls in %1").arg(m_ws.programDir));
    const QString path = m_output;
    engine([&] { book.saveAs(path.toStdString()); });
    m_book.reset();
    if (show)
        m_shell.open(path);
    return path;
}

} // namespace ogx
