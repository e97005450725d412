// Speed of the meal distribution report at 10,000,000 distributed meals over two years
// (100,000 employees, 13,700 meals a day): a one-month report grouped by meal type and
// the payroll layout for the same month, through EmbeddedConnection (the procedure call
// the report window sends, snapshot out) beside the same aggregate run raw on SQLite.
// Medians in milliseconds.
//
//   bench_report [--data DIR] [--runs N] [--cpu]
// With --data the generated store is kept in DIR and reused by the next run.

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

// The aggregate the procedure computes, with no parameter checks or labels.
const char* const RawMealType =
    "SELECT m.MealType, count(*), sum(CAST(round(CAST(COALESCE(dm.MealCost, m.Cost) AS REAL) "
    "* 100) AS INTEGER)) FROM Station.tbTALOEmployeeDistributedMeals AS dm "
    "LEFT JOIN Station.tbcoMeal AS m ON m.Code = dm.MealCode "
    "WHERE dm.MealDate >= ?1 AND dm.MealDate <= ?2 AND dm.RevokedAt IS NULL "
    "GROUP BY m.MealType ORDER BY m.MealType";
const char* const RawPayroll =
    "SELECT dm.EmpNum, max(e.Lastname), max(d.Description), count(*), "
    "sum(CAST(round(CAST(COALESCE(dm.MealCost, m.Cost) AS REAL) * 100) AS INTEGER)) "
    "FROM Station.tbTALOEmployeeDistributedMeals AS dm "
    "LEFT JOIN Station.tbcoMeal AS m ON m.Code = dm.MealCode "
    "LEFT JOIN Payroll.tbcmaster AS e ON e.EmpNum = dm.EmpNum "
    "LEFT JOIN Payroll.tbcDepartment AS d ON d.DeptCode = e.DeptCode "
    "WHERE dm.MealDate >= ?1 AND dm.MealDate <= ?2 AND dm.RevokedAt IS NULL "
    "GROUP BY dm.EmpNum ORDER BY dm.EmpNum";

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const BenchTiming::Options options = BenchTiming::options(
        app.arguments(), 5,
        "Usage: bench_report [--data DIR] [--runs N] [--cpu]\n"
        "DIR keeps the generated store for later runs; N runs per timing (default 5).\n");
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

    out << "| Report (June 2025; " << (BenchTiming::cpuClock() ? "CPU" : "wall")
        << " time) | Rows | Meals | Connection (ms) | Raw SQLite (ms) |\n|---|---|---|---|---|\n";
    const QList<QPair<const char*, QPair<ReportRequest, const char*>>> cases{
        {"by meal type", {byType, RawMealType}}, {"payroll", {payroll, RawPayroll}}};
    for (const auto& [name, work] : cases) {
        const auto& [request, rawSql] = work;
        const QString text = ReportData::rowsText(request);
        int rows = 0;
        int rawRows = 0;
        Recordset result;
        const double connection = BenchTiming::medianMs(
            options.runs,
            [&] {
                result = store.open(text);
                return result.recordCount();
            },
            rows);
        sqlite3_stmt* raw = BenchTiming::prepare(db, rawSql);
        QList<QStringList> rawResult;
        const double rawMs = BenchTiming::medianMs(
            options.runs,
            [&] {
                return BenchTiming::rawQuery(
                    db, raw, {request.period.fromArgument(), request.period.toArgument()},
                    &rawResult);
            },
            rawRows);
        sqlite3_finalize(raw);
        // Both ways must count the same meals.
        qint64 meals = 0;
        qint64 rawMeals = 0;
        for (int r = 0; r < result.recordCount(); ++r)
            meals += result.value(r, QStringLiteral("MEALS")).toLongLong();
        for (const QStringList& row : rawResult)
            rawMeals += row.at(row.size() - 2).toLongLong();
        out << "| " << name << " | " << rows << " (" << rawRows << ") | " << meals << " ("
            << rawMeals << ") | " << QString::number(connection, 'f', 1) << " | "
            << QString::number(rawMs, 'f', 1) << " |\n";
        out.flush();
    }
    return 0;
}
