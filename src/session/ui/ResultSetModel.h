#pragma once
// A read-only table model over a materialised query result: chosen columns, each with its
// title, shown as the user sees values (dates dd.MM.yyyy, numbers with ".").

#include "datastore/ResultSet.h"

#include <QAbstractTableModel>
#include <QVector>

namespace ogx {

struct ModelColumn {
    QString field;  // column of the result
    QString title;  // grid title
    Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter;
};

class ResultSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultSetModel(QVector<ModelColumn> columns, QObject *parent = nullptr);

    // Replaces the rows (a new query result); an empty ResultSet empties the model.
    void setResult(ResultSet result);
    const ResultSet &result() const { return m_result; }
    const QVector<ModelColumn> &columns() const { return m_columns; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

private:
    QVector<ModelColumn> m_columns;
    QVector<int> m_source; // result column of each model column, -1 when absent
    ResultSet m_result;
};

} // namespace ogx
