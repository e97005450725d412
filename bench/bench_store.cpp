// Speed of the embedded store on hospital-sized data (by default 100,000 employees and
// 1,000,000 distributed meals). Each look-up the meal counter makes is timed through
// EmbeddedConnection (T-SQL text in, snapshot out) and as its floor, the best plain SQL
// on the same connection and data read as a C program would; the table shows the
// medians and their ratio. See Usage.

#include "BenchTiming.h"
#include "data/Recordset.h"
#include "server/EmbeddedConnection.h"
#include "server/EmbeddedStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

const char* const Surnames[] = {
    "Santos",  "Reyes",    "Cruz",      "Bautista",  "Ocampo",    "Garcia",     "Mendoza",
    "Torres",  "Tomas",    "Andrada",   "Castillo",  "Flores",    "Villanueva", "Ramos",
    "Castro",  "Rivera",   "Aquino",    "Navarro",   "Salazar",   "Mercado",    "Dela Cruz",
    "De Leon", "Peña",     "Muñoz",     "Ibañez",    "Nuñez",     "Dizon",      "Pascual",
    "Soriano", "Gonzales", "Lopez",     "Hernandez", "Fernandez", "Domingo",    "Aguilar",
    "Manalo",  "Lacson",   "Tolentino", "Valdez",    "Smith",     "Johnson",    "Brown",
    "Taylor",  "Wilson",   "Clarke",    "O'Neil",    "Tan",       "Lim",        "Yap",
    "Sison",
};
constexpr int SurnameCount = int(std::size(Surnames));

const char* const Usage =
    "Usage: bench_store [--data DIR] [--employees N] [--meals N] [--runs N]\n"
    "                   [--synchronous normal|full] [--cpu]\n"
    "\n"
    "Times the meal counter's look-ups and order save on a generated store, through the\n"
    "program's connection and as its floor, the best plain SQL on the same indexes run on\n"
    "SQLite directly (medians, ms; the ratio is the program's time over the floor's).\n"
    "\n"
    "  --data DIR        keep the generated store in DIR; a later run on DIR reuses it\n"
    "                    (the sizes are those it was generated with)\n"
    "  --employees N     employees to generate (default 100000)\n"
    "  --meals N         distributed meals to generate (default 1000000)\n"
    "  --runs N          runs per look-up (default 200)\n"
    "  --synchronous M   the store's synchronous setting for the run (default full, as\n"
    "                    the program uses); normal shows what a commit costs without it\n"
    "  --cpu             time the thread's CPU use instead of the wall clock (steadier\n"
    "                    on a busy machine; a commit's wait for the disk is not counted)\n"
    "  --help            this text\n";

// The floors: the best plain SQL for each look-up on the same indexes, run on SQLite
// directly with every value read as bytes (no string object per value).
const char* const FloorSearch =
    "SELECT e.EmpNum AS EMPNUM, e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename "
    "AS NAME, ?2 AS DATE, COALESCE(d.Description, '') AS DEPARTMENT "
    "FROM Payroll.tbcmaster e LEFT JOIN Payroll.tbcDepartment d ON d.DeptCode = "
    "e.DeptCode WHERE e.Active = '1' AND (e.EmpNum = ?1 OR (e.Lastname >= ?1 AND "
    "e.Lastname < talo_prefix_end(?1))) ORDER BY talo_sort_key(e.Lastname || ', ' || "
    "e.Firstname || ' ' || e.Middlename), e.EmpNum";
const char* const FloorOpening =
    "SELECT e.EmpNum AS EMPNUM, talo_full_name(e.Lastname, e.Firstname, e.Middlename) "
    "AS NAME, ?1 AS DATE, COALESCE(d.Description, '') AS DEPARTMENT "
    "FROM Payroll.tbcmaster e INDEXED BY ixMasterNameOrder LEFT JOIN "
    "Payroll.tbcDepartment d ON d.DeptCode = e.DeptCode WHERE e.Active = '1'";
