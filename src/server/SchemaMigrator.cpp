#include "SchemaMigrator.h"

#include "EmbeddedStore.h"
#include "ServerErrors.h"
#include "data/DbError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>

const char* const SchemaMigrator::VersionTable = "talo_schema_version";

namespace {

QString readResource(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DbError(ServerErrors::StoreVersion,
                      QStringLiteral("The schema step %1 is missing.").arg(path));
    return QString::fromUtf8(file.readAll());
}

} // namespace

QList<SchemaMigrator::Step> SchemaMigrator::steps()
{
    static const QRegularExpression name(QStringLiteral("^(\\d+)_(\\w+)\\.sql$"));
    QList<Step> out;
    const QDir dir(QStringLiteral(":/server/schema"));
    for (const QString& file : dir.entryList(QDir::Files)) {
        const auto match = name.match(file);
        if (!match.hasMatch())
            continue;
        for (const auto& database : EmbeddedStore::databases()) {
            if (database.name.compare(match.captured(2), Qt::CaseInsensitive) == 0)
                out.append({match.captured(1).toInt(), database.name, dir.filePath(file)});
        }
    }
    std::sort(out.begin(), out.end(),
              [](const Step& a, const Step& b) { return a.version < b.version; });
    return out;
}

int SchemaMigrator::latestVersion(const QString& database)
{
    int latest = 0;
    for (const Step& step : steps()) {
        if (step.database == database)
            latest = std::max(latest, step.version);
    }
    return latest;
}

SchemaMigrator::Versions SchemaMigrator::latestVersions()
{
    Versions out;
    for (const auto& database : EmbeddedStore::databases())
        out.insert(database.name, latestVersion(database.name));
    return out;
}

const QList<SchemaMigrator::Table>& SchemaMigrator::tables()
{
    static const QList<Table> list = [] {
        static const QRegularExpression create(
            QStringLiteral("CREATE\\s+TABLE\\s+(?:IF\\s+NOT\\s+EXISTS\\s+)?(\\w+)\\.(\\w+)"),
            QRegularExpression::CaseInsensitiveOption);
        QList<Table> out;
        for (const Step& step : steps()) {
            auto it = create.globalMatch(readResource(step.resource));
            while (it.hasNext()) {
                const auto match = it.next();
                out.append({step.database, match.captured(2), step.version});
            }
        }
        return out;
    }();
    return list;
}

SchemaMigrator::Versions SchemaMigrator::recordedVersions(EmbeddedStore& store)
{
    Versions out;
    const Recordset exists =
        store.runScript(QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE name = '%1'")
                            .arg(QLatin1String(VersionTable)));
    if (exists.value(0, 0).toInt() == 0)
        return out;
    const Recordset rows =
        store.runScript(QStringLiteral("SELECT DatabaseName, Version FROM main.%1")
                            .arg(QLatin1String(VersionTable)));
    for (const Recordset::Row& row : rows.rows())
        out.insert(row.value(0), row.value(1).toInt());
    return out;
}

QString SchemaMigrator::newerThanKnown(const Versions& recorded)
{
    for (const auto& database : EmbeddedStore::databases()) {
        const int current = recorded.value(database.name);
        const int latest = latestVersion(database.name);
        if (current > latest)
            return QStringLiteral("The %1 database was written by a newer version of the "
                                  "program (schema %2, this program knows %3).")
                .arg(database.name)
                .arg(current)
                .arg(latest);
    }
    return {};
}

void SchemaMigrator::migrate()
{
    // Every counter opens the store; most opens find it current. Asking first, under a
    // read, keeps an open from queueing behind another counter's save for the write lock.
    const Versions latest = latestVersions();
    Versions recorded;
    m_store.transaction(EmbeddedStore::Access::Read, [&] { recorded = recordedVersions(m_store); });
    if (const QString newer = newerThanKnown(recorded); !newer.isEmpty())
        throw DbError(ServerErrors::StoreVersion, newer);
    if (recorded == latest)
        return;
    migrateTo(latest);
}

void SchemaMigrator::migrateTo(const Versions& targets)
{
    const QList<Step> all = steps();
    m_store.transaction(EmbeddedStore::Access::Write, [&] {
        m_store.runScript(QStringLiteral("CREATE TABLE IF NOT EXISTS main.%1 (DatabaseName TEXT "
                                         "PRIMARY KEY NOT NULL, Version INTEGER NOT NULL)")
                              .arg(QLatin1String(VersionTable)));
        // Marks the file as this program's store, so that a check tells it from any
        // other SQLite file.
        m_store.runScript(
            QStringLiteral("PRAGMA main.application_id = %1").arg(EmbeddedStore::ApplicationId));
        // Read again under the write lock: another program may have migrated meanwhile.
        const Versions recorded = recordedVersions(m_store);
        if (const QString newer = newerThanKnown(recorded); !newer.isEmpty())
            throw DbError(ServerErrors::StoreVersion, newer);
        for (const auto& database : EmbeddedStore::databases()) {
            const int current = recorded.value(database.name);
            const int target = targets.value(database.name, current);
            if (target <= current)
                continue;
            for (const Step& step : all) {
                if (step.database == database.name && step.version > current &&
                    step.version <= target)
                    m_store.runScript(readResource(step.resource));
            }
            m_store.runScript(
                QStringLiteral("INSERT OR REPLACE INTO main.%1(DatabaseName, Version) "
                               "VALUES(:d, %2)")
                    .arg(QLatin1String(VersionTable))
                    .arg(target),
                {{QStringLiteral("d"), database.name}});
        }
    });
}
