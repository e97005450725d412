#include "DatabaseNames.h"

#include "EmbeddedStore.h"

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == QLatin1Char('_') || c == QLatin1Char('$');
}

// Index after the quoted text starting at `i` (which holds the opening quote).
qsizetype skipQuoted(const QString& sql, qsizetype i, QChar close)
{
    const qsizetype n = sql.size();
    for (++i; i < n; ++i) {
        if (sql.at(i) == close) {
            if (i + 1 < n && sql.at(i + 1) == close && close != QLatin1Char(']')) {
                ++i;
                continue;
            }
            return i + 1;
        }
    }
    return n;
}

qsizetype nextSolid(const QString& sql, qsizetype i)
{
    while (i < sql.size() && sql.at(i).isSpace())
        ++i;
    return i;
}

bool followsDot(const QString& sql, qsizetype start)
{
    qsizetype i = start - 1;
    while (i >= 0 && sql.at(i).isSpace())
        --i;
    return i >= 0 && sql.at(i) == QLatin1Char('.');
}

} // namespace

bool DatabaseNames::isDatabase(const QString& name)
{
    for (const auto& database : EmbeddedStore::databases()) {
        if (database.name.compare(name, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString DatabaseNames::toMain(const QString& sql)
{
    QString out;
    const qsizetype n = sql.size();
    qsizetype copied = 0;
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql.at(i);
        if (c == QLatin1Char('\'')) {
            i = skipQuoted(sql, i, c);
        } else if (c == QLatin1Char('-') && i + 1 < n && sql.at(i + 1) == QLatin1Char('-')) {
            const qsizetype end = sql.indexOf(QLatin1Char('\n'), i);
            i = end < 0 ? n : end;
        } else if (c == QLatin1Char('/') && i + 1 < n && sql.at(i + 1) == QLatin1Char('*')) {
            const qsizetype end = sql.indexOf(QLatin1String("*/"), i + 2);
            i = end < 0 ? n : end + 2;
        } else if (c == QLatin1Char('"') || c == QLatin1Char('[') || c == QLatin1Char('`') ||
                   isWordChar(c)) {
            const qsizetype start = i;
            QString name;
            if (isWordChar(c)) {
                while (i < n && isWordChar(sql.at(i)))
                    ++i;
                name = sql.mid(start, i - start);
            } else {
                i = skipQuoted(sql, i, c == QLatin1Char('[') ? QLatin1Char(']') : c);
                name = sql.mid(start + 1, i - start - 2);
            }
            const qsizetype after = nextSolid(sql, i);
            if (after < n && sql.at(after) == QLatin1Char('.') && !followsDot(sql, start) &&
                isDatabase(name)) {
                out += QStringView(sql).mid(copied, start - copied);
                out += QLatin1String("main");
                copied = i;
            }
        } else {
            ++i;
        }
    }
    if (copied == 0)
        return sql;
    out += QStringView(sql).mid(copied);
    return out;
}
