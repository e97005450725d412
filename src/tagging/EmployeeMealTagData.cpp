#include "EmployeeMealTagData.h"

#include "context/AppContext.h"
#include "data/DbError.h"
#include "data/SqlText.h"

using SqlText::quote;

Recordset EmployeeMealTagData::personnel(const QString& text)
{
    return m_context.open(personnelStatement(text));
}

Recordset EmployeeMealTagData::taggedMeals(const QString& empNum)
{
    return m_context.open(taggedMealsStatement(empNum));
}

void EmployeeMealTagData::saveTag(const QString& empNum, const QString& mealTypeCode)
{
    m_context.execute(saveStatement(empNum, mealTypeCode, userCode()));
}

void EmployeeMealTagData::removeTag(const QString& empNum, const QString& mealTypeCode)
{
    m_context.execute(removeStatement(empNum, mealTypeCode, userCode()));
}

bool EmployeeMealTagData::bulkTaggingOffered()
{
    try {
        const Recordset settings = m_context.open(QStringLiteral("Station..Load_TALO_AppSettings"));
        return !settings.eof() &&
               settings.value(0, QStringLiteral("BULKTAGGING")) == QLatin1String("1");
    } catch (const DbError&) {
        return false;
    }
}

QString EmployeeMealTagData::personnelStatement(const QString& text)
{
    // The wildcard is appended on the server side, so the typed text is one literal.
    return QStringLiteral("Select empnum[EMPID], Lastname+', '+Firstname+' '+Middlename[NAME] "
                          "from Payroll..tbcmaster where EmpNum = '") +
           quote(text) + QStringLiteral("' or Lastname like '") + quote(text) +
           QStringLiteral("' + '%'");
}

QString EmployeeMealTagData::taggedMealsStatement(const QString& empNum)
{
    return SqlText::call(QStringLiteral("Station..Load_TALO_EmployeeTaggedMeals"), {empNum});
}

QString EmployeeMealTagData::saveStatement(const QString& empNum, const QString& mealTypeCode,
                                           const QString& userCode)
{
    return SqlText::callByUser(QStringLiteral("Station..Save_TALO_EmployeeMeal"),
                               {empNum, mealTypeCode}, userCode);
}

QString EmployeeMealTagData::removeStatement(const QString& empNum, const QString& mealTypeCode,
                                             const QString& userCode)
{
    return SqlText::call(QStringLiteral("Station..Remove_TALO_EmployeeTaggedMeals"),
                         {empNum, mealTypeCode, userCode});
}

QString EmployeeMealTagData::userCode() const
{
    return m_context.userCode();
}
