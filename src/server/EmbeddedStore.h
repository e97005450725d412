#pragma once

#include "SchemaCatalog.h"
#include "SqlFunctions.h"
#include "SqlParameters.h"
#include "data/Recordset.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <functional>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;
class DbError;

// The embedded database server: the tables of the four server databases (Station,
// Patient_Data, Password, Payroll) in one SQLite file of a folder (talodesk.db), so that
// every transaction is one atomic commit; WAL mode with a busy timeout, created and
// migrated on open. Its SQL names objects by their database (`Station.tbcoMeal`), which
// DatabaseNames maps onto the one file. It runs native SQLite SQL; T-SQL is the job of
// the rewriter and the procedure runner.
class EmbeddedStore
{
public:
    struct Database
    {
        QString name;
        // The file that held it before the store was one file (see FourFileUpgrade).
        QString file;
    };
    // PRAGMA application_id of a store file ("TALO").
    static constexpr int ApplicationId = 0x54414C4F;
    static const QList<Database>& databases();
    // A writer waits this long for another connection's write to finish, unless its
    // connection was given a statement timeout.
    static constexpr int BusyTimeoutMs = 10000;

    enum class Access
    {
        Read,
        Write
    };

    // Opens (creating the folder and the file when needed, turning an earlier version's
    // four files into one) and migrates. Refuses a store whose restore was stopped
    // half-way. Throws DbError.
    explicit EmbeddedStore(const QString& folder);
    // A store file being built under another name (the upgrade): opened as it is,
    // rollback journal, foreign keys off, no schema step applied.
    struct Building
    {
        QString path;
    };
    explicit EmbeddedStore(const Building& building);
    ~EmbeddedStore();
    EmbeddedStore(const EmbeddedStore&) = delete;
    EmbeddedStore& operator=(const EmbeddedStore&) = delete;

    const QString& folder() const { return m_folder; }
    // True when the folder held no store before this open.
    bool createdOnOpen() const { return m_created; }

    // One statement that only reads; anything else is refused.
    Recordset select(const QString& sql);
    // Any number of statements with named text parameters, run in order. Returns the
    // rows of the last statement when it returns columns, else an empty result.
    // `cacheKey` (non-empty) keeps the prepared statements for the next run.
    Recordset runScript(const QString& sql, const SqlParameters& parameters = {},
                        const QString& cacheKey = {});

    // Runs `work` in a transaction: BEGIN IMMEDIATE for writes, a deferred read
    // transaction for reads; inside another transaction a SAVEPOINT. Commits when
    // `work` returns, rolls back and rethrows when it throws.
    void transaction(Access access, const std::function<void()>& work);
    bool inTransaction() const { return m_depth > 0; }

    SqlFunctions& functions() { return m_functions; }
    const SchemaCatalog& schema() const { return m_schema; }
    int userVersion(const QString& database);
    sqlite3* handle() { return m_db; }

    // The error of the last failed call, a procedure's raise taking precedence.
    DbError lastError(int rc);

private:
    void openFile(const QString& path);
    void configure();
    void configureBuilding();
    void exec(const QString& sql);
    std::vector<sqlite3_stmt*> prepareAll(const QString& sql);
    Recordset step(sqlite3_stmt* stmt);

    QString m_folder;
    bool m_created = false;
    sqlite3* m_db = nullptr;
    SqlFunctions m_functions;
    SchemaCatalog m_schema;
    int m_depth = 0;
    int m_savepoints = 0;
    QHash<QString, std::vector<sqlite3_stmt*>> m_cache;
};
