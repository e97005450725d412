#include "OdbcDatabaseOpener.h"

#include "data/DbError.h"
#include "data/OdbcConnection.h"

OdbcDatabaseOpener::OdbcDatabaseOpener(QString connectionString, bool promptsForLogin)
    : m_connectionString(std::move(connectionString)), m_promptsForLogin(promptsForLogin)
{}

std::unique_ptr<Connection> OdbcDatabaseOpener::open(const QString& login, const QString& password)
{
    return std::make_unique<OdbcConnection>(m_connectionString, login, password,
                                            OdbcSession::sqlServer());
}

void OdbcDatabaseOpener::createFirstAdministrator(const NewAdministrator&, const QString&)
{
    throw DbError(0, QStringLiteral("The administrator of a SQL Server is created with the "
                                    "server's own scripts."));
}
