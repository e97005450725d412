#include "RecordingConnection.h"

Recordset RecordingConnection::open(const QString& sql)
{
    m_statements.append(sql);
    return m_inner.open(sql);
}

void RecordingConnection::execute(const QString& sql)
{
    m_statements.append(sql);
    m_inner.execute(sql);
}

void RecordingConnection::transaction(const std::function<void()>& work)
{
    m_inner.transaction(work);
}
