#include "data/DbError.h"
#include "support/TestEnvironment.h"

#include <QTest>

// What the history procedures refuse (error 50000, with the texts the SQL Server kit
// raises too), and the count they give against the rows they page through.
class tst_HistoryProcedures : public QObject
{
    Q_OBJECT

private slots:
    void refusals_data();
    void refusals();
    void countAgreesWithThePages_data();
    void countAgreesWithThePages();
    void emptyFromReadsThirtyOneDays_data();
    void emptyFromReadsThirtyOneDays();
    void changesCountAgreesWithThePages();
};

namespace {

// Every page of the history for these filters ("from, to, employee, meal, mode, clerk,
// revoked" as the call sends them), seven meals a page: the transaction numbers in order.
QStringList pagedMeals(TestEnvironment& env, const QString& filters)
{
    QStringList seen;
    QString afterDate, afterTrans;
    for (int page = 0; page < 100; ++page) {
        const Recordset rows =
            env.store().open("Station..Load_TALO_DistributedMealHistory " + filters + ", '" +
                             afterDate + "', '" + afterTrans + "', '7'");
        for (int r = 0; r < rows.recordCount(); ++r)
            seen << rows.value(r, "TRANSNUM");
        if (rows.recordCount() < 7)
            break;
        afterDate = rows.value(rows.recordCount() - 1, "MEALDATE");
        afterTrans = rows.value(rows.recordCount() - 1, "TRANSNUM");
    }
    return seen;
}

QString mealCount(TestEnvironment& env, const QString& filters)
{
    return env.store()
        .open("Station..Count_TALO_DistributedMealHistory " + filters)
        .value(0, "MEALS");
}

} // namespace

void tst_HistoryProcedures::refusals_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("message");
    const QString load = "Station..Load_TALO_DistributedMealHistory ";
    const QString count = "Station..Count_TALO_DistributedMealHistory ";
    const QString audit = "Station..Load_TALO_AuditLog ";
    QTest::newRow("from") << load + "'soon', '', '', '', '', '', '0', '', '', '10'"
                          << "'soon' is not a valid date and time.";
    QTest::newRow("to") << count + "'', '13/45/2026', '', '', '', '', '0'"
                        << "'13/45/2026' is not a valid date and time.";
    QTest::newRow("revoked") << count + "'', '', '', '', '', '', 'y'"
                             << "Revoked meals are shown with 1 or hidden with 0, not 'y'.";
    // Any argument longer than the store keeps is refused first, with its own text.
    QTest::newRow("revoked too long") << count + "'', '', '', '', '', '', 'yes'"
                                      << "Revoked can be at most 1 character long.";
    QTest::newRow("after date") << load + "'', '', '', '', '', '', '1', 'x', '4', '10'"
                                << "'x' is not a valid date and time.";
    QTest::newRow("after number") << load + "'', '', '', '', '', '', '1', '12/8/2026', '4a', '10'"
                                  << "'4a' is not a transaction number.";
    QTest::newRow("page size zero") << load + "'', '', '', '', '', '', '1', '', '', '0'"
                                    << "The page size must be a whole number from 1 to 1000, "
                                       "not '0'.";
    QTest::newRow("page size too big") << audit + "'', '', '', '', '', '', '1001'"
                                       << "The page size must be a whole number from 1 to "
                                          "1000, not '1001'.";
    QTest::newRow("change number") << audit + "'', '', '', '', '12/8/2026', '', '5'"
                                   << "'' is not a change number.";
    const QString changes = "Station..Count_TALO_AuditLog ";
    QTest::newRow("changes from") << changes + "'soon', '', '', ''"
                                  << "'soon' is not a valid date and time.";
    QTest::newRow("changes user too long") << changes + "'', '', '', '" + QString(31, 'u') + "'"
                                           << "User ID can be at most 30 characters long.";
}

