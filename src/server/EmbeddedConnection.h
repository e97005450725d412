#pragma once

#include "data/Connection.h"

#include <QString>
#include <memory>

class EmbeddedStore;

// The embedded store seen through the program's Connection: it takes the same T-SQL
// text a SQL Server would receive (SELECTs and procedure calls), rewrites or runs it on
// SQLite, and answers with the same result columns. Anything else is refused with a
// DbError.
class EmbeddedConnection : public Connection
{
public:
    // Opens the store in `folder`, creating an empty store (schema and seed rows, no
    // people) when the folder holds none. Throws DbError.
    explicit EmbeddedConnection(const QString& folder);
    ~EmbeddedConnection() override;

    Recordset open(const QString& sql) override;
    void execute(const QString& sql) override;
    void transaction(const std::function<void()>& work) override;
    QString serverName() const override;

    // Native SQLite SQL on the same connection, with the four databases attached
    // (administration, test seeding and checks). Throws DbError.
    Recordset nativeQuery(const QString& sqliteSql);
    void nativeExecute(const QString& sqliteSql);

    EmbeddedStore& store();

private:
    std::unique_ptr<EmbeddedStore> m_store;
};
