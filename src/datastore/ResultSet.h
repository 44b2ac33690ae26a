#pragma once
// A materialised query result: named, typed columns and rows of values.
//
// Each value is a QVariant:
//   null QVariant()        NULL (a blank number or date)
//   QString                text (a text column; blanks on the right already removed)
//   qlonglong / double     numbers (whole-number columns give qlonglong)
//   QDate                  a date column of a table (DATACON, EXPIRA, DATAP, DATAL, ...)
// Dates produced by expressions (MAX(DATACON), date(...)) stay ISO text "YYYY-MM-DD";
// date() below reads both.

#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

namespace ogx {

class ResultSet {
public:
    enum class Kind { Unknown, Text, Number, Date };

    ResultSet() = default;
    ResultSet(QStringList columns, QVector<Kind> kinds) : m_columns(std::move(columns)), m_kinds(std::move(kinds)) {}

    const QStringList &columns() const { return m_columns; }
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    int rowCount() const { return static_cast<int>(m_rows.size()); }
    bool isEmpty() const { return m_rows.isEmpty(); }
    // Column by name, ignoring letter case; -1 when absent.
    int columnIndex(const QString &name) const;
    // The declared kind of a column (Unknown for expressions).
    Kind kind(int column) const { return m_kinds.value(column, Kind::Unknown); }

    // Raw values. value(row, name) throws ogx::Error when the column does not exist.
    const QVariant &value(int row, int column) const;
    const QVariant &value(int row, const QString &column) const;
    const QVector<QVariant> &row(int r) const { return m_rows[r]; }
    bool isNull(int row, int column) const { return value(row, column).isNull(); }
    bool isNull(int row, const QString &column) const { return value(row, column).isNull(); }

    // Typed reads. text(): NULL -> "", dates -> "dd.MM.yyyy", numbers with "." (never
    // the locale). number()/integer(): NULL or text that is not a number -> 0.
    // date(): a QDate or ISO text -> the date, anything else -> invalid QDate.
    QString text(int row, int column) const;
    QString text(int row, const QString &column) const;
    double number(int row, int column) const;
    double number(int row, const QString &column) const;
    qint64 integer(int row, int column) const;
    qint64 integer(int row, const QString &column) const;
    QDate date(int row, int column) const;
    QDate date(int row, const QString &column) const;

    // Building (used by the Database).
    void appendRow(QVector<QVariant> row) { m_rows.append(std::move(row)); }
    void reserve(int rows) { m_rows.reserve(rows); }

    // Text of any value as the user sees it (dates dd.MM.yyyy, numbers with ".").
    static QString displayText(const QVariant &v);

private:
    int require(const QString &column) const;

    QStringList m_columns;
    QVector<Kind> m_kinds;
    QVector<QVector<QVariant>> m_rows;
};

} // namespace ogx
