#pragma once

#include "SchemaMigrator.h"

#include <QHash>
#include <QString>
#include <optional>

struct sqlite3;

// Which tables the four databases hold and which of their columns are text; the
// rewriter asks it whether "+" joins texts or adds numbers. All of them are in the
// store's one file; the schema steps say which database each table belongs to (a table
// no step creates belongs to any of them).
class SchemaCatalog
{
public:
    // Reads every table of the store's file.
    void load(sqlite3* db, const QList<SchemaMigrator::Table>& homes);

    // An empty `database` asks whether any database holds the table.
    bool hasTable(const QString& database, const QString& table) const;
    // Whether `column` of database.table is declared text; nullopt when unknown.
    std::optional<bool> columnIsText(const QString& database, const QString& table,
                                     const QString& column) const;
    // Whether `column` of database.table compares with the UNICODE_CI collation.
    bool columnIgnoresCase(const QString& database, const QString& table,
                           const QString& column) const;

private:
    struct Column
    {
        bool text = false;
        bool ignoresCase = false;
    };
    const QHash<QString, Column>* columns(const QString& database, const QString& table) const;
    // table (lower case) -> column (lower case)
    QHash<QString, QHash<QString, Column>> m_tables;
    // table (lower case) -> its database (lower case), for the tables the steps create
    QHash<QString, QString> m_home;
};
