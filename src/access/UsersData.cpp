#include "UsersData.h"

#include "context/AppContext.h"
#include "data/SqlText.h"

#include <QStringList>

using SqlText::quote;

namespace {

QString flag(bool on)
{
    return on ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

QString UsersData::call(const QString& procedure, const QStringList& arguments) const
{
    return SqlText::call(QStringLiteral("Station..") + procedure, arguments);
}

Recordset UsersData::users(const QString& text)
{
    return m_context.open(call(QStringLiteral("Load_TALO_Users"), {text}));
}

Recordset UsersData::employee(const QString& staffId)
{
    return m_context.open(
        QStringLiteral("Select Lastname, Firstname, Middlename from Payroll..tbcmaster where "
                       "EmpNum = '") +
        quote(staffId.trimmed()) + QStringLiteral("'"));
}

void UsersData::write(const QString& procedure, QStringList arguments)
{
    // The signed-in user is the last argument of every change, as its author.
    arguments.append(m_context.userCode());
    m_context.execute(call(procedure, arguments));
}

void UsersData::saveUser(const QString& staffId, const QString& lastname, const QString& firstname,
                         const QString& middlename)
{
    write(QStringLiteral("Save_TALO_User"), {staffId, lastname, firstname, middlename});
}

void UsersData::setPasswordHash(const QString& staffId, const QString& hash)
{
    write(QStringLiteral("Save_TALO_UserPassword"), {staffId, hash});
}

void UsersData::setAccess(const QString& staffId, bool mayUseProgram, bool active)
{
    write(QStringLiteral("Save_TALO_UserAccess"), {staffId, flag(mayUseProgram), flag(active)});
}
