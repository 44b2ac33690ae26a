#pragma once
// A read-only table model over a materialised query result: chosen fields as columns with
// their titles; values as the user reads them (dates dd.MM.yyyy, numbers with ".", NULL
// empty), numbers aligned to the right.

#include "datastore/ResultSet.h"

#include <QAbstractTableModel>
#include <QList>
#include <QString>

namespace ogx {

struct GridColumn {
    QString field;
    QString title;
};

class ResultSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultSetModel(QList<GridColumn> columns, QObject *parent = nullptr);

    void setRows(ResultSet rows);
    const ResultSet &rows() const { return m_rows; }
    const QList<GridColumn> &gridColumns() const { return m_columns; }
    // The field of a column ("" when out of range).
    QString field(int column) const { return m_columns.value(column).field; }
    // The row whose `key` column equals the value, or -1.
    int findRow(const QString &key, qint64 value) const;

    int rowCount(const QModelIndex &parent = QModelIndex()) const override;
    int columnCount(const QModelIndex &parent = QModelIndex()) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<GridColumn> m_columns;
    QList<int> m_index; // result column of each grid column (-1 when absent)
    ResultSet m_rows;
};

} // namespace ogx
