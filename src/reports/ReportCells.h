#pragma once
// Cell reading and field writing shared by the report pipeline and the workbook filler.

#include "datastore/ResultSet.h"

#include <QHash>
#include <QString>
#include <QVariant>

#include <functional>

namespace xls {
class Workbook;
}

namespace ogx::reportcells {

// Removes leading and trailing blanks and control characters.
QString trimmed(const QString &text);

// The text of a template cell as the markers are compared: a text cell's text (a formula
// keeps its formula, a number is never a marker), else the empty text.
QString cellText(const xls::Workbook &book, int row, int col);
// The same, trimmed and in upper case.
QString cellMarker(const xls::Workbook &book, int row, int col);

// Days since 30.12.1899, the spreadsheet's date serial number.
double dateSerial(const QDate &date);

// A field value as it goes into a cell: a text, or a number (dates as serial numbers).
struct FieldValue {
    bool isText = false;
    QString text;
    double number = 0;
};
// Text columns give text; number and date columns give numbers (NULL and unreadable values
// give 0). A column of unknown type (an expression) goes by its value: numbers and dates
// (also ISO "YYYY-MM-DD" text) as numbers, other text as text, NULL as an empty text.
FieldValue fieldValue(const ResultSet &data, int row, int column);

// "#" + the upper-case field name -> the first column of that name.
QHash<QString, int> fieldMarkers(const ResultSet &data);

// Writes a typed value: text (empty -> empty text cell), whole numbers, other numbers,
// dates (serial numbers); a null value writes an empty text.
void writeVariant(xls::Workbook &book, int row, int col, const QVariant &value);
// The value's text: numbers with "." and no exponent where possible, dates dd.MM.yyyy.
QString variantText(const QVariant &value);

// Fills one detail row from record `rec` of the dataset: "%NRCRT" gets the running
// number rec + 1, "#<field>" the field's value (empty text as an empty cell); a number equal
// to 0 is handed to `writeZero`. Cells that match nothing stay as they are.
void fillDetailRow(xls::Workbook &book, int row, const ResultSet &data, int rec,
                   const QHash<QString, int> &fields, const std::function<void(int col)> &writeZero);

// Runs an engine call, turning its xls::Error into ogx::Error.
void engine(const std::function<void()> &call);

} // namespace ogx::reportcells