const char* const SortedOpening =
    "SELECT e.EmpNum AS EMPNUM, e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename "
    "AS NAME, ?1 AS DATE, COALESCE(d.Description, '') AS DEPARTMENT "
    "FROM Payroll.tbcmaster e LEFT JOIN Payroll.tbcDepartment d ON d.DeptCode = "
    "e.DeptCode WHERE e.Active = '1' ORDER BY NAME COLLATE UNICODE_CI, e.EmpNum";
const char* const FloorAllowed =
    "SELECT m.Code, m.Description, m.Cost, m.MealType, m.Status "
    "FROM Station.tbTALOEmployeeMeal t JOIN Station.tbcoMealType mt ON mt.Code = "
    "t.MealTypeCode AND mt.Status = '1' JOIN Station.tbcoMeal m ON m.MealType = mt.Code "
    "AND m.Status = '1' WHERE t.EmpNum = ?1 AND (m.Code = ?2 OR m.Description LIKE '%' "
    "|| ?2 || '%') ORDER BY m.Description";
const char* const FloorReceived =
    "SELECT dm.MealCode, m.Description, strftime('%H:%M', dm.MealDate), dm.Remarks, "
    "dm.ClerkID, dm.TransNum, dm.MealMode FROM Station.tbTALOEmployeeDistributedMeals dm "
    "LEFT JOIN Station.tbcoMeal m ON m.Code = dm.MealCode WHERE dm.EmpNum = ?1 AND "
    "dm.MealDate >= ?2 AND dm.MealDate < date(?2, '+1 day') AND dm.RevokedAt IS NULL "
    "ORDER BY dm.MealDate, dm.TransNum";
const char* const FloorPersonnel =
    "SELECT EmpNum AS EMPID, Lastname || ', ' || Firstname || ' ' || Middlename AS NAME "
    "FROM Payroll.tbcmaster WHERE EmpNum = ?1 OR (Lastname >= ?1 AND Lastname < "
    "talo_prefix_end(?1) AND Lastname LIKE ?1 || '%')";
const char* const FloorSave =
    "INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
    "MealDate, Remarks, ClerkID, Source, RecordedAt) VALUES (?1, ?2, 'Lunch', ?3, "
    "'bench', 'CLERK01', 'S', datetime('now'))";
const char* const FloorLimit =
    "SELECT s.DailyLimit, (SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals dm "
    "WHERE dm.EmpNum = ?1 AND dm.MealMode = s.MealMode AND dm.MealDate >= ?2 AND "
    "dm.MealDate < date(?2, '+1 day') AND dm.RevokedAt IS NULL) FROM "
    "Station.tbTALOMealModeSetting s WHERE s.MealMode = 'Lunch' AND s.LimitAction = 'B' "
    "AND s.DailyLimit IS NOT NULL";

QByteArray usage()
{
    return QByteArray(Usage) +
           "\nThe floors, each run on SQLite directly with its values read as bytes:\n" +
           "\nemployee search:\n  " + QByteArray(FloorSearch) + "\nopening search:\n  " +
           QByteArray(FloorOpening) + "\nallowed meals:\n  " + QByteArray(FloorAllowed) +
           "\nmeals received:\n  " + QByteArray(FloorReceived) + "\npersonnel search:\n  " +
           QByteArray(FloorPersonnel) + "\norder save (each line):\n  " + QByteArray(FloorSave) +
           "\norder save, limited (before each line):\n  " + QByteArray(FloorLimit) + "\n";
}

struct Sizes
{
    qint64 employees = 100000;
    qint64 meals = 1000000;
};

QString lit(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return QLatin1Char('\'') + quoted + QLatin1Char('\'');
}

