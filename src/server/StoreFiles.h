#pragma once

#include <QString>
#include <QStringList>

// The names of the files a store's folder holds: the store itself (one SQLite file for
// the four databases), what a backup, a restore or the upgrade from the earlier
// four-file layout writes beside it, and what they leave behind when stopped.
class StoreFiles
{
public:
    explicit StoreFiles(const QString& folder);

    const QString& folder() const { return m_folder; }
    QString path(const QString& name) const;

    // talodesk.db
    QString store() const;
    // A copy being written (a backup, a restore, the upgrade) before it is renamed into
    // place; never a store.
    QString partial() const;
    // Written before a restore changes anything, removed once it has ended; while it is
    // there the store does not open.
    QString restoreMarker() const;
    // In a backup folder: written last, says the backup is complete.
    QString backupMarker() const;
    // An earlier version's file of a database (station.db ...), and the name it is kept
    // under once the upgrade to one file is complete.
    QString legacy(const QString& file) const;
    QString keptLegacy(const QString& file) const;
    // Written before the one file built by the upgrade is renamed into place, removed once
    // every old file is set aside: while it is there, a talodesk.db beside it is the
    // upgrade's own and the setting aside is finished on the next start.
    QString unfinishedUpgrade() const;
    // Any of the old files, or an upgrade stopped before it set them all aside.
    bool holdsLegacyStore() const;
    // The old files in the folder, by name.
    QStringList legacyFiles() const;
    // What to tell whoever opens a store whose restore was stopped half-way, naming the
    // command that finishes it; "" when no restore is unfinished.
    QString unfinishedRestore() const;
    // What to tell whoever opens the store while a restore into it is running.
    QString runningRestore() const;

    static const char* const StoreName;
    static const char* const BackupMarkerName;

    // Flushes a file or a folder's entries to disk, so that what was written or renamed
    // survives a power cut. Throws DbError.
    static void flush(const QString& path);
    // Writes a small file whole (replacing one of that name) and flushes it and its folder
    // to disk. Throws DbError.
    static void writeDurably(const QString& path, const QByteArray& content);
    // Renames (replacing `to` at once); throws DbError with `what` on failure.
    static void rename(const QString& from, const QString& to);
    // Removes a file if there is one; throws DbError when it stays.
    static void remove(const QString& path);
    // A file name as sqlite3_open_v2 takes it (UTF-8 on Windows, the file system's
    // encoding elsewhere).
    static QByteArray sqliteName(const QString& path);

private:
    QString m_folder;
};
