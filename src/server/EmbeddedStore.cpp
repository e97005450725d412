#include "EmbeddedStore.h"

#include "DatabaseNames.h"
#include "FourFileUpgrade.h"
#include "RowTextReader.h"
#include "SchemaMigrator.h"
#include "ServerErrors.h"
#include "StoreFiles.h"
#include "StoreMaintenance.h"
#include "data/DbError.h"

#include <QDir>
#include <QFileInfo>
#include <sqlite3.h>

// The schema and procedure resources live in this static library: make sure they are
// registered even though nothing refers to them by symbol.
static void initServerResources()
{
    Q_INIT_RESOURCE(server);
}

namespace {

// SQLite keeps memory statistics behind one process-wide mutex taken at every allocation,
// and a list of 100,000 employees makes several allocations per row. Nothing here reads
// those statistics. Settable only before SQLite's first use; later it is simply refused.
void configureLibraryOnce()
{
    static const bool configured = [] {
        sqlite3_config(SQLITE_CONFIG_MEMSTATUS, 0);
        return true;
    }();
    Q_UNUSED(configured);
}

void finalizeAll(std::vector<sqlite3_stmt*>& statements)
{
    for (sqlite3_stmt* stmt : statements)
        sqlite3_finalize(stmt);
    statements.clear();
}

// A script's parameters as SQLite takes them: ":name" and the value in UTF-8, converted
// once per run. A procedure's statements use the same parameters again and again (the
// history's page a dozen statements of ten parameters each).
struct Utf8Parameter
{
    QByteArray key;
    QByteArray value;
};
using Utf8Parameters = std::vector<Utf8Parameter>;

Utf8Parameters utf8Parameters(const SqlParameters& parameters)
{
    Utf8Parameters out;
    out.reserve(size_t(parameters.size()));
    for (const auto& [name, value] : parameters)
        out.push_back({':' + name.toUtf8(), value.toUtf8()});
    return out;
}

// Binds each parameter the statement names. The values are not copied: they outlive the
// statement's run, and its bindings are cleared before it is run again.
void bindParameters(sqlite3_stmt* stmt, const Utf8Parameters& parameters)
{
    const int count = sqlite3_bind_parameter_count(stmt);
    for (int index = 1; index <= count; ++index) {
        const char* name = sqlite3_bind_parameter_name(stmt, index);
        if (!name)
            continue;
        // A name given twice takes its last value.
        const QByteArrayView key(name);
        for (auto it = parameters.rbegin(); it != parameters.rend(); ++it) {
            if (it->key == key) {
                sqlite3_bind_text(stmt, index, it->value.constData(), int(it->value.size()),
                                  SQLITE_STATIC);
                break;
            }
        }
    }
}

} // namespace

const QList<EmbeddedStore::Database>& EmbeddedStore::databases()
{
    static const QList<Database> list = {
        {QStringLiteral("Station"), QStringLiteral("station.db")},
        {QStringLiteral("Patient_Data"), QStringLiteral("patient_data.db")},
        {QStringLiteral("Password"), QStringLiteral("password.db")},
        {QStringLiteral("Payroll"), QStringLiteral("payroll.db")},
    };
    return list;
}

EmbeddedStore::EmbeddedStore(const QString& folder) : m_folder(QDir(folder).absolutePath())
{
    initServerResources();
    if (!QDir().mkpath(m_folder))
        throw DbError(ServerErrors::StoreVersion,
                      QStringLiteral("Cannot create the store folder %1.").arg(m_folder));
    const StoreFiles files(m_folder);
    if (const QString unfinished = files.unfinishedRestore(); !unfinished.isEmpty())
        throw DbError(ServerErrors::Maintenance, StoreMaintenance::restoreRunning(m_folder)
                                                     ? files.runningRestore()
                                                     : unfinished);
    if (files.holdsLegacyStore())
        FourFileUpgrade(m_folder).run();
    m_created = !QFileInfo::exists(files.store());
    try {
        openFile(files.store());
        try {
            configure();
        } catch (...) {
            sqlite3_close_v2(m_db);
            throw;
        }
    } catch (const DbError&) {
        // A restore that began after the check above holds the store locked.
        if (StoreMaintenance::restoreRunning(m_folder))
            throw DbError(ServerErrors::Maintenance, files.runningRestore());
        throw;
    }
}

EmbeddedStore::EmbeddedStore(const Building& building)
    : m_folder(QFileInfo(building.path).absolutePath())
{
    initServerResources();
    m_created = true;
    openFile(building.path);
    try {
        configureBuilding();
    } catch (...) {
        sqlite3_close_v2(m_db);
        throw;
    }
}

