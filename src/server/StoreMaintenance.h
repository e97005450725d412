#pragma once

#include <QString>
#include <QStringList>

// What a site does with a store's files besides running the program, through SQLite's
// own APIs and with the store's collation registered (the standard sqlite3 tool cannot
// read its indexes): check every file, back up all of them as one snapshot while
// counters keep working, and restore a backup into a store nobody has open.
class StoreMaintenance
{
public:
    explicit StoreMaintenance(const QString& folder);

    // Integrity and foreign-key check of every file: one line per file, "<file>: ok"
    // or "<file>: <fault>" for each fault. Throws DbError when a file cannot be read.
    QStringList check(bool* sound = nullptr) const;

    // Copies every database into `target` (created; it must not hold a store yet),
    // all from one read snapshot. Throws DbError.
    void backup(const QString& target) const;

    // Replaces every database with its copy in `source` once the copies pass the check.
    // Refused while any program has the store open. Throws DbError.
    void restore(const QString& source) const;

private:
    QString filePath(const QString& file) const;

    QString m_folder;
};
