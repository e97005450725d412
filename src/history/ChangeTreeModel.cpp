#include "ChangeTreeModel.h"

#include "HistoryView.h"

#include <QFont>

namespace {

// An index's internal id: 0 for a line, the line's row + 1 for a change under it.
constexpr quintptr TopLevel = 0;

} // namespace

ChangeTreeModel::ChangeTreeModel(QObject* parent) : QAbstractItemModel(parent) {}

void ChangeTreeModel::setHeaders(const QStringList& headers, const QStringList& captions)
{
    if (headers == m_headers && captions == m_captions)
        return;
    beginResetModel();
    m_headers = headers;
    m_captions = captions;
    endResetModel();
}

void ChangeTreeModel::reset(const QList<Change>& changes, bool more)
{
    beginResetModel();
    m_lines.clear();
    m_batchLine.clear();
    m_more = more;
    for (const Change& change : changes)
        add(change);
    endResetModel();
}

void ChangeTreeModel::append(const QList<Change>& changes, bool more)
{
    m_more = more;
    for (const Change& change : changes) {
        const auto line = m_batchLine.constFind(change.batch);
        if (!change.batch.isEmpty() && line != m_batchLine.cend()) {
            const int at = int(m_lines.at(*line).changes.size());
            beginInsertRows(index(*line, 0), at, at);
            add(change);
            endInsertRows();
        } else {
            beginInsertRows({}, int(m_lines.size()), int(m_lines.size()));
            add(change);
            endInsertRows();
        }
    }
}

void ChangeTreeModel::add(const Change& change)
{
    if (change.batch.isEmpty()) {
        m_lines.append({change.cells, {}, {}});
        return;
    }
    auto line = m_batchLine.constFind(change.batch);
    if (line == m_batchLine.cend()) {
        // The batch's line: when and by whom its first change was made, and the summary.
        QStringList cells = change.cells;
        if (!cells.isEmpty())
            cells.last() = change.summary;
        line = m_batchLine.insert(change.batch, int(m_lines.size()));
        m_lines.append({cells, change.batch, {}});
    }
    m_lines[*line].changes.append(change.cells);
}

QModelIndex ChangeTreeModel::index(int row, int column, const QModelIndex& parent) const
{
    if (row < 0 || column < 0 || column >= m_headers.size())
        return {};
    if (!parent.isValid())
        return row < m_lines.size() ? createIndex(row, column, TopLevel) : QModelIndex();
    if (parent.internalId() != TopLevel || row >= m_lines.at(parent.row()).changes.size())
        return {};
    return createIndex(row, column, quintptr(parent.row()) + 1);
}

QModelIndex ChangeTreeModel::parent(const QModelIndex& child) const
{
    if (!child.isValid() || child.internalId() == TopLevel)
        return {};
    return createIndex(int(child.internalId() - 1), 0, TopLevel);
}

int ChangeTreeModel::rowCount(const QModelIndex& parent) const
{
    if (!parent.isValid())
        return int(m_lines.size());
    if (parent.internalId() != TopLevel || parent.column() != 0)
        return 0;
    return int(m_lines.at(parent.row()).changes.size());
}

int ChangeTreeModel::columnCount(const QModelIndex&) const
{
    return int(m_headers.size());
}

QVariant ChangeTreeModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    const bool topLevel = index.internalId() == TopLevel;
    const Line& line = m_lines.at(topLevel ? index.row() : int(index.internalId() - 1));
    if (role == Qt::DisplayRole || role == Qt::ToolTipRole)
        return (topLevel ? line.cells : line.changes.at(index.row())).value(index.column());
    // A batch's sentence stands out from the changes made one at a time.
    if (role == Qt::FontRole && topLevel && !line.batch.isEmpty() &&
        index.column() == columnCount() - 1) {
        QFont bold;
        bold.setBold(true);
        return bold;
    }
    return {};
}

QVariant ChangeTreeModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return HistoryView::headerData(m_headers, m_captions, section, orientation, role);
}

bool ChangeTreeModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_more;
}

void ChangeTreeModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        emit moreWanted();
}
