#include "BackupMarker.h"

#include "EmbeddedStore.h"
#include "SqliteRows.h"
#include "data/DbError.h"

#include <QFile>
#include <QStringList>
#include <sqlite3.h>

namespace {

const char* const FirstLine = "Talodesk store backup: complete";
const char* const LastLine = "end";

} // namespace

QString BackupMarker::text() const
{
    QStringList lines;
    lines << QLatin1String(FirstLine) << QStringLiteral("program %1").arg(program)
          << QStringLiteral("taken %1").arg(taken.toUTC().toString(Qt::ISODate));
    for (const auto& database : EmbeddedStore::databases())
        lines
            << QStringLiteral("schema %1 %2").arg(database.name).arg(versions.value(database.name));
    for (const auto& [table, count] : rows)
        lines << QStringLiteral("rows %1 %2").arg(table).arg(count);
    lines << QLatin1String(LastLine);
    return lines.join(QLatin1Char('\n')) + QLatin1Char('\n');
}

std::optional<BackupMarker> BackupMarker::read(const QString& path, QString* fault)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *fault = QStringLiteral("%1 is missing: the backup was not completed").arg(path);
        return std::nullopt;
    }
    const QStringList lines =
        QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() < 2 || lines.first() != QLatin1String(FirstLine) ||
        lines.last() != QLatin1String(LastLine)) {
        *fault = QStringLiteral("%1 is not a complete backup marker").arg(path);
        return std::nullopt;
    }
    BackupMarker marker;
    for (const QString& line : lines.mid(1, lines.size() - 2)) {
        const QString kind = line.section(QLatin1Char(' '), 0, 0);
        const QString rest = line.section(QLatin1Char(' '), 1);
        if (kind == QLatin1String("program"))
            marker.program = rest;
        else if (kind == QLatin1String("taken"))
            marker.taken = QDateTime::fromString(rest, Qt::ISODate);
        else if (kind == QLatin1String("schema"))
            marker.versions.insert(rest.section(QLatin1Char(' '), 0, 0),
                                   rest.section(QLatin1Char(' '), 1).toInt());
        else if (kind == QLatin1String("rows"))
            marker.rows.append({rest.section(QLatin1Char(' '), 0, 0),
                                rest.section(QLatin1Char(' '), 1).toLongLong()});
    }
    return marker;
}

BackupMarker::Counts BackupMarker::count(sqlite3* db)
{
    Counts out;
    for (const QStringList& table : SqliteRows::of(
             db, QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table' AND "
                                "name NOT LIKE 'sqlite%' ORDER BY name"))) {
        const QString name = table.value(0);
        out.append({name, SqliteRows::of(db, QStringLiteral("SELECT count(*) FROM main.\"%1\"")
                                                 .arg(QString(name).replace(QLatin1Char('"'),
                                                                            QLatin1String("\"\""))))
                              .value(0)
                              .value(0)
                              .toLongLong()});
    }
    return out;
}

SchemaMigrator::Versions BackupMarker::versionsOf(sqlite3* db)
{
    SchemaMigrator::Versions out;
    for (const QStringList& row :
         SqliteRows::of(db, QStringLiteral("SELECT DatabaseName, Version FROM main.%1")
                                .arg(QLatin1String(SchemaMigrator::VersionTable))))
        out.insert(row.value(0), row.value(1).toInt());
    return out;
}
