#include "CounterData.h"

#include "context/AppContext.h"
#include "context/GlobalLookups.h"
#include "data/DbError.h"
#include "data/GeneralDate.h"
#include "data/SqlText.h"

#include <algorithm>

Recordset CounterData::loadEmployees(const QString& searchText)
{
    const QString date = freshServerDateText();
    m_searchDay = m_context.dtServerDate.date();
    m_settings.refresh(m_context.dtServerDate);
    return m_context.open(loadEmployeesText(date, searchText));
}

QList<LimitWarning> CounterData::limitWarnings(const QString& empNum, const QList<OrderLine>& lines)
{
    const bool warned = std::any_of(lines.begin(), lines.end(), [this](const OrderLine& line) {
        const MealModeSetting* mode = settings().mode(line.mealMode);
        return mode && mode->dailyLimit && mode->limitAction == LimitAction::Warn;
    });
    if (!warned)
        return {};
    QStringList modes;
    for (const OrderLine& line : lines)
        modes.append(line.mealMode);
    return m_settingsData.warnings(empNum, modes);
}

bool CounterData::dayChangedSinceSearch()
{
    LoadServerDate(m_context);
    return m_context.dtServerDate.date() != m_searchDay;
}

Recordset CounterData::loadDistributedMeals(const QString& empNum, const QString& empCol3) const
{
    return m_context.open(loadDistributedMealsText(empNum, empCol3));
}

void CounterData::saveOrder(const QString& empNum, const QList<OrderLine>& lines)
{
    // One transaction for the whole order: a line refused half-way must not leave the
    // first lines recorded, or a retry would hand those meals out twice. Every line
    // carries the same date-time: the server's clock when Save was pressed.
    const QString date = freshServerDateText();
    m_context.transaction([&] {
        for (const OrderLine& line : lines)
            m_context.execute(saveText(empNum, line, date, clerk()));
    });
}

void CounterData::revoke(const QString& empNum, const QString& transNum) const
{
    m_context.execute(revokeText(empNum, transNum, clerk()));
}

bool CounterData::isInactiveEmployee(const QString& empNum) const
{
    try {
        const Recordset found = m_context.open(
            QStringLiteral(
                "Select EmpNum from Payroll..tbcmaster where Active = '0' and EmpNum = '") +
            SqlText::quote(empNum) + QStringLiteral("'"));
        return !found.eof();
    } catch (const DbError&) {
        return false;
    }
}

QString CounterData::loadEmployeesText(const QString& date, const QString& searchText)
{
    return SqlText::call(QStringLiteral("Station..Load_Employee_for_Meal"), {date, searchText});
}

QString CounterData::loadDistributedMealsText(const QString& empNum, const QString& empCol3)
{
    return SqlText::call(QStringLiteral("Station..Load_TALO_EmployeeDistributedMeals"),
                         {empNum, empCol3});
}

QString CounterData::saveText(const QString& empNum, const OrderLine& line, const QString& date,
                              const QString& clerk)
{
    return SqlText::call(
        QStringLiteral("Station..Save_TALO_EmployeeDistributedMeals"),
        {empNum, line.mealCode, line.mealMode, date, line.remarks, clerk, QStringLiteral("S")});
}

QString CounterData::revokeText(const QString& empNum, const QString& transNum,
                                const QString& clerk)
{
    return SqlText::call(QStringLiteral("Station..Revoke_TALO_EmployeeDistributedMeals"),
                         {empNum, transNum, clerk});
}

QString CounterData::freshServerDateText()
{
    // Not the date-time of the sign-in: a meal is recorded when it is served, and a
    // counter left open past midnight works on the new day.
    LoadServerDate(m_context);
    return GeneralDate::toText(m_context.dtServerDate);
}

QString CounterData::clerk() const
{
    return m_context.userCode();
}