// Double-barrelled surnames: 50 x 40 = 2,000 last names. All in one transaction, each
// table filled by one set-based statement; the meals' index is built after its rows,
// which sorts once instead of inserting millions of keys at random places.
void generate(EmbeddedConnection& store, const Sizes& sizes)
{
    const qint64 Employees = sizes.employees;
    const qint64 DistributedMeals = sizes.meals;
    QStringList values;
    for (int k = 0; k < SurnameCount; ++k)
        values << QStringLiteral("(%1, %2)").arg(k).arg(lit(QString::fromUtf8(Surnames[k])));
    store.nativeExecute("PRAGMA Station.cache_size = -524288");
    store.transaction([&] {
        store.nativeExecute(
            "CREATE TEMP TABLE surname(k INTEGER PRIMARY KEY, name TEXT);"
            "INSERT INTO surname VALUES " +
            values.join(',') +
            ";"
            "INSERT INTO Payroll.tbcDepartment(DeptCode, Description) "
            "WITH RECURSIVE n(value) AS (SELECT 0 UNION ALL SELECT value + 1 FROM n "
            "WHERE value < 7) SELECT 'D' || value, 'Department ' || value FROM n;");
        store.nativeExecute(
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < %1) "
                "INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, Middlename, DeptCode, "
                "Active) "
                "SELECT printf('%06d', i), a.name || ' ' || b.name, 'First' || (i % 997), "
                "b.name, 'D' || (i % 8), CASE WHEN i % 97 = 0 THEN '0' ELSE '1' END "
                "FROM n JOIN surname a ON a.k = i % 50 JOIN surname b ON b.k = (i / 50) % 40;")
                .arg(Employees - 1));
        store.nativeExecute(
            "INSERT INTO Station.tbcoMealType(Code, Description, Status) VALUES "
            "('T0', 'Breakfast', '1'), ('T1', 'Lunch', '1'), ('T2', 'Dinner', '1'), "
            "('T3', 'Snacks', '1'), ('T4', 'Night Shift', '1');"
            "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 29) "
            "INSERT INTO Station.tbcoMeal(Code, Description, Cost, MealType, Status) "
            "SELECT printf('M%02d', i), 'Meal number ' || i, printf('%.2f', 20 + i * 2.5), "
            "'T' || (i % 5), CASE WHEN i % 11 = 10 THEN '0' ELSE '1' END FROM n;"
            "WITH RECURSIVE n(value) AS (SELECT 0 UNION ALL SELECT value + 1 FROM n "
            "WHERE value < 2) "
            "INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode, TaggedBy, TaggedAt) "
            "SELECT EmpNum, 'T' || ((CAST(EmpNum AS INTEGER) + value) % 5), 'BENCH', "
            "'2026-01-01 00:00:00' FROM Payroll.tbcmaster, n;");
        // Ten meals per employee every 10 days, at meal times. (Built by concatenation:
        // printf's %02d must not be taken for an argument marker.)
        const QString lastMeal = QString::number(DistributedMeals - 1);
        const QString employees = QString::number(Employees);
        const QString index =
            store
                .nativeQuery("SELECT sql FROM Station.sqlite_master WHERE type = 'index' AND "
                             "name = 'ixDistributedEmpDate'")
                .value(0, 0);
        store.nativeExecute("DROP INDEX Station.ixDistributedEmpDate");
        store.nativeExecute(
            "WITH RECURSIVE n(j) AS (SELECT 0 UNION ALL SELECT j + 1 FROM n WHERE j < " + lastMeal +
            ") "
            "INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
            "MealDate, Remarks, ClerkID, Source, RecordedAt) "
            "SELECT printf('%06d', j % " +
            employees +
            "), printf('M%02d', (j * 7) % 30), 'Lunch', "
            "datetime('2026-09-01 07:00:00', '+' || ((j / " +
            employees +
            ") * 10 + j % 7) || ' days', "
            "'+' || ((j % 3) * 5) || ' hours'), '', 'CLERK01', 'S', '2026-09-01 00:00:00' "
            "FROM n;");
        store.nativeExecute(QString(index).replace("INDEX ixDistributedEmpDate",
                                                   "INDEX Station.ixDistributedEmpDate"));
    });
    store.nativeExecute("PRAGMA Station.cache_size = -32768");
}

} // namespace

