#pragma once

#include "data/Recordset.h"

#include <QAbstractTableModel>
#include <QList>
#include <QStringList>

// The cells of a FlexGrid as one snapshot of strings, addressed as the grid addresses
// them: row 0 is the header row, data rows start at 1. The view sees rows 1..Rows-1
// as its rows and row 0 through headerData, so every grid row maps to view row - 1.
// A data row keeps its fixed column 0 apart from its other cells, so that a bound
// recordset's rows become the grid's rows as they are: 100,000 rows are shared, not
// copied row by row. Rows are stored short (missing trailing cells read as "").
class FlexGridModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    explicit FlexGridModel(QObject* parent = nullptr);

    int gridRows() const { return int(m_rows.size()) + 1; }
    int gridCols() const { return m_cols; }
    // At least one row (the header) and one column always remain.
    void setGridRows(int rows);
    void setGridCols(int cols);

    QString text(int row, int col) const;
    void setText(int row, int col, const QString& text);
    // Empties every cell, header included; the shape stays.
    void clearCells();
    // Writes row 0 from `headers` (one per column, from column 0) with their alignment.
    void setHeaders(const QStringList& headers, const QList<Qt::Alignment>& alignments);
    // Takes the recordset: column 0 stays empty, fields become columns 1..n, names
    // row 0, records rows 1..m.
    void bind(const Recordset& recordset);
    // Appends a row whose cells are `cells` from column 0.
    void appendRow(const QStringList& cells);
    void removeGridRow(int row);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    Qt::Alignment alignment(int col) const;

    // A new grid has a header row and one blank data row, like a freshly placed grid.
    // Row 0 from column 0; then column 0 of each data row, and its columns 1.. .
    QStringList m_header;
    QList<QString> m_fixed{QString()};
    QList<QStringList> m_rows{QStringList()};
    QList<Qt::Alignment> m_alignments;
    int m_cols = 2;
};
