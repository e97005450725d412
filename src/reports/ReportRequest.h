#pragma once

#include "ReportPeriod.h"

#include <QString>
#include <QStringList>

// What one run of the meal distribution report asks the database for.
struct ReportRequest
{
    enum class Layout
    {
        Summary,
        Payroll,
        Revoked
    };

    ReportPeriod period;
    Layout layout = Layout::Summary;
    // Grouping keys as the procedure names them (MEALTYPE, MEAL, MEALTIME, DAY,
    // DEPARTMENT, EMPLOYEE, CLERK); the second may be empty. Only the summary groups.
    QString group1 = QStringLiteral("MEALTYPE");
    QString group2;
    // The site's meal modes in their list order: meal times are shown in that order,
    // not alphabetically (modes not in it follow, as the database sorts them).
    QStringList mealModeOrder;

    bool groupsBy(const char* grouping) const
    {
        return group1.compare(QLatin1String(grouping), Qt::CaseInsensitive) == 0 ||
               group2.compare(QLatin1String(grouping), Qt::CaseInsensitive) == 0;
    }
};

// The groupings the summary offers, as the procedure names them and as the window
// shows them.
struct ReportGrouping
{
    const char* key;
    const char* caption;
};

inline constexpr ReportGrouping ReportGroupings[] = {
    {"MEALTYPE", "Meal Type"},    {"MEAL", "Meal"},
    {"MEALTIME", "Meal Time"},    {"DAY", "Day"},
    {"DEPARTMENT", "Department"}, {"EMPLOYEE", "Employee"},
    {"CLERK", "Clerk"},
};
