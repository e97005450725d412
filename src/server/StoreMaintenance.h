#pragma once

#include <QString>
#include <QStringList>

// What a site does with a store's file besides running the program, through SQLite's
// own APIs and with the store's collation registered (the standard sqlite3 tool cannot
// read its indexes): check it without writing, back it up while counters keep working,
// and restore a backup into a store nobody has open.
class StoreMaintenance
{
public:
    explicit StoreMaintenance(const QString& folder);

    // Reads the store's file (never writes it): that it is a Talodesk store, its schema
    // versions and that every table is there, integrity, foreign keys, and a backup's
    // rows against its marker. "talodesk.db: ok" or one line per fault. With `audit`, a
    // sound store's changes log is compared with the tables too, in lines of their own
    // after "ok": a report, since a log that disagrees leaves the store as usable.
    // Throws DbError when there is no file to check.
    QStringList check(bool* sound = nullptr, bool audit = false) const;

    // Copies the store with the online backup API into the folder `target` (created; it
    // must not hold a store or a backup yet) under a temporary name, flushes it, renames
    // it into place, and then writes the marker that says the backup is complete
    // (BACKUP-COMPLETE.txt: program, time, schema versions, row counts). A backup
    // stopped before the marker is not a backup for --restore. Throws DbError.
    void backup(const QString& target) const;

    // Replaces the store with the backup in `source` (a complete marker, a file that
    // passes the check and holds the rows the marker counts) by one rename. Refused
    // while any program has the store open. Every failure that leaves the store as it
    // was says "Nothing was restored"; one after the rename says the backup is in place.
    // Throws DbError.
    void restore(const QString& source) const;

    // True while a restore holds the store of `folder` for itself (a program opening it
    // then would only see a store it cannot use).
    static bool restoreRunning(const QString& folder);

private:
    QString m_folder;
};
