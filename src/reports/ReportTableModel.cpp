#include "ReportTableModel.h"

namespace {

// Lines at the end always measured: the grand total and the last group's subtotal.
constexpr int TailRows = 8;

} // namespace

ReportTableModel::ReportTableModel(QObject* parent) : QAbstractTableModel(parent)
{
    m_bold.setBold(true);
}

void ReportTableModel::setTable(const ReportTable& table)
{
    beginResetModel();
    m_table = table;
    endResetModel();
}

QList<int> ReportTableModel::sampleRows(int most) const
{
    const int count = rowCount();
    QList<int> rows;
    if (count <= most) {
        for (int r = 0; r < count; ++r)
            rows << r;
        return rows;
    }
    // Half the sample at most, so the top of the report is measured too.
    const int tail = qMin(TailRows, most / 2);
    const int spread = most - tail;
    const int tailStart = count - tail;
    for (int i = 0; i < spread; ++i)
        rows << int(qint64(i) * tailStart / spread);
    for (int r = tailStart; r < count; ++r)
        rows << r;
    return rows;
}

int ReportTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_table.lines().size());
}

int ReportTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_table.headers().size());
}

QVariant ReportTableModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount() || index.column() >= columnCount())
        return {};
    const ReportTable::Line& line = m_table.lines().at(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return m_table.shownCell(line, index.column());
    case Qt::TextAlignmentRole:
        if (m_table.numberColumns().contains(index.column()))
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    case Qt::FontRole:
        if (line.kind != ReportTable::LineKind::Detail)
            return m_bold;
        return {};
    default:
        return {};
    }
}

QVariant ReportTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 &&
        section < columnCount())
        return m_table.headers().at(section);
    return QAbstractTableModel::headerData(section, orientation, role);
}

Qt::ItemFlags ReportTableModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
