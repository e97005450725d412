#pragma once

#include <QAbstractItemModel>
#include <QHash>
#include <QList>
#include <QStringList>

// The changes log as a tree, for the Changes tab: a change made on its own is one line;
// the changes of one batch (an import, a bulk tagging) hang under one line that says what
// the whole batch did, however many pages their rows arrive over. Pages are appended as
// the view scrolls to the end: the wish for more is passed on as moreWanted().
class ChangeTreeModel : public QAbstractItemModel
{
    Q_OBJECT

public:
    struct Change
    {
        QStringList cells;
        QString batch;   // empty: a change on its own
        QString summary; // the batch line's text
    };

    explicit ChangeTreeModel(QObject* parent = nullptr);

    // The columns' field names and captions; the last column holds the sentence.
    void setHeaders(const QStringList& headers, const QStringList& captions);
    // Replaces every line; `more` says whether further pages exist.
    void reset(const QList<Change>& changes, bool more);
    void append(const QList<Change>& changes, bool more);

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

signals:
    void moreWanted();

private:
    struct Line
    {
        QStringList cells;
        QString batch;
        QList<QStringList> changes; // a batch's own changes
    };
    void add(const Change& change);

    QStringList m_headers;
    QStringList m_captions;
    QList<Line> m_lines;
    QHash<QString, int> m_batchLine;
    bool m_more = false;
};
