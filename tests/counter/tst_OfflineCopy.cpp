#include "counter/CounterData.h"
#include "counter/OfflineCopy.h"
#include "data/SqlText.h"
#include "support/TestEnvironment.h"

#include <QTest>

// The copy the counter serves from offline answers as the server does: for the same
// text, the same rows in the same order, from the employee search and the meal look-up.
class tst_OfflineCopy : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void theSearchFindsWhatTheServerFinds_data();
    void theSearchFindsWhatTheServerFinds();
    void theMealLookupOffersWhatTheServerOffers_data();
    void theMealLookupOffersWhatTheServerOffers();
    void theDaysMealsAreCopiedWhole();

private:
    TestEnvironment m_env;
    OfflineCopy m_copy;
};

void tst_OfflineCopy::initTestCase()
{
    m_env.addEmployee(QStringLiteral("E001"), QStringLiteral("Peña"), QStringLiteral("Ana"), {},
                      QStringLiteral("NURSING"));
    m_env.addEmployee(QStringLiteral("E002"), QStringLiteral("Cruz, Jr."), QStringLiteral("Ben"),
                      QStringLiteral("T"));
    m_env.addEmployee(QStringLiteral("E003"), QStringLiteral("Cruz"), QStringLiteral("Carla"));
    m_env.addEmployee(QStringLiteral("e010"), QStringLiteral("Ng"), QStringLiteral("Li"));
    m_env.addEmployee(QStringLiteral("E011"), QStringLiteral("Ngata"), QStringLiteral("Rua"));
    m_env.sqlite(QStringLiteral("UPDATE Payroll.tbcmaster SET Active = '0' WHERE EmpNum = 'E011'"));
    m_env.addMealType(QStringLiteral("LU"), QStringLiteral("Lunch"));
    m_env.addMealType(QStringLiteral("OLD"), QStringLiteral("Old menu"), false);
    m_env.addMeal(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("LU"));
    m_env.addMeal(QStringLiteral("m03"), QStringLiteral("Fruit cup"), QStringLiteral("LU"));
    m_env.addMeal(QStringLiteral("M04"), QStringLiteral("Flan"), QStringLiteral("LU"),
                  QStringLiteral("0.00"), false);
    m_env.addMeal(QStringLiteral("M05"), QStringLiteral("Fried rice"), QStringLiteral("OLD"));
    m_env.tag(QStringLiteral("E001"), QStringLiteral("LU"));
    m_env.tag(QStringLiteral("E001"), QStringLiteral("OLD"));
    m_env.tag(QStringLiteral("E011"), QStringLiteral("LU"));
    const QString path = m_env.folder() + QStringLiteral("/copy.sqlite");
    OfflineCopy::refresh(*m_env.context().cnMain, path, m_env.context().dtServerDate,
                         QStringLiteral("CLERK01"));
    m_copy = OfflineCopy::read(path);
    QVERIFY(m_copy.usable());
}

void tst_OfflineCopy::theSearchFindsWhatTheServerFinds_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");

    QTest::newRow("nothing typed: every active employee") << QString() << 4;
    QTest::newRow("a number in other letters, with blanks after") << QStringLiteral("E010  ") << 1;
    QTest::newRow("a last name in other letters, accents too") << QStringLiteral("PEÑ") << 1;
    QTest::newRow("a last name with a comma of its own") << QStringLiteral("Cruz, J") << 1;
    QTest::newRow("last name and first name") << QStringLiteral("cruz, car") << 1;
    QTest::newRow("the start of two last names") << QStringLiteral("Cruz") << 2;
    QTest::newRow("an inactive employee's number") << QStringLiteral("E011") << 0;
    QTest::newRow("an inactive employee's last name") << QStringLiteral("Ngat") << 0;
    QTest::newRow("a number begun is not a number") << QStringLiteral("E01") << 0;
}

void tst_OfflineCopy::theSearchFindsWhatTheServerFinds()
{
    QFETCH(QString, text);
    QFETCH(int, found);

    const Recordset server = m_env.context().open(
        CounterData::loadEmployeesText(QStringLiteral("12/8/2026 11:30:15 AM"), text));
    const Recordset copy = m_copy.employees(QDate(2026, 12, 8), text);
    QCOMPARE(copy.fieldNames(), server.fieldNames());
    QCOMPARE(copy.rows(), server.rows());
    QCOMPARE(copy.recordCount(), found);
}

void tst_OfflineCopy::theMealLookupOffersWhatTheServerOffers_data()
{
    QTest::addColumn<QString>("empNum");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("found");

    // Neither an inactive meal nor one of an inactive meal type.
    QTest::newRow("nothing typed") << "E001" << QString() << 2;
    QTest::newRow("a code in other letters") << "E001" << QStringLiteral("M03") << 1;
    QTest::newRow("part of a description") << "E001" << QStringLiteral("ILL") << 1;
    QTest::newRow("the number in other letters") << "e001" << QStringLiteral("f") << 2;
    QTest::newRow("an inactive employee") << "E011" << QString() << 0;
    QTest::newRow("an employee with no tags") << "E003" << QString() << 0;
}

void tst_OfflineCopy::theMealLookupOffersWhatTheServerOffers()
{
    QFETCH(QString, empNum);
    QFETCH(QString, text);
    QFETCH(int, found);

    const Recordset server = m_env.context().open(
        SqlText::call(QStringLiteral("Station..Load_TALO_EmployeeAllowedMeals"), {empNum, text}));
    const Recordset copy = m_copy.allowedMeals(empNum, text);
    QCOMPARE(copy.fieldNames(), server.fieldNames());
    QCOMPARE(copy.rows(), server.rows());
    QCOMPARE(copy.recordCount(), found);
}

void tst_OfflineCopy::theDaysMealsAreCopiedWhole()
{
    // More than the server gives in one page; a revoked meal and one of the day before
    // are left out.
    m_env.sqlite(QStringLiteral(
        "INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
        "MealDate, Remarks, ClerkID, Source, RecordedAt, RevokedAt) "
        "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 1002) "
        "SELECT 'E001', 'M02', 'Lunch', "
        "CASE i WHEN 1002 THEN '2026-12-07 12:00:00' "
        "ELSE strftime('%Y-%m-%d %H:%M:%S', '2026-12-08 06:00:00', '+' || (i / 50) || ' minutes') "
        "END, "
        "'', 'CLERK09', 'S', '2026-12-08 06:00:00', "
        "CASE i WHEN 1001 THEN '2026-12-08 10:00:00' END FROM n"));
    const QString path = m_env.folder() + QStringLiteral("/whole.sqlite");
    OfflineCopy::refresh(*m_env.context().cnMain, path, m_env.context().dtServerDate,
                         QStringLiteral("CLERK01"));
    const OfflineCopy copy = OfflineCopy::read(path);
    const QList<OfflineCopy::Received> meals =
        copy.received(QStringLiteral("e001"), QDate(2026, 12, 8));
    QCOMPARE(meals.size(), 1001);
    QStringList numbers;
    for (const OfflineCopy::Received& meal : meals)
        numbers << meal.transNum;
    numbers.removeDuplicates();
    QCOMPARE(numbers.size(), 1001);
    QVERIFY(copy.received(QStringLiteral("E001"), QDate(2026, 12, 7)).isEmpty());
}

QTEST_MAIN(tst_OfflineCopy)
#include "tst_OfflineCopy.moc"
