#include "support/FourFileStore.h"

#include "server/EmbeddedStore.h"
#include "server/SchemaMigrator.h"
#include "server/SqlFunctions.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QList>
#include <sqlite3.h>

QMap<QString, QStringList> FourFileStore::allRows(sqlite3* db, const QString& schema, QString from)
{
    if (from.isEmpty())
        from = schema;
    QMap<QString, QStringList> out;
    const auto rows = [&](const QString& sql) {
        QList<QStringList> result;
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
            qFatal("%s: %s", qPrintable(sql), sqlite3_errmsg(db));
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int c = 0; c < sqlite3_column_count(stmt); ++c)
                row << (sqlite3_column_type(stmt, c) == SQLITE_NULL
                            ? QStringLiteral("<null>")
                            : QString::fromUtf8(
                                  reinterpret_cast<const char*>(sqlite3_column_text(stmt, c))));
            result << row;
        }
        sqlite3_finalize(stmt);
        return result;
    };
    for (const QStringList& table :
         rows("SELECT name FROM \"" + schema +
              "\".sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite%'")) {
        QStringList columns;
        for (const QStringList& c : rows("PRAGMA \"" + schema + "\".table_info(" + table[0] + ")"))
            columns << c[1];
        QStringList lines;
        for (const QStringList& row :
             rows("SELECT " + columns.join(", ") + " FROM \"" + from + "\"." + table[0]))
            lines << row.join('\t');
        lines.sort();
        out.insert(table[0].toLower(), lines);
    }
    return out;
}

sqlite3* FourFileStore::make(const QString& folder, bool keepOpen, QMap<QString, QStringList>* rows,
                             int employees)
{
    QDir().mkpath(folder);
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    static SqlFunctions functions;
    functions.registerOn(db);
    const auto exec = [&](const QString& sql) {
        char* message = nullptr;
        if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK)
            qFatal("%s: %s", qPrintable(sql.left(200)), message);
    };
    for (const auto& database : EmbeddedStore::databases()) {
        exec("ATTACH '" + folder + "/" + database.file + "' AS " + database.name);
        exec("PRAGMA " + database.name + ".journal_mode = WAL");
    }
    QHash<QString, int> versions;
    for (const SchemaMigrator::Step& step : SchemaMigrator::steps()) {
        if (step.version > 9)
            continue;
        QFile file(step.resource);
        file.open(QIODevice::ReadOnly);
        exec(QString::fromUtf8(file.readAll()));
        versions[step.database] = step.version;
    }
    for (auto it = versions.cbegin(); it != versions.cend(); ++it)
        exec(QString("PRAGMA %1.user_version = %2").arg(it.key()).arg(it.value()));
    exec("BEGIN");
    exec("INSERT INTO Payroll.tbcDepartment VALUES('NUR', 'Nursing'), ('KIT', 'Kitchen')");
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
         QString::number(employees) +
         ") INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, Middlename, DeptCode, "
         "Active) SELECT printf('E%06d', i), 'Peña' || i, 'Ana', '', CASE WHEN i % 2 THEN "
         "'NUR' ELSE 'KIT' END, '1' FROM n");
    exec("INSERT INTO Station.tbcoMealType(Code, Description) VALUES('LUN', 'Lunch')");
    exec("INSERT INTO Station.tbcoMeal(Code, Description, Cost, MealType) "
         "VALUES('L01', 'Adobo', '55.00', 'LUN')");
    exec("INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode) "
         "SELECT EmpNum, 'LUN' FROM Payroll.tbcmaster");
    exec("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
         "INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
         "MealDate, Remarks, ClerkID, Source, RecordedAt, MealCost) SELECT printf('E%06d', "
         "1 + i % " +
         QString::number(employees) +
         "), 'L01', 'Lunch', '2026-12-01 11:30:00', '', 'C1', 'S', "
         "'2026-12-01 11:30:00', '55.00' FROM n");
    // The last numbers given out are gone: the next one must still come after them.
    exec("DELETE FROM Station.tbTALOEmployeeDistributedMeals WHERE TransNum > 2990");
    exec("INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, "
         "ChangedAt) SELECT 'tbcmaster', EmpNum, 'INSERT', 'Lastname=' || Lastname || "
         "'; Firstname=Ana; Middlename=; DeptCode=' || DeptCode || '; Active=1', 'ADMIN', "
         "'2026-12-01 08:00:00' FROM Payroll.tbcmaster");
    exec("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, Firstname, Middlename, "
         "PasswordHash, Active) VALUES('ADMIN', 'Admin', 'A', '', '$argon2id$x', '1')");
    exec("INSERT INTO Password.tbPasswordAppAccess VALUES('ADMIN', 'TALO')");
    exec("INSERT INTO Station.tbTALOUserRights(UserID, UserRights) "
         "VALUES('ADMIN', '|1|2|3|4|5|6|7|8')");
    exec("UPDATE Patient_Data.tbHospitalInfo SET HospitalName = 'San Roque'");
    exec("COMMIT");
    if (rows) {
        rows->clear();
        for (const auto& database : EmbeddedStore::databases())
            rows->insert(allRows(db, database.name));
    }
    if (keepOpen)
        return db;
    sqlite3_close(db);
    return nullptr;
}