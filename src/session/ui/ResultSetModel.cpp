#include "session/ui/ResultSetModel.h"

namespace ogx {

ResultSetModel::ResultSetModel(QVector<ModelColumn> columns, QObject *parent)
    : QAbstractTableModel(parent), m_columns(std::move(columns)), m_source(m_columns.size(), -1)
{
}

void ResultSetModel::setResult(ResultSet result)
{
    beginResetModel();
    m_result = std::move(result);
    for (int i = 0; i < m_columns.size(); ++i)
        m_source[i] = m_result.columnIndex(m_columns[i].field);
    endResetModel();
}

int ResultSetModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_result.rowCount();
}

int ResultSetModel::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_columns.size());
}

QVariant ResultSetModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || index.row() >= m_result.rowCount())
        return {};
    const int source = m_source.value(index.column(), -1);
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return source < 0 ? QString() : m_result.text(index.row(), source);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_columns[index.column()].alignment);
    return {};
}

QVariant ResultSetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
        return m_columns[section].title;
    return QAbstractTableModel::headerData(section, orientation, role);
}

} // namespace ogx
