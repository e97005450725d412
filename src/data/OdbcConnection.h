#pragma once

#include "Connection.h"
#include "OdbcSession.h"

#include <QSqlError>
#include <QString>
#include <mutex>

class QSqlQuery;
class QSqlDatabase;

// Connection to a real SQL Server through Qt's ODBC driver (FreeTDS or Microsoft's
// ODBC driver). Every result is read into a client-side snapshot at once, so no cursor
// stays open on the server. A link that dropped is reported once as a clear error and
// opened again by the next call; inside a transaction it is never silently reopened.
class OdbcConnection : public Connection
{
public:
    // `connectionString` is a DSN name or a DSN-less ODBC connection string. A user
    // name and password given at sign-in go to the driver and are not kept by this
    // object. `session` says how each new link is prepared. Opens the connection at
    // once; throws DbError when it cannot.
    explicit OdbcConnection(const QString& connectionString, const QString& userName = {},
                            const QString& password = {}, OdbcSession session = {});
    ~OdbcConnection() override;
    OdbcConnection(const OdbcConnection&) = delete;
    OdbcConnection& operator=(const OdbcConnection&) = delete;

    Recordset open(const QString& sql) override;
    void execute(const QString& sql) override;
    // Nested calls join the outer transaction.
    void transaction(const std::function<void()>& work) override;
    QString serverName() const override;
    // A clone of this connection's settings (and login), opened in the calling thread.
    // Its statements can be stopped with cancel().
    std::unique_ptr<Connection> openReader() const override;
    // SQLCancel on the statement a reader is running (from any thread); the statement
    // then fails with the driver's "operation canceled" error.
    void cancel() override;
    // SQL_ATTR_QUERY_TIMEOUT on every statement; the one that runs out is rolled back with
    // its transaction.
    void setStatementTimeout(int seconds) override { m_timeout = seconds; }
    int statementTimeout() const override { return m_timeout; }

    // The name under which Qt knows this connection (QSqlDatabase::database()).
    const QString& connectionName() const { return m_name; }

private:
    struct CloneOf
    {
        QString connectionName;
    };
    OdbcConnection(const CloneOf& other, const QString& connectionString, OdbcSession session);
    // Opens the link named m_name; removes it and throws DbError when it cannot.
    void openOrThrow();
    QSqlDatabase database();
    QSqlQuery run(const QString& sql);
    // Prepares first, so the statement's handle is known while it runs (to cancel it) and
    // its query timeout can be set.
    bool executeWithHandle(QSqlQuery& query, const QString& text);
    // Whether a failed statement ran out of its time rather than failed.
    bool ranOutOfTime(const QSqlError& error, qint64 elapsedMs) const;
    // Reads the remaining results so an error raised after the first rows is not lost.
    void drain(QSqlQuery& query);
    [[noreturn]] void fail(const QSqlError& error);
    bool linkAlive();
    // Runs the session setup; on failure closes the link and keeps the error.
    bool setUpSession(QSqlDatabase& db);

    QString m_name;
    QString m_connectionString;
    // A reader prepares each statement first, so that its handle is known while it runs.
    bool m_cancellable = false;
    std::mutex m_runningMutex;
    void* m_running = nullptr; // the statement handle being executed, under m_runningMutex
    OdbcSession m_session;
    QSqlError m_setupError;
    bool m_inTransaction = false;
    int m_timeout = 0;
    mutable QString m_serverName;
};
