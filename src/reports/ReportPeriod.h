#pragma once

#include <QDate>
#include <QString>

// The days a report covers, both included, and how the four report menu items preset
// them from one chosen day.
class ReportPeriod
{
public:
    enum class Kind
    {
        Daily,
        Weekly,
        Monthly,
        DateRange
    };

    ReportPeriod() = default;
    ReportPeriod(QDate from, QDate to) : m_from(from), m_to(to) {}

    // The period of `kind` holding `day`: the day, its week (starting on `firstDay`),
    // or its calendar month. A date range starts as the one day.
    static ReportPeriod holding(Kind kind, QDate day, Qt::DayOfWeek firstDay = Qt::Monday);

    QDate from() const { return m_from; }
    QDate to() const { return m_to; }
    // The first and the last second of the period, as the report procedure reads them.
    QString fromArgument() const;
    QString toArgument() const;
    // "12/8/2026" for one day, else "12/1/2026 to 12/31/2026".
    QString text() const;

private:
    QDate m_from;
    QDate m_to;
};
