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
#include <QTemporaryDir>

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
    const bool placed = QFileInfo::exists(files.store());
    if (placed && (QFileInfo::exists(files.unfinishedUpgrade()) || settingAsideStopped())) {
        finish({});
        return;
    }
    if (!placed) {
        build(false);
        return;
    }
    // A talodesk.db the upgrade did not make: the old files were brought into a folder
    // that already holds a store. Only one that holds nothing of its own gives way.
    const QString kept = storeRows();
    if (!kept.isEmpty())
        throw DbError(ServerErrors::StoreVersion,
                      QStringLiteral("The folder %1 holds two stores: %2 (%3) and the four "
                                     "files of an earlier version (%4). Move one of them to "
                                     "another folder, then start again.")
                              .arg(m_folder, files.store(), kept,
                                   files.legacyFiles().join(QLatin1String(", "))) +
                          nothingChanged(m_folder));
    build(true);
}

void FourFileUpgrade::build(bool replacingEmptyStore)
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
        // A build stopped in its commit leaves the commit's super-journal: once the old
        // files are open (any journal of theirs played back), it names nothing alive.
        const QFileInfo partial(files.partial());
        for (const QString& stale : QDir(m_folder).entryList(
                 {partial.fileName() + QLatin1String("-mj*")}, QDir::Files | QDir::Hidden))
            StoreFiles::remove(files.path(stale));
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
        // Logs under the store's name belong to no file this upgrade made: the new file
        // must not be read through them. An empty store that gives way goes only now, so
        // that an upgrade that fails leaves the folder as it was, its logs first, and
        // before the mark, which must never stand beside a store not the upgrade's.
        for (const char* log : {"-wal", "-shm", "-journal"})
            StoreFiles::remove(files.store() + QLatin1String(log));
        if (replacingEmptyStore)
            StoreFiles::remove(files.store());
        StoreFiles::flush(m_folder);
        // From here a talodesk.db in the folder is this upgrade's: a start after a stop
        // finishes setting the old files aside.
        StoreFiles::writeDurably(files.unfinishedUpgrade(),
                                 "The one file was built from the old files; they are being set "
                                 "aside.\n");
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
        finish(stamps);
    } catch (const DbError& error) {
        if (placed)
            throw DbError(error.number(),
                          QStringLiteral("The store in %1 is one file now (%2), but the old "
                                         "files could not be set aside: %3")
                              .arg(m_folder, files.store(), error.message()));
        QFile::remove(files.partial());
        QFile::remove(files.partial() + QLatin1String("-journal"));
        QFile::remove(files.unfinishedUpgrade());
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
    // Table name (folded) to the old file it was copied from: one table in two files
    // would have its first copy replaced by the second.
    QHash<QString, QString> copiedFrom;
    for (const auto& database : EmbeddedStore::databases()) {
        const QString from = alias(database);
        const Recordset tables = building.runScript(
            QStringLiteral("SELECT name, sql FROM %1.sqlite_master WHERE type = 'table' AND name "
                           "NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name")
                .arg(from));
        for (const Recordset::Row& table : tables.rows()) {
            const QString folded = table.value(0).toCaseFolded();
            if (const auto first = copiedFrom.constFind(folded); first != copiedFrom.cend())
                throw DbError(ServerErrors::StoreVersion,
                              QStringLiteral("The store in %1 cannot be turned into one file: "
                                             "the table %2 and the table %3 of %4 would be one "
                                             "table there. Rename one of them (or move its "
                                             "rows into the other) with a program of the "
                                             "earlier version, then start again.")
                                      .arg(m_folder, *first, table.value(0), database.file) +
                                  nothingChanged(m_folder));
            copiedFrom.insert(folded,
                              QStringLiteral("%1 of %2").arg(table.value(0), database.file));
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
        // A file's log goes with it (a rollback journal belongs to the file of its name),
        // and before it: a start after a stop in between finds the file still to move.
        for (const char* log : {"-wal", "-journal"}) {
            if (QFileInfo::exists(old + QLatin1String(log)))
                StoreFiles::rename(old + QLatin1String(log), kept + QLatin1String(log));
        }
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

void FourFileUpgrade::finish(const OldFileStamps& stamps)
{
    const StoreFiles files(m_folder);
    setOldFilesAside(stamps);
    StoreFiles::remove(files.unfinishedUpgrade());
    StoreFiles::flush(m_folder);
}

bool FourFileUpgrade::settingAsideStopped() const
{
    // An upgrade of an earlier build, stopped between two renames, left no marker: some
    // old files are kept already, the others still live.
    const StoreFiles files(m_folder);
    int live = 0;
    for (const auto& database : EmbeddedStore::databases()) {
        if (QFileInfo::exists(files.legacy(database.file)))
            ++live;
        else if (!QFileInfo::exists(files.keptLegacy(database.file)))
            return false;
    }
    return live < EmbeddedStore::databases().size();
}

QString FourFileUpgrade::storeRows() const
{
    // What a store holds of its own: the rows a newly made store does not have (the
    // seed rows of the schema steps are no one's data).
    const StoreFiles files(m_folder);
    QTemporaryDir scratch;
    if (!scratch.isValid())
        throw DbError(
            ServerErrors::Maintenance,
            QStringLiteral("Cannot make a temporary folder: %1").arg(scratch.errorString()));
    EmbeddedStore made(scratch.path());
    QString path = files.store();
    path.replace(QLatin1Char('\''), QLatin1String("''"));
    made.runScript(QStringLiteral("ATTACH DATABASE '%1' AS present").arg(path));
    QStringList holding;
    try {
        const Recordset tables = made.runScript(QStringLiteral(
            "SELECT p.name, (SELECT count(*) FROM main.sqlite_master m WHERE m.type = 'table' "
            "AND m.name = p.name) FROM present.sqlite_master p WHERE p.type = 'table' AND "
            "p.name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY p.name"));
        for (const Recordset::Row& table : tables.rows()) {
            const QString name = quotedName(table.value(0));
            QString own = QStringLiteral("SELECT count(*) FROM present.%1").arg(name);
            if (table.value(1).toInt() > 0)
                own = QStringLiteral("SELECT count(*) FROM (SELECT * FROM present.%1 EXCEPT "
                                     "SELECT * FROM main.%1)")
                          .arg(name);
            qint64 rows = 0;
            try {
                rows = made.runScript(own).value(0, 0).toLongLong();
            } catch (const DbError&) {
                // Columns that differ from a new store's: every row is the store's own.
                rows = made.runScript(QStringLiteral("SELECT count(*) FROM present.%1").arg(name))
                           .value(0, 0)
                           .toLongLong();
            }
            if (rows > 0)
                holding << QStringLiteral("%1 rows in %2").arg(rows).arg(table.value(0));
        }
    } catch (...) {
        made.runScript(QStringLiteral("DETACH DATABASE present"));
        throw;
    }
    made.runScript(QStringLiteral("DETACH DATABASE present"));
    return holding.join(QLatin1String(", "));
}
