#pragma once

#include "data/Connection.h"

#include <QString>
#include <memory>

class EmbeddedStore;
class ProcedureRunner;
class TsqlRewriter;

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
    // Another connection to the same folder (SQLite allows one per thread).
    std::unique_ptr<Connection> openReader() const override;
    // sqlite3_interrupt: the running statement fails with SQLITE_INTERRUPT.
    void cancel() override;

    // Native SQLite SQL on the same connection, with the four databases attached
    // (administration, test seeding and checks). Throws DbError.
    Recordset nativeQuery(const QString& sqliteSql);
    void nativeExecute(const QString& sqliteSql);

    EmbeddedStore& store();
    // True when the folder held no store before this connection opened it.
    bool createdOnOpen() const;

private:
    Recordset run(const QString& sql);

    std::unique_ptr<EmbeddedStore> m_store;
    std::unique_ptr<TsqlRewriter> m_rewriter;
    std::unique_ptr<ProcedureRunner> m_runner;
};
