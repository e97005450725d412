#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

struct sqlite3;

// A store as the earlier version kept it, one SQLite file per database, and the rows
// an SQLite connection sees, to compare a store before and after the upgrade.
class FourFileStore
{
public:
    // Every row of every table of an SQLite connection's database `schema`, sorted, by
    // table; a table's columns as the earlier version declared them, rows read from
    // `from` (default `schema`).
    static QMap<QString, QStringList> allRows(sqlite3* db, const QString& schema,
                                              QString from = {});
    // Made by that version's schema steps (001 to 009), with rows in every database:
    // `employees` employees, 2,990 meals. Left open (the connection returned) when
    // `keepOpen`; `rows` (when given) receives allRows of every database.
    static sqlite3* make(const QString& folder, bool keepOpen, QMap<QString, QStringList>* rows,
                         int employees = 500);
};
