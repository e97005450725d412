#pragma once

#include <QList>
#include <QStringList>

struct sqlite3;

// Every row of one statement run on a plain SQLite connection (the maintenance
// commands' own), as texts; NULL as "". Throws DbError.
class SqliteRows
{
public:
    static QList<QStringList> of(sqlite3* db, const QString& sql);
};
