#pragma once

#include "data/Recordset.h"
#include "tagging/ImportOffer.h"

#include <QString>
#include <QStringList>

class AppContext;

// The statements of bulk tagging: the departments and active meal types to choose from,
// Station..Save_TALO_EmployeeMealBulk, which counts (preview) or adds the tags of a set
// of employees in one call, and the last import's newcomers it offers. Failures are thrown as
// DbError.
class BulkTagData
{
public:
    // Which employees: every active one, the active ones of a department, or a list.
    enum class Scope
    {
        AllActive,
        Department,
        List
    };
    struct Selection
    {
        Scope scope = Scope::AllActive;
        QString department;    // Scope::Department
        QStringList employees; // Scope::List
        QStringList mealTypes;
    };

    explicit BulkTagData(AppContext& context) : m_context(context) {}

    // CODE, DESCRIPTION, by description.
    Recordset departments();
    Recordset activeMealTypes();
    // CODE, DESCRIPTION, EMPLOYEES, TAGGED, ALREADY: one row per meal type. With `apply`
    // false nothing changes; with true the missing tags are added in the signed-in
    // person's name, under a batch key of their own so the changes log shows them as one.
    Recordset tag(const Selection& selection, bool apply);
    // The last staff import's newcomers not tagged yet.
    ImportOffer lastImport();

    static QString statement(const Selection& selection, bool apply, const QString& userCode,
                             const QString& batch = {});

private:
    AppContext& m_context;
};
