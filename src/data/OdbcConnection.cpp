#include "OdbcConnection.h"

#include "OdbcError.h"
#include "SqlText.h"
#include "SqlValueText.h"

#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QSqlResult>
#include <QStringList>
#include <atomic>
#ifdef Q_OS_WIN
// Windows' ODBC headers use its types without including them.
#include <qt_windows.h>
#endif
#include <sql.h>
#include <sqlext.h>

namespace {

const QString statementFailed = QStringLiteral("The statement could not be run.");

QString nextConnectionName()
{
    // Readers are opened on other threads.
    static std::atomic<int> counter = 0;
    return QStringLiteral("talodesk-odbc-%1").arg(++counter);
}

// The server named in the connection string, for when the server cannot tell its own
// name: "Server=db01,1433;..." -> "db01,1433"; a DSN name stands for itself.
QString serverFromConnectionString(const QString& connectionString)
{
    if (!connectionString.contains(QLatin1Char('=')))
        return connectionString.trimmed();
    static const QStringList keys = {QStringLiteral("server"),      QStringLiteral("servername"),
                                     QStringLiteral("data source"), QStringLiteral("address"),
                                     QStringLiteral("addr"),        QStringLiteral("dsn"),
                                     QStringLiteral("database")};
    for (const QString& key : keys) {
        for (const QString& part : connectionString.split(QLatin1Char(';'))) {
            const qsizetype eq = part.indexOf(QLatin1Char('='));
            if (eq > 0 && part.left(eq).trimmed().compare(key, Qt::CaseInsensitive) == 0)
                return part.mid(eq + 1).trimmed();
        }
    }
    return {};
}

} // namespace

OdbcConnection::OdbcConnection(const QString& connectionString, const QString& userName,
                               const QString& password, OdbcSession session)
    : m_name(nextConnectionName()), m_connectionString(connectionString),
      m_session(std::move(session))
{
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QODBC"), m_name);
        db.setDatabaseName(connectionString);
        // Kept only inside the driver's connection, so a dropped link can be reopened.
        db.setUserName(userName);
        db.setPassword(password);
    }
    openOrThrow();
}

OdbcConnection::OdbcConnection(const CloneOf& other, const QString& connectionString,
                               OdbcSession session)
    : m_name(nextConnectionName()), m_connectionString(connectionString),
      m_session(std::move(session))
{
    // The overload taking a name may be called from another thread than the original's.
    QSqlDatabase::cloneDatabase(other.connectionName, m_name);
    openOrThrow();
    m_cancellable = true;
}

void OdbcConnection::openOrThrow()
{
    QSqlError error;
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.open() && setUpSession(db))
            return;
        error = m_setupError.isValid() ? m_setupError : db.lastError();
    }
    QSqlDatabase::removeDatabase(m_name);
    throw OdbcError::fromSqlError(error, QStringLiteral("The database server cannot be reached."));
}

std::unique_ptr<Connection> OdbcConnection::openReader() const
{
    auto reader = std::unique_ptr<Connection>(
        new OdbcConnection(CloneOf{m_name}, m_connectionString, m_session));
    reader->setStatementTimeout(m_timeout * LongWorkFactor);
    return reader;
}

bool OdbcConnection::setUpSession(QSqlDatabase& db)
{
    if (m_session.setup.isEmpty())
        return true;
    QSqlQuery query(db);
    if (query.exec(m_session.setup))
        return true;
    // A link whose session is not set up is not used: the next call tries afresh.
    m_setupError = query.lastError();
    query = QSqlQuery();
    db.close();
    return false;
}

OdbcConnection::~OdbcConnection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (m_inTransaction)
            db.rollback();
        db.close();
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase OdbcConnection::database()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.isOpen())
        return db;
    // Reopening inside a transaction would let its remaining statements commit one by
    // one on the new link; the transaction has to fail instead.
    if (m_inTransaction)
        throw OdbcError::lostInTransaction();
    if (!db.open())
        throw OdbcError::unreachable(db.lastError());
    if (!setUpSession(db))
        throw OdbcError::fromSqlError(m_setupError, statementFailed);
    return db;
}

bool OdbcConnection::linkAlive()
{
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (!db.isOpen())
        return false;
    QSqlQuery probe(db);
    return probe.exec(QStringLiteral("SELECT 1"));
}

void OdbcConnection::fail(const QSqlError& error)
{
    // The driver keeps reporting a dead link as open; a failed statement is the moment
    // to find out, so the next call can start on a fresh connection.
    if (!linkAlive()) {
        QSqlDatabase::database(m_name, false).close();
        if (m_inTransaction)
            throw OdbcError::lostInTransaction();
        throw OdbcError::connectionLost(error);
    }
    throw OdbcError::fromSqlError(error, statementFailed);
}

