#pragma once

#include "Connection.h"

#include <QStringList>

// Decorator that remembers every statement text sent through it, in order, before
// passing it on. Tests assert the exact text that goes to the server with it.
class RecordingConnection : public Connection
{
public:
    explicit RecordingConnection(Connection& inner) : m_inner(inner) {}

    Recordset open(const QString& sql) override;
    void execute(const QString& sql) override;
    void transaction(const std::function<void()>& work) override;
    QString serverName() const override { return m_inner.serverName(); }
    // The reader is the inner connection's own; its statements are not recorded.
    std::unique_ptr<Connection> openReader() const override { return m_inner.openReader(); }
    void setStatementTimeout(int seconds) override { m_inner.setStatementTimeout(seconds); }
    int statementTimeout() const override { return m_inner.statementTimeout(); }

    const QStringList& statements() const { return m_statements; }
    void clear() { m_statements.clear(); }

private:
    Connection& m_inner;
    QStringList m_statements;
};