void tst_HistoryProcedures::refusals()
{
    QFETCH(QString, call);
    QFETCH(QString, message);
    TestEnvironment env;
    try {
        env.store().open(call);
        QFAIL("not refused");
    } catch (const DbError& error) {
        QCOMPARE(error.number(), 50000);
        QCOMPARE(error.message(), message);
    }
}

void tst_HistoryProcedures::countAgreesWithThePages_data()
{
    QTest::addColumn<QString>("filters");
    QTest::addColumn<int>("meals");
    // The store's clock is 8 December 2026: with no From, the history reads 8 November
    // to the end of 8 December.
    QTest::newRow("no dates: the 31 days to today") << "'', '', '', '', '', '', '0'" << 40;
    QTest::newRow("no dates, revoked too") << "'', '', '', '', '', '', '1'" << 47;
    QTest::newRow("no from: the 31 days to To")
        << "'', '11/25/2026 11:59:59 PM', '', '', '', '', '0'" << 34;
    QTest::newRow("no to: from From on") << "'11/20/2026', '', '', '', '', '', '0'" << 24;
    QTest::newRow("both dates") << "'11/1/2026', '11/15/2026 11:59:59 PM', '', '', '', '', '0'"
                                << 18;
    QTest::newRow("employee") << "'', '', 'E2', '', '', '', '0'" << 13;
    QTest::newRow("employee, every date") << "'1/1/2000', '', 'E2', '', '', '', '0'" << 17;
    QTest::newRow("clerk") << "'', '', '', '', '', 'C1', '0'" << 20;
    QTest::newRow("meal") << "'', '', '', 'M2', '', '', '0'" << 8;
    QTest::newRow("mode") << "'', '', '', '', 'Dinner', '', '0'" << 10;
}

void tst_HistoryProcedures::countAgreesWithThePages()
{
    QFETCH(QString, filters);
    QFETCH(int, meals);
    TestEnvironment env;
    env.addEmployee("E1", "One", "Ann");
    env.addEmployee("E2", "Two", "Bea");
    env.addMealType("LU", "Lunch");
    env.addMeal("M1", "Soup", "LU");
    env.addMeal("M2", "Rice", "LU");
    // 60 meals over the 40 days to 8 December, all at noon: two meals share a date-time
    // on every other day, so pages also end between meals of one date-time.
    env.sqlite("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 59) "
               "INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
               "MealDate, ClerkID, RecordedAt, RevokedBy, RevokedAt) SELECT "
               "CASE WHEN i % 3 = 0 THEN 'E2' ELSE 'E1' END, "
               "CASE WHEN i % 5 = 0 THEN 'M2' ELSE 'M1' END, "
               "CASE WHEN i % 4 = 0 THEN 'Dinner' ELSE 'Lunch' END, "
               "date('2026-12-08', '-' || (i * 2 / 3) || ' days') || ' 12:00:00', "
               "CASE WHEN i % 2 = 0 THEN 'C2' ELSE 'C1' END, '', "
               "CASE WHEN i % 7 = 0 THEN 'SUPER01' END, "
               "CASE WHEN i % 7 = 0 THEN '2026-12-08 12:00:00' END FROM n");

    const QStringList paged = pagedMeals(env, filters);
    QCOMPARE(paged.size(), meals);
    QCOMPARE(mealCount(env, filters), QString::number(meals));
    // Each meal once, in (date-time, transaction number) order.
    const Recordset all = env.query("SELECT TransNum FROM Station.tbTALOEmployeeDistributedMeals "
                                    "ORDER BY MealDate, TransNum");
    QStringList order;
    for (int r = 0; r < all.recordCount(); ++r) {
        if (paged.contains(all.value(r, 0)))
            order << all.value(r, 0);
    }
    QCOMPARE(paged, order);
}

