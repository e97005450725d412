#pragma once

#include "widgets/FlexGrid.h"

#include <QStringList>

// A grid's data rows as "a|b|c" lines of columns first..last, leaving out blank rows:
// how window tests compare what a grid shows.
inline QStringList gridLines(const FlexGrid& grid, int first, int last)
{
    QStringList lines;
    for (int row = 1; row < grid.Rows(); ++row) {
        QStringList cells;
        for (int col = first; col <= last; ++col)
            cells << grid.TextMatrix(row, col);
        if (!cells.join(QString()).isEmpty())
            lines << cells.join('|');
    }
    return lines;
}

// Every data row's cell of one column, blank rows included.
inline QStringList gridColumn(const FlexGrid& grid, int col)
{
    QStringList cells;
    for (int row = 1; row < grid.Rows(); ++row)
        cells << grid.TextMatrix(row, col);
    return cells;
}
