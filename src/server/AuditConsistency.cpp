#include "AuditConsistency.h"

#include "SqliteRows.h"
#include "data/DbError.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <sqlite3.h>

namespace {

// The values an audit row's details give: "Lastname=Cruz; Active=1" (an insert, or a
// save of every field) or "Lastname: Cruz -> Reyes; Active: 1 -> 0" (the changed ones).
QHash<QString, QString> valuesIn(const QString& details, const QRegularExpression& field)
{
    QHash<QString, QString> out;
    auto it = field.globalMatch(details);
    QList<QRegularExpressionMatch> matches;
    while (it.hasNext())
        matches << it.next();
    for (qsizetype i = 0; i < matches.size(); ++i) {
        const auto& m = matches.at(i);
        const qsizetype end =
            i + 1 < matches.size() ? matches.at(i + 1).capturedStart() : details.size();
        QString value = details.mid(m.capturedEnd(), end - m.capturedEnd());
        if (m.captured(2) != QLatin1String("=")) {
            const qsizetype arrow = value.indexOf(QLatin1String(" -> "));
            if (arrow < 0)
                continue;
            value = value.mid(arrow + 4);
        }
        out.insert(m.captured(1), value);
    }
    return out;
}

} // namespace

QStringList AuditConsistency::faults(int limit) const
{
    QStringList out;
    checkValues(QStringLiteral("tbcmaster"), QStringLiteral("EmpNum"),
                {QStringLiteral("Lastname"), QStringLiteral("Firstname"),
                 QStringLiteral("Middlename"), QStringLiteral("DeptCode"),
                 QStringLiteral("Active")},
                out);
    checkValues(QStringLiteral("tbPasswordMain"), QStringLiteral("EmployeeID"),
                {QStringLiteral("Lastname"), QStringLiteral("Firstname"),
                 QStringLiteral("Middlename"), QStringLiteral("Active")},
                out);
    checkAccess(out);
    if (out.size() > limit) {
        const qsizetype more = out.size() - limit;
        out.resize(limit);
        out << QStringLiteral("audit: %1 more faults like these").arg(more);
    }
    return out;
}

void AuditConsistency::checkValues(const QString& table, const QString& key,
                                   const QStringList& columns, QStringList& out) const
{
    const QRegularExpression field(
        QStringLiteral("(?:^|; )(%1)(=|: )").arg(columns.join(QLatin1Char('|'))));
    // What the log says last of each record, field by field.
    QHash<QString, QHash<QString, QString>> logged;
    QHash<QString, QString> spelling;
    for (const QStringList& row : SqliteRows::of(
             m_db, QStringLiteral("SELECT RecordKey, Details FROM main.tbTALOAuditLog WHERE "
                                  "TableName = '%1' AND Action IN ('INSERT', 'UPDATE') "
                                  "ORDER BY AuditID")
                       .arg(table))) {
        const QString k = row.at(0).toCaseFolded();
        spelling.insert(k, row.at(0));
        QHash<QString, QString>& values = logged[k];
        const auto now = valuesIn(row.at(1), field);
        for (auto it = now.cbegin(); it != now.cend(); ++it)
            values.insert(it.key(), it.value());
    }
    if (logged.isEmpty())
        return;
    QHash<QString, QStringList> held;
    for (const QStringList& row :
         SqliteRows::of(m_db, QStringLiteral("SELECT %1, %2 FROM main.%3")
                                  .arg(key, columns.join(QLatin1String(", ")), table)))
        held.insert(row.at(0).toCaseFolded(), row.mid(1));
    for (auto it = logged.cbegin(); it != logged.cend(); ++it) {
        const auto current = held.constFind(it.key());
        if (current == held.cend()) {
            out << QStringLiteral("audit: %1 %2 is in the changes log but not in the table")
                       .arg(table, spelling.value(it.key()));
            continue;
        }
        for (auto v = it->cbegin(); v != it->cend(); ++v) {
            const QString& now = current->at(columns.indexOf(v.key()));
            if (now != v.value())
                out << QStringLiteral("audit: %1 %2: the changes log says %3 '%4', the table "
                                      "holds '%5'")
                           .arg(table, spelling.value(it.key()), v.key(), v.value(), now);
        }
    }
}

void AuditConsistency::checkAccess(QStringList& out) const
{
    QHash<QString, QStringList> last;
    for (const QStringList& row : SqliteRows::of(
             m_db, QStringLiteral("SELECT RecordKey, Details FROM main.tbTALOAuditLog WHERE "
                                  "TableName = 'tbPasswordAppAccess' AND Action = 'ACCESS' "
                                  "ORDER BY AuditID")))
        last.insert(row.at(0).toCaseFolded(), row);
    if (last.isEmpty())
        return;
    QSet<QString> holding;
    for (const QStringList& row : SqliteRows::of(
             m_db, QStringLiteral("SELECT EmployeeID FROM main.tbPasswordAppAccess WHERE "
                                  "AppCode = 'TALO'")))
        holding.insert(row.at(0).toCaseFolded());
    for (auto it = last.cbegin(); it != last.cend(); ++it) {
        const bool granted = it->at(1) == QLatin1String("TALO granted");
        const bool holds = holding.contains(it.key());
        if (granted != holds)
            out << QStringLiteral("audit: access of %1: the changes log says %2, the table %3")
                       .arg(it->at(0),
                            granted ? QStringLiteral("granted") : QStringLiteral("withdrawn"),
                            holds ? QStringLiteral("grants it")
                                  : QStringLiteral("does not grant it"));
    }
}
