#pragma once
// ExportXLSModel — the report generator every spreadsheet report goes through.
//
// A report opens a template workbook, replaces its head keys, pours a query result into the
// template's detail row and saves the workbook as "Rap<n>.xls" in the program directory,
// which the shell then opens:
//
//   ExportXLSModel &m = ...;                        // one per program, created at start
//   if (!m.OpenTemplate(ws.dataFile(u"Expirate.xls"_s))) ...;
//   m.ReplaceText(u"#PRIMARIE"_s, commune);
//   m.FillFromDataset(db.query(sql, params));
//   m.SaveAndShow();                                // m.lastReportFile() is the report
//
// Template conventions (markers are compared with leading and trailing blanks and control
// characters removed, without regard to case):
//   "#DBF"      in one cell of the detail row (the last row carrying it wins); emptied.
//   "#<field>"  a cell of the detail row taking that field of each record.
//   "%NRCRT"    a cell of the detail row taking the record number 1, 2, 3 ...
//   head keys   "#PRIMARIE", "[aferent]", ... anywhere, replaced by ReplaceText/ReplaceNumber.
// One copy of the detail row is inserted above it per record and the detail row is deleted
// at the end, so rows above it (head) and below it (foot) stay in place around the records,
// and a total whose range spans the detail row (e.g. SUM(V6:V7) with the detail row 7) grows
// over all generated rows.
//
// Between FillFromDataset and SaveAndShow a report may change the workbook directly
// through XCell(). Engine failures throw ogx::Error; so does every operation that needs a
// workbook when none is open ("There is no open file").

#include "datastore/ResultSet.h"
#include "datastore/ShellOpener.h"
#include "datastore/Workspace.h"

#include <QString>
#include <QVariant>

#include <functional>
#include <memory>

namespace xls {
class Workbook;
}

namespace ogx {

class ExportXLSModel {
public:
    ExportXLSModel(const Workspace &ws, ShellOpener &shell);
    ~ExportXLSModel();
    ExportXLSModel(const ExportXLSModel &) = delete;
    ExportXLSModel &operator=(const ExportXLSModel &) = delete;

    // Closes any workbook still open, resets the zero placeholder to "-" and opens the
    // template (sheet 1 active). False, without a message, when the file is missing or
    // cannot be read.
    bool OpenTemplate(const QString &path);

    // In every text cell of the active sheet whose trimmed text contains `key` (case
    // ignored), the first occurrence is replaced by `value`; the cell keeps the rest of its
    // text, trimmed. Numbers and formulas are never touched.
    void ReplaceText(const QString &key, const QString &value);
    // Every text cell whose whole trimmed text is `key` (case ignored) becomes the money
    // value `amount` (rounded to 4 decimals). A key inside a longer text is left alone.
    void ReplaceNumber(const QString &key, double amount);

    // Pours the records into the detail row (see above). Text fields are written as text
    // (empty text as an empty cell); numbers as numbers, and a zero as the zero placeholder;
    // dates as date serial numbers that the cell's format shows as dates. Cells naming no
    // field, literal texts and formulas are copied unchanged. A result without columns (no
    // query) or a template without "#DBF" leaves the workbook as it is.
    void FillFromDataset(const ResultSet &dataset);

    // Saves the workbook under MakeReportName(), closes it and opens the report through the
    // shell. When every report name is taken the workbook is closed without saving and
    // lastReportFile() is empty. Does nothing when no template is open.
    void SaveAndShow();

    // "<program dir>/Rap<n>.xls" for the first n in 0..100 whose file is missing or is not
    // open in another program (no office lock file beside it) and can be deleted; the old
    // report is deleted. Empty when all 101 names are taken.
    QString MakeReportName() const;

    // True between a successful OpenTemplate and the close of its workbook.
    bool opened() const { return m_opened; }
    // The report written by the last SaveAndShow (empty when no free name was found).
    const QString &lastReportFile() const { return m_lastReport; }

    // Written by FillFromDataset for a number equal to 0: the text "-" after OpenTemplate;
    // a report may set another value afterwards (e.g. the integer 0). A QString is written
    // as text (empty: an empty cell), a whole number as an integer, a double as a number.
    const QVariant &zeroPlaceholder() const { return m_zero; }
    void setZeroPlaceholder(const QVariant &value) { m_zero = value; }

    // The open workbook, for direct cell access; throws ogx::Error when none is open.
    xls::Workbook &XCell();
    // Closes the workbook without saving (if one is open).
    void closeWorkbook();

    // Called after each record while filling, so a window can keep itself painted.
    void setStepHandler(std::function<void()> step) { m_step = std::move(step); }

private:
    const Workspace &m_ws;
    ShellOpener &m_shell;
    std::unique_ptr<xls::Workbook> m_book;
    bool m_opened = false;
    QString m_lastReport;
    QVariant m_zero;
    std::function<void()> m_step;
};

// A fixed template written afresh out of the program for one run: MakeTempName(prefix,
// ".xls") in the program directory, filled with the shipped template `resourceName`
// (resource type "Model"). Throws ogx::Error when no name is free or it cannot be written.
// The report deletes the file after SaveAndShow.
QString ExtractFixedTemplate(const Workspace &ws, const QString &resourceName, const QString &prefix);

// The installed template `fileName` of the Data directory ("Expirate.xls", "TabNom.xls",
// ...), installed first when it is missing. Returns its full path (which may still be
// missing when the program ships no such template; OpenTemplate then fails).
QString InstalledTemplate(const Workspace &ws, const QString &fileName);

} // namespace ogx
