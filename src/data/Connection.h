#pragma once

#include "Recordset.h"

#include <QString>
#include <functional>
#include <memory>

// The one way the program talks to its database server. Statements go out as T-SQL
// text; the embedded store and a real SQL Server receive exactly the same text.
// Every failure is thrown as DbError; a Connection never shows a dialog.
class Connection
{
public:
    virtual ~Connection() = default;

    // Runs a SELECT or a row-returning procedure call and returns a snapshot.
    virtual Recordset open(const QString& sql) = 0;
    // Runs a statement whose result is not needed (procedure calls that change data).
    virtual void execute(const QString& sql) = 0;
    // Runs `work` in one transaction: commits when it returns, rolls back and
    // rethrows when it throws. Statements sent inside `work` see the transaction.
    virtual void transaction(const std::function<void()>& work) = 0;
    // The database server's name, for the status bar.
    virtual QString serverName() const = 0;

    // Another connection to the same database, for long reads on a thread of their own
    // (a report): it belongs to the thread that calls this, which may be any thread.
    // nullptr when this connection cannot make one. Throws DbError.
    virtual std::unique_ptr<Connection> openReader() const { return nullptr; }
    // Called from any thread: stops the statement this connection is running, which
    // then fails with a DbError. Connections that cannot stop a statement ignore it.
    virtual void cancel() {}

    // How many seconds one statement may wait for its answer (0, as a connection opens: as
    // long as it takes; the program sets it once signed in). One that waits longer fails
    // with a DbError that isTimedOut(), and the transaction it belongs to is rolled back
    // whole. Readers opened later wait `LongWorkFactor` times as
    // long: a month's report or an import is long work the user chose, not a clerk's wait.
    virtual void setStatementTimeout(int seconds) { (void)seconds; }
    virtual int statementTimeout() const { return 0; }
    static constexpr int DefaultStatementTimeout = 10;
    static constexpr int LongWorkFactor = 10;
};
