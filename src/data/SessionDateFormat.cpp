#include "SessionDateFormat.h"

QString SessionDateFormat::order(const QLocale& locale)
{
    // The first day, month and year letters outside quoted literal text, in the order
    // the format writes them; a format that lacks one keeps SQL Server's own default.
    const QString format = locale.dateFormat(QLocale::ShortFormat);
    QString out;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            continue;
        }
        const QChar part = c == QLatin1Char('M') ? QLatin1Char('m') : c;
        if (!quoted &&
            (part == QLatin1Char('d') || part == QLatin1Char('m') || part == QLatin1Char('y')) &&
            !out.contains(part))
            out.append(part);
    }
    return out.size() == 3 ? out : QStringLiteral("mdy");
}

QString SessionDateFormat::statement(const QLocale& locale)
{
    return QStringLiteral("SET DATEFORMAT ") + order(locale);
}
