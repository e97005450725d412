#include "EmbeddedConnection.h"

#include "EmbeddedStore.h"
#include "ProcedureCall.h"
#include "ProcedureCatalog.h"
#include "ProcedureRunner.h"
#include "TsqlRewriter.h"
#include "data/SqlText.h"

#include <QDir>
#include <sqlite3.h>

EmbeddedConnection::EmbeddedConnection(const QString& folder)
    : m_store(std::make_unique<EmbeddedStore>(folder))
{
    SqlFunctions& functions = m_store->functions();
    m_rewriter =
        std::make_unique<TsqlRewriter>(m_store->schema(), [&functions] { return functions.now(); });
    m_runner = std::make_unique<ProcedureRunner>(*m_store, ProcedureCatalog::builtIn());
}

EmbeddedConnection::~EmbeddedConnection() = default;

Recordset EmbeddedConnection::run(const QString& text)
{
    // The text a SQL Server would receive, so non-Latin values take the same path here.
    const QString sql = SqlText::national(text);
    if (const auto call = ProcedureCall::parse(sql))
        return m_runner->run(*call);
    return m_store->select(m_rewriter->rewrite(sql));
}

Recordset EmbeddedConnection::open(const QString& sql)
{
    return run(sql);
}

void EmbeddedConnection::execute(const QString& sql)
{
    run(sql);
}

void EmbeddedConnection::transaction(const std::function<void()>& work)
{
    m_store->transaction(EmbeddedStore::Access::Write, work);
}

QString EmbeddedConnection::serverName() const
{
    return QStringLiteral("(embedded) ") + QDir(m_store->folder()).dirName();
}

std::unique_ptr<Connection> EmbeddedConnection::openReader() const
{
    return std::make_unique<EmbeddedConnection>(m_store->folder());
}

void EmbeddedConnection::cancel()
{
    sqlite3_interrupt(m_store->handle());
}

Recordset EmbeddedConnection::nativeQuery(const QString& sqliteSql)
{
    return m_store->runScript(sqliteSql);
}

void EmbeddedConnection::nativeExecute(const QString& sqliteSql)
{
    m_store->runScript(sqliteSql);
}

EmbeddedStore& EmbeddedConnection::store()
{
    return *m_store;
}

bool EmbeddedConnection::createdOnOpen() const
{
    return m_store->createdOnOpen();
}
