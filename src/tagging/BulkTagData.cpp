#include "BulkTagData.h"

#include "context/AppContext.h"
#include "data/SqlText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

namespace {

QString jsonArray(const QStringList& values)
{
    return QString::fromUtf8(
        QJsonDocument(QJsonArray::fromStringList(values)).toJson(QJsonDocument::Compact));
}

QString scopeName(BulkTagData::Scope scope)
{
    switch (scope) {
    case BulkTagData::Scope::Department:
        return QStringLiteral("DEPARTMENT");
    case BulkTagData::Scope::List:
        return QStringLiteral("LIST");
    case BulkTagData::Scope::AllActive:
        break;
    }
    return QStringLiteral("ALL");
}

} // namespace

Recordset BulkTagData::departments()
{
    return m_context.open(QStringLiteral("Select DeptCode[CODE], Description[DESCRIPTION] from "
                                         "Payroll..tbcDepartment order by Description"));
}

Recordset BulkTagData::activeMealTypes()
{
    return m_context.open(QStringLiteral("Select Code[CODE], Description[DESCRIPTION] from "
                                         "Station..tbcoMealType where Status = '1' order by "
                                         "Description"));
}

Recordset BulkTagData::tag(const Selection& selection, bool apply)
{
    const QString user = m_context.userCode();
    // The procedure returns its counts, so even the change is read as a recordset; the
    // shared connection is the signed-in user's one.
    return m_context.open(
        statement(selection, apply, user,
                  apply ? QUuid::createUuid().toString(QUuid::WithoutBraces) : QString()));
}

ImportOffer BulkTagData::lastImport()
{
    return ImportOffer::fromRows(
        m_context.open(SqlText::call(QStringLiteral("Station..Load_TALO_ImportNewcomers"), {})));
}

QString BulkTagData::statement(const Selection& selection, bool apply, const QString& userCode,
                               const QString& batch)
{
    const bool list = selection.scope == Scope::List;
    const bool department = selection.scope == Scope::Department;
    return SqlText::call(QStringLiteral("Station..Save_TALO_EmployeeMealBulk"),
                         {scopeName(selection.scope), department ? selection.department : QString(),
                          list ? jsonArray(selection.employees) : QString(),
                          jsonArray(selection.mealTypes),
                          apply ? QStringLiteral("1") : QStringLiteral("0"), userCode, batch});
}
