// Speed of the history of distributed meals at 10,000,000 meals (100,000 employees,
// about three years at 9,000 meals a day, 20 clerks, one meal in 97 revoked). For a date
// filter (one day), an employee filter and a clerk filter (whole range, and one month), the first
// page and the next page are timed through EmbeddedConnection (the procedure call the window sends,
// snapshot out) beside the floor: the same page as plain SQL on the filter's own index,
// read as a C program would (see Usage); the server-side count is timed too. Medians in
// milliseconds, with what the program adds to the floor.

#include "BenchMeals.h"
#include "BenchTiming.h"
#include "data/Recordset.h"
#include "history/HistoryData.h"
#include "server/EmbeddedConnection.h"
#include "server/EmbeddedStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>
#include <algorithm>
#include <functional>
#include <sqlite3.h>
#include <vector>

namespace {

constexpr qint64 Meals = 10000000;
constexpr int MealsPerDay = 9000;
constexpr int PageSize = 200;

// The floor's page: the filter's index read from the last row shown on, the names looked
// up for the 200 rows of the page only.
QString floorText(const QString& index, const QString& keyTerm)
{
    return QStringLiteral(
               "SELECT dm.MealDate, dm.EmpNum, e.Lastname || ', ' || e.Firstname || ' ' || "
               "e.Middlename, d.Description, dm.MealCode, m.Description, dm.MealMode, dm.Remarks, "
               "dm.ClerkID, dm.RecordedAt, dm.RevokedBy, dm.RevokedAt, dm.TransNum "
               "FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY %1 "
               "LEFT JOIN Payroll.tbcmaster e ON e.EmpNum = dm.EmpNum "
               "LEFT JOIN Payroll.tbcDepartment d ON d.DeptCode = e.DeptCode "
               "LEFT JOIN Station.tbcoMeal m ON m.Code = dm.MealCode "
               "WHERE %2 dm.MealDate >= ?2 AND dm.MealDate <= ?3 AND dm.RevokedAt IS NULL "
               "AND (dm.MealDate > ?2 OR dm.TransNum > ?4) "
               "ORDER BY dm.MealDate, dm.TransNum LIMIT 200")
        .arg(index, keyTerm);
}

sqlite3_stmt* rawStatement(sqlite3* db, const QString& index, const QString& keyTerm)
{
    const QByteArray sql = floorText(index, keyTerm).toUtf8();
    sqlite3_stmt* stmt = nullptr;
    if (BenchTiming::prepareOnStore(db, sql.constData(), &stmt) != SQLITE_OK)
        qFatal("cannot prepare: %s", sqlite3_errmsg(db));
    return stmt;
}

QString iso(const QString& general)
{
    return general.isEmpty() ? QString()
                             : QDateTime::fromString(general, "M/d/yyyy h:mm:ss AP")
                                   .toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    const QByteArray help =
        "Usage: bench_history [--data DIR] [--runs N] [--cpu]\n"
        "DIR keeps the generated store for later runs; N runs per timing (default 50);\n"
        "--cpu times the thread's CPU use instead of the wall clock.\n\n"
        "The floor of a page, run on SQLite directly with its values read as bytes (%1 the\n"
        "filter's index, %2 its key term, ?2 and ?4 the last row shown):\n\n  " +
        floorText(QStringLiteral("%1"), QStringLiteral("%2")).toUtf8() + "\n";
    const BenchTiming::Options options =
        BenchTiming::options(app.arguments(), 50, help.constData());
    const int runs = options.runs;
    QTextStream out(stdout);
    BenchMeals::GeneratedStore<EmbeddedConnection> generated(options.folder, Meals, MealsPerDay,
                                                             out);
    EmbeddedConnection& store = generated.store;
    sqlite3* db = generated.handle();

    struct Case
    {
        const char* name;
        HistoryData::MealFilter filter;
        QString index;
        QString keyTerm;
        QString key;
    };
    const QDate day(2025, 6, 15);
    HistoryData::MealFilter byDate;
    byDate.from = QDateTime(day, QTime(0, 0));
    byDate.to = QDateTime(day, QTime(23, 59, 59));
    // "All dates" starts at a From before the first meal: without one the history reads
    // only the 31 days ending today.
    const QDateTime beforeEveryMeal(QDate(2000, 1, 1), QTime(0, 0));
    HistoryData::MealFilter byEmployee;
    byEmployee.employee = QStringLiteral("004242");
    byEmployee.from = beforeEveryMeal;
    HistoryData::MealFilter byClerk;
    byClerk.clerk = QStringLiteral("CLERK07");
    byClerk.from = beforeEveryMeal;
    HistoryData::MealFilter byClerkMonth = byClerk;
    byClerkMonth.from = QDateTime(QDate(2025, 6, 1), QTime(0, 0));
    byClerkMonth.to = QDateTime(QDate(2025, 6, 30), QTime(23, 59, 59));
    const QList<Case> cases{
        {"date (one day)", byDate, "ixDistributedDate", "", ""},
        {"employee (all dates)", byEmployee, "ixDistributedEmpDate", "dm.EmpNum = ?1 AND",
         byEmployee.employee},
        {"clerk (all dates)", byClerk, "ixDistributedClerkDate", "dm.ClerkID = ?1 AND",
         byClerk.clerk},
        {"clerk (one month)", byClerkMonth, "ixDistributedClerkDate", "dm.ClerkID = ?1 AND",
         byClerk.clerk},
    };

    out << "| Filter (" << (BenchTiming::cpuClock() ? "thread CPU" : "wall")
        << " time) | Page | Rows | Program (ms) | Floor (ms) | Added (ms) | Ratio |\n"
           "|---|---|---|---|---|---|---|\n";
    for (const Case& c : cases) {
        sqlite3_stmt* raw = rawStatement(db, c.index, c.keyTerm);
        const QString lower = c.filter.from.isValid()
                                  ? c.filter.from.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                  : QString();
        const QString upper = c.filter.to.isValid()
                                  ? c.filter.to.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))
                                  : QStringLiteral("9999-12-31 23:59:59");
        HistoryData::Key after;
        for (const char* page : {"first", "next"}) {
            const QString text = HistoryData::mealPageText(c.filter, after, PageSize);
            int rows = 0;
            int rawRows = 0;
            const double connection = BenchTiming::medianMs(
                runs, [&] { return store.open(text).recordCount(); }, rows);
            const QString rawLower = after.date.isEmpty() ? lower : iso(after.date);
            const QString rawTrans = after.number.isEmpty() ? QStringLiteral("0") : after.number;
            const double rawMs = BenchTiming::medianMs(
                runs,
                [&] {
                    return BenchTiming::rawQuery(db, raw, {c.key, rawLower, upper, rawTrans});
                },
                rawRows);
            out << "| " << c.name << " | " << page << " | " << rows << " (" << rawRows << ") | "
                << QString::number(connection, 'f', 2) << " | " << QString::number(rawMs, 'f', 2)
                << " | " << QString::number(connection - rawMs, 'f', 2) << " | "
                << BenchTiming::ratio(connection, rawMs) << " |\n";
            const Recordset last = store.open(text);
            if (last.eof())
                break;
            after = {last.value(last.recordCount() - 1, QStringLiteral("MEALDATE")),
                     last.value(last.recordCount() - 1, QStringLiteral("TRANSNUM"))};
        }
        sqlite3_finalize(raw);
        int count = 0;
        const QString countText = HistoryData::mealCountText(c.filter);
        const double countMs = BenchTiming::medianMs(
            std::max(3, runs / 10), [&] { return store.open(countText).value(0, 0).toInt(); },
            count);
        out << "| " << c.name << " | count | " << count << " | " << QString::number(countMs, 'f', 2)
            << " | | | |\n";
        out.flush();
    }
    return 0;
}
