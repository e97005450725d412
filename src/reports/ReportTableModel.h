#pragma once

#include "ReportTable.h"

#include <QAbstractTableModel>
#include <QFont>

// The report's table for the screen: a read-only view over a ReportTable's lines, so a
// report of 100,000 lines is shown without making an item per cell. Subtotal and total
// lines are bold, numbers right-aligned.
class ReportTableModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit ReportTableModel(QObject* parent = nullptr);

    void setTable(const ReportTable& table);
    const ReportTable& table() const { return m_table; }
    // The rows a column's width is measured on: at most `most` spread over the report,
    // and always its last lines, where the grand total and the largest figures are.
    QList<int> sampleRows(int most) const;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    ReportTable m_table;
    QFont m_bold;
};