QSqlQuery OdbcConnection::run(const QString& sql)
{
    QSqlQuery query(database());
    query.setForwardOnly(true);
    // Decimals arrive as the server's own text ("12.50"), not as a rounded double.
    query.setNumericalPrecisionPolicy(QSql::HighPrecision);
    const QString text = m_session.nationalLiterals ? SqlText::national(sql) : sql;
    QElapsedTimer clock;
    clock.start();
    if (!(m_cancellable || m_timeout > 0 ? executeWithHandle(query, text) : query.exec(text))) {
        const QSqlError error = query.lastError();
        query.finish();
        // The server stopped the statement and said so; the transaction it belongs to is
        // rolled back by transaction(), so nothing of it stays half-saved.
        if (ranOutOfTime(error, clock.elapsed()) && linkAlive())
            throw DbError::timeout(m_timeout);
        fail(error);
    }
    return query;
}

bool OdbcConnection::executeWithHandle(QSqlQuery& query, const QString& text)
{
    if (!query.prepare(text))
        return false;
    const QVariant handle = query.result() ? query.result()->handle() : QVariant();
    void* statement = handle.isValid() && handle.constData()
                          ? *static_cast<void* const*>(handle.constData())
                          : nullptr;
    if (statement && m_timeout > 0)
        SQLSetStmtAttr(static_cast<SQLHSTMT>(statement), SQL_ATTR_QUERY_TIMEOUT,
                       reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(m_timeout)), 0);
    {
        const std::lock_guard lock(m_runningMutex);
        if (m_cancellable)
            m_running = statement;
    }
    const bool done = query.exec();
    const std::lock_guard lock(m_runningMutex);
    m_running = nullptr;
    return done;
}

bool OdbcConnection::ranOutOfTime(const QSqlError& error, qint64 elapsedMs) const
{
    if (m_timeout <= 0)
        return false;
    // SQLSTATE HYT00 is the driver's word for it; drivers that word it otherwise still
    // failed only once the time was up.
    const QString said = error.nativeErrorCode() + QLatin1Char(' ') + error.text();
    return said.contains(QLatin1String("HYT00")) ||
           said.contains(QLatin1String("timeout expired"), Qt::CaseInsensitive) ||
           elapsedMs >= qint64(m_timeout) * 1000 - 100;
}

void OdbcConnection::cancel()
{
    const std::lock_guard lock(m_runningMutex);
    if (m_running)
        SQLCancel(static_cast<SQLHSTMT>(m_running));
}

void OdbcConnection::drain(QSqlQuery& query)
{
    while (query.nextResult()) {
    }
    const QSqlError error = query.lastError();
    query.finish();
    if (error.type() != QSqlError::NoError)
        fail(error);
}

Recordset OdbcConnection::open(const QString& sql)
{
    QSqlQuery query = run(sql);
    // A procedure may report row counts before its rows: the rows are the first result
    // that has columns.
    while (!query.isSelect()) {
        if (!query.nextResult()) {
            drain(query);
            return {};
        }
    }

    const QSqlRecord record = query.record();
    QStringList fieldNames;
    fieldNames.reserve(record.count());
    for (int i = 0; i < record.count(); ++i)
        fieldNames.append(record.fieldName(i));

    QList<Recordset::Row> rows;
    while (query.next()) {
        Recordset::Row row;
        row.reserve(record.count());
        for (int i = 0; i < record.count(); ++i)
            row.append(SqlValueText::fromVariant(query.value(i)));
        rows.append(std::move(row));
    }
    if (query.lastError().type() != QSqlError::NoError) {
        const QSqlError error = query.lastError();
        query.finish();
        fail(error);
    }
    drain(query);
    return Recordset(std::move(fieldNames), std::move(rows));
}

void OdbcConnection::execute(const QString& sql)
{
    QSqlQuery query = run(sql);
    drain(query);
}

void OdbcConnection::transaction(const std::function<void()>& work)
{
    if (m_inTransaction) {
        work();
        return;
    }
    QSqlDatabase db = database();
    if (!db.transaction())
        fail(db.lastError());
    m_inTransaction = true;
    try {
        work();
    } catch (...) {
        m_inTransaction = false;
        if (db.isOpen())
            db.rollback();
        throw;
    }
    m_inTransaction = false;
    if (!db.commit()) {
        const QSqlError error = db.lastError();
        db.rollback();
        fail(error);
    }
}

QString OdbcConnection::serverName() const
{
    if (!m_serverName.isEmpty())
        return m_serverName;
    QSqlDatabase db = QSqlDatabase::database(m_name, false);
    if (db.isOpen()) {
        QSqlQuery query(db);
        query.setForwardOnly(true);
        if (query.exec(QStringLiteral("SELECT @@SERVERNAME")) && query.next())
            m_serverName = SqlValueText::fromVariant(query.value(0)).trimmed();
    }
    if (m_serverName.isEmpty())
        m_serverName = serverFromConnectionString(m_connectionString);
    return m_serverName;
}
