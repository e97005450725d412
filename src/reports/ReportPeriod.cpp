#include "ReportPeriod.h"

#include "data/GeneralDate.h"

namespace {

// The workstation's short date, as every window and export of the program writes a day.
QString dayText(QDate day)
{
    return day.toString(GeneralDate::dayFormat());
}

} // namespace

ReportPeriod ReportPeriod::holding(Kind kind, QDate day, Qt::DayOfWeek firstDay)
{
    switch (kind) {
    case Kind::Weekly: {
        const int back = (day.dayOfWeek() - int(firstDay) + 7) % 7;
        const QDate start = day.addDays(-back);
        return {start, start.addDays(6)};
    }
    case Kind::Monthly: {
        const QDate start(day.year(), day.month(), 1);
        return {start, start.addMonths(1).addDays(-1)};
    }
    case Kind::Daily:
    case Kind::DateRange:
        break;
    }
    return {day, day};
}

QString ReportPeriod::fromArgument() const
{
    return m_from.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 00:00:00");
}

QString ReportPeriod::toArgument() const
{
    return m_to.toString(QStringLiteral("yyyy-MM-dd")) + QStringLiteral(" 23:59:59");
}

QString ReportPeriod::text() const
{
    if (m_from == m_to)
        return dayText(m_from);
    return dayText(m_from) + QStringLiteral(" to ") + dayText(m_to);
}
