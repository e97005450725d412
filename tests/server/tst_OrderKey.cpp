#include "data/DbError.h"
#include "support/TestEnvironment.h"

#include <QTest>

// An order sent with its key is stored once however often it is sent: a counter that
// never heard the answer sends it again, and the store answers as a save without
// writing. Without a key every call records a meal, as it always has.
class tst_OrderKey : public QObject
{
    Q_OBJECT

    static constexpr auto Key = "0b6f3c1e-8a42-4d7e-9f15-3c2a7e9d4b60";

    static QString save(const QString& meal, const QString& key, const QString& line)
    {
        QString sql = QStringLiteral("Station..Save_TALO_EmployeeDistributedMeals '10001', '%1', "
                                     "'Lunch', '12/8/2026 11:30:15 AM', '', 'CLERK01', 'S'")
                          .arg(meal);
        if (!key.isNull())
            sql += QStringLiteral(", '%1'").arg(key);
        if (!line.isNull())
            sql += QStringLiteral(", '%1'").arg(line);
        return sql;
    }

private slots:
    void anOrderSentAgainIsStoredOnce_data();
    void anOrderSentAgainIsStoredOnce();
};

void tst_OrderKey::anOrderSentAgainIsStoredOnce_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<int>("sends");
    QTest::addColumn<int>("lunchLimit");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("refusal");

    // What is stored: "meal/key/line" per meal, in the order of their numbers.
    QTest::newRow("no key, sent twice: twice the meals")
        << QString() << 2 << 0 << "L01//,L02//,L01//,L02//" << QString();
    QTest::newRow("key, sent once")
        << Key << 1 << 0 << QStringLiteral("L01/%1/1,L02/%1/2").arg(Key) << QString();
    QTest::newRow("key, sent three times: once")
        << Key << 3 << 0 << QStringLiteral("L01/%1/1,L02/%1/2").arg(Key) << QString();
    QTest::newRow("key, sent again past its own limit: no refusal")
        << Key << 2 << 2 << QStringLiteral("L01/%1/1,L02/%1/2").arg(Key) << QString();
    QTest::newRow("key without a line")
        << Key << -1 << 0 << QString() << "Order line must be a whole number from 1 to 999.";
    QTest::newRow("key too long") << QString(37, QLatin1Char('a')) << 1 << 0 << QString()
                                  << "Order key can be at most 36 characters long.";
}

void tst_OrderKey::anOrderSentAgainIsStoredOnce()
{
    QFETCH(QString, key);
    QFETCH(int, sends);
    QFETCH(int, lunchLimit);
    QFETCH(QString, stored);
    QFETCH(QString, refusal);

    TestEnvironment env;
    env.addEmployee("10001", "Reyes", "Ana", "", "NUR");
    env.addMealType("LUN", "Lunch");
    env.addMeal("L01", "Chicken Adobo", "LUN", "75.00");
    env.addMeal("L02", "Rice", "LUN", "10.00");
    env.tag("10001", "LUN");
    if (lunchLimit)
        env.sqlite(QStringLiteral("UPDATE Station.tbTALOMealModeSetting SET DailyLimit = %1, "
                                  "LimitAction = 'B' WHERE MealMode = 'Lunch'")
                       .arg(lunchLimit));

    QString refused;
    try {
        for (int send = 0; send < qMax(sends, 1); ++send) {
            env.store().transaction([&] {
                const QString line1 = sends < 0 ? QString() : QStringLiteral("1");
                const QString line2 = sends < 0 ? QString() : QStringLiteral("2");
                env.store().execute(save("L01", key, key.isNull() ? QString() : line1));
                env.store().execute(save("L02", key, key.isNull() ? QString() : line2));
            });
        }
    } catch (const DbError& error) {
        refused = error.message();
    }
    QCOMPARE(refused, refusal);
    const Recordset rows = env.query(QStringLiteral(
        "SELECT MealCode || '/' || coalesce(OrderKey, '') || '/' || coalesce(OrderLine, '') "
        "FROM Station.tbTALOEmployeeDistributedMeals ORDER BY TransNum"));
    QStringList meals;
    for (int row = 0; row < rows.recordCount(); ++row)
        meals << rows.value(row, 0);
    QCOMPARE(meals.join(QLatin1Char(',')), stored);
}

QTEST_MAIN(tst_OrderKey)
#include "tst_OrderKey.moc"