void tst_HistoryProcedures::emptyFromReadsThirtyOneDays_data()
{
    QTest::addColumn<QString>("from");
    QTest::addColumn<QString>("to");
    QTest::addColumn<QDateTime>("clock");
    QTest::addColumn<QStringList>("meals");
    // Meals 1 to 4 at 7 Nov 23:59:59, 8 Nov 00:00:00, 8 Dec 23:59:59 and 9 Dec 00:00:00.
    const QDateTime eighth(QDate(2026, 12, 8), QTime(11, 30, 15));
    QTest::newRow("to's day and the 30 before")
        << ""
        << "12/8/2026 11:59:59 PM" << eighth << QStringList{"2", "3"};
    QTest::newRow("ending at to's time") << ""
                                         << "12/8/2026 12:00:00 PM" << eighth << QStringList{"2"};
    QTest::newRow("no to: ending today") << ""
                                         << "" << eighth << QStringList{"2", "3"};
    QTest::newRow("no to: the server's today a day later")
        << ""
        << "" << eighth.addDays(1) << QStringList{"3", "4"};
    QTest::newRow("a from: no end and no default")
        << "11/7/2026"
        << "" << eighth << QStringList{"1", "2", "3", "4"};
}

void tst_HistoryProcedures::emptyFromReadsThirtyOneDays()
{
    QFETCH(QString, from);
    QFETCH(QString, to);
    QFETCH(QDateTime, clock);
    QFETCH(QStringList, meals);
    TestEnvironment env;
    env.setServerClock(clock);
    env.addEmployee("E1", "One", "Ann");
    env.addMealType("LU", "Lunch");
    env.addMeal("M1", "Soup", "LU");
    env.sqlite("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
               "MealDate, ClerkID, RecordedAt) VALUES "
               "('E1', 'M1', 'Lunch', '2026-11-07 23:59:59', 'C1', ''), "
               "('E1', 'M1', 'Lunch', '2026-11-08 00:00:00', 'C1', ''), "
               "('E1', 'M1', 'Lunch', '2026-12-08 23:59:59', 'C1', ''), "
               "('E1', 'M1', 'Lunch', '2026-12-09 00:00:00', 'C1', '')");
    // Every index the history reads by takes the same range.
    for (const QString& filter : {QString("'', '', '', ''"), QString("'E1', '', '', ''"),
                                  QString("'', '', '', 'C1'"), QString("'', 'M1', '', ''")}) {
        const QString filters = "'" + from + "', '" + to + "', " + filter + ", '0'";
        QCOMPARE(pagedMeals(env, filters), meals);
        QCOMPARE(mealCount(env, filters), QString::number(meals.size()));
    }
}

void tst_HistoryProcedures::changesCountAgreesWithThePages()
{
    TestEnvironment env;
    // The changes log counts as it pages: by date-time range, table and user.
    env.sqlite("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 12) "
               "INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, "
               "ChangedAt) SELECT CASE WHEN i % 3 = 0 THEN 'tbcoMeal' ELSE 'SignIn' END, i, "
               "'X', '', CASE WHEN i % 2 = 0 THEN 'ADMIN' ELSE '' END, "
               "printf('2026-12-%02d 10:00:00', i) FROM n");
    const auto changes = [&](const QString& arguments) {
        return env.store().open("Station..Count_TALO_AuditLog " + arguments).value(0, "CHANGES");
    };
    QCOMPARE(changes("'', '', '', ''"), QString("12"));
    QCOMPARE(changes("'12/3/2026', '12/6/2026 10:00:00 AM', '', ''"), QString("4"));
    QCOMPARE(changes("'', '', 'tbcoMeal', ''"), QString("4"));
    QCOMPARE(changes("'', '', 'tbcoMeal', 'admin'"), QString("2"));
    QCOMPARE(env.store()
                 .open("Station..Load_TALO_AuditLog '', '', 'tbcoMeal', 'admin', '', '', '10'")
                 .recordCount(),
             2);
}

QTEST_MAIN(tst_HistoryProcedures)
#include "tst_HistoryProcedures.moc"
