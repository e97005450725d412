#pragma once

#include <QString>
#include <memory>

class Connection;

// Opens the connection the user object hands to the program, and sets up a new store
// with its first administrator where that can be done from the workstation. The
// embedded store and SQL Server each have their own opener; main picks the one the
// command line asks for.
class DatabaseOpener
{
public:
    struct NewAdministrator
    {
        QString staffId;
        QString lastName;
        QString firstName;
        QString password;
    };

    virtual ~DatabaseOpener() = default;

    // Whether the sign-in dialog must ask for a database login (SQL Server
    // authentication) before the connection can be opened.
    virtual bool asksForDatabaseLogin() const = 0;
    // Opens the connection; `login` and `password` are empty unless asked for.
    // Throws DbError.
    virtual std::unique_ptr<Connection> open(const QString& login, const QString& password) = 0;
    // After open(): whether the database has nobody who may use `appCode` and can be
    // given its first administrator from here. Throws DbError.
    virtual bool needsFirstAdministrator(const QString& appCode) = 0;
    // Stores the first administrator with access to `appCode` and every right.
    // Throws DbError; nothing of the person is kept then.
    virtual void createFirstAdministrator(const NewAdministrator& person,
                                          const QString& appCode) = 0;
};
