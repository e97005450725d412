#include "OdbcError.h"

#include <QRegularExpression>
#include <QSqlError>
#include <QStringList>

namespace OdbcError {

namespace {

// The driver may list several native numbers ("50000;3621"); the first one is the
// error the server raised.
int nativeNumber(const QSqlError& error)
{
    // Only a whole number counts: an SQLSTATE such as "S1000" is no error number.
    static const QRegularExpression separators(QStringLiteral("[;,\\s]+"));
    const QStringList parts = error.nativeErrorCode().split(separators, Qt::SkipEmptyParts);
    bool ok = false;
    const int value = parts.isEmpty() ? 0 : parts.first().toInt(&ok);
    return ok && value != 0 ? value : unspecified;
}

QString messageOf(const QSqlError& error, const QString& fallbackText)
{
    QString text = withoutDriverPrefixes(error.databaseText());
    if (text.isEmpty())
        text = error.driverText().trimmed();
    return text.isEmpty() ? fallbackText : text;
}

} // namespace

QString withoutDriverPrefixes(const QString& text)
{
    // Tags stand at the start of each diagnostic record: at the start of the text or
    // after a blank. Brackets inside a message (a quoted name) are left alone.
    static const QRegularExpression tags(QStringLiteral("(^|\\s)(\\[[^\\[\\]]*\\])+"));
    QString out = text;
    out.replace(tags, QStringLiteral("\\1"));
    return out.trimmed();
}

DbError fromSqlError(const QSqlError& error, const QString& fallbackText)
{
    return DbError(nativeNumber(error), messageOf(error, fallbackText));
}

DbError unreachable(const QSqlError& cause)
{
    const DbError error =
        fromSqlError(cause, QStringLiteral("The database server cannot be reached."));
    return DbError(error.number(), error.message(), true);
}

DbError connectionLost(const QSqlError& cause)
{
    const QString detail = messageOf(cause, QString());
    QString text = QStringLiteral("The connection to the database server was lost. "
                                  "It will be opened again at the next action.");
    if (!detail.isEmpty())
        text += QStringLiteral(" (") + detail + QLatin1Char(')');
    return DbError(unspecified, text, true);
}

DbError lostInTransaction()
{
    return DbError(unspecified,
                   QStringLiteral("The connection to the database server was lost during a "
                                  "save; nothing of it was stored."),
                   true);
}

} // namespace OdbcError
