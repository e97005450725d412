#pragma once

#include "DbError.h"

class QSqlError;

// Turns what Qt's ODBC driver reports into the DbError the windows show: the server's
// own error number (50000 for a procedure's validation error) and its message without
// the driver's "[vendor][driver]" prefixes.
namespace OdbcError {

// Used when the driver gives no numeric error: the number ADO reports for an
// unspecified provider error (0x80004005).
constexpr int unspecified = -2147467259;

DbError fromSqlError(const QSqlError& error, const QString& fallbackText);
// No connection to the server could be opened.
DbError unreachable(const QSqlError& cause);
// The connection to the server is gone; the next call opens a new one.
DbError connectionLost(const QSqlError& cause);
// The connection was lost inside a transaction: its work is not committed.
DbError lostInTransaction();

// "[FreeTDS][SQL Server]Unknown meal." -> "Unknown meal."
QString withoutDriverPrefixes(const QString& text);

} // namespace OdbcError
