#include "LocalStatement.h"

#include <sqlite3.h>

LocalStatement::LocalStatement(sqlite3* db, const char* sql, const QString& owner)
    : m_db(db), m_owner(owner)
{
    if (sqlite3_prepare_v2(db, sql, -1, &m_stmt, nullptr) != SQLITE_OK)
        throw error(db, owner, QStringLiteral("cannot be read"));
}

LocalStatement::~LocalStatement()
{
    sqlite3_finalize(m_stmt);
}

void LocalStatement::bind(int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_stmt, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void LocalStatement::bind(int index, qint64 value)
{
    sqlite3_bind_int64(m_stmt, index, value);
}

bool LocalStatement::step()
{
    const int rc = sqlite3_step(m_stmt);
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        throw error(m_db, m_owner, QStringLiteral("cannot be written"));
    return rc == SQLITE_ROW;
}

void LocalStatement::reset()
{
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

QString LocalStatement::text(int column) const
{
    return QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column)));
}

qint64 LocalStatement::integer(int column) const
{
    return sqlite3_column_int64(m_stmt, column);
}

void LocalStatement::run(sqlite3* db, const char* sql, const QString& owner)
{
    LocalStatement statement(db, sql, owner);
    while (statement.step()) {
    }
}

DbError LocalStatement::error(sqlite3* db, const QString& owner, const QString& what)
{
    return DbError(
        db ? sqlite3_extended_errcode(db) : SQLITE_CANTOPEN,
        QStringLiteral("%1 %2: %3")
            .arg(owner, what, QString::fromUtf8(db ? sqlite3_errmsg(db) : "cannot open")));
}
