#pragma once

#include "data/Recordset.h"

#include <QString>

class AppContext;

// The statements of the meal tagging window: the payroll personnel search, the tags of
// one employee, and the two changes to them. Every call is one statement; failures are
// thrown as DbError for the window's action to report.
class EmployeeMealTagData
{
public:
    explicit EmployeeMealTagData(AppContext& context) : m_context(context) {}

    // Everyone whose number equals `text` or whose last name begins with it.
    Recordset personnel(const QString& text);
    Recordset taggedMeals(const QString& empNum);
    // Both changes are made in the name of the signed-in person.
    void saveTag(const QString& empNum, const QString& mealTypeCode);
    void removeTag(const QString& empNum, const QString& mealTypeCode);
    // Whether the site shows bulk tagging in this window. Settings that cannot be read
    // leave it away, as for a site that never chose it.
    bool bulkTaggingOffered();

private:
    static QString personnelStatement(const QString& text);
    static QString taggedMealsStatement(const QString& empNum);
    static QString saveStatement(const QString& empNum, const QString& mealTypeCode,
                                 const QString& userCode);
    static QString removeStatement(const QString& empNum, const QString& mealTypeCode,
                                   const QString& userCode);
    QString userCode() const;

    AppContext& m_context;
};
