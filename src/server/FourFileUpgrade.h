#pragma once

#include <QDateTime>
#include <QHash>
#include <QString>

#include <utility>

class EmbeddedStore;

// Turns a store of an earlier version, one SQLite file per database (station.db,
// patient_data.db, password.db, payroll.db), into the one file of today. The new file
// is built beside the old ones under a temporary name, in one transaction: the schema
// steps the old files had reached, then every row of every table, the row counts
// compared. Only when it is complete is it renamed into place; then the old files are
// kept under a name that says what they are. Until then the four files stay the store,
// whatever stops the upgrade. Refused, changing nothing, while a program of the earlier
// version has the old files open.
class FourFileUpgrade
{
public:
    explicit FourFileUpgrade(const QString& folder);

    // Builds the one file when the folder has none yet, then sets the old files aside;
    // after a stop anywhere, finishes what was begun. Refuses a folder whose talodesk.db
    // the upgrade did not make and which holds rows of its own, and a table of one name
    // in two old files. Throws DbError.
    void run();

private:
    // `replacingEmptyStore`: the folder's talodesk.db holds nothing of its own and gives
    // way to the one file built.
    void build(bool replacingEmptyStore);
    // Locks the old files for this connection alone, writing their logs into them.
    void lockOldFiles(EmbeddedStore& building);
    void copyRows(EmbeddedStore& building);
    // Each old file's size and time of last change, by file name.
    using OldFileStamps = QHash<QString, std::pair<qint64, QDateTime>>;
    OldFileStamps oldFileStamps() const;
    // Renames the old files to their kept names. With stamps, a file that changed since
    // they were taken is reported after all are set aside.
    void setOldFilesAside(const OldFileStamps& stamps);
    // Sets the old files aside and removes the mark of an unfinished upgrade.
    void finish(const OldFileStamps& stamps);
    bool settingAsideStopped() const;
    // The rows talodesk.db holds that a newly made store has not, table by table; ""
    // when none.
    QString storeRows() const;

    QString m_folder;
};
