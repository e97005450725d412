#pragma once

#include "data/DbError.h"

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// One statement on a SQLite file of the workstation's own (the order journal, the copy
// of the counter's data), finalized with it. Failures throw DbError with SQLite's number
// and a text that names the file by `owner` ("The workstation's order journal").
class LocalStatement
{
public:
    LocalStatement(sqlite3* db, const char* sql, const QString& owner);
    ~LocalStatement();
    LocalStatement(const LocalStatement&) = delete;
    LocalStatement& operator=(const LocalStatement&) = delete;

    void bind(int index, const QString& text);
    void bind(int index, qint64 value);
    // True while a row is there to read.
    bool step();
    // Makes the statement ready to run again with new values.
    void reset();
    QString text(int column) const;
    qint64 integer(int column) const;

    // Runs a statement whose rows are not needed.
    static void run(sqlite3* db, const char* sql, const QString& owner);
    static DbError error(sqlite3* db, const QString& owner, const QString& what);

private:
    sqlite3* m_db;
    QString m_owner;
    sqlite3_stmt* m_stmt = nullptr;
};
