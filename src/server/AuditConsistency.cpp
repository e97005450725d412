#include "AuditConsistency.h"

#include "SqliteRows.h"
#include "data/DbError.h"

#include <QHash>
#include <QSet>
#include <sqlite3.h>

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
    checkValues(QStringLiteral("tbcoMealType"), QStringLiteral("Code"),
                {QStringLiteral("Description"), QStringLiteral("Status")}, out);
    checkValues(QStringLiteral("tbcoMeal"), QStringLiteral("Code"),
                {QStringLiteral("Description"), QStringLiteral("Cost"), QStringLiteral("MealType"),
                 QStringLiteral("Status")},
                out);
    checkAccess(out);
    if (out.size() > limit) {
        const qsizetype more = out.size() - limit;
        out.resize(limit);
        out << QStringLiteral("audit: %1 more faults like these").arg(more);
    }
    return out;
}

QList<QStringList> AuditConsistency::lastValues(const QString& table, const QString& action,
                                                const QStringList& columns) const
{
    // The last value each change gave a field, read from the fields each audit row
    // records (rows written before the log recorded them are left out): one row per
    // record key, then a value per column ('' for a JSON null, as the table's NULL reads),
    // "\x01" where no change gave that field a value.
    QStringList picks;
    for (const QString& column : columns)
        picks << QStringLiteral(
                     "coalesce((SELECT coalesce(json_extract(b.Fields, '$.\"%1\".new'), '') FROM "
                     "main.tbTALOAuditLog b WHERE b.TableName = '%2' AND b.RecordKey = "
                     "a.RecordKey AND %3 AND json_type(b.Fields, '$.\"%1\".new') IS NOT NULL "
                     "ORDER BY b.AuditID DESC LIMIT 1), char(1))")
                     .arg(column, table, action.arg(QLatin1String("b")));
    return SqliteRows::of(
        m_db, QStringLiteral("SELECT a.RecordKey, %1 FROM (SELECT DISTINCT "
                             "RecordKey FROM main.tbTALOAuditLog a WHERE "
                             "TableName = '%2' AND %3 AND json_valid(Fields) "
                             "AND Fields <> '') a")
                  .arg(picks.join(QLatin1String(", ")), table, action.arg(QLatin1String("a"))));
}

void AuditConsistency::checkValues(const QString& table, const QString& key,
                                   const QStringList& columns, QStringList& out) const
{
    const QList<QStringList> logged =
        lastValues(table, QStringLiteral("%1.Action IN ('INSERT', 'UPDATE')"), columns);
    if (logged.isEmpty())
        return;
    QHash<QString, QStringList> held;
    for (const QStringList& row :
         SqliteRows::of(m_db, QStringLiteral("SELECT %1, %2 FROM main.%3")
                                  .arg(key, columns.join(QLatin1String(", ")), table)))
        held.insert(row.at(0).toCaseFolded(), row.mid(1));
    for (const QStringList& record : logged) {
        const auto current = held.constFind(record.at(0).toCaseFolded());
        if (current == held.cend()) {
            out << QStringLiteral("audit: %1 %2 is in the changes log but not in the table")
                       .arg(table, record.at(0));
            continue;
        }
        for (qsizetype c = 0; c < columns.size(); ++c) {
            const QString& said = record.at(c + 1);
            const QString& now = current->at(c);
            if (said != QStringLiteral("\x01") && now != said)
                out << QStringLiteral("audit: %1 %2: the changes log says %3 '%4', the table "
                                      "holds '%5'")
                           .arg(table, record.at(0), columns.at(c), said, now);
        }
    }
}

void AuditConsistency::checkAccess(QStringList& out) const
{
    const QList<QStringList> logged =
        lastValues(QStringLiteral("tbPasswordAppAccess"), QStringLiteral("%1.Action = 'ACCESS'"),
                   {QStringLiteral("TALO")});
    if (logged.isEmpty())
        return;
    QSet<QString> holding;
    for (const QStringList& row : SqliteRows::of(
             m_db, QStringLiteral("SELECT EmployeeID FROM main.tbPasswordAppAccess WHERE "
                                  "AppCode = 'TALO'")))
        holding.insert(row.at(0).toCaseFolded());
    for (const QStringList& record : logged) {
        if (record.at(1) == QStringLiteral("\x01"))
            continue;
        const bool granted = record.at(1) == QLatin1String("1");
        const bool holds = holding.contains(record.at(0).toCaseFolded());
        if (granted != holds)
            out << QStringLiteral("audit: access of %1: the changes log says %2, the table %3")
                       .arg(record.at(0),
                            granted ? QStringLiteral("granted") : QStringLiteral("withdrawn"),
                            holds ? QStringLiteral("grants it")
                                  : QStringLiteral("does not grant it"));
    }
}
