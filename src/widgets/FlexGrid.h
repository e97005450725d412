#pragma once

#include "data/Recordset.h"

#include <QMap>
#include <QTableView>

#include <functional>
#include <initializer_list>
#include <optional>

class FlexGridModel;

// The program's list grid. Cells are addressed as the windows address them: row 0 is
// the fixed header row, column 0 the fixed (hidden) column, data from (1, 1) on.
// The view shows row 0 as its horizontal header and rows 1..Rows()-1 as data rows.
// Cells live in one in-memory snapshot of strings (no item object per cell).
class FlexGrid : public QTableView
{
    Q_OBJECT

public:
    explicit FlexGrid(QWidget* parent = nullptr);
    ~FlexGrid() override;

    // Empties every cell, header row included; keeps the number of rows and columns.
    void Clear();
    int Rows() const;
    void setRows(int rows);
    int Cols() const;
    void setCols(int cols);
    // "|"-separated headers; "<" left-aligns; the first entry is the fixed column 0.
    // Sets Cols to the number of entries and writes row 0.
    void setFormatString(const QString& format);
    // Width in twips; remembered for columns that do not exist yet and applied when a
    // later setCols or bind creates them. A width of 0 hides the column.
    void setColWidth(int col, int twips);
    int ColWidth(int col) const;
    QString TextMatrix(int row, int col) const;
    void setTextMatrix(int row, int col, const QString& text);
    // DataSource: columns 1..n from the fields, row 0 from the field names, rows 1..m.
    void bind(const Recordset& recordset);
    // Appends a row; `text` is tab-separated cell texts from column 0.
    void AddItem(const QString& text);
    void RemoveItem(int row);
    int Row() const;
    void setRow(int row);
    int Col() const;
    void setCol(int col);
    int ColSel() const;
    void setColSel(int col);
    // Column 0 current, selection to Cols - 1 on the current row.
    void selectWholeRow();

    // The layout a window gives a list before reading it: Clear, Rows = 2, the format
    // string (skipped when empty), Cols = `cols`, then the width in twips of columns
    // 0, 1, 2, ... in turn. Widths may name more columns than `cols`: they are kept for
    // the columns a later bind creates.
    void layOut(const QString& formatString, int cols, std::initializer_list<int> widthsTwips);
    // Reads and fills the grid (see fill). Until `read` has answered the grid holds one
    // blank data row and is disabled, so a read that throws leaves nothing to choose;
    // the exception goes on to the caller. Returns whether data is present.
    bool fillFrom(const std::function<Recordset()>& read, bool takeFocus);

    // The grid fill after the read: binds `recordset` when it has rows, then
    // data present -> enabled, Row = 1, focus when asked and visible;
    // no data -> Rows = 2, disabled. Returns whether data is present.
    bool fill(const Recordset& recordset, bool takeFocus);

    // A grid greyed out only because its frame is disabled still paints its current row
    // as chosen (a grid disabled itself, for lack of data, never does). Off by default.
    void setShowsChoiceWhileFrameDisabled(bool show);
    // Keyboard use as the mouse's: Enter on the current row is a DblClick, and moving
    // the current row with the keys is a Click on the new row. Off by default.
    void setChoosesByKeyboard(bool chooses);
    // Every grid of the program at once, those already shown too: columns never narrower
    // than their header text and the last one filling the grid, for a site that prefers
    // them to the designed widths. Off by default: each column has its designed width.
    static void setFittedColumns(bool fitted);
    static bool fittedColumns();

    // Screen rectangle of a data row (for tests and pop-ups), in viewport coordinates.
    QRect rowRect(int row) const;

signals:
    void Click();
    void DblClick();
    // Right button pressed over the grid; the current row does not move.
    void RightButtonDown(const QPoint& globalPos);
    // Printable text typed while the grid has the focus (the grid itself does nothing
    // with it: it has no search of its own).
    void TextTyped(const QString& text);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void changeEvent(QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void keyboardSearch(const QString& search) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void applyColumnWidths();
    // The width a column is shown with: its designed width; fitted, never narrower than
    // its header text.
    int shownWidth(int col, int twips) const;
    // Fitted, the last shown column takes the room the others leave in the viewport.
    void stretchLastColumn();
    void paintChoiceWhileDisabled();
    // Rows as high as the grid's font needs (never lower than a standard row).
    void fitRowHeightToFont();
    // Keeps Row, Col and ColSel inside the grid after its shape changed.
    void keepPositionInside();
    void highlightCurrentRow();
    void emitClick(quint64 timestamp);
    // A press on a data row: that row becomes current and is selected whole.
    bool takeRowAt(const QPoint& pos);

    FlexGridModel* m_model;
    QMap<int, int> m_colWidthTwips;
    int m_row = 1;
    int m_col = 1;
    int m_colSel = 1;
    // A left press not yet answered by a Click (the Click comes with the release).
    bool m_pressed = false;
    // The row of the last Click not yet followed by a DblClick (-1: none), so a
    // double-click that arrives without its first click still starts with a Click.
    int m_clickedRow = -1;
    // A Click handler that reads the grid anew (fillFrom) is noted with the time of
    // its click, so the double-click it began chooses nothing.
    std::optional<quint64> m_clickStamp;
    bool m_refilledByClick = false;
    quint64 m_refillStamp = 0;
    bool m_showsChoiceWhileFrameDisabled = false;
    bool m_choosesByKeyboard = false;
};
