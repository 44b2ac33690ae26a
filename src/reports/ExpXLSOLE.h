#pragma once
// ExpXLSOLE — the workbook filler for documents and reports with several sheets, several
// detail blocks or detail rows at a chosen place.
//
//   ExpXLSOLE &f = ...;                             // one per program
//   f.OpenWorkbook(templatePath);                   // output name XLSTmp<n>.xls
//   f.SelectSheet(2);
//   f.ReplaceOnSheet(u"[NRP]"_s, 17);               // whole cell "[NRP]" -> the number 17
//   f.CopyBlock(5, 12, 3);                          // rows 5..7 copied to row 12
//   f.FillRows(records);                            // the "#DBF" row expanded in place
//   f.SaveAndOpen(true);
//
// Compared with ExportXLSModel: the placeholders are compared untrimmed and the value keeps
// its type when it fills a whole cell; FillRows inserts all copies of the detail row first
// and fills them top-down, writing a zero number as an empty cell. Engine failures, and
// operations without an open workbook, throw ogx::Error.

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

class ExpXLSOLE {
public:
    ExpXLSOLE(const Workspace &ws, ShellOpener &shell);
    ~ExpXLSOLE();
    ExpXLSOLE(const ExpXLSOLE &) = delete;
    ExpXLSOLE &operator=(const ExpXLSOLE &) = delete;

    // False, and nothing else, when the template does not exist. Otherwise chooses the
    // output name (MakeTempName "XLSTmp", ".xls": "<program dir>/XLSTmp<n>.xls"), opens the
    // template (read, never written; any workbook still open is dropped) and selects
    // sheet 1. An unreadable template throws ogx::Error.
    bool OpenWorkbook(const QString &templatePath);

    // Makes sheet n (from 1) active when the workbook has at least n sheets; otherwise
    // nothing changes.
    void SelectSheet(int sheet);

    // On the active sheet: a text cell whose whole text equals the key (case ignored)
    // receives the value unchanged in type (a number stays a number; a date becomes a date
    // serial number); a text cell containing the key has every occurrence replaced by the
    // value's text and stays text. Other cells are left alone.
    void ReplaceOnSheet(const QString &key, const QVariant &value);

    // One copy of rows first .. first+count-1 inserted at row dest; the rows at and below
    // dest move down by count.
    void CopyBlock(int first, int dest, int count);
    // count copies of the row inserted at that row: the row itself and the rows below it
    // move down by count.
    void InsertCopies(int row, int count);

    // Expands the first "#DBF" row of the active sheet (marker emptied) into one row per
    // record: all copies are inserted first, then row R+i receives record i ("%NRCRT" its
    // number from 1, "#<field>" its field; a zero number becomes an empty cell). Without
    // records nothing is inserted and the row keeps its other cells.
    void FillRows(const ResultSet &dataset);

    // Saves under the output name, closes the workbook and, when show is true, opens the
    // file through the shell. Returns the file written.
    QString SaveAndOpen(bool show);

    const QString &outputName() const { return m_output; }
    bool isOpen() const { return m_book != nullptr; }
    // The open workbook for direct cell access; throws ogx::Error when none is open.
    xls::Workbook &XCell();

    void setStepHandler(std::function<void()> step) { m_step = std::move(step); }

private:
    const Workspace &m_ws;
    ShellOpener &m_shell;
    std::unique_ptr<xls::Workbook> m_book;
    QString m_output;
    std::function<void()> m_step;
};

} // namespace ogx
