#include "FlexGridModel.h"

#include <algorithm>

FlexGridModel::FlexGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void FlexGridModel::setGridRows(int rows)
{
    rows = std::max(rows, 1);
    const int current = gridRows();
    if (rows > current) {
        beginInsertRows({}, current - 1, rows - 2);
        m_cells.resize(rows);
        endInsertRows();
    } else if (rows < current) {
        beginRemoveRows({}, rows - 1, current - 2);
        m_cells.resize(rows);
        endRemoveRows();
    }
}

void FlexGridModel::setGridCols(int cols)
{
    cols = std::max(cols, 1);
    if (cols > m_cols) {
        beginInsertColumns({}, m_cols, cols - 1);
        m_cols = cols;
        endInsertColumns();
    } else if (cols < m_cols) {
        beginRemoveColumns({}, cols, m_cols - 1);
        for (QStringList& row : m_cells) {
            if (row.size() > cols)
                row.resize(cols);
        }
        if (m_alignments.size() > cols)
            m_alignments.resize(cols);
        m_cols = cols;
        endRemoveColumns();
    }
}

QString FlexGridModel::text(int row, int col) const
{
    if (row < 0 || row >= gridRows() || col < 0 || col >= m_cols)
        return {};
    const QStringList& cells = m_cells.at(row);
    return col < cells.size() ? cells.at(col) : QString();
}

void FlexGridModel::setText(int row, int col, const QString& text)
{
    if (row < 0 || row >= gridRows() || col < 0 || col >= m_cols)
        return;
    QStringList& cells = m_cells[row];
    if (cells.size() <= col)
        cells.resize(col + 1);
    cells[col] = text;
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex changed = index(row - 1, col);
        emit dataChanged(changed, changed, {Qt::DisplayRole});
    }
}

void FlexGridModel::clearCells()
{
    for (QStringList& row : m_cells)
        row.clear();
    emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1), {Qt::DisplayRole});
}

void FlexGridModel::setHeaders(const QStringList& headers, const QList<Qt::Alignment>& alignments)
{
    QStringList& header = m_cells[0];
    header = headers.mid(0, m_cols);
    m_alignments = alignments.mid(0, m_cols);
    emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1), {Qt::TextAlignmentRole});
}

void FlexGridModel::bind(const Recordset& recordset)
{
    beginResetModel();
    m_cols = recordset.fieldCount() + 1;
    m_cells.clear();
    m_cells.reserve(recordset.recordCount() + 1);
    m_cells.append(QStringList{QString()} + recordset.fieldNames());
    for (const Recordset::Row& record : recordset.rows()) {
        QStringList row;
        row.reserve(m_cols);
        row.append(QString());
        row.append(record);
        m_cells.append(std::move(row));
    }
    if (m_alignments.size() > m_cols)
        m_alignments.resize(m_cols);
    endResetModel();
}

void FlexGridModel::appendRow(const QStringList& cells)
{
    const int row = gridRows();
    beginInsertRows({}, row - 1, row - 1);
    m_cells.append(cells.mid(0, m_cols));
    endInsertRows();
}

void FlexGridModel::removeGridRow(int row)
{
    if (row < 1 || row >= gridRows())
        return;
    beginRemoveRows({}, row - 1, row - 1);
    m_cells.removeAt(row);
    endRemoveRows();
}

int FlexGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : gridRows() - 1;
}

int FlexGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant FlexGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return text(index.row() + 1, index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignment(index.column()));
    return {};
}

QVariant FlexGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal)
        return {};
    if (role == Qt::DisplayRole)
        return text(0, section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(alignment(section));
    return {};
}

Qt::ItemFlags FlexGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

Qt::Alignment FlexGridModel::alignment(int col) const
{
    const Qt::Alignment horizontal =
        col >= 0 && col < m_alignments.size() ? m_alignments.at(col) : Qt::AlignLeft;
    return horizontal | Qt::AlignVCenter;
}
