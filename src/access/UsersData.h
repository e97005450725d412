#pragma once

#include "data/Recordset.h"

#include <QString>

class AppContext;

// The database side of the Users window: the password register, a person's names from
// the personnel master, and the changes, each through a Station procedure. Passwords
// arrive here only as their argon2id hash. Failures are thrown as DbError.
class UsersData
{
public:
    explicit UsersData(AppContext& context) : m_context(context) {}

    // People whose staff ID is `text` or whose last name begins with it (columns
    // STAFF ID, NAME, ACCESS, ACTIVE, PASSWORD; Y or N in the last three).
    Recordset users(const QString& text);
    // The employee with that number in the personnel master (Lastname, Firstname,
    // Middlename); no row when there is none.
    Recordset employee(const QString& staffId);
    // Adds the person or changes the names.
    void saveUser(const QString& staffId, const QString& lastname, const QString& firstname,
                  const QString& middlename);
    void setPasswordHash(const QString& staffId, const QString& hash);
    // Grants or withdraws the use of this program and sets the person active or not.
    void setAccess(const QString& staffId, bool mayUseProgram, bool active);

private:
    QString call(const QString& procedure, const QStringList& arguments) const;
    void write(const QString& procedure, QStringList arguments);

    AppContext& m_context;
};
