#include "PagedRowsModel.h"

#include "HistoryView.h"

#include <QBrush>
#include <QColor>

PagedRowsModel::PagedRowsModel(QObject* parent) : QAbstractTableModel(parent) {}

void PagedRowsModel::setHeaders(const QStringList& headers, const QStringList& captions)
{
    if (headers == m_headers && captions == m_captions)
        return;
    beginResetModel();
    m_headers = headers;
    m_captions = captions;
    endResetModel();
}

void PagedRowsModel::reset(QList<QStringList> rows, bool more)
{
    beginResetModel();
    m_rows = std::move(rows);
    m_more = more;
    endResetModel();
}

void PagedRowsModel::append(const QList<QStringList>& rows, bool more)
{
    m_more = more;
    if (rows.isEmpty())
        return;
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + rows.size()) - 1);
    m_rows.append(rows);
    endInsertRows();
}

void PagedRowsModel::replaceRow(int row, const QStringList& cells)
{
    if (row < 0 || row >= m_rows.size())
        return;
    m_rows[row] = cells;
    emit dataChanged(index(row, 0), index(row, columnCount() - 1));
}

QString PagedRowsModel::text(int row, int column) const
{
    if (row < 0 || row >= m_rows.size())
        return {};
    return m_rows.at(row).value(column);
}

bool PagedRowsModel::isMarked(int row) const
{
    return m_markColumn >= 0 && !text(row, m_markColumn).isEmpty();
}

int PagedRowsModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int PagedRowsModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

QVariant PagedRowsModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return text(index.row(), index.column());
    case Qt::BackgroundRole:
        return isMarked(index.row()) ? QVariant(QBrush(QColor(0xf6, 0xd5, 0xd5))) : QVariant();
    case Qt::ForegroundRole:
        return isMarked(index.row()) ? QVariant(QBrush(QColor(0x8b, 0x00, 0x00))) : QVariant();
    default:
        return {};
    }
}

QVariant PagedRowsModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    return HistoryView::headerData(m_headers, m_captions, section, orientation, role);
}

bool PagedRowsModel::canFetchMore(const QModelIndex& parent) const
{
    return !parent.isValid() && m_more;
}

void PagedRowsModel::fetchMore(const QModelIndex& parent)
{
    if (canFetchMore(parent))
        emit moreWanted();
}
