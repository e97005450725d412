#include "data/DbError.h"
#include "support/ReportMeals.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTest>

// The meal distribution report as the store computes it, against totals worked out by
// hand from the meals of ReportMeals (around a leap day and two month ends).
class tst_ReportProcedure : public QObject
{
    Q_OBJECT

private slots:
    void totals_data();
    void totals();
    void refusals_data();
    void refusals();
    void savedMealKeepsItsPrice();
    void readsMealsFromItsIndexAlone();
};

void tst_ReportProcedure::totals_data()
{
    QTest::addColumn<QString>("arguments");
    // Each row "KEY1|LABEL1|KEY2|MEALS|COST|PRICEDNOW|NOCOST", in the order returned.
    QTest::addColumn<QStringList>("rows");
    QTest::newRow("leap day by meal type")
        << "'2/29/2028', '2/29/2028 11:59:59 PM', 'MEALTYPE', '', 'SUMMARY'"
        << QStringList{"BR|Breakfast||1|30.00|0|0", "LU|Lunch||1|40.00|0|0"};
    QTest::newRow("February by employee, revoked left out")
        << "'2028-02-01 00:00:00', '2028-02-29 23:59:59', 'employee', '', 'summary'"
        << QStringList{"E1|Ünal, Ana||3|115.50|0|0"};
    QTest::newRow("March by meal: the current price for an old row, zero for no cost")
        << "'2028-03-01 00:00:00', '2028-03-31 23:59:59', 'MEAL', '', 'SUMMARY'"
        << QStringList{"M1|Soup||1|45.50|1|0", "M2|Rice||1|30.00|0|0", "M3|Tea||1|0.00|0|1"};
    QTest::newRow("a week across the month end, department then meal time")
        << "'2028-02-28 00:00:00', '2028-03-05 23:59:59', 'DEPARTMENT', 'MEALTIME', 'SUMMARY'"
        << QStringList{"D1|D1|Breakfast|1|30.00|0|0", "D1|D1|Lunch|1|40.00|0|0",
                       "D2|D2|Breakfast|1|0.00|0|1", "D2|D2|Lunch|1|45.50|1|0"};
    QTest::newRow("the same week by day")
        << "'2028-02-28 00:00:00', '2028-03-05 23:59:59', 'DAY', '', 'SUMMARY'"
        << QStringList{"2028-02-29|2028-02-29||2|70.00|0|0", "2028-03-01|2028-03-01||2|45.50|1|1"};
    QTest::newRow("two months by meal type then employee")
        << "'2028-02-01 00:00:00', '2028-03-31 23:59:59', 'MEALTYPE', 'EMPLOYEE', 'SUMMARY'"
        << QStringList{"BR|Breakfast|E1|1|30.00|0|0", "BR|Breakfast|E2|2|30.00|0|1",
                       "LU|Lunch|E1|2|85.50|0|0", "LU|Lunch|E2|1|45.50|1|0"};
    QTest::newRow("March by employee then department")
        << "'2028-03-01 00:00:00', '2028-03-31 23:59:59', 'EMPLOYEE', 'DEPARTMENT', 'SUMMARY'"
        << QStringList{"E2|Smith, \"Jr.\", Bob|D2|3|75.50|1|1"};
    QTest::newRow("one instant at midnight by clerk")
        << "'2028-03-01 00:00:00', '2028-03-01 00:00:00', 'CLERK', '', 'SUMMARY'"
        << QStringList{"C2|C2||1|45.50|1|0"};
    QTest::newRow("an empty period")
        << "'2028-06-01 00:00:00', '2028-06-01 23:59:59', 'MEAL', '', 'SUMMARY'" << QStringList{};
    QTest::newRow("payroll for two months")
        << "'2028-02-01 00:00:00', '2028-03-31 23:59:59', '', '', 'PAYROLL'"
        << QStringList{"E1|Ünal, Ana|D1|3|115.50|0|0", "E2|Smith, \"Jr.\", Bob|D2|3|75.50|1|1"};
    QTest::newRow("revoked meals")
        << "'2028-02-01 00:00:00', '2028-02-29 23:59:59', '', '', 'REVOKED'"
        << QStringList{"E3|Cruz, Eve|M1|1|45.50|0|0"};
}

void tst_ReportProcedure::totals()
{
    QFETCH(QString, arguments);
    QFETCH(QStringList, rows);
    TestEnvironment env;
    seedReportMeals(env);
    const Recordset result = env.store().open("Station..Report_TALO_MealDistribution " + arguments);
    QStringList seen;
    for (int r = 0; r < result.recordCount(); ++r) {
        QStringList fields;
        for (const char* column :
             {"KEY1", "LABEL1", "KEY2", "MEALS", "COST", "PRICEDNOW", "NOCOST"})
            fields << result.value(r, column);
        seen << fields.join('|');
    }
    QCOMPARE(seen, rows);
    if (arguments.endsWith("'REVOKED'")) {
        QCOMPARE(result.value(0, "REVOKEDBY"), QString("C9"));
        QCOMPARE(result.value(0, "CLERKID"), QString("C1"));
        QVERIFY(result.value(0, "REVOKEDAT").startsWith("2/28/2028"));
    }
}

