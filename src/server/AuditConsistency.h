#pragma once

#include <QStringList>

struct sqlite3;

// Checks the changes log against the tables where a change and its audit row are
// written together: the employees of a staff import, the people of the password
// register and their access to the program. What the log last says of a record (its
// values, whether access was granted) must be what the table holds, and every record
// the log names must be there (none of them is ever deleted). A change without its
// audit row, or an audit row without its change, shows as a fault.
class AuditConsistency
{
public:
    explicit AuditConsistency(sqlite3* db) : m_db(db) {}

    // One line per fault, at most `limit` of them and a line that counts the rest.
    QStringList faults(int limit = 20) const;

private:
    void checkValues(const QString& table, const QString& key, const QStringList& columns,
                     QStringList& out) const;
    void checkAccess(QStringList& out) const;

    sqlite3* m_db;
};
