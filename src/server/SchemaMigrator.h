#pragma once

#include <QList>
#include <QString>

class EmbeddedStore;

// Brings each database of the store forward to the newest schema. The steps are the
// resources :/server/schema/NNN_<database>.sql; a database's user_version is the
// number of the last step applied to it. Steps only ever move forward.
class SchemaMigrator
{
public:
    struct Step
    {
        int version;
        QString database;
        QString resource;
    };

    explicit SchemaMigrator(EmbeddedStore& store) : m_store(store) {}

    // Applies every missing step in one write transaction, taken only when a step is
    // missing. Throws DbError, also when a database is newer than this program knows.
    void migrate();

    static QList<Step> steps();
    static int latestVersion(const QString& database);

private:
    // Every database at the newest schema this program knows.
    bool isCurrent();

    EmbeddedStore& m_store;
};
