#include "StoreMaintenance.h"

#include "EmbeddedStore.h"
#include "FileSetReplacement.h"
#include "ServerErrors.h"
#include "SqlFunctions.h"
#include "UnicodeText.h"
#include "data/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <sqlite3.h>
#include <vector>

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

Db openFile(const QString& path, int flags)
{
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw, flags, nullptr);
    Db db(raw);
    if (rc != SQLITE_OK)
        throw DbError(rc,
                      QStringLiteral("%1: %2").arg(path, QString::fromUtf8(sqlite3_errstr(rc))));
    sqlite3_extended_result_codes(raw, 1);
    return db;
}

void exec(sqlite3* db, const char* sql)
{
    const int rc = sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw errorOf(db, rc);
}

// Every row of a statement as one line, its columns joined by blanks.
QStringList lines(sqlite3* db, const char* sql)
{
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql, -1, &stmt, nullptr);
    if (rc != SQLITE_OK)
        throw errorOf(db, rc);
    QStringList out;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList columns;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            columns << (text ? UnicodeText::fromUtf8({text, sqlite3_column_bytes(stmt, c)})
                             : QStringLiteral("NULL"));
        }
        out << columns.join(QLatin1Char(' '));
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw errorOf(db, rc);
    return out;
}

// The whole database `name` of `from` copied over the main database of `to`.
void copy(sqlite3* from, const char* name, sqlite3* to)
{
    sqlite3_backup* backup = sqlite3_backup_init(to, "main", from, name);
    if (!backup)
        throw errorOf(to, sqlite3_errcode(to));
    const int rc = sqlite3_backup_step(backup, -1);
    sqlite3_backup_finish(backup);
    if (rc != SQLITE_DONE)
        throw errorOf(to, rc);
}

} // namespace

StoreMaintenance::StoreMaintenance(const QString& folder) : m_folder(QDir(folder).absolutePath()) {}

QString StoreMaintenance::filePath(const QString& file) const
{
    return QDir(m_folder).filePath(file);
}

QStringList StoreMaintenance::check(bool* sound) const
{
    QStringList report;
    bool allSound = true;
    SqlFunctions functions;
    for (const auto& database : EmbeddedStore::databases()) {
        const QString path = filePath(database.file);
        if (!QFileInfo::exists(path))
            throw DbError(ServerErrors::Maintenance,
                          QStringLiteral("%1 is missing: %2 holds no complete store.")
                              .arg(database.file, m_folder));
        Db db = openFile(path, SQLITE_OPEN_READONLY);
        functions.registerOn(db.get());
        QStringList faults = lines(db.get(), "PRAGMA integrity_check");
        if (faults == QStringList{QStringLiteral("ok")})
            faults.clear();
        for (const QString& row : lines(db.get(), "PRAGMA foreign_key_check"))
            faults << QStringLiteral("foreign key: ") + row;
        if (faults.isEmpty())
            report << database.file + QLatin1String(": ok");
        for (const QString& fault : faults)
            report << database.file + QLatin1String(": ") + fault;
        allSound = allSound && faults.isEmpty();
    }
    if (sound)
        *sound = allSound;
    return report;
}

void StoreMaintenance::backup(const QString& target) const
{
    if (!QFileInfo::exists(filePath(EmbeddedStore::databases().first().file)))
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("%1 holds no store to back up.").arg(m_folder));
    const QDir into(QDir(target).absolutePath());
    for (const auto& database : EmbeddedStore::databases()) {
        if (QFileInfo::exists(into.filePath(database.file)))
            throw DbError(ServerErrors::Maintenance,
                          QStringLiteral("%1 already holds a store: back up into a new folder.")
                              .arg(into.path()));
    }
    if (!QDir().mkpath(into.path()))
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("Cannot create the folder %1.").arg(into.path()));
    // One read transaction over the four databases: the copies are one moment of the
    // store, whatever the counters write meanwhile (a WAL reader never blocks them).
    EmbeddedStore store(m_folder);
    store.transaction(EmbeddedStore::Access::Read, [&] {
        for (const auto& database : EmbeddedStore::databases())
            store.runScript(
                QStringLiteral("SELECT count(*) FROM %1.sqlite_master").arg(database.name));
        for (const auto& database : EmbeddedStore::databases()) {
            Db copyDb =
                openFile(into.filePath(database.file), SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            copy(store.handle(), database.name.toUtf8().constData(), copyDb.get());
        }
    });
}

void StoreMaintenance::restore(const QString& source) const
{
    bool sound = false;
    const QStringList report = StoreMaintenance(source).check(&sound);
    if (!sound)
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("The backup in %1 is damaged, nothing was restored:\n%2")
                          .arg(source, report.join(QLatin1Char('\n'))));
    if (!QDir().mkpath(m_folder))
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("Cannot create the folder %1.").arg(m_folder));
    // Every file is locked for this connection alone before anything is written: an
    // open program holds a shared lock on each file, so the lock fails while one runs.
    // The locks stay until the new files are in place.
    std::vector<Db> locked;
    QStringList created;
    const auto unlockAndForgetCreated = [&] {
        locked.clear();
        for (const QString& path : std::as_const(created))
            QFile::remove(path);
    };
    try {
        for (const auto& database : EmbeddedStore::databases()) {
            const QString path = filePath(database.file);
            if (!QFileInfo::exists(path))
                created << path;
            Db db = openFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            exec(db.get(), "PRAGMA locking_mode = EXCLUSIVE");
            const int rc =
                sqlite3_exec(db.get(), "BEGIN EXCLUSIVE; COMMIT", nullptr, nullptr, nullptr);
            if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED)
                throw DbError(ServerErrors::Maintenance,
                              QStringLiteral("The store in %1 is in use: close every program "
                                             "that has it open, then restore again. Nothing "
                                             "was restored.")
                                  .arg(m_folder));
            if (rc != SQLITE_OK)
                throw errorOf(db.get(), rc);
            locked.push_back(std::move(db));
        }
    } catch (...) {
        unlockAndForgetCreated();
        throw;
    }
    // A file's latest writes may still be in its write-ahead log, which must not be
    // replayed into the copy renamed over it: each log is written into its file and
    // given up (the content stays the same; the program turns the log on again when it
    // opens the store). A failed restore turns it on again here.
    const auto setJournal = [&](const char* sql) {
        for (const Db& db : locked)
            exec(db.get(), sql);
    };
    try {
        setJournal("PRAGMA journal_mode = DELETE");
        FileSetReplacement files;
        for (const auto& database : EmbeddedStore::databases()) {
            files.stage(filePath(database.file), [&](const QString& path) {
                const Db from =
                    openFile(QDir(source).filePath(database.file), SQLITE_OPEN_READONLY);
                const Db to = openFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
                copy(from.get(), "main", to.get());
            });
        }
        files.commit();
    } catch (const DbError& error) {
        try {
            setJournal("PRAGMA journal_mode = WAL");
        } catch (const DbError&) {
            // The store opens in its log mode whatever a file says.
        }
        unlockAndForgetCreated();
        throw DbError(error.number(),
                      error.message() + QStringLiteral("\nNothing was restored: the store in "
                                                       "%1 is as it was.")
                                            .arg(m_folder));
    }
}
