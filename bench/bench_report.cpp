// Speed of the meal distribution report at 10,000,000 distributed meals over two years
// (100,000 employees, 13,700 meals a day): a one-month report grouped by meal type and
// the payroll layout for the same month, through EmbeddedConnection (the procedure call
// the report window sends, snapshot out) beside the floor: the best plain SQL on the
// same covering index, read as a C program would (see Usage). Medians in milliseconds,
// with the program's time as a multiple of the floor's.

#include "BenchMeals.h"
#include "BenchTiming.h"
#include "data/Recordset.h"
#include "reports/ReportData.h"
#include "server/EmbeddedConnection.h"
#include "server/EmbeddedStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTextStream>

namespace {

constexpr qint64 Meals = 10000000;
constexpr int MealsPerDay = 13700;

// The floors. Each reads the period's range of the report's covering index once, groups
// the stored codes byte for byte (the generated codes have one spelling each), and looks
// the names up once per group, not once per meal; a meal's cost is the one it was saved
// with, else its meal's.
const char* const FloorMealType =
    "SELECT m.MealType, sum(g.Meals), sum(g.Cents) FROM (SELECT dm.MealCode AS MealCode, "
    "count(*) AS Meals, sum(CAST(round(CAST(COALESCE(dm.MealCost, (SELECT m.Cost FROM "
    "Station.tbcoMeal AS m WHERE m.Code = dm.MealCode)) AS REAL) * 100) AS INTEGER)) AS Cents "
    "FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedReport "
    "WHERE dm.MealDate >= ?1 AND dm.MealDate <= ?2 AND dm.RevokedAt IS NULL "
    "GROUP BY dm.MealCode COLLATE BINARY) AS g "
    "LEFT JOIN Station.tbcoMeal AS m ON m.Code = g.MealCode "
    "GROUP BY m.MealType ORDER BY m.MealType";
const char* const FloorPayroll =
    "SELECT g.EmpNum, e.Lastname, d.Description, g.Meals, g.Cents FROM (SELECT dm.EmpNum AS "
    "EmpNum, count(*) AS Meals, sum(CAST(round(CAST(COALESCE(dm.MealCost, (SELECT m.Cost "
    "FROM Station.tbcoMeal AS m WHERE m.Code = dm.MealCode)) AS REAL) * 100) AS INTEGER)) AS "
    "Cents FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedReport "
    "WHERE dm.MealDate >= ?1 AND dm.MealDate <= ?2 AND dm.RevokedAt IS NULL "
    "GROUP BY dm.EmpNum COLLATE BINARY) AS g "
    "LEFT JOIN Payroll.tbcmaster AS e ON e.EmpNum = g.EmpNum "
    "LEFT JOIN Payroll.tbcDepartment AS d ON d.DeptCode = e.DeptCode ORDER BY g.EmpNum";

QByteArray usage()
{
    return QByteArray("Usage: bench_report [--data DIR] [--runs N] [--cpu]\n"
                      "DIR keeps the generated store for later runs; N runs per timing "
                      "(default 5);\n--cpu times the thread's CPU use instead of the wall "
                      "clock.\n\nThe floors, each run on SQLite directly with its values "
                      "read as bytes:\n\nby meal type:\n  ") +
           FloorMealType + "\n\npayroll:\n  " + FloorPayroll + "\n";
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QByteArray help = usage();
    const BenchTiming::Options options = BenchTiming::options(app.arguments(), 5, help.constData());
    QTextStream out(stdout);
    BenchMeals::GeneratedStore<EmbeddedConnection> generated(options.folder, Meals, MealsPerDay,
                                                             out);
    EmbeddedConnection& store = generated.store;
    sqlite3* db = generated.handle();

    ReportRequest byType;
    byType.period = ReportPeriod::holding(ReportPeriod::Kind::Monthly, QDate(2025, 6, 15));
    byType.group1 = QStringLiteral("MEALTYPE");
    ReportRequest payroll = byType;
    payroll.layout = ReportRequest::Layout::Payroll;
    payroll.group1.clear();

    out << "| Report (June 2025; " << (BenchTiming::cpuClock() ? "thread CPU" : "wall")
        << " time) | Rows | Meals | Program (ms) | Floor (ms) | Ratio |\n"
           "|---|---|---|---|---|---|\n";
    const QList<QPair<const char*, QPair<ReportRequest, const char*>>> cases{
        {"by meal type", {byType, FloorMealType}}, {"payroll", {payroll, FloorPayroll}}};
    for (const auto& [name, work] : cases) {
        const auto& [request, floorSql] = work;
        const QString text = ReportData::rowsText(request);
        int rows = 0;
        int floorRows = 0;
        Recordset result;
        const double program = BenchTiming::medianMs(
            options.runs,
            [&] {
                result = store.open(text);
                return result.recordCount();
            },
            rows);
        sqlite3_stmt* floor = BenchTiming::prepare(db, floorSql);
        const QStringList period{request.period.fromArgument(), request.period.toArgument()};
        const double floorMs = BenchTiming::medianMs(
            options.runs, [&] { return BenchTiming::rawQuery(db, floor, period); }, floorRows);
        QList<QStringList> floorResult;
        BenchTiming::rawQuery(db, floor, period, &floorResult);
        sqlite3_finalize(floor);
        // Both ways must count the same meals and the same money.
        qint64 meals = 0;
        qint64 floorMeals = 0;
        qint64 cents = 0;
        qint64 floorCents = 0;
        for (int r = 0; r < result.recordCount(); ++r) {
            meals += result.value(r, QStringLiteral("MEALS")).toLongLong();
            cents += qRound64(result.value(r, QStringLiteral("COST")).toDouble() * 100);
        }
        for (const QStringList& row : floorResult) {
            floorMeals += row.at(row.size() - 2).toLongLong();
            floorCents += row.last().toLongLong();
        }
        out << "| " << name << " | " << rows << " (" << floorRows << ") | " << meals << " ("
            << floorMeals << ")" << (cents == floorCents ? "" : " COST DIFFERS") << " | "
            << QString::number(program, 'f', 1) << " | " << QString::number(floorMs, 'f', 1)
            << " | " << BenchTiming::ratio(program, floorMs) << " |\n";
        out.flush();
    }
    return 0;
}
