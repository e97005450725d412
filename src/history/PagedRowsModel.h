#pragma once

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

// The rows of a paged list as text, for a table view: the pages read so far, and the
// promise of more. When the view scrolls to the end it asks for more (fetchMore), and
// the model passes the wish on as moreWanted(); whoever reads the next page appends it.
// Rows whose marking column is not empty are drawn so that they stand out.
class PagedRowsModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit PagedRowsModel(QObject* parent = nullptr);

    // The columns' field names (what the rows are read by), and the captions the view
    // shows for them (the field name where `captions` has none).
    void setHeaders(const QStringList& headers, const QStringList& captions = {});
    const QStringList& headers() const { return m_headers; }
    // The column whose text marks a row (-1: none).
    void setMarkColumn(int column) { m_markColumn = column; }

    // Replaces every row; `more` says whether further pages exist.
    void reset(QList<QStringList> rows, bool more);
    void append(const QList<QStringList>& rows, bool more);
    void replaceRow(int row, const QStringList& cells);
    const QStringList& rowAt(int row) const { return m_rows.at(row); }
    QString text(int row, int column) const;
    bool isMarked(int row) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    void moreWanted();

private:
    QStringList m_headers;
    QStringList m_captions;
    QList<QStringList> m_rows;
    int m_markColumn = -1;
    bool m_more = false;
};
