#pragma once

#include <QHash>
#include <QString>
#include <optional>

struct sqlite3;

// Which tables the four databases hold and which of their columns are text; the
// rewriter asks it whether "+" joins texts or adds numbers.
class SchemaCatalog
{
public:
    // Reads every table of the attached databases.
    void load(sqlite3* db, const QStringList& databases);

    bool hasTable(const QString& database, const QString& table) const;
    // Whether `column` of database.table is declared text; nullopt when unknown.
    std::optional<bool> columnIsText(const QString& database, const QString& table,
                                     const QString& column) const;
    // Whether `column` of database.table compares with the UNICODE_CI collation.
    bool columnIgnoresCase(const QString& database, const QString& table,
                           const QString& column) const;

private:
    static QString key(const QString& database, const QString& table);
    struct Column
    {
        bool text = false;
        bool ignoresCase = false;
    };
    // "db.table" (lower case) -> column (lower case)
    QHash<QString, QHash<QString, Column>> m_tables;
};
