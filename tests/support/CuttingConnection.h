#pragma once

#include "data/Connection.h"

#include <atomic>

// A link to the server that drops once, on purpose, where a test says: before the
// statement numbered `cut` (counting from 0 the statements sent since arming), or, with
// cut == AfterCommit, once the next transaction has committed and before its answer
// arrives. Every other call passes through to the real store unchanged.
class CuttingConnection : public Connection
{
public:
    static constexpr int AfterCommit = -1;

    explicit CuttingConnection(Connection& inner) : m_inner(inner) {}

    void arm(int cut)
    {
        m_cut = cut;
        m_sent = 0;
        m_armed = true;
    }
    // While down, every call fails as an unreachable server does.
    void setDown(bool down) { m_down = down; }
    // Whether the link dropped since arming.
    bool dropped() const { return m_dropped; }

    Recordset open(const QString& sql) override;
    void execute(const QString& sql) override;
    void transaction(const std::function<void()>& work) override;
    QString serverName() const override { return m_inner.serverName(); }
    void setStatementTimeout(int seconds) override { m_inner.setStatementTimeout(seconds); }
    int statementTimeout() const override { return m_inner.statementTimeout(); }
    // Another link to the same server, which cannot be opened while this one is down.
    std::unique_ptr<Connection> openReader() const override;

private:
    void maybeCut();

    Connection& m_inner;
    int m_cut = 0;
    int m_sent = 0;
    bool m_armed = false;
    bool m_dropped = false;
    std::atomic<bool> m_down = false;
};
