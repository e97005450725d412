#include "PasswordRegister.h"

#include "PasswordHash.h"
#include "data/Connection.h"
#include "data/SqlText.h"

PasswordRegister::PasswordRegister(Connection& connection, QString appCode)
    : m_connection(connection), m_appCode(std::move(appCode))
{}

std::optional<PasswordRegister::Person> PasswordRegister::signIn(const QString& staffId,
                                                                 const QString& password)
{
    const Recordset person = m_connection.open(
        QStringLiteral("Select EmployeeID, Lastname, Firstname, PasswordHash from "
                       "Password..tbPasswordMain where EmployeeID = '") +
        SqlText::quote(staffId) + QStringLiteral("' and Active = '1'"));
    if (person.recordCount() != 1) {
        PasswordHash::verify(decoyHash(), password);
        return std::nullopt;
    }
    if (!PasswordHash::verify(person.value(0, QStringLiteral("PasswordHash")), password))
        return std::nullopt;

    const QString storedId = person.value(0, QStringLiteral("EmployeeID"));
    const Recordset access = m_connection.open(
        QStringLiteral("Select EmployeeID, AppCode from Password..tbPasswordAppAccess where "
                       "EmployeeID = '") +
        SqlText::quote(storedId) + QStringLiteral("' and AppCode = '") + SqlText::quote(m_appCode) +
        QStringLiteral("'"));
    if (access.eof())
        return std::nullopt;

    const QString first = person.value(0, QStringLiteral("Firstname")).trimmed();
    const QString last = person.value(0, QStringLiteral("Lastname")).trimmed();
    return Person{storedId, (first + QLatin1Char(' ') + last).trimmed()};
}

const QString& PasswordRegister::decoyHash()
{
    static const QString hash = PasswordHash::make(QStringLiteral("decoy"));
    return hash;
}
