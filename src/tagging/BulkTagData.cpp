#include "BulkTagData.h"

#include "context/AppContext.h"
#include "data/SqlText.h"
#include "user/UserObject.h"

#include <QJsonArray>
#include <QJsonDocument>

using SqlText::quote;

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
    const QString user = m_context.objUser ? m_context.objUser->EmployeeCode() : QString();
    // The procedure returns its counts, so even the change is read as a recordset; the
    // shared connection is the signed-in user's one.
    return m_context.open(statement(selection, apply, user));
}

QString BulkTagData::statement(const Selection& selection, bool apply, const QString& userCode)
{
    const bool list = selection.scope == Scope::List;
    const bool department = selection.scope == Scope::Department;
    return QStringLiteral("Station..Save_TALO_EmployeeMealBulk '") + scopeName(selection.scope) +
           QStringLiteral("', '") + quote(department ? selection.department : QString()) +
           QStringLiteral("', '") + quote(list ? jsonArray(selection.employees) : QString()) +
           QStringLiteral("', '") + quote(jsonArray(selection.mealTypes)) + QStringLiteral("', '") +
           (apply ? QStringLiteral("1") : QStringLiteral("0")) + QStringLiteral("', '") +
           quote(userCode) + QStringLiteral("'");
}
