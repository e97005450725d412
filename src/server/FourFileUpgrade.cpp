#include "FourFileUpgrade.h"

#include "EmbeddedStore.h"
#include "SchemaMigrator.h"
#include "ServerErrors.h"
#include "StoreFiles.h"
#include "data/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <QLockFile>
#include <QStringList>

#include <optional>

namespace {

QString alias(const EmbeddedStore::Database& database)
{
    return QStringLiteral("old_") + database.name.toLower();
}

QString quotedName(QString name)
{
    return QLatin1Char('"') + name.replace(QLatin1Char('"'), QLatin1String("\"\"")) +
           QLatin1Char('"');
}

QString nothingChanged(const QString& folder)
{
    return QStringLiteral(" Nothing was changed: the four files in %1 are still the store.")
        .arg(folder);
}

} // namespace

FourFileUpgrade::FourFileUpgrade(const QString& folder) : m_folder(QDir(folder).absolutePath()) {}

void FourFileUpgrade::run()
{
    const StoreFiles files(m_folder);
    // Two programs of this version may open the old store at once: one builds, the
    // other waits and then finds the new file. A lock left by a stopped program is
    // taken over (its process is gone).
    QLockFile lock(files.store() + QLatin1String(".upgrade-lock"));
    if (!lock.tryLock(60000))
        throw DbError(ServerErrors::StoreVersion,
                      QStringLiteral("The store in %1 is being turned into one file by another "
                                     "program; start again in a minute.")
                          .arg(m_folder));
    if (!QFileInfo::exists(files.store()))
        build();
    else
        setOldFilesAside({});
}

void FourFileUpgrade::build()
{
    const StoreFiles files(m_folder);
    for (const auto& database : EmbeddedStore::databases()) {
        if (!QFileInfo::exists(files.legacy(database.file)))
            throw DbError(ServerErrors::StoreVersion,
                          QStringLiteral("The store in %1 cannot be turned into one file: %2 is "
                                         "missing.")
                                  .arg(m_folder, database.file) +
                              nothingChanged(m_folder));
    }
    StoreFiles::remove(files.partial());
    StoreFiles::remove(files.partial() + QLatin1String("-journal"));
    bool placed = false;
    try {
        std::optional<EmbeddedStore> open(std::in_place, EmbeddedStore::Building{files.partial()});
        EmbeddedStore& building = *open;
        lockOldFiles(building);
        SchemaMigrator::Versions versions;
        for (const auto& database : EmbeddedStore::databases())
            versions.insert(
                database.name,
                building.runScript(QStringLiteral("PRAGMA %1.user_version").arg(alias(database)))
                    .value(0, 0)
                    .toInt());
        if (const QString newer = SchemaMigrator::newerThanKnown(versions); !newer.isEmpty())
            throw DbError(ServerErrors::StoreVersion, newer + nothingChanged(m_folder));
        building.transaction(EmbeddedStore::Access::Write, [&] {
            SchemaMigrator(building).migrateTo(versions);
            copyRows(building);
        });
        StoreFiles::flush(files.partial());
        OldFileStamps stamps;
#ifdef Q_OS_WIN
        // Windows renames no file that is open, so the new file and the old ones are
        // closed first. A program of the earlier version that opened an old file in the
        // moment before it is set aside is caught by the stamps compared there.
        open.reset();
        stamps = oldFileStamps();
#endif
        // The new file is complete: from this rename on it is the store. Elsewhere the
        // old files are still locked, so no program of the earlier version writes to
        // them in between.
        StoreFiles::rename(files.partial(), files.store());
        placed = true;
        StoreFiles::flush(m_folder);
        setOldFilesAside(stamps);
    } catch (const DbError& error) {
        if (placed)
            throw DbError(error.number(),
                          QStringLiteral("The store in %1 is one file now (%2), but the old "
                                         "files could not be set aside: %3")
                              .arg(m_folder, files.store(), error.message()));
        QFile::remove(files.partial());
        QFile::remove(files.partial() + QLatin1String("-journal"));
        if (error.message().contains(QLatin1String("Nothing was changed")))
            throw;
        throw DbError(error.number(),
                      QStringLiteral("The store in %1 could not be turned into one file: %2")
                              .arg(m_folder, error.message()) +
                          nothingChanged(m_folder));
    }
}

void FourFileUpgrade::lockOldFiles(EmbeddedStore& building)
{
    const StoreFiles files(m_folder);
    for (const auto& database : EmbeddedStore::databases()) {
        QString path = files.legacy(database.file);
        path.replace(QLatin1Char('\''), QLatin1String("''"));
        building.runScript(QStringLiteral("ATTACH DATABASE '%1' AS %2").arg(path, alias(database)));
        building.runScript(
            QStringLiteral("PRAGMA %1.locking_mode = EXCLUSIVE").arg(alias(database)));
        // Out of WAL mode the old file holds all its rows itself, and is kept so; this
        // needs every other connection to it closed.
        QString mode;
        try {
            mode = building
                       .runScript(
                           QStringLiteral("PRAGMA %1.journal_mode = DELETE").arg(alias(database)))
                       .value(0, 0);
        } catch (const DbError&) {
        }
        if (mode.compare(QLatin1String("delete"), Qt::CaseInsensitive) != 0)
            throw DbError(ServerErrors::StoreVersion,
                          QStringLiteral("The store in %1 is in use by a program of an earlier "
                                         "version (%2 is open): close Talodesk on every "
                                         "counter, then start again.")
                                  .arg(m_folder, database.file) +
                              nothingChanged(m_folder));
    }
    // Exclusive locks on every old file, held until the old files are set aside.
    building.runScript(QStringLiteral("BEGIN EXCLUSIVE; COMMIT;"));
}

