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
// with, else its meal's. Each report has two: the cost worked out per meal, and per
// group of meals of one code and one recorded cost; the faster is the floor.
#define TALO_CENTS(cost, code)                                                                     \
    "CAST(round(CAST(COALESCE(" cost ", (SELECT m.Cost FROM Station.tbcoMeal AS m WHERE m.Code = " \
    "" code ")) AS REAL) * 100) AS INTEGER)"
#define TALO_PERIOD                                                                                \
    "FROM Station.tbTALOEmployeeDistributedMeals AS dm INDEXED BY ixDistributedReport "            \
    "WHERE dm.MealDate >= ?1 AND dm.MealDate <= ?2 AND dm.RevokedAt IS NULL "
const char* const FloorMealType =
    "SELECT t.MealType, sum(g.Meals), sum(g.Cents) FROM (SELECT dm.MealCode AS MealCode, "
    "count(*) AS Meals, sum(" TALO_CENTS(
        "dm.MealCost", "dm.MealCode") ") AS Cents " TALO_PERIOD
                                      "GROUP BY dm.MealCode COLLATE BINARY) AS g "
                                      "LEFT JOIN Station.tbcoMeal AS t ON t.Code = g.MealCode "
                                      "GROUP BY t.MealType ORDER BY t.MealType";
const char* const FloorMealTypeByCost =
    "SELECT t.MealType, sum(g.Meals), sum(g.Meals * " TALO_CENTS(
        "g.Cost", "g.MealCode") ") "
                                "FROM (SELECT dm.MealCode AS MealCode, dm.MealCost AS Cost, "
                                "count(*) AS Meals " TALO_PERIOD
                                "GROUP BY dm.MealCode COLLATE BINARY, dm.MealCost) AS g "
                                "LEFT JOIN Station.tbcoMeal AS t ON t.Code = g.MealCode GROUP BY "
                                "t.MealType ORDER BY t.MealType";
const char* const FloorPayroll =
    "SELECT g.EmpNum, e.Lastname, d.Description, g.Meals, g.Cents FROM (SELECT dm.EmpNum AS "
    "EmpNum, count(*) AS Meals, sum(" TALO_CENTS(
        "dm.MealCost", "dm.MealCode") ") AS Cents " TALO_PERIOD
                                      "GROUP BY dm.EmpNum COLLATE BINARY) AS g "
                                      "LEFT JOIN Payroll.tbcmaster AS e ON e.EmpNum = g.EmpNum "
                                      "LEFT JOIN Payroll.tbcDepartment AS d ON d.DeptCode = "
                                      "e.DeptCode ORDER BY g.EmpNum";
const char* const FloorPayrollByCost =
    "SELECT g.EmpNum, e.Lastname, d.Description, g.Meals, g.Cents FROM (SELECT c.EmpNum AS "
    "EmpNum, sum(c.Meals) AS Meals, sum(c.Meals * " TALO_CENTS(
        "c.Cost", "c.MealCode") ") AS "
                                "Cents FROM (SELECT dm.EmpNum AS EmpNum, dm.MealCost AS Cost, CASE "
                                "WHEN dm.MealCost IS NULL "
                                "THEN dm.MealCode END AS MealCode, count(*) AS Meals " TALO_PERIOD
                                "GROUP BY dm.EmpNum COLLATE BINARY, 2, 3) AS c GROUP BY c.EmpNum "
                                "COLLATE BINARY) AS g "
                                "LEFT JOIN Payroll.tbcmaster AS e ON e.EmpNum = g.EmpNum "
                                "LEFT JOIN Payroll.tbcDepartment AS d ON d.DeptCode = e.DeptCode "
                                "ORDER BY g.EmpNum";
#undef TALO_CENTS
#undef TALO_PERIOD

QByteArray usage()
{
    return QByteArray("Usage: bench_report [--data DIR] [--runs N] [--cpu]\n"
                      "DIR keeps the generated store for later runs; N runs per timing "
                      "(default 5);\n--cpu times the thread's CPU use instead of the wall "
                      "clock.\n\nThe floors, each run on SQLite directly with its values "
                      "read as bytes; the faster of each pair is the floor:\n\nby meal type:\n  ") +
           FloorMealType + "\n  " + FloorMealTypeByCost + "\n\npayroll:\n  " + FloorPayroll +
           "\n  " + FloorPayrollByCost + "\n";
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
    struct Case
    {
        const char* name;
        ReportRequest request;
        QList<const char*> floors;
    };
    const QList<Case> cases{{"by meal type", byType, {FloorMealType, FloorMealTypeByCost}},
                            {"payroll", payroll, {FloorPayroll, FloorPayrollByCost}}};
    for (const Case& c : cases) {
        const char* name = c.name;
        const QString text = ReportData::rowsText(c.request);
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
        const QStringList period{c.request.period.fromArgument(), c.request.period.toArgument()};
        double floorMs = 0;
        int floorUsed = 0;
        QList<QStringList> floorResult;
        for (int f = 0; f < c.floors.size(); ++f) {
            sqlite3_stmt* floor = BenchTiming::prepare(db, c.floors.at(f));
            const double ms = BenchTiming::medianMs(
                options.runs, [&] { return BenchTiming::rawQuery(db, floor, period); }, floorRows);
            if (f == 0 || ms < floorMs) {
                floorMs = ms;
                floorUsed = f;
                BenchTiming::rawQuery(db, floor, period, &floorResult);
            }
            sqlite3_finalize(floor);
        }
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
            << QString::number(program, 'f', 1) << " | " << QString::number(floorMs, 'f', 1) << " ("
            << (floorUsed == 0 ? "cost per meal" : "cost per group") << ") | "
            << BenchTiming::ratio(program, floorMs) << " |\n";
        out.flush();
    }
    return 0;
}
