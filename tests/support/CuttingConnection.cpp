#include "CuttingConnection.h"

#include "data/DbError.h"

namespace {
DbError linkDropped()
{
    return DbError(-2147467259, QStringLiteral("The connection to the database server was lost."),
                   true);
}
} // namespace

void CuttingConnection::maybeCut()
{
    if (m_down)
        throw linkDropped();
    if (m_armed && m_cut != AfterCommit && m_sent++ == m_cut) {
        m_armed = false;
        m_dropped = true;
        throw linkDropped();
    }
}

std::unique_ptr<Connection> CuttingConnection::openReader() const
{
    if (m_down)
        throw linkDropped();
    return m_inner.openReader();
}

Recordset CuttingConnection::open(const QString& sql)
{
    maybeCut();
    return m_inner.open(sql);
}

void CuttingConnection::execute(const QString& sql)
{
    maybeCut();
    m_inner.execute(sql);
}

void CuttingConnection::transaction(const std::function<void()>& work)
{
    if (m_down)
        throw linkDropped();
    m_inner.transaction(work);
    if (m_armed && m_cut == AfterCommit) {
        m_armed = false;
        m_dropped = true;
        throw linkDropped();
    }
}
