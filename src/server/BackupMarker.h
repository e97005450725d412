#pragma once

#include "SchemaMigrator.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <optional>
#include <utility>

struct sqlite3;

// The marker a backup writes last, beside the copy, saying it is complete: which program
// took it and when, the schema version of each database and how many rows each table
// holds. --restore accepts no folder without it, and compares the rows with it.
// Written as JSON, so that a table of any name survives it; the earlier line format is
// still read.
class BackupMarker
{
public:
    using Counts = QList<std::pair<QString, qint64>>;

    QString program;
    QDateTime taken;
    SchemaMigrator::Versions versions;
    Counts rows;

    // The text of the marker file.
    QString text() const;
    // Reads a marker; nullopt (and why in `fault`) when it is missing or not complete.
    static std::optional<BackupMarker> read(const QString& path, QString* fault);

    // Rows of every table of a store file's main database, by table name.
    static Counts count(sqlite3* db);
    static SchemaMigrator::Versions versionsOf(sqlite3* db);
};
