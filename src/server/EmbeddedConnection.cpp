#include "EmbeddedConnection.h"

#include "EmbeddedStore.h"
#include "ProcedureCall.h"
#include "ProcedureCatalog.h"
#include "ProcedureRunner.h"
#include "TsqlRewriter.h"
#include "data/DbError.h"
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
    m_clock.start();
}

void EmbeddedConnection::setStatementTimeout(int seconds)
{
    m_timeout = seconds;
    // Without a time of its own, a writer waits as long as the store always let it.
    sqlite3_busy_timeout(m_store->handle(),
                         seconds > 0 ? seconds * 1000 : EmbeddedStore::BusyTimeoutMs);
    // Checked every few thousand steps of the engine: cheap beside the statement itself.
    sqlite3_progress_handler(m_store->handle(), seconds > 0 ? 4000 : 0,
                             seconds > 0 ? &EmbeddedConnection::progress : nullptr, this);
}

int EmbeddedConnection::progress(void* self)
{
    auto* connection = static_cast<EmbeddedConnection*>(self);
    if (connection->m_deadline == 0 || connection->m_clock.elapsed() < connection->m_deadline)
        return 0;
    connection->m_ranOut = true;
    return 1;
}

template <typename Work>
auto EmbeddedConnection::timed(bool running, Work&& work) -> decltype(work())
{
    const qint64 outer = m_deadline;
    m_deadline = running && m_timeout > 0 ? m_clock.elapsed() + qint64(m_timeout) * 1000 : 0;
    m_ranOut = false;
    struct Restore
    {
        qint64& deadline;
        qint64 value;
        ~Restore() { deadline = value; }
    } restore{m_deadline, outer};
    try {
        return work();
    } catch (const DbError& error) {
        // SQLite's own codes only (a link lost on the way carries other numbers).
        const bool sqlite = !error.isLinkLost() && error.number() > 0 && error.number() < 0x10000;
        const int primary = sqlite ? error.number() & 0xff : 0;
        const bool waited = primary == SQLITE_BUSY || primary == SQLITE_LOCKED;
        if (m_timeout > 0 && (waited || (primary == SQLITE_INTERRUPT && m_ranOut)))
            throw DbError::timeout(m_timeout);
        throw;
    }
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
    return timed(true, [&] { return run(sql); });
}

void EmbeddedConnection::execute(const QString& sql)
{
    timed(true, [&] { run(sql); });
}

void EmbeddedConnection::transaction(const std::function<void()>& work)
{
    timed(false, [&] { m_store->transaction(EmbeddedStore::Access::Write, work); });
}

QString EmbeddedConnection::serverName() const
{
    return QStringLiteral("(embedded) ") + QDir(m_store->folder()).dirName();
}

std::unique_ptr<Connection> EmbeddedConnection::openReader() const
{
    auto reader = std::make_unique<EmbeddedConnection>(m_store->folder());
    reader->setStatementTimeout(m_timeout * LongWorkFactor);
    return reader;
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
