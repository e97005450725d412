#include "BackupMarker.h"

#include "EmbeddedStore.h"
#include "SqliteRows.h"
#include "data/DbError.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringList>
#include <sqlite3.h>

namespace {

// What a complete marker says first, in either format.
const char* const Heading = "Talodesk store backup: complete";
// The first format's last line. That format put one "kind value" on a line, which a table
// name holding a blank or a line break does not survive; it is still read, so that every
// backup taken with it restores.
const char* const LastLine = "end";

std::optional<BackupMarker> fromLines(const QString& text)
{
    const QStringList lines = text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    if (lines.size() < 2 || lines.first() != QLatin1String(Heading) ||
        lines.last() != QLatin1String(LastLine))
        return std::nullopt;
    BackupMarker marker;
    for (const QString& line : lines.mid(1, lines.size() - 2)) {
        const QString kind = line.section(QLatin1Char(' '), 0, 0);
        const QString rest = line.section(QLatin1Char(' '), 1);
        // The number is the last word: a name before it may hold blanks.
        const QString name = rest.section(QLatin1Char(' '), 0, -2);
        const QString number = rest.section(QLatin1Char(' '), -1);
        if (kind == QLatin1String("program"))
            marker.program = rest;
        else if (kind == QLatin1String("taken"))
            marker.taken = QDateTime::fromString(rest, Qt::ISODate);
        else if (kind == QLatin1String("schema"))
            marker.versions.insert(name, number.toInt());
        else if (kind == QLatin1String("rows"))
            marker.rows.append({name, number.toLongLong()});
    }
    return marker;
}

// The marker since: a JSON object, which keeps a table name whatever it holds.
std::optional<BackupMarker> fromJson(const QByteArray& data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    const QJsonObject object = document.object();
    if (error.error != QJsonParseError::NoError || !document.isObject() ||
        object.value(QLatin1String("marker")).toString() != QLatin1String(Heading) ||
        !object.value(QLatin1String("rows")).isArray())
        return std::nullopt;
    BackupMarker marker;
    marker.program = object.value(QLatin1String("program")).toString();
    marker.taken =
        QDateTime::fromString(object.value(QLatin1String("taken")).toString(), Qt::ISODate);
    const QJsonObject schema = object.value(QLatin1String("schema")).toObject();
    for (auto it = schema.constBegin(); it != schema.constEnd(); ++it)
        marker.versions.insert(it.key(), it.value().toInt());
    for (const QJsonValue& table : object.value(QLatin1String("rows")).toArray()) {
        const QJsonArray pair = table.toArray();
        if (pair.size() != 2 || !pair.at(0).isString() || !pair.at(1).isDouble())
            return std::nullopt;
        marker.rows.append({pair.at(0).toString(), qint64(pair.at(1).toDouble())});
    }
    return marker;
}

} // namespace

QString BackupMarker::text() const
{
    QJsonObject schema;
    for (const auto& database : EmbeddedStore::databases())
        schema.insert(database.name, versions.value(database.name));
    QJsonArray counts;
    for (const auto& [table, count] : rows)
        counts.append(QJsonArray{table, count});
    const QJsonObject object{{QLatin1String("marker"), QLatin1String(Heading)},
                             {QLatin1String("program"), program},
                             {QLatin1String("taken"), taken.toUTC().toString(Qt::ISODate)},
                             {QLatin1String("schema"), schema},
                             {QLatin1String("rows"), counts}};
    return QString::fromUtf8(QJsonDocument(object).toJson(QJsonDocument::Indented));
}

std::optional<BackupMarker> BackupMarker::read(const QString& path, QString* fault)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *fault = QStringLiteral("%1 is missing: the backup was not completed").arg(path);
        return std::nullopt;
    }
    const QByteArray data = file.readAll();
    auto marker =
        data.trimmed().startsWith('{') ? fromJson(data) : fromLines(QString::fromUtf8(data));
    if (!marker)
        *fault = QStringLiteral("%1 is not a complete backup marker").arg(path);
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
