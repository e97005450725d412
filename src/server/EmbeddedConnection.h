#pragma once

#include "data/Connection.h"

#include <QElapsedTimer>
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
    // A statement waits at most this long for another connection's lock (the busy
    // timeout) and runs at most this long (a progress handler stops it); either way it
    // fails with the timeout error, and the transaction it belongs to is rolled back.
    void setStatementTimeout(int seconds) override;
    int statementTimeout() const override { return m_timeout; }

    // Native SQLite SQL on the same connection, with the four databases attached
    // (administration, test seeding and checks). Throws DbError.
    Recordset nativeQuery(const QString& sqliteSql);
    void nativeExecute(const QString& sqliteSql);

    EmbeddedStore& store();
    // True when the folder held no store before this connection opened it.
    bool createdOnOpen() const;

private:
    Recordset run(const QString& sql);
    // Runs `work` against this statement's deadline; a lock waited on or a run past it
    // becomes the timeout error.
    // `running`: the statement may also run only until the deadline (a transaction
    // only waits that long for the write lock; its statements time themselves).
    template <typename Work> auto timed(bool running, Work&& work) -> decltype(work());
    static int progress(void* self);

    std::unique_ptr<EmbeddedStore> m_store;
    std::unique_ptr<TsqlRewriter> m_rewriter;
    std::unique_ptr<ProcedureRunner> m_runner;
    int m_timeout = 0;
    qint64 m_deadline = 0; // ms on m_clock; 0: no statement is timed
    bool m_ranOut = false;
    QElapsedTimer m_clock;
};
