#pragma once

#include <QStringList>

struct sqlite3;

// Compares the changes log with the tables where a change and its audit row are
// written together: the employees of a staff import, the meal types and meals, the
// people of the password register and their access to the program. What the log last says of a
// record (its values, whether access was granted) should be what the table holds, and every record
// the log names should be there (none of them is ever deleted). The values are read
// from the fields each audit row records, never from its details' text, which holds
// the names as they were typed. A report for whoever asks: a log that disagrees with
// the tables leaves the store as usable as it was.
class AuditConsistency
{
public:
    explicit AuditConsistency(sqlite3* db) : m_db(db) {}

    // One line per fault, at most `limit` of them and a line that counts the rest.
    QStringList faults(int limit = 20) const;

private:
    QList<QStringList> lastValues(const QString& table, const QString& action,
                                  const QStringList& columns) const;
    void checkValues(const QString& table, const QString& key, const QStringList& columns,
                     QStringList& out) const;
    void checkAccess(QStringList& out) const;

    sqlite3* m_db;
};
