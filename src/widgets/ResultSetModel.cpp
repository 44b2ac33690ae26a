#include "widgets/ResultSetModel.h"

namespace ogx {

ResultSetModel::ResultSetModel(QList<GridColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns))
{
}

void ResultSetModel::setRows(ResultSet rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_index.clear();
    for (const GridColumn &c : m_columns)
        m_index.append(m_rows.columnIndex(c.field));
    endResetModel();
}

int ResultSetModel::findRow(const QString &key, qint64 value) const
{
    const int k = m_rows.columnIndex(key);
    if (k < 0)
        return -1;
    for (int r = 0; r < m_rows.rowCount(); ++r)
        if (!m_rows.isNull(r, k) && m_rows.integer(r, k) == value)
            return r;
    return -1;
}

int ResultSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_rows.rowCount();
}

int ResultSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ResultSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.column() >= m_index.size())
        return {};
    const int c = m_index[index.column()];
    if (c < 0)
        return {};
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return ResultSet::displayText(m_rows.value(index.row(), c));
    if (role == Qt::TextAlignmentRole && m_rows.kind(c) == ResultSet::Kind::Number)
        return QVariant(Qt::AlignRight | Qt::AlignVCenter);
    return {};
}

QVariant ResultSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_columns.value(section).title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace ogx