using namespace BenchTiming;

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QString folder;
    int runs = 200;
    Sizes sizes;
    QString synchronous = QStringLiteral("full");
    const QStringList args = app.arguments();
    const auto number = [&](int& i, qint64 least) {
        bool ok = false;
        const qint64 value = i + 1 < args.size() ? args.at(++i).toLongLong(&ok) : 0;
        if (!ok || value < least) {
            QTextStream(stderr) << "bench_store: " << args.at(i) << " is not a number of at least "
                                << least << "\n\n"
                                << Usage;
            std::exit(2);
        }
        return value;
    };
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            QTextStream(stdout) << usage();
            return 0;
        }
        if (arg == QLatin1String("--cpu")) {
            cpuClock() = true;
        } else if (arg == QLatin1String("--data") && i + 1 < args.size()) {
            folder = args.at(++i);
        } else if (arg == QLatin1String("--runs")) {
            runs = int(number(i, 1));
        } else if (arg == QLatin1String("--employees")) {
            sizes.employees = number(i, 100);
        } else if (arg == QLatin1String("--meals")) {
            sizes.meals = number(i, 1);
        } else if (arg == QLatin1String("--synchronous") && i + 1 < args.size() &&
                   (args.at(i + 1) == QLatin1String("normal") ||
                    args.at(i + 1) == QLatin1String("full"))) {
            synchronous = args.at(++i);
        } else {
            QTextStream(stderr) << "bench_store: unexpected argument '" << arg << "'\n\n" << Usage;
            return 2;
        }
    }
    QTemporaryDir temporary;
    if (folder.isEmpty())
        folder = temporary.path();

    QTextStream out(stdout);
    EmbeddedConnection store(folder);
    if (store.nativeQuery("SELECT count(*) FROM Payroll.tbcmaster").value(0, 0).toInt() == 0) {
        QElapsedTimer timer;
        timer.start();
        out << "Generating " << sizes.employees << " employees and " << sizes.meals
            << " distributed meals in " << folder << " ..." << Qt::endl;
        generate(store, sizes);
        out << "  done in " << timer.elapsed() / 1000.0 << " s" << Qt::endl;
    }
    for (const auto& database : EmbeddedStore::databases())
        store.nativeExecute("PRAGMA " + database.name + ".synchronous = " + synchronous);
    out << "Store: " << store.nativeQuery("SELECT count(*) FROM Payroll.tbcmaster").value(0, 0)
        << " employees, "
        << store.nativeQuery("SELECT max(TransNum) FROM Station.tbTALOEmployeeDistributedMeals")
               .value(0, 0)
        << " distributed meals; synchronous = " << synchronous
        << (cpuClock() ? "; CPU time" : "; wall-clock time") << Qt::endl;
    sqlite3* db = store.store().handle();
    // A day on which employee 000042 received meals.
    const QString day = store
                            .nativeQuery("SELECT substr(MealDate, 1, 10) FROM "
                                         "Station.tbTALOEmployeeDistributedMeals WHERE "
                                         "EmpNum = '000042' ORDER BY MealDate LIMIT 1")
                            .value(0, 0);
    const QDate date = QDate::fromString(day, QStringLiteral("yyyy-MM-dd"));
    const QString general = date.toString(QStringLiteral("M/d/yyyy"));
    const QString serverDate = general + QStringLiteral(" 11:30:15 AM");

    sqlite3_stmt* rawSearch = prepare(db, FloorSearch);
    // The opening search as the procedure runs it (a scan of the name-order index, the
    // name put together by one function), and as it was run before: every name sorted
    // through the collation.
    sqlite3_stmt* rawOpening = prepare(db, FloorOpening);
    sqlite3_stmt* rawOpeningSorted = prepare(db, SortedOpening);
    sqlite3_stmt* rawAllowed = prepare(db, FloorAllowed);
    sqlite3_stmt* rawReceived = prepare(db, FloorReceived);
    sqlite3_stmt* rawPersonnel = prepare(db, FloorPersonnel);

    sqlite3_stmt* rawSave = prepare(db, FloorSave);
    const QString allowedMeal =
        store.open("Station..Load_TALO_EmployeeAllowedMeals '000043', ''").value(0, 0);
    // With the app settings limiting every mode with a block, each line first counts the
    // employee's meals of its mode that day. Each run saves on a day of its own after the
    // employee's last meal, so the five lines are the five a limit of five allows.
    sqlite3_stmt* rawLimit = prepare(db, FloorLimit);
    QStringList limitedModes;
    for (const char* mode : {"Breakfast", "Lunch", "Dinner", "AM Snack", "PM Snack", "MN Snack",
                             "Extra Meal", "Extra Snack"})
        limitedModes << QStringLiteral("[\"%1\",\"5\",\"B\",\"\",\"\"]").arg(mode);
    const auto settingsSave = [](const QStringList& modes) {
        return "Station..Save_TALO_AppSettings '[" + modes.join(',') +
               "]', '0', '0', '0', '1', '', 'BENCH'";
    };
    QStringList unlimitedModes = limitedModes;
    unlimitedModes.replaceInStrings(QStringLiteral("\"5\",\"B\""), QStringLiteral("\"\",\"W\""));
    QDate lastDay;
    int limitedDays = 0;
    const auto limitedDay = [&](int offset) { return lastDay.addDays(offset + ++limitedDays); };
    const auto limitsOn = [&] {
        store.execute(settingsSave(limitedModes));
        lastDay = QDate::fromString(
            store
                .nativeQuery("SELECT substr(max(MealDate), 1, 10) FROM "
                             "Station.tbTALOEmployeeDistributedMeals WHERE EmpNum = '000043'")
                .value(0, 0),
            QStringLiteral("yyyy-MM-dd"));
        limitedDays = 0;
    };

    // A 5-line order saved in one transaction, as the counter saves it.
    const auto saveOrder = [&](const QString& when) {
        store.transaction([&] {
            for (int line = 0; line < 5; ++line)
                store.execute("Station..Save_TALO_EmployeeDistributedMeals '000043', '" +
                              allowedMeal + "', 'Lunch', '" + when + "', 'bench', 'CLERK01', 'S'");
        });
        return 5;
    };

    const QString search = QStringLiteral("Dela Cruz Mer");
    struct Case
    {
        QString name;
        std::function<int()> connection;
        std::function<int()> raw;
        std::function<void()> before = {};
    };
    const QList<Case> cases = {
        {"employee search (Load_Employee_for_Meal)",
         [&] {
             return store
                 .open("Station..Load_Employee_for_Meal '" + serverDate + "', '" + search + "'")
                 .recordCount();
         },
         [&] {
             return rawQuery(db, rawSearch, {search, general});
         }},
        {"opening search, empty text (every employee)",
         [&] {
             return store.open("Station..Load_Employee_for_Meal '" + serverDate + "', ''")
                 .recordCount();
         },
         [&] { return rawQuery(db, rawOpening, {general}); }},
        {"allowed meals (Load_TALO_EmployeeAllowedMeals)",
         [&] {
             return store.open("Station..Load_TALO_EmployeeAllowedMeals '000042', ''")
                 .recordCount();
         },
         [&] {
             return rawQuery(db, rawAllowed, {"000042", ""});
         }},
        {"meals received (Load_TALO_EmployeeDistributedMeals)",
         [&] {
             return store
                 .open("Station..Load_TALO_EmployeeDistributedMeals '000042', '" + general + "'")
                 .recordCount();
         },
         [&] {
             return rawQuery(db, rawReceived, {"000042", day});
         }},
        {"personnel search (tagging window SELECT, LIKE)",
         [&] {
             return store
                 .open("Select empnum[EMPID], Lastname+', '+Firstname+' '+Middlename[NAME] from "
                       "Payroll..tbcmaster where EmpNum = '" +
                       search + "' or Lastname like '" + search + "' + '%'")
                 .recordCount();
         },
         [&] { return rawQuery(db, rawPersonnel, {search}); }},
        // Saved for another employee, so that the look-ups above stay the same.
        // One transaction, as the counter saves an order.
        {"order save, 5 lines (Save_TALO_EmployeeDistributedMeals)",
         [&] { return saveOrder(serverDate); },
         [&] {
             sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
             for (int line = 0; line < 5; ++line)
                 rawQuery(db, rawSave, {"000043", allowedMeal, day + " 11:30:15"});
             sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
             return 5;
         },
         [&] { store.execute(settingsSave(unlimitedModes)); }},
        {"order save, 5 lines, every mode limited (block)",
         [&] {
             // Each run serves a day of its own, so that the limit of five holds; the
             // server's clock is on that day, as a meal is saved on the day it is served.
             const QDate served = limitedDay(0);
             store.store().functions().setClock(
                 [served] { return QDateTime(served, QTime(12, 0)); });
             const int saved =
                 saveOrder(served.toString(QStringLiteral("M/d/yyyy")) + " 11:30:15 AM");
             store.store().functions().setClock([] { return QDateTime::currentDateTime(); });
             return saved;
         },
         [&] {
             const QString when = limitedDay(10000).toString(Qt::ISODate);
             sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
             for (int line = 0; line < 5; ++line) {
                 rawQuery(db, rawLimit, {"000043", when});
                 rawQuery(db, rawSave, {"000043", allowedMeal, when + " 11:30:15"});
             }
             sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
             return 5;
         },
         limitsOn},
    };

    out << "\nMedians of " << runs << " runs (ms)\n";
    out << QStringLiteral("%1 %2 %3 %4 %5 %6\n")
               .arg("look-up", -58)
               .arg("rows", 6)
               .arg("program", 11)
               .arg("floor", 11)
               .arg("added", 9)
               .arg("ratio", 7);
    for (const Case& c : cases) {
        int rowsConnection = 0, rowsRaw = 0;
        // The opening search returns 100,000 rows: a third of the runs show its cost.
        const int n = c.name.startsWith("opening") ? std::max(5, runs / 3) : runs;
        if (c.before)
            c.before();
        const double connection = medianMs(n, c.connection, rowsConnection);
        const double raw = medianMs(n, c.raw, rowsRaw);
        out << QStringLiteral("%1 %2 %3 %4 %5 %6%7\n")
                   .arg(c.name, -58)
                   .arg(rowsConnection, 6)
                   .arg(connection, 11, 'f', 3)
                   .arg(raw, 11, 'f', 3)
                   .arg(connection - raw, 9, 'f', 3)
                   .arg(ratio(connection, raw), 7)
                   .arg(rowsConnection == rowsRaw
                            ? QString()
                            : QStringLiteral("  (raw rows: %1)").arg(rowsRaw));
    }
    store.execute(settingsSave(unlimitedModes));
    // The opening search must list the same rows in the same order as sorting every name
    // through the collation did.
    QList<QStringList> indexed, sorted;
    int rows = 0;
    const double sortedMs = medianMs(
        std::max(3, runs / 40), [&] { return rawQuery(db, rawOpeningSorted, {general}); }, rows);
    rawQuery(db, rawOpeningSorted, {general}, &sorted);
    rawQuery(db, rawOpening, {general}, &indexed);
    const Recordset answered =
        store.open("Station..Load_Employee_for_Meal '" + serverDate + "', ''");
    out << "\nOpening search sorted through the collation (as before), raw SQLite: "
        << QString::number(sortedMs, 'f', 3) << " ms; the name-order index gives "
        << (indexed == sorted && answered.rows() == sorted ? "the same" : "DIFFERENT")
        << " rows in the same order (" << rows << " rows)\n";
    for (sqlite3_stmt* stmt : {rawSearch, rawOpening, rawOpeningSorted, rawAllowed, rawReceived,
                               rawPersonnel, rawSave, rawLimit})
        sqlite3_finalize(stmt);
    return 0;
}
