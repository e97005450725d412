#pragma once

#include <QHash>
#include <QList>
#include <QString>

class EmbeddedStore;

// Brings each database of the store forward to the newest schema. The steps are the
// resources :/server/schema/NNN_<database>.sql. All four databases share the store's
// one file; the number of the last step applied to each is a row of the store's own
// table `talo_schema_version` (DatabaseName, Version). Steps only ever move forward.
class SchemaMigrator
{
public:
    struct Step
    {
        int version;
        QString database;
        QString resource;
    };
    struct Table
    {
        QString database;
        QString name;
        int version; // the step that creates it
    };
    using Versions = QHash<QString, int>;

    explicit SchemaMigrator(EmbeddedStore& store) : m_store(store) {}

    // Applies every missing step in one write transaction, taken only when a step is
    // missing. Throws DbError, also when a database is newer than this program knows.
    void migrate();
    // Applies the steps of each database up to the version given for it (a database
    // left out gets none), in the caller's transaction or one of its own.
    void migrateTo(const Versions& targets);

    static QList<Step> steps();
    static int latestVersion(const QString& database);
    static Versions latestVersions();
    // The tables the steps create, with the database each belongs to.
    static const QList<Table>& tables();
    // The step versions recorded in the store (empty when it records none).
    static Versions recordedVersions(EmbeddedStore& store);
    // "The Payroll database was written by a newer version ..." when one is, else "".
    static QString newerThanKnown(const Versions& recorded);

    // The table that records the versions, created by this class (not by a step).
    static const char* const VersionTable;

private:
    EmbeddedStore& m_store;
};
