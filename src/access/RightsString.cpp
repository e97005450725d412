#include "RightsString.h"

#include <QStringList>

namespace RightsString {

QString accessMark(const QString& rights, int row, const QString& code)
{
    bool isNumber = false;
    const int number = code.trimmed().toInt(&isNumber);
    if (!isNumber)
        return notGranted;
    // A code beyond the count of characters of the string without its separators cannot
    // have been granted; this also covers strings written when fewer rights existed.
    const qsizetype characters = rights.size() - rights.count(QLatin1Char('|'));
    if (number > characters)
        return notGranted;
    const QStringList parts = rights.split(QLatin1Char('|'));
    if (row < 0 || row >= parts.size())
        return notGranted;
    return parts.at(row) == code ? granted : notGranted;
}

QString toggled(const QString& mark)
{
    if (mark == granted)
        return notGranted;
    if (mark == notGranted || mark.isEmpty())
        return granted;
    return mark;
}

QString build(const QList<Row>& rows)
{
    QString rights;
    for (const Row& row : rows) {
        rights += QLatin1Char('|');
        rights += row.access == granted ? row.code : QStringLiteral("0");
    }
    return rights;
}

} // namespace RightsString
