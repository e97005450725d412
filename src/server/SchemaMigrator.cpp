#include "SchemaMigrator.h"

#include "EmbeddedStore.h"
#include "ServerErrors.h"
#include "data/DbError.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <algorithm>

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

bool SchemaMigrator::isCurrent()
{
    for (const auto& database : EmbeddedStore::databases()) {
        if (m_store.userVersion(database.name) != latestVersion(database.name))
            return false;
    }
    return true;
}

void SchemaMigrator::migrate()
{
    // Every counter opens the store; most opens find it current. Asking first, under a
    // read, keeps an open from queueing behind another counter's save for the write lock.
    bool current = false;
    m_store.transaction(EmbeddedStore::Access::Read, [&] { current = isCurrent(); });
    if (current)
        return;
    const QList<Step> all = steps();
    m_store.transaction(EmbeddedStore::Access::Write, [&] {
        for (const auto& database : EmbeddedStore::databases()) {
            const int current = m_store.userVersion(database.name);
            const int latest = latestVersion(database.name);
            if (current > latest)
                throw DbError(ServerErrors::StoreVersion,
                              QStringLiteral("The %1 database was written by a newer version "
                                             "of the program (schema %2, this program knows %3).")
                                  .arg(database.name)
                                  .arg(current)
                                  .arg(latest));
            if (current == latest)
                continue;
            for (const Step& step : all) {
                if (step.database != database.name || step.version <= current)
                    continue;
                m_store.runScript(readResource(step.resource));
            }
            m_store.runScript(
                QStringLiteral("PRAGMA %1.user_version = %2").arg(database.name).arg(latest));
        }
    });
}
