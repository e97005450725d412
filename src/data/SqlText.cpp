#include "SqlText.h"

namespace SqlText {

QString quote(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

namespace {

QString literal(const QString& value)
{
    return QLatin1Char('\'') + quote(value) + QLatin1Char('\'');
}

} // namespace

QString call(const QString& procedure, const QStringList& arguments)
{
    if (arguments.isEmpty())
        return procedure;
    QStringList literals;
    literals.reserve(arguments.size());
    for (const QString& argument : arguments)
        literals.append(literal(argument));
    return procedure + QLatin1Char(' ') + literals.join(QLatin1String(", "));
}

QString callByUser(const QString& procedure, const QStringList& arguments, const QString& user)
{
    return call(procedure, arguments) + QLatin1Char(',') + literal(user);
}

namespace {

// Index after the run that opens at `start` and closes with `close` (a doubled `close`
// stands for itself); the end of the text when it never closes.
qsizetype closing(const QString& sql, qsizetype start, QChar close)
{
    for (qsizetype i = start + 1; i < sql.size(); ++i) {
        if (sql.at(i) != close)
            continue;
        if (i + 1 < sql.size() && sql.at(i + 1) == close) {
            ++i;
            continue;
        }
        return i + 1;
    }
    return sql.size();
}

bool plainAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool wordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('@') ||
           c == QLatin1Char('#') || c == QLatin1Char('$');
}

} // namespace

QString national(const QString& sql)
{
    if (plainAscii(sql))
        return sql;
    QString out;
    out.reserve(sql.size() + 8);
    qsizetype i = 0;
    while (i < sql.size()) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
        qsizetype end = i + 1;
        if (c == QLatin1Char('\'')) {
            end = closing(sql, i, c);
            // N'…' already, or the letter N ending a longer word ("IN'x'" is no prefix).
            const bool prefixed =
                i > 0 && (sql.at(i - 1) == QLatin1Char('N') || sql.at(i - 1) == QLatin1Char('n')) &&
                (i < 2 || !wordChar(sql.at(i - 2)));
            if (!prefixed && !plainAscii(QStringView(sql).mid(i, end - i)))
                out.append(QLatin1Char('N'));
        } else if (c == QLatin1Char('[')) {
            end = closing(sql, i, QLatin1Char(']'));
        } else if (c == QLatin1Char('"')) {
            end = closing(sql, i, c);
        } else if (c == QLatin1Char('-') && next == QLatin1Char('-')) {
            end = sql.indexOf(QLatin1Char('\n'), i);
            end = end < 0 ? sql.size() : end;
        } else if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            end = sql.indexOf(QLatin1String("*/"), i + 2);
            end = end < 0 ? sql.size() : end + 2;
        }
        out.append(QStringView(sql).mid(i, end - i));
        i = end;
    }
    return out;
}

} // namespace SqlText
