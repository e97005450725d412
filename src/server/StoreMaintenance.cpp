#include "StoreMaintenance.h"

#include "AuditConsistency.h"
#include "BackupMarker.h"
#include "EmbeddedStore.h"
#include "SchemaMigrator.h"
#include "ServerErrors.h"
#include "SqlFunctions.h"
#include "SqliteRows.h"
#include "StoreFiles.h"
#include "data/DbError.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <memory>
#include <sqlite3.h>

namespace {

struct CloseDb
{
    void operator()(sqlite3* db) const { sqlite3_close_v2(db); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;

DbError errorOf(sqlite3* db, int rc)
{
    return DbError(sqlite3_extended_errcode(db) ? sqlite3_extended_errcode(db) : rc,
                   QString::fromUtf8(sqlite3_errmsg(db)));
}

// A connection with the store's collation and functions (its indexes need them).
Db openFile(const QString& path, int flags)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(StoreFiles::sqliteName(path).constData(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK)
        throw DbError(rc,
                      QStringLiteral("%1: %2").arg(path, QString::fromUtf8(sqlite3_errstr(rc))));
    sqlite3_extended_result_codes(raw, 1);
    static SqlFunctions functions;
    functions.registerOn(raw);
    return db;
}

// Opens a store file so that nothing is written, not even a log or its index: while a
// program has the store open its log is read through the shared index; when there is no
// log, the file is all there is and is read as it is (so a copy in a read-only folder
// or on a read-only medium can be checked too).
Db openForReading(const QString& path)
{
    const bool logged = QFileInfo::exists(path + QLatin1String("-wal"));
    QUrl url = QUrl::fromLocalFile(path);
    url.setQuery(logged ? QStringLiteral("mode=ro") : QStringLiteral("mode=ro&immutable=1"));
    return openFile(QString::fromUtf8(url.toEncoded()), SQLITE_OPEN_READONLY | SQLITE_OPEN_URI);
}

void exec(sqlite3* db, const char* sql)
{
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw errorOf(db, rc);
}

// The whole main database of `from` copied over the main database of `to`.
void copy(sqlite3* from, sqlite3* to)
{
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, "main");
    if (!backup)
        throw errorOf(to, sqlite3_errcode(to));
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw errorOf(to, rc);
    // The copy keeps all its rows in itself, with no log beside it.
    exec(to, "PRAGMA journal_mode = DELETE");
}

QString nothingRestored(const QString& folder)
{
    return QStringLiteral("\nNothing was restored: the store in %1 is as it was.").arg(folder);
}

// The faults of a store file that opened: what it is, its schema, its tables, its pages
// and keys. The changes log is no part of it: a log that disagrees with the tables is
// reported on request, and never makes a store or a backup unusable.
QStringList faultsOf(sqlite3* db)
{
    QStringList faults;
    const auto scalar = [&](const QString& sql) {
        return SqliteRows::of(db, sql).value(0).value(0);
    };
    if (scalar(QStringLiteral("PRAGMA application_id")).toInt() != EmbeddedStore::ApplicationId ||
        scalar(QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE name = '%1'")
                   .arg(QLatin1String(SchemaMigrator::VersionTable))) != QLatin1String("1"))
        return {QStringLiteral("not a Talodesk store (an empty file, or a file of another "
                               "program)")};
    const SchemaMigrator::Versions versions = BackupMarker::versionsOf(db);
    if (const QString newer = SchemaMigrator::newerThanKnown(versions); !newer.isEmpty())
        return {newer};
    for (const auto& database : EmbeddedStore::databases()) {
        if (!versions.contains(database.name))
            faults << QStringLiteral("no schema version recorded for %1").arg(database.name);
    }
    for (const SchemaMigrator::Table& table : SchemaMigrator::tables()) {
        if (table.version <= versions.value(table.database) &&
            scalar(QStringLiteral("SELECT count(*) FROM main.sqlite_master WHERE type = 'table' "
                                  "AND name = '%1' COLLATE NOCASE")
                       .arg(table.name)) == QLatin1String("0"))
            faults << QStringLiteral("table %1.%2 is missing").arg(table.database, table.name);
    }
    QStringList integrity;
    for (const QStringList& row : SqliteRows::of(db, QStringLiteral("PRAGMA integrity_check")))
        integrity << row.join(QLatin1Char(' '));
    if (integrity != QStringList{QStringLiteral("ok")})
        faults << integrity;
    for (const QStringList& row : SqliteRows::of(db, QStringLiteral("PRAGMA foreign_key_check")))
        faults << QStringLiteral("foreign key: ") + row.join(QLatin1Char(' '));
    return faults;
}

// A backup's rows and schema against what its marker says it holds.
QStringList faultsAgainst(const BackupMarker& marker, sqlite3* db)
{
    QStringList faults;
    if (BackupMarker::versionsOf(db) != marker.versions)
        faults << QStringLiteral("the schema versions differ from the backup's marker");
    if (BackupMarker::count(db) != marker.rows)
        faults << QStringLiteral("the rows differ from what the backup's marker counts");
    return faults;
}

} // namespace

StoreMaintenance::StoreMaintenance(const QString& folder) : m_folder(QDir(folder).absolutePath()) {}

QStringList StoreMaintenance::check(bool* sound, bool audit) const
{
    const StoreFiles files(m_folder);
    const QString name = QLatin1String(StoreFiles::StoreName);
    if (!QFileInfo::exists(files.store())) {
        if (files.holdsLegacyStore())
            throw DbError(ServerErrors::Maintenance,
                          QStringLiteral("%1 holds a store of an earlier version (four files): "
                                         "open it once with this version of the program, which "
                                         "turns it into one file, then check again.")
                              .arg(m_folder));
        throw DbError(
            ServerErrors::Maintenance,
            QStringLiteral("%1 is missing: %2 holds no complete store.").arg(name, m_folder));
    }
    QStringList faults;
    QStringList notes;
    if (const QString unfinished = files.unfinishedRestore(); !unfinished.isEmpty())
        faults << unfinished;
    if (files.holdsLegacyStore()) {
        QStringList left = files.legacyFiles();
        if (QFileInfo::exists(files.unfinishedUpgrade()))
            left << QFileInfo(files.unfinishedUpgrade()).fileName();
        faults << QStringLiteral("the files of an earlier version's store are beside it (%1): "
                                 "open the store once with this version of the program, which "
                                 "finishes turning them into one file or says why it cannot")
                      .arg(left.join(QLatin1String(", ")));
    }
    if (QFileInfo::exists(files.backupMarker() + QLatin1String(".partial")))
        faults << QStringLiteral("a backup that was stopped before it wrote %1: this is no backup")
                      .arg(QLatin1String(StoreFiles::BackupMarkerName));
    if (QFileInfo::exists(files.store() + QLatin1String("-journal"))) {
        faults << QStringLiteral("a write that did not finish is left in %1-journal: this is "
                                 "not a complete store")
                      .arg(name);
    } else {
        try {
            Db db = openForReading(files.store());
            faults << faultsOf(db.get());
            if (faults.isEmpty() && QFileInfo::exists(files.backupMarker())) {
                QString fault;
                if (const auto marker = BackupMarker::read(files.backupMarker(), &fault))
                    faults << faultsAgainst(*marker, db.get());
                else
                    faults << fault;
            }
            if (audit && faults.isEmpty()) {
                notes = AuditConsistency(db.get()).faults();
                if (notes.isEmpty())
                    notes << QStringLiteral("audit: the changes log agrees with the tables");
            }
        } catch (const DbError& error) {
            faults << QStringLiteral("cannot be read (error %1: %2)")
                          .arg(error.number())
                          .arg(error.message());
        }
    }
    if (sound)
        *sound = faults.isEmpty();
    if (faults.isEmpty())
        faults << QStringLiteral("ok");
    QStringList report;
    for (const QString& line : std::as_const(faults) + std::as_const(notes))
        report << name + QLatin1String(": ") + line;
    return report;
}

void StoreMaintenance::backup(const QString& target) const
{
    const StoreFiles from(m_folder);
    if (!QFileInfo::exists(from.store()) && !from.holdsLegacyStore())
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("%1 holds no store to back up.").arg(m_folder));
    const StoreFiles into(target);
    if (QFileInfo::exists(into.store()) || QFileInfo::exists(into.backupMarker()) ||
        into.holdsLegacyStore())
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("%1 already holds a store: back up into a new folder.")
                          .arg(into.folder()));
    if (!QDir().mkpath(into.folder()))
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("Cannot create the folder %1.").arg(into.folder()));
    const QString markerPartial = into.backupMarker() + QLatin1String(".partial");
    // What an earlier backup into this folder left when it was stopped.
    StoreFiles::remove(into.partial());
    StoreFiles::remove(into.partial() + QLatin1String("-journal"));
    StoreFiles::remove(markerPartial);

    BackupMarker marker;
    marker.program = QCoreApplication::applicationName();
    if (!QCoreApplication::applicationVersion().isEmpty())
        marker.program += QLatin1Char(' ') + QCoreApplication::applicationVersion();
    try {
        EmbeddedStore store(m_folder);
        Db copyDb = openFile(into.partial(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
        // One step: the copy is one moment of the store, whatever the counters write
        // meanwhile (a WAL reader never blocks them).
        marker.taken = QDateTime::currentDateTimeUtc();
        copy(store.handle(), copyDb.get());
        marker.versions = BackupMarker::versionsOf(copyDb.get());
        marker.rows = BackupMarker::count(copyDb.get());
    } catch (...) {
        QFile::remove(into.partial());
        throw;
    }
    QFile::remove(into.partial() + QLatin1String("-shm"));
    StoreFiles::flush(into.partial());
    QFile file(markerPartial);
    if (!file.open(QIODevice::WriteOnly) || file.write(marker.text().toUtf8()) < 0 || !file.flush())
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("Cannot write %1: %2").arg(markerPartial, file.errorString()));
    file.close();
    StoreFiles::flush(markerPartial);
    // The copy first, the marker last: until the marker is there the folder is no backup.
    StoreFiles::rename(into.partial(), into.store());
    StoreFiles::flush(into.folder());
    StoreFiles::rename(markerPartial, into.backupMarker());
    StoreFiles::flush(into.folder());
}

