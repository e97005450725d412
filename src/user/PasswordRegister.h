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

    // Records a refused sign-in (the staff ID as typed, this workstation) in the changes
    // log through the counter's own procedure. Throws DbError.
    void recordFailure(const QString& staffId, const QString& workstation);

private:
    // Verifying against a fixed valid hash when there is no usable one keeps every
    // refusal as slow as a wrong password.
    static const QString& decoyHash();

    Connection& m_connection;
    QString m_appCode;
};
