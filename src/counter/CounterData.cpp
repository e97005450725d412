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

void CounterData::saveOrder(const QString& empNum, const QList<OrderLine>& lines,
                            const QString& key)
{
    // One transaction for the whole order: a line refused half-way must not leave the
    // first lines recorded, or a retry would hand those meals out twice. Every line
    // carries the same date-time: the server's clock when Save was pressed.
    const QString date = freshServerDateText();
    const auto send = [&] {
        m_context.transaction([&] {
            for (int i = 0; i < lines.size(); ++i)
                m_context.execute(saveText(empNum, lines.at(i), date, clerk(), key, i + 1));
        });
    };
    if (key.isEmpty()) {
        send();
        return;
    }
    try {
        send();
    } catch (const DbError& error) {
        // Whether the commit arrived is unknown; the keyed send again cannot double it.
        if (!error.isLinkLost())
            throw;
        send();
    }
}

void CounterData::revoke(const QString& empNum, const QString& transNum) const
{
    m_context.execute(revokeText(empNum, transNum, clerk()));
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
                              const QString& clerk, const QString& key, int lineNumber)
{
    QStringList arguments = {empNum,       line.mealCode, line.mealMode,      date,
                             line.remarks, clerk,         QStringLiteral("S")};
    if (!key.isEmpty())
        arguments << key << QString::number(lineNumber);
    return SqlText::call(QStringLiteral("Station..Save_TALO_EmployeeDistributedMeals"), arguments);
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