bool StoreMaintenance::restoreRunning(const QString& folder)
{
    const StoreFiles files(folder);
    if (!QFileInfo::exists(files.restoreMarker()) || !QFileInfo::exists(files.store()))
        return false;
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(StoreFiles::sqliteName(files.store()).constData(), &raw,
                                   SQLITE_OPEN_READONLY, nullptr);
    const Db db(raw);
    if (rc != SQLITE_OK)
        return false;
    const int read =
        sqlite3_exec(raw, "SELECT count(*) FROM sqlite_schema", nullptr, nullptr, nullptr);
    return read == SQLITE_BUSY || read == SQLITE_LOCKED;
}

void StoreMaintenance::restore(const QString& source) const
{
    const StoreFiles from(source);
    const StoreFiles files(m_folder);
    if (from.folder() == files.folder())
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("A store cannot be restored from its own folder.") +
                          nothingRestored(m_folder));
    QString fault;
    const auto marker = BackupMarker::read(from.backupMarker(), &fault);
    if (!marker)
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("%1 holds no complete backup: %2.").arg(from.folder(), fault) +
                          nothingRestored(m_folder));
    if (!QDir().mkpath(m_folder))
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("Cannot create the folder %1.").arg(m_folder) +
                          nothingRestored(m_folder));

    // The marker comes first: a program that opens the store from here on is told that a
    // restore is running (while the store is locked) or has not finished, never the
    // locked store's own error. The store is then locked for this connection alone
    // before anything is written: an open program holds a shared lock on it, so the lock
    // fails while one runs. The lock stays until the backup is in place.
    QFile::remove(files.partial());
    try {
        StoreFiles::writeDurably(files.restoreMarker(), from.folder().toUtf8());
    } catch (const DbError& error) {
        throw DbError(error.number(), error.message() + nothingRestored(m_folder));
    }
    Db lock;
    try {
        if (QFileInfo::exists(files.store())) {
            lock = openFile(files.store(), SQLITE_OPEN_READWRITE);
            exec(lock.get(), "PRAGMA locking_mode = EXCLUSIVE");
            const int rc =
                sqlite3_exec(lock.get(), "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr);
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
                throw DbError(ServerErrors::Maintenance,
                              QStringLiteral("The store in %1 is in use: close every program "
                                             "that has it open, then restore again.")
                                  .arg(m_folder));
            if (rc != SQLITE_OK)
                throw errorOf(lock.get(), rc);
        }

        bool sound = false;
        const QStringList report = StoreMaintenance(from.folder()).check(&sound);
        if (!sound)
            throw DbError(ServerErrors::Maintenance,
                          QStringLiteral("The backup in %1 is damaged:\n%2")
                              .arg(from.folder(), report.join(QLatin1Char('\n'))));
        {
            const Db backup = openForReading(from.store());
            const Db to = openFile(files.partial(), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            copy(backup.get(), to.get());
        }
        QFile::remove(files.partial() + QLatin1String("-shm"));
        StoreFiles::flush(files.partial());
        // The store's latest writes may still be in its log, which must not be replayed
        // into the backup renamed over it: the log is written into the file and given
        // up (the program turns it on again when it opens the store).
        if (lock)
            exec(lock.get(), "PRAGMA journal_mode = DELETE");
#ifdef Q_OS_WIN
        // Windows replaces no file that is open. From here the restore marker, not the
        // lock, keeps every program from opening the store.
        lock.reset();
#endif
        StoreFiles::remove(files.store() + QLatin1String("-wal"));
        StoreFiles::remove(files.store() + QLatin1String("-shm"));
        StoreFiles::rename(files.partial(), files.store());
    } catch (const DbError& error) {
        QFile::remove(files.partial());
        QFile::remove(files.restoreMarker());
        throw DbError(error.number(), error.message() + nothingRestored(m_folder));
    }
    try {
        StoreFiles::flush(m_folder);
        lock.reset();
        StoreFiles::remove(files.restoreMarker());
        StoreFiles::flush(m_folder);
    } catch (const DbError& error) {
        throw DbError(error.number(),
                      QStringLiteral("The backup from %1 is in place in %2, but the restore "
                                     "could not finish: %3\nRun the same restore again.")
                          .arg(from.folder(), m_folder, error.message()));
    }
}
