#pragma once

#include "data/Recordset.h"

#include <QString>

class AppContext;

// The database side of the user access window: the personnel search, the list of
// rights, one person's stored rights string and its save. Every value placed between
// quotes goes through SqlText::quote. Failures are thrown as DbError.
class AccessData
{
public:
    explicit AccessData(AppContext& context) : m_context(context) {}

    // Staff found by exact staff ID or by a last name beginning with `text`
    // (columns STAFF ID, NAME).
    Recordset searchPersonnel(const QString& text);
    // Every right the program knows (columns CODE, DESCRIPTION and an empty ACCESS).
    Recordset accessList();
    // The person's rights string (column Rights); no row when none is stored.
    Recordset userRights(const QString& staffId);
    // Replaces the person's rights string; the signed-in user is recorded as the author.
    void saveUserRights(const QString& staffId, const QString& rights);

private:
    AppContext& m_context;
};
