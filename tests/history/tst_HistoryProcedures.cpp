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
    void countAgreesWithThePages();
};

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

void tst_HistoryProcedures::countAgreesWithThePages()
{
    TestEnvironment env;
    env.addEmployee("E1", "One", "Ann");
    env.addMealType("LU", "Lunch");
    env.addMeal("M1", "Soup", "LU");
    // 25 meals in one minute: every five share a date-time.
    env.sqlite("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 25) "
               "INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
               "MealDate, ClerkID, RecordedAt) SELECT 'E1', 'M1', 'Lunch', "
               "printf('2026-12-08 12:00:%02d', i / 5), 'C1', '' FROM n");
    const QString count = env.store()
                              .open("Station..Count_TALO_DistributedMealHistory '', '', 'E1', "
                                    "'', '', '', '0'")
                              .value(0, 0);
    QCOMPARE(count, QString("25"));
    QStringList seen;
    QString afterDate, afterTrans;
    for (int page = 0; page < 10; ++page) {
        const Recordset rows = env.store().open(
            "Station..Load_TALO_DistributedMealHistory '', '', '', '', '', 'C1', '0', '" +
            afterDate + "', '" + afterTrans + "', '7'");
        for (int r = 0; r < rows.recordCount(); ++r)
            seen << rows.value(r, "TRANSNUM");
        if (rows.recordCount() < 7)
            break;
        afterDate = rows.value(rows.recordCount() - 1, "MEALDATE");
        afterTrans = rows.value(rows.recordCount() - 1, "TRANSNUM");
    }
    QStringList expected;
    for (int i = 1; i <= 25; ++i)
        expected << QString::number(i);
    QCOMPARE(seen, expected);

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