void EmbeddedStore::openFile(const QString& path)
{
    configureLibraryOnce();
    // One store is used by one thread at a time, so the connection needs no mutex of its
    // own (each step and column read would take it).
    const int rc =
        sqlite3_open_v2(StoreFiles::sqliteName(path).constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        const DbError error(
            rc, QStringLiteral("%1: %2").arg(path, QString::fromUtf8(sqlite3_errstr(rc))));
        sqlite3_close_v2(m_db);
        m_db = nullptr;
        throw error;
    }
    sqlite3_extended_result_codes(m_db, 1);
    sqlite3_busy_timeout(m_db, BusyTimeoutMs);
    m_functions.registerOn(m_db);
}

EmbeddedStore::~EmbeddedStore()
{
    for (auto& statements : m_cache)
        finalizeAll(statements);
    sqlite3_close_v2(m_db);
}

void EmbeddedStore::configure()
{
    exec(QStringLiteral("PRAGMA foreign_keys = ON"));
    // Readers never wait for the writer nor block it.
    exec(QStringLiteral("PRAGMA main.journal_mode = WAL"));
    // A meal the clerk saw saved must survive a power cut: under WAL, NORMAL can lose
    // the last commits, FULL syncs the log on every commit.
    exec(QStringLiteral("PRAGMA main.synchronous = FULL"));
    // Reads map the file instead of copying pages in, and keep a larger cache: the
    // employee and meal tables are read far more often than written. The cache size is
    // also what a GROUP BY or ORDER BY may sort in memory before spilling to temporary
    // files: a month's report sorts some 400,000 meals.
    exec(QStringLiteral("PRAGMA main.mmap_size = 268435456"));
    exec(QStringLiteral("PRAGMA main.cache_size = -65536"));
    SchemaMigrator(*this).migrate();
    // The scratch table into which Save_TALO_StaffImport unpacks its JSON argument once
    // per call. It belongs to this connection only and must exist before the procedure's
    // statements are prepared.
    exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS talo_staff_rows (seq INTEGER PRIMARY "
                        "KEY, n TEXT NOT NULL, l TEXT NOT NULL, f TEXT NOT NULL, m TEXT NOT "
                        "NULL, d TEXT NOT NULL, dn TEXT NOT NULL, a TEXT NOT NULL)"));
    // Likewise the meal modes Save_TALO_AppSettings unpacks from its JSON argument.
    exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS talo_mode_rows (seq INTEGER PRIMARY "
                        "KEY, j TEXT NOT NULL, m TEXT NOT NULL, l TEXT NOT NULL, a TEXT NOT "
                        "NULL, f TEXT NOT NULL, t TEXT NOT NULL)"));
    // And the (employee, meal type) pairs Save_TALO_EmployeeMealBulk works through.
    exec(QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS talo_bulk_tags (e TEXT NOT NULL, t "
                        "TEXT NOT NULL, had INTEGER NOT NULL, PRIMARY KEY (e, t))"));
    // Who counts as a manager, written once for the rights and access procedures: active,
    // may sign in to TALO, has a password, and the fifth part of the first rights row is 5.
    exec(QStringLiteral(
        "CREATE TEMP VIEW IF NOT EXISTS talo_managers AS SELECT p.EmployeeID AS EmployeeID "
        "FROM Password.tbPasswordMain p WHERE p.Active = '1' AND talo_argon2id(p.PasswordHash) "
        "AND EXISTS (SELECT 1 FROM Password.tbPasswordAppAccess a WHERE a.EmployeeID = "
        "p.EmployeeID AND a.AppCode = 'TALO') AND talo_rights_part((SELECT r.UserRights FROM "
        "Station.tbTALOUserRights r WHERE r.UserID = p.EmployeeID ORDER BY r.rowid LIMIT 1), 5) "
        "= '5'"));
    m_schema.load(m_db, SchemaMigrator::tables());
}

void EmbeddedStore::configureBuilding()
{
    // Rows are copied as they are, in any order.
    exec(QStringLiteral("PRAGMA foreign_keys = OFF"));
    exec(QStringLiteral("PRAGMA main.journal_mode = DELETE"));
    exec(QStringLiteral("PRAGMA main.synchronous = FULL"));
    exec(QStringLiteral("PRAGMA main.cache_size = -65536"));
}

void EmbeddedStore::exec(const QString& sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, DatabaseNames::toMain(sql).toUtf8().constData(), nullptr,
                                nullptr, &message);
    sqlite3_free(message);
    if (rc != SQLITE_OK)
        throw lastError(rc);
}

DbError EmbeddedStore::lastError(int rc)
{
    if (m_functions.hasRaised())
        return DbError(ServerErrors::Raised, m_functions.takeRaised());
    const int code = sqlite3_extended_errcode(m_db);
    return DbError(code != SQLITE_OK ? code : rc, QString::fromUtf8(sqlite3_errmsg(m_db)));
}

int EmbeddedStore::userVersion(const QString& database)
{
    return SchemaMigrator::recordedVersions(*this).value(database);
}

