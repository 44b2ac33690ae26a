#include "reports/ExportXLSModel.h"

#include "datastore/Error.h"
#include "datastore/Helpers.h"
#include "datastore/Templates.h"
#include "reports/ReportCells.h"
#include "xls/Workbook.h"

#include <QFile>
#include <QFileInfo>

namespace ogx {

using namespace reportcells;

ExportXLSModel::ExportXLSModel(const Workspace &ws, ShellOpener &shell)
    : m_ws(ws), m_shell(shell), m_zero(QStringLiteral("-"))
{
}

ExportXLSModel::~ExportXLSModel() = default;

bool ExportXLSModel::OpenTemplate(const QString &path)
{
    m_opened = false;
    m_zero = QStringLiteral("-");
    // A workbook left open by a report that stopped half-way is dropped, so that nothing
    // later writes into it by mistake.
    m_book.reset();
    if (!QFileInfo(path).isFile())
        return false;
    try {
        auto book = std::make_unique<xls::Workbook>(xls::Workbook::open(path.toStdString()));
        book->selectSheet(1);
        m_book = std::move(book);
    } catch (const std::exception &) {
        return false;
    }
    m_opened = true;
    return true;
}

xls::Workbook &ExportXLSModel::XCell()
{
    if (!m_book)
        throw Error(QStringLiteral("There is no open file"));
    return *m_book;
}

void ExportXLSModel::closeWorkbook()
{
    m_book.reset();
    m_opened = false;
}

void ExportXLSModel::ReplaceText(const QString &key, const QString &value)
{
    xls::Workbook &book = XCell();
    if (key.isEmpty())
        return;
    engine([&] {
        const int rows = book.rowCount();
        for (int r = 1; r <= rows; ++r) {
            const int cols = book.colCount();
            for (int c = 1; c <= cols; ++c) {
                QString text = trimmed(cellText(book, r, c));
                const qsizetype at = text.indexOf(key, 0, Qt::CaseInsensitive);
                if (at < 0)
                    continue;
                text.replace(at, key.size(), value);
                if (text.isEmpty())
                    book.setEmptyText(r, c);
                else
                    book.setText(r, c, text.toStdString());
            }
        }
    });
}

void ExportXLSModel::ReplaceNumber(const QString &key, double amount)
{
    xls::Workbook &book = XCell();
    const QString wanted = key.toUpper();
    engine([&] {
        const int rows = book.rowCount();
        for (int r = 1; r <= rows; ++r) {
            const int cols = book.colCount();
            for (int c = 1; c <= cols; ++c) {
                const xls::CellValue v = book.cell(r, c);
                if (v.kind == xls::CellValue::Text && !v.hasFormula && cellMarker(book, r, c) == wanted)
                    book.setMoney(r, c, amount);
            }
        }
    });
}

void ExportXLSModel::FillFromDataset(const ResultSet &dataset)
{
    xls::Workbook &book = XCell();
    if (dataset.columnCount() == 0)
        return;
    const QString dbfMarker = QStringLiteral("#DBF");
    engine([&] {
        // The detail row: the last row carrying the marker; every marker is emptied.
        int detail = 0;
        const int rows = book.rowCount();
        for (int r = 1; r <= rows; ++r) {
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

        const QHash<QString, int> fields = fieldMarkers(dataset);
        for (int rec = 0; rec < dataset.rowCount(); ++rec) {
            // The copy takes the detail row's place; the detail row moves one row down.
            book.insertRowCopies(detail, detail, detail, 1);
            const int row = detail;
            fillDetailRow(book, row, dataset, rec, fields,
                          [this, &book, row](int c) { writeVariant(book, row, c, m_zero); });
            ++detail;
            if (m_step)
                m_step();
        }
        book.deleteRows(detail, 1);
    });
}

QString ExportXLSModel::MakeReportName() const
{
    for (int n = 0; n <= 100; ++n) {
        const QString candidate = m_ws.programDir + QStringLiteral("/Rap") + QString::number(n) + QStringLiteral(".xls");
        const QFileInfo fi(candidate);
        if (!fi.exists() && !fi.isSymLink())
            return candidate;
        if (fi.isFile() && !IsFileInUse(candidate) && QFile::remove(candidate))
            return candidate;
    }
    return QString();
}

void ExportXLSModel::SaveAndShow()
{
    if (!m_opened || !m_book)
        return;
    m_lastReport = MakeReportName();
    if (m_lastReport.isEmpty()) {
        closeWorkbook();
        return;
    }
    // A failed save leaves the workbook open until the next OpenTemplate.
    engine([&] { m_book->saveAs(m_lastReport.toStdString()); });
    closeWorkbook();
    m_shell.open(m_lastReport);
}

QString ExtractFixedTemplate(const Workspace &ws, const QString &resourceName, const QString &prefix)
{
    const QString path = MakeTempName(ws, prefix, QStringLiteral(".xls"));
    if (path.isEmpty())
        throw Error(QStringLiteral("No free file name %1<n>.xls in %2").arg(prefix, ws.programDir));
    if (!ExtractResourceFile(resourceName, QStringLiteral("Model"), path))
        throw Error(QStringLiteral("The template %1 cannot be written to %2").arg(resourceName, path));
    return path;
}

QString InstalledTemplate(const Workspace &ws, const QString &fileName)
{
    const QString path = ws.dataFile(fileName);
    if (!QFileInfo::exists(path))
        InstallTemplates(ws);
    return path;
}

} // namespace ogx
