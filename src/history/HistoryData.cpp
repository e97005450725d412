#include "HistoryData.h"

#include "context/AppContext.h"
#include "data/GeneralDate.h"
#include "data/SqlText.h"

namespace {

QString dateText(const QDateTime& value)
{
    return value.isValid() ? GeneralDate::toText(value) : QString();
}

// "'a', 'b', 'c'": every value quoted, the separators of every other call.
QStringList filterValues(const HistoryData::MealFilter& filter)
{
    return {dateText(filter.from),
            dateText(filter.to),
            filter.employee.trimmed(),
            filter.meal.trimmed(),
            filter.mode.trimmed(),
            filter.clerk.trimmed(),
            filter.showRevoked ? QStringLiteral("1") : QStringLiteral("0")};
}

} // namespace

Recordset HistoryData::mealPage(const MealFilter& filter, const Key& after, int pageSize) const
{
    return m_context.open(mealPageText(filter, after, pageSize));
}

qint64 HistoryData::mealCount(const MealFilter& filter) const
{
    const Recordset result = m_context.open(mealCountText(filter));
    return result.eof() ? 0 : result.value(0, 0).toLongLong();
}

Recordset HistoryData::meal(const QString& empNum, const QString& date,
                            const QString& transNum) const
{
    // The page that starts just before the meal: its own date-time, its employee, and
    // the transaction number before it.
    MealFilter filter;
    filter.employee = empNum;
    filter.showRevoked = true;
    const auto at = GeneralDate::fromText(date);
    if (at) {
        filter.from = *at;
        filter.to = *at;
    }
    return mealPage(filter, {date, QString::number(transNum.toLongLong() - 1)}, 1);
}

Recordset HistoryData::changePage(const ChangeFilter& filter, const Key& after, int pageSize) const
{
    return m_context.open(changePageText(filter, after, pageSize));
}

qint64 HistoryData::changeCount(const ChangeFilter& filter) const
{
    const Recordset result = m_context.open(changeCountText(filter));
    return result.eof() ? 0 : result.value(0, 0).toLongLong();
}

QMap<QString, QString> HistoryData::rightNames() const
{
    const Recordset rights = m_context.open(rightNamesText());
    QMap<QString, QString> names;
    for (int row = 0; row < rights.recordCount(); ++row)
        names.insert(rights.value(row, 0).trimmed(), rights.value(row, 1));
    return names;
}

Recordset HistoryData::employees(const QString& text) const
{
    // The department beside the name: two employees of the same name are told apart
    // by where they work.
    return m_context.open(
        QStringLiteral(
            "Select m.EmpNum[EMPID], m.Lastname+', '+m.Firstname+' '+m.Middlename[NAME], "
            "coalesce(d.Description, m.DeptCode, '')[DEPARTMENT] from "
            "Payroll..tbcmaster m left join Payroll..tbcDepartment d on d.DeptCode = "
            "m.DeptCode where m.EmpNum = '") +
        SqlText::quote(text) + QStringLiteral("' or m.Lastname like '") + SqlText::quote(text) +
        QStringLiteral("' + '%'"));
}

QString HistoryData::mealPageText(const MealFilter& filter, const Key& after, int pageSize)
{
    return SqlText::call(QStringLiteral("Station..Load_TALO_DistributedMealHistory"),
                         filterValues(filter) +
                             QStringList{after.date, after.number, QString::number(pageSize)});
}

QString HistoryData::mealCountText(const MealFilter& filter)
{
    return SqlText::call(QStringLiteral("Station..Count_TALO_DistributedMealHistory"),
                         filterValues(filter));
}

QString HistoryData::changePageText(const ChangeFilter& filter, const Key& after, int pageSize)
{
    return SqlText::call(QStringLiteral("Station..Load_TALO_AuditLog"),
                         {dateText(filter.from), dateText(filter.to), filter.table,
                          filter.user.trimmed(), after.date, after.number,
                          QString::number(pageSize)});
}

QString HistoryData::changeCountText(const ChangeFilter& filter)
{
    return SqlText::call(
        QStringLiteral("Station..Count_TALO_AuditLog"),
        {dateText(filter.from), dateText(filter.to), filter.table, filter.user.trimmed()});
}

QString HistoryData::rightNamesText()
{
    return QStringLiteral(
        "Select Code [CODE], Description [DESCRIPTION] from Station..tbTALOUserSetUp");
}