void FourFileUpgrade::copyRows(EmbeddedStore& building)
{
    QStringList differences;
    for (const auto& database : EmbeddedStore::databases()) {
        const QString from = alias(database);
        const Recordset tables = building.runScript(
            QStringLiteral("SELECT name, sql FROM %1.sqlite_master WHERE type = 'table' AND name "
                           "NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name")
                .arg(from));
        for (const Recordset::Row& table : tables.rows()) {
            const QString name = quotedName(table.value(0));
            const bool known =
                building
                    .runScript(QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE "
                                              "type = 'table' AND name = :t COLLATE NOCASE"),
                               {{QStringLiteral("t"), table.value(0)}})
                    .value(0, 0)
                    .toInt() > 0;
            // A table the site added itself comes along as it was declared.
            if (!known)
                building.runScript(table.value(1));
            QStringList columns;
            const Recordset info =
                building.runScript(QStringLiteral("PRAGMA %1.table_info(%2)").arg(from, name));
            for (const Recordset::Row& column : info.rows())
                columns << quotedName(column.value(1));
            const QString list = columns.join(QLatin1String(", "));
            // The seed rows of the steps give way to the rows the store holds.
            building.runScript(QStringLiteral("DELETE FROM main.%1").arg(name));
            building.runScript(QStringLiteral("INSERT INTO main.%1(%2) SELECT %2 FROM %3.%1")
                                   .arg(name, list, from));
            const int before =
                building.runScript(QStringLiteral("SELECT count(*) FROM %1.%2").arg(from, name))
                    .value(0, 0)
                    .toInt();
            const int after =
                building.runScript(QStringLiteral("SELECT count(*) FROM main.%1").arg(name))
                    .value(0, 0)
                    .toInt();
            if (before != after)
                differences << QStringLiteral("%1 of %2: %3 rows, %4 copied")
                                   .arg(table.value(0), database.file)
                                   .arg(before)
                                   .arg(after);
        }
        const bool numbered =
            building
                .runScript(QStringLiteral("SELECT count(*) FROM %1.sqlite_master WHERE name = "
                                          "'sqlite_sequence'")
                               .arg(from))
                .value(0, 0)
                .toInt() > 0;
        // The next transaction numbers go on from where the old file left them.
        if (numbered)
            building.runScript(
                QStringLiteral("DELETE FROM main.sqlite_sequence WHERE name IN (SELECT name FROM "
                               "%1.sqlite_sequence); INSERT INTO main.sqlite_sequence(name, seq) "
                               "SELECT name, seq FROM %1.sqlite_sequence;")
                    .arg(from));
    }
    if (!differences.isEmpty())
        throw DbError(ServerErrors::StoreVersion,
                      QStringLiteral("The rows copied do not match the old files (%1).")
                          .arg(differences.join(QLatin1String("; "))));
}

FourFileUpgrade::OldFileStamps FourFileUpgrade::oldFileStamps() const
{
    const StoreFiles files(m_folder);
    OldFileStamps stamps;
    for (const auto& database : EmbeddedStore::databases()) {
        const QFileInfo old(files.legacy(database.file));
        stamps.insert(database.file, {old.size(), old.lastModified()});
    }
    return stamps;
}

void FourFileUpgrade::setOldFilesAside(const OldFileStamps& stamps)
{
    const StoreFiles files(m_folder);
    QStringList written;
    for (const auto& database : EmbeddedStore::databases()) {
        const QString old = files.legacy(database.file);
        if (!QFileInfo::exists(old))
            continue;
        // Never over an earlier kept copy.
        QString kept = files.keptLegacy(database.file);
        for (int n = 2; QFileInfo::exists(kept); ++n)
            kept = files.keptLegacy(database.file) + QLatin1Char('.') + QString::number(n);
        if (QFileInfo::exists(old + QLatin1String("-wal")))
            StoreFiles::rename(old + QLatin1String("-wal"), kept + QLatin1String("-wal"));
        StoreFiles::rename(old, kept);
        QFile::remove(old + QLatin1String("-shm"));
        if (const auto stamp = stamps.constFind(database.file); stamp != stamps.cend()) {
            const QFileInfo now(kept);
            if (now.size() != stamp->first || now.lastModified() != stamp->second ||
                QFileInfo::exists(kept + QLatin1String("-wal")))
                written << kept;
        }
    }
    StoreFiles::flush(m_folder);
    if (!written.isEmpty())
        throw DbError(ServerErrors::StoreVersion,
                      QStringLiteral("A program of an earlier version wrote to the old store "
                                     "while it was turned into one file: what it wrote is only "
                                     "in %1. Close Talodesk on every counter and copy those "
                                     "rows into the store by hand.")
                          .arg(written.join(QLatin1String(", "))));
}
