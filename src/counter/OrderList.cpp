#include "OrderList.h"

#include "widgets/FlexGrid.h"

#include <QUuid>

namespace {
enum Column
{
    MealCode = 1,
    Description = 2,
    MealMode = 3,
    Remarks = 4
};
}

void OrderList::initialise()
{
    m_key.clear();
    m_grid.layOut(QStringLiteral(" |<MEAL |<DESCRIPTION |<MEAL MODE |<REMARKS "), 5,
                  {0, 1000, 3000, 2000, 3000});
}

int OrderList::findMeal(const QString& mealCode) const
{
    for (int row = 1; row < m_grid.Rows(); ++row) {
        if (m_grid.TextMatrix(row, MealCode) == mealCode)
            return row;
    }
    return 0;
}

QString OrderList::description(int row) const
{
    return m_grid.TextMatrix(row, Description);
}

void OrderList::append(const OrderLine& line)
{
    if (m_key.isEmpty())
        m_key = QUuid::createUuid().toString(QUuid::WithoutBraces);
    int row = 1;
    if (!m_grid.TextMatrix(1, MealCode).isEmpty()) {
        m_grid.AddItem(QString());
        row = m_grid.Rows() - 1;
    }
    m_grid.setTextMatrix(row, MealCode, line.mealCode);
    m_grid.setTextMatrix(row, Description, line.description);
    m_grid.setTextMatrix(row, MealMode, line.mealMode);
    m_grid.setTextMatrix(row, Remarks, line.remarks);
}

void OrderList::removeCurrent()
{
    if (m_grid.Rows() == 2) {
        for (int col = 1; col < m_grid.Cols(); ++col)
            m_grid.setTextMatrix(1, col, QString());
        return;
    }
    m_grid.RemoveItem(m_grid.Row());
}

QList<OrderLine> OrderList::lines() const
{
    QList<OrderLine> result;
    for (int row = 1; row < m_grid.Rows(); ++row) {
        OrderLine line{m_grid.TextMatrix(row, MealCode), m_grid.TextMatrix(row, Description),
                       m_grid.TextMatrix(row, MealMode), m_grid.TextMatrix(row, Remarks)};
        if (!line.mealCode.isEmpty())
            result.append(line);
    }
    return result;
}