std::vector<sqlite3_stmt*> EmbeddedStore::prepareAll(const QString& sql)
{
    const QByteArray utf8 = DatabaseNames::toMain(sql).toUtf8();
    const char* tail = utf8.constData();
    const char* const end = tail + utf8.size();
    std::vector<sqlite3_stmt*> statements;
    while (tail < end) {
        sqlite3_stmt* stmt = nullptr;
        const char* next = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, tail, int(end - tail), &stmt, &next);
        if (rc != SQLITE_OK) {
            const DbError error = lastError(rc);
            finalizeAll(statements);
            throw error;
        }
        if (stmt)
            statements.push_back(stmt);
        if (!next || next == tail)
            break;
        tail = next;
    }
    return statements;
}

Recordset EmbeddedStore::step(sqlite3_stmt* stmt)
{
    m_functions.statementStarts();
    const int columns = sqlite3_column_count(stmt);
    QStringList fields;
    fields.reserve(columns);
    for (int c = 0; c < columns; ++c)
        fields << QString::fromUtf8(sqlite3_column_name(stmt, c));
    QList<Recordset::Row> rows;
    RowTextReader reader(columns);
    int rc;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        Recordset::Row row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            row << reader.text(c, text, sqlite3_column_bytes(stmt, c));
        }
        rows << std::move(row);
    }
    if (rc != SQLITE_DONE) {
        const DbError error = lastError(rc);
        sqlite3_reset(stmt);
        throw error;
    }
    sqlite3_reset(stmt);
    return Recordset(std::move(fields), std::move(rows));
}

Recordset EmbeddedStore::select(const QString& sql)
{
    std::vector<sqlite3_stmt*> statements = prepareAll(sql);
    struct Finalizer
    {
        std::vector<sqlite3_stmt*>& s;
        ~Finalizer() { finalizeAll(s); }
    } finalizer{statements};
    if (statements.size() != 1)
        throw DbError(ServerErrors::Unsupported,
                      QStringLiteral("Only one statement can be run at a time."));
    if (!sqlite3_stmt_readonly(statements.front()))
        throw DbError(ServerErrors::Unsupported,
                      QStringLiteral("Only statements that read can be run this way."));
    return step(statements.front());
}

Recordset EmbeddedStore::runScript(const QString& sql, const SqlParameters& parameters,
                                   const QString& cacheKey)
{
    const Utf8Parameters bound = utf8Parameters(parameters);
    const auto run = [&](sqlite3_stmt* stmt, Recordset& result) {
        sqlite3_clear_bindings(stmt);
        bindParameters(stmt, bound);
        Recordset rows = step(stmt);
        result = sqlite3_column_count(stmt) > 0 ? std::move(rows) : Recordset();
    };
    Recordset result;
    if (!cacheKey.isEmpty()) {
        auto it = m_cache.find(cacheKey);
        if (it == m_cache.end())
            it = m_cache.insert(cacheKey, prepareAll(sql));
        for (sqlite3_stmt* stmt : *it)
            run(stmt, result);
        return result;
    }
    // One statement at a time: a later statement may need what an earlier one created.
    const QByteArray utf8 = DatabaseNames::toMain(sql).toUtf8();
    const char* tail = utf8.constData();
    const char* const end = tail + utf8.size();
    while (tail < end) {
        sqlite3_stmt* stmt = nullptr;
        const char* next = nullptr;
        const int rc = sqlite3_prepare_v2(m_db, tail, int(end - tail), &stmt, &next);
        if (rc != SQLITE_OK)
            throw lastError(rc);
        if (stmt) {
            try {
                run(stmt, result);
            } catch (...) {
                sqlite3_finalize(stmt);
                throw;
            }
            sqlite3_finalize(stmt);
        }
        if (!next || next == tail)
            break;
        tail = next;
    }
    return result;
}

void EmbeddedStore::transaction(Access access, const std::function<void()>& work)
{
    const bool outer = m_depth == 0;
    const QString savepoint = QStringLiteral("talo_sp%1").arg(++m_savepoints);
    if (outer)
        exec(access == Access::Write ? QStringLiteral("BEGIN IMMEDIATE") : QStringLiteral("BEGIN"));
    else
        exec(QStringLiteral("SAVEPOINT ") + savepoint);
    ++m_depth;
    try {
        work();
    } catch (...) {
        --m_depth;
        if (outer) {
            sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        } else {
            const QByteArray sp = savepoint.toUtf8();
            sqlite3_exec(m_db, ("ROLLBACK TO " + sp).constData(), nullptr, nullptr, nullptr);
            sqlite3_exec(m_db, ("RELEASE " + sp).constData(), nullptr, nullptr, nullptr);
        }
        if (outer)
            m_savepoints = 0;
        throw;
    }
    --m_depth;
    if (!outer) {
        exec(QStringLiteral("RELEASE ") + savepoint);
        return;
    }
    m_savepoints = 0;
    const int rc = sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK) {
        const DbError error = lastError(rc);
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw error;
    }
}