void tst_ReportProcedure::refusals_data()
{
    QTest::addColumn<QString>("arguments");
    QTest::addColumn<QString>("message");
    QTest::newRow("from") << "'soon', '12/8/2026', 'MEAL', '', 'SUMMARY'"
                          << "'soon' is not a valid date and time.";
    QTest::newRow("to") << "'12/8/2026', '', 'MEAL', '', 'SUMMARY'"
                        << "'' is not a valid date and time.";
    QTest::newRow("from after to") << "'12/9/2026', '12/8/2026 11:59:59 PM', 'MEAL', '', 'SUMMARY'"
                                   << "The report period starts after it ends.";
    QTest::newRow("too long") << "'1/1/2028', '1/1/2029', 'MEAL', '', 'SUMMARY'"
                              << "The report period may not be longer than 366 days.";
    QTest::newRow("layout") << "'12/8/2026', '12/8/2026', 'MEAL', '', 'CHART'"
                            << "Unknown report layout 'CHART'; use SUMMARY, PAYROLL or REVOKED.";
    QTest::newRow("first grouping")
        << "'12/8/2026', '12/8/2026', 'WARD', '', 'SUMMARY'"
        << "Unknown grouping 'WARD'; use MEALTYPE, MEAL, MEALTIME, DAY, DEPARTMENT, EMPLOYEE or "
           "CLERK.";
    QTest::newRow("second grouping")
        << "'12/8/2026', '12/8/2026', 'MEAL', 'x', 'SUMMARY'"
        << "Unknown grouping 'x'; use MEALTYPE, MEAL, MEALTIME, DAY, DEPARTMENT, EMPLOYEE or "
           "CLERK.";
    QTest::newRow("no grouping") << "'12/8/2026', '12/8/2026', '', '', 'SUMMARY'"
                                 << "The summary needs a first grouping.";
    QTest::newRow("repeated grouping") << "'12/8/2026', '12/8/2026', 'DAY', 'day', 'SUMMARY'"
                                       << "The second grouping repeats the first.";
}

void tst_ReportProcedure::refusals()
{
    QFETCH(QString, arguments);
    QFETCH(QString, message);
    TestEnvironment env;
    try {
        env.store().open("Station..Report_TALO_MealDistribution " + arguments);
        QFAIL("not refused");
    } catch (const DbError& error) {
        QCOMPARE(error.number(), 50000);
        QCOMPARE(error.message(), message);
    }
    // A leap year's 366 days are one report.
    const Recordset year = env.store().open(
        "Station..Report_TALO_MealDistribution '1/1/2028', '12/31/2028 11:59:59 PM', 'DAY', '', "
        "'SUMMARY'");
    QCOMPARE(year.recordCount(), 0);
}

void tst_ReportProcedure::savedMealKeepsItsPrice()
{
    TestEnvironment env;
    env.addEmployee("E1", "One", "Ann");
    env.addMealType("LU", "Lunch");
    env.addMeal("M1", "Soup", "LU", "45.50");
    env.tag("E1", "LU");
    env.store().execute("Station..Save_TALO_EmployeeDistributedMeals 'E1', 'M1', 'Lunch', "
                        "'12/8/2026 12:00:00 PM', '', 'C1', 'test'");
    env.sqlite("UPDATE Station.tbcoMeal SET Cost = '99.00' WHERE Code = 'M1'");
    QCOMPARE(env.scalar("SELECT MealCost FROM Station.tbTALOEmployeeDistributedMeals"),
             QString("45.50"));
    const Recordset result = env.store().open(
        "Station..Report_TALO_MealDistribution '12/8/2026', '12/8/2026 11:59:59 PM', 'MEAL', '', "
        "'SUMMARY'");
    QCOMPARE(result.value(0, "COST"), QString("45.50"));
    QCOMPARE(result.value(0, "PRICEDNOW"), QString("0"));
}

// A month's report must not look every meal up in the table: the meals handed out come
// from the covering index, the revoked ones from theirs.
void tst_ReportProcedure::readsMealsFromItsIndexAlone()
{
    QFile file(":/server/procedures/Report_TALO_MealDistribution.sql");
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QString body = QString::fromUtf8(file.readAll());
    const QString report = body.mid(body.lastIndexOf("\nSELECT KEY1") + 1);
    TestEnvironment env;
    const Recordset plan = env.query("EXPLAIN QUERY PLAN " + report);
    QStringList meals;
    for (int r = 0; r < plan.recordCount(); ++r) {
        if (plan.value(r, "detail").contains(" dm "))
            meals << plan.value(r, "detail");
    }
    QCOMPARE(meals.size(), 2);
    QVERIFY2(meals.at(0).contains("USING COVERING INDEX ixDistributedReport"),
             qPrintable(meals.at(0)));
    QVERIFY2(meals.at(1).contains("USING INDEX ixDistributedRevoked"), qPrintable(meals.at(1)));
}

QTEST_MAIN(tst_ReportProcedure)
#include "tst_ReportProcedure.moc"
