#include "LongStatements.h"

#include "Connection.h"

LongStatements::LongStatements(Connection* connection) : m_connection(connection)
{
    if (!m_connection)
        return;
    m_usual = m_connection->statementTimeout();
    m_connection->setStatementTimeout(m_usual * Connection::LongWorkFactor);
}

LongStatements::~LongStatements()
{
    if (m_connection)
        m_connection->setStatementTimeout(m_usual);
}
