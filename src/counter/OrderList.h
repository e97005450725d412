#pragma once

#include "OrderLine.h"

#include <QList>
#include <QString>

class FlexGrid;

// The order being built, kept in its grid: row 1 onward are the lines in the order
// they were added. An empty order is one blank row, never a blank row above lines.
class OrderList
{
public:
    explicit OrderList(FlexGrid& grid) : m_grid(grid) {}

    // Lays the grid out anew, empty.
    void initialise();
    // Row of the line with exactly this meal code (letter case counts), or 0.
    int findMeal(const QString& mealCode) const;
    QString description(int row) const;
    // Fills the blank first row of an empty order, otherwise appends a row.
    void append(const OrderLine& line);
    // Removes the current line; the last line is blanked instead, so a row stays.
    void removeCurrent();
    // The lines that carry a meal, in list order (the blank row of an empty order is
    // no line).
    QList<OrderLine> lines() const;
    // The order's own name, made on this workstation when its first line is added and
    // kept until the order is saved or dropped, so every send of the order carries it.
    const QString& key() const { return m_key; }

private:
    FlexGrid& m_grid;
    QString m_key;
};
