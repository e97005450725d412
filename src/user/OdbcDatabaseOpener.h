#pragma once

#include "DatabaseOpener.h"

#include <QString>

// Opens a SQL Server through ODBC. Its people and rights are set up by the database
// administrator with the server's scripts, never from a workstation, so it never asks
// for a first administrator.
class OdbcDatabaseOpener : public DatabaseOpener
{
public:
    OdbcDatabaseOpener(QString connectionString, bool promptsForLogin);

    bool asksForDatabaseLogin() const override { return m_promptsForLogin; }
    std::unique_ptr<Connection> open(const QString& login, const QString& password) override;
    bool needsFirstAdministrator(const QString&) override { return false; }
    void createFirstAdministrator(const NewAdministrator& person, const QString& appCode) override;

private:
    QString m_connectionString;
    bool m_promptsForLogin;
};
