#pragma once

// The large store the benchmarks read: 100,000 employees in four departments, 30 meals
// of three meal types at 50.00, and the distributed meals in date order (20 clerks, one
// meal in 97 revoked).

#include "BenchTiming.h"

#include <QByteArray>
#include <QByteArrayList>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <sqlite3.h>

namespace BenchMeals {

constexpr int Employees = 100000;

inline void run(sqlite3* db, const char* sql)
{
    char* message = nullptr;
    const QByteArray text = DatabaseNames::toMain(QString::fromUtf8(sql)).toUtf8();
    if (sqlite3_exec(db, text.constData(), nullptr, nullptr, &message) != SQLITE_OK)
        qFatal("%s: %s", sql, message);
}

// The statements that create the meals table's indexes, whichever the schema holds.
inline QByteArrayList mealIndexes(sqlite3* db)
{
    sqlite3_stmt* stmt = nullptr;
    if (BenchTiming::prepareOnStore(
            db,
            "SELECT sql FROM Station.sqlite_master WHERE type = 'index' AND "
            "tbl_name = 'tbTALOEmployeeDistributedMeals' AND sql IS NOT NULL",
            &stmt) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(db));
    QByteArrayList out;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        out << QByteArray(reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0)));
    sqlite3_finalize(stmt);
    return out;
}

// One transaction, one prepared statement per table, rows in date order; the
// secondary indexes are dropped first and built again afterwards (a sort instead of
// ten million random index inserts).
inline void generate(sqlite3* db, qint64 meals, int mealsPerDay)
{
    run(db, "BEGIN IMMEDIATE");
    run(db, "INSERT INTO Payroll.tbcDepartment(DeptCode, Description) VALUES "
            "('D0', 'Nursing'), ('D1', 'Dietary'), ('D2', 'Pharmacy'), ('D3', 'Laboratory')");
    run(db, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 99999) "
            "INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, Middlename, DeptCode, "
            "Active) SELECT printf('%06d', i), 'Last' || (i % 2000), 'First' || (i % 997), "
            "'M', 'D' || (i % 4), '1' FROM n");
    run(db, "INSERT INTO Station.tbcoMealType(Code, Description, Status) VALUES "
            "('T0', 'Breakfast', '1'), ('T1', 'Lunch', '1'), ('T2', 'Dinner', '1')");
    run(db, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 29) "
            "INSERT INTO Station.tbcoMeal(Code, Description, Cost, MealType, Status) "
            "SELECT printf('M%02d', i), 'Meal number ' || i, '50.00', 'T' || (i % 3), '1' "
            "FROM n");
    const QByteArrayList indexes = mealIndexes(db);
    for (const QByteArray& index : indexes) {
        // "CREATE [UNIQUE] INDEX name ON ...": the name is the word before ON.
        const QByteArrayList words = index.simplified().split(' ');
        const qsizetype on = words.indexOf("ON");
        run(db, "DROP INDEX Station." + words.at(on - 1));
    }
    sqlite3_stmt* insert = nullptr;
    const char* sql =
        "INSERT INTO Station.tbTALOEmployeeDistributedMeals(TransNum, EmpNum, MealCode, "
        "MealMode, MealDate, Remarks, ClerkID, Source, RecordedAt, RevokedBy, RevokedAt, "
        "MealCost) VALUES (?1, ?2, ?3, 'Lunch', ?4, '', ?5, 'S', ?4, ?6, ?7, '50.00')";
    if (BenchTiming::prepareOnStore(db, sql, &insert) != SQLITE_OK)
        qFatal("%s", sqlite3_errmsg(db));
    const QDateTime start(QDate(2024, 1, 1), QTime(6, 0));
    for (qint64 j = 0; j < meals; ++j) {
        // `mealsPerDay` meals a day, evenly from 06:00 to 22:00.
        const QDateTime at =
            start.addDays(j / mealsPerDay).addSecs((j % mealsPerDay) * (16 * 3600 / mealsPerDay));
        const QByteArray date = at.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")).toLatin1();
        const QByteArray employee =
            QByteArray::number((j * 7919) % Employees).rightJustified(6, '0');
        const QByteArray meal = "M" + QByteArray::number(j % 30).rightJustified(2, '0');
        const QByteArray clerk = "CLERK" + QByteArray::number(j % 20).rightJustified(2, '0');
        sqlite3_bind_int64(insert, 1, j + 1);
        sqlite3_bind_text(insert, 2, employee.constData(), int(employee.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 3, meal.constData(), int(meal.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 4, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 5, clerk.constData(), int(clerk.size()), SQLITE_TRANSIENT);
        if (j % 97 == 0) {
            sqlite3_bind_text(insert, 6, clerk.constData(), int(clerk.size()), SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 7, date.constData(), int(date.size()), SQLITE_TRANSIENT);
        } else {
            sqlite3_bind_null(insert, 6);
            sqlite3_bind_null(insert, 7);
        }
        if (sqlite3_step(insert) != SQLITE_DONE)
            qFatal("%s", sqlite3_errmsg(db));
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    for (const QByteArray& index : indexes) {
        const qsizetype at = index.indexOf(" INDEX ") + 7;
        run(db, index.left(at) + "Station." + index.mid(at).trimmed());
    }
    run(db, "COMMIT");
    // The four databases are the one file's main database (the name is not rewritten
    // without a table after it).
    run(db, "ANALYZE main");
}

// A large page cache, and the meals generated when the store is new (a folder given
// with --data keeps them for the next run).
template <class Store> void prepare(Store& store, qint64 meals, int mealsPerDay, QTextStream& out)
{
    sqlite3* db = store.store().handle();
    run(db, "PRAGMA cache_size = -1000000");
    if (store.nativeQuery("SELECT count(*) FROM Payroll.tbcmaster").value(0, 0).toInt() != 0)
        return;
    QElapsedTimer timer;
    timer.start();
    out << "Generating " << Employees << " employees and " << meals << " distributed meals ..."
        << Qt::endl;
    generate(db, meals, mealsPerDay);
    out << "  done in " << timer.elapsed() / 1000.0 << " s" << Qt::endl;
}

// The store a benchmark runs on, opened on `folder` (from --data) or, without one, on a
// temporary folder removed at the end, and generated when new.
template <class Store> struct GeneratedStore
{
    GeneratedStore(const QString& folder, qint64 meals, int mealsPerDay, QTextStream& out)
        : store(folder.isEmpty() ? temporary.path() : folder)
    {
        prepare(store, meals, mealsPerDay, out);
    }
    sqlite3* handle() { return store.store().handle(); }

    QTemporaryDir temporary;
    Store store;
};

} // namespace BenchMeals
