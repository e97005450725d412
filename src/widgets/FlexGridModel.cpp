#include "FlexGridModel.h"

#include <algorithm>

FlexGridModel::FlexGridModel(QObject* parent) : QAbstractTableModel(parent) {}

void FlexGridModel::setGridRows(int rows)
{
    rows = std::max(rows, 1);
    const int current = gridRows();
    if (rows > current) {
        beginInsertRows({}, current - 1, rows - 2);
        m_fixed.resize(rows - 1);
        m_rows.resize(rows - 1);
        endInsertRows();
    } else if (rows < current) {
        beginRemoveRows({}, rows - 1, current - 2);
        m_fixed.resize(rows - 1);
        m_rows.resize(rows - 1);
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
        if (m_header.size() > cols)
            m_header.resize(cols);
        for (QStringList& row : m_rows) {
            if (row.size() > cols - 1)
                row.resize(cols - 1);
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
    if (row == 0)
        return m_header.value(col);
    if (col == 0)
        return m_fixed.at(row - 1);
    return m_rows.at(row - 1).value(col - 1);
}

void FlexGridModel::setText(int row, int col, const QString& text)
{
    if (row < 0 || row >= gridRows() || col < 0 || col >= m_cols)
        return;
    if (row == 0) {
        if (m_header.size() <= col)
            m_header.resize(col + 1);
        m_header[col] = text;
    } else if (col == 0) {
        m_fixed[row - 1] = text;
    } else {
        QStringList& cells = m_rows[row - 1];
        if (cells.size() < col)
            cells.resize(col);
        cells[col - 1] = text;
    }
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, col, col);
    } else {
        const QModelIndex changed = index(row - 1, col);
        emit dataChanged(changed, changed, {Qt::DisplayRole});
    }
}

void FlexGridModel::clearCells()
{
    m_header.clear();
    m_fixed.fill(QString());
    m_rows = QList<QStringList>(m_rows.size());
    emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1), {Qt::DisplayRole});
}

void FlexGridModel::setHeaders(const QStringList& headers, const QList<Qt::Alignment>& alignments)
{
    m_header = headers.mid(0, m_cols);
    m_alignments = alignments.mid(0, m_cols);
    emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (rowCount() > 0)
        emit dataChanged(index(0, 0), index(rowCount() - 1, m_cols - 1), {Qt::TextAlignmentRole});
}

void FlexGridModel::bind(const Recordset& recordset)
{
    beginResetModel();
    m_cols = recordset.fieldCount() + 1;
    m_header = QStringList{QString()} + recordset.fieldNames();
    m_rows = recordset.rows();
    m_fixed = QList<QString>(m_rows.size());
    if (m_alignments.size() > m_cols)
        m_alignments.resize(m_cols);
    endResetModel();
}

void FlexGridModel::appendRow(const QStringList& cells)
{
    const int row = gridRows();
    beginInsertRows({}, row - 1, row - 1);
    m_fixed.append(cells.value(0));
    m_rows.append(cells.mid(1, m_cols - 1));
    endInsertRows();
}

void FlexGridModel::removeGridRow(int row)
{
    if (row < 1 || row >= gridRows())
        return;
    beginRemoveRows({}, row - 1, row - 1);
    m_fixed.removeAt(row - 1);
    m_rows.removeAt(row - 1);
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
