#pragma once

#include <QString>
#include <optional>

class Connection;

// The sign-in check against the password register (Password..tbPasswordMain and
// Password..tbPasswordAppAccess), read with plain SELECTs so that it works the same on
// the embedded store and on SQL Server.
class PasswordRegister
{
public:
    struct Person
    {
        QString staffId; // as stored
        QString name;    // "Firstname Lastname"
    };

    PasswordRegister(Connection& connection, QString appCode);

    // The person, when the staff ID belongs to an active person whose password hash
    // verifies and who may use the application; nothing in every other case, without
    // telling which check failed. Throws DbError.
    std::optional<Person> signIn(const QString& staffId, const QString& password);

private:
    // Verifying against a throw-away hash when the ID is unknown keeps a wrong ID as slow
    // as a wrong password, so the time taken does not tell which IDs exist.
    static const QString& decoyHash();

    Connection& m_connection;
    QString m_appCode;
};
