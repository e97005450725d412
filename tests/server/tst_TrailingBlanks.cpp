#include "data/DbError.h"
#include "support/TestEnvironment.h"

#include <QTest>

// SQL Server's = ignores trailing blanks: a code, staff ID or mode typed with a blank
// after it names the same row, and a filter of blanks is no filter. The store answers
// every call so too: each call below, with a blank after its key argument, finds the
// same rows (and stores the same rows) as without it.
class tst_TrailingBlanks : public QObject
{
    Q_OBJECT

private slots:
    void sameRowsWithABlank_data();
    void sameRowsWithABlank();
};

namespace {

// E1 and E2 of department KIT, meal types LU and DI, a lunch each on 8 December and a
// dinner of E1 the day before, people in the password register, changes in the log,
// and a warned lunch limit of one a day.
void seed(TestEnvironment& env)
{
    env.addEmployee("E1", "One", "Ann", "", "KIT");
    env.addEmployee("E2", "Two", "Bea", "", "KIT");
    env.addMealType("LU", "Lunch");
    env.addMealType("DI", "Dinner");
    env.addMeal("M1", "Soup", "LU");
    env.addMeal("M2", "Rice", "DI");
    env.tag("E1", "LU");
    env.tag("E1", "DI");
    env.tag("E2", "LU");
    env.sqlite("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, MealMode, "
               "MealDate, ClerkID, RecordedAt) VALUES "
               "('E1', 'M1', 'Lunch', '2026-12-08 10:00:00', 'C1', ''), "
               "('E2', 'M1', 'Lunch', '2026-12-08 11:00:00', 'C2', ''), "
               "('E1', 'M2', 'Dinner', '2026-12-07 18:00:00', 'C1', '')");
    env.sqlite("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, Firstname, Middlename, "
               "PasswordHash, Active) VALUES ('S1', 'Smith', 'Sam', '', '', '1'), "
               "('S2', 'Smyth', 'Sue', '', '', '1'), ('S3', 'Jones', 'Joe', '', '', '1')");
    env.sqlite(
        "INSERT INTO Password.tbPasswordAppAccess(EmployeeID, AppCode) VALUES ('S1', 'TALO')");
    env.sqlite(
        "INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, UserID, "
        "ChangedAt) VALUES ('tbcoMeal', 'M1', 'UPDATE', '', 'ADMIN', '2026-12-08 09:00:00'), "
        "('SignIn', 'X', 'FAILED', '', '', '2026-12-08 09:10:00'), "
        "('tbcoMeal', 'M2', 'INSERT', '', 'CLERK01', '2026-12-08 09:20:00')");
    env.sqlite("UPDATE Station.tbTALOMealModeSetting SET DailyLimit = 1, LimitAction = 'W' "
               "WHERE MealMode = 'Lunch'");
}

QString text(const Recordset& rows)
{
    QStringList lines{rows.fieldNames().join('\t')};
    for (const Recordset::Row& row : rows.rows())
        lines << row.join('\t');
    return lines.join('\n');
}

// What the call answers and, after it, what `stored` reads; a refusal as its text.
QString answer(const QString& call, const QString& stored)
{
    TestEnvironment env;
    seed(env);
    try {
        QString result = text(env.store().open(call));
        if (!stored.isEmpty())
            result += "\n--\n" + text(env.query(stored));
        return result;
    } catch (const DbError& error) {
        return "error " + QString::number(error.number()) + ": " + error.message();
    }
}

// A call whose answer alone is compared (nothing stored to read back).
void lookUp(const char* name, const QString& call, const QString& key)
{
    QTest::newRow(name) << call << key << QString();
}

} // namespace

void tst_TrailingBlanks::sameRowsWithABlank_data()
{
    QTest::addColumn<QString>("call");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("stored");
    const QString history = "Station..Load_TALO_DistributedMealHistory '12/1/2026', "
                            "'12/8/2026 11:59:59 PM', ";
    const QString historyCount = "Station..Count_TALO_DistributedMealHistory '12/1/2026', "
                                 "'12/8/2026 11:59:59 PM', ";
    const QString report = "Station..Report_TALO_MealDistribution '12/1/2026', "
                           "'12/8/2026 11:59:59 PM', ";
    const QString meals = "SELECT EmpNum, MealCode, MealMode, MealDate, RevokedBy FROM "
                          "Station.tbTALOEmployeeDistributedMeals ORDER BY TransNum";
    const QString tags = "SELECT EmpNum, MealTypeCode FROM Station.tbTALOEmployeeMeal "
                         "ORDER BY EmpNum, MealTypeCode";

    // Look-ups by a key.
    lookUp("search: number", "Station..Load_Employee_for_Meal '12/8/2026', '%1'", "E1");
    lookUp("allowed meals: employee", "Station..Load_TALO_EmployeeAllowedMeals '%1', ''", "E1");
    lookUp("allowed meals: meal code", "Station..Load_TALO_EmployeeAllowedMeals 'E1', '%1'", "M1");
    lookUp("meals received: employee",
           "Station..Load_TALO_EmployeeDistributedMeals '%1', '12/8/2026'", "E1");
    lookUp("tagged meal types: employee", "Station..Load_TALO_EmployeeTaggedMeals '%1'", "E1");
    lookUp("limits: employee", "Station..Check_TALO_MealLimits '%1', '12/8/2026', '[\"Lunch\"]'",
           "E1");
    lookUp("limits: mode", "Station..Check_TALO_MealLimits 'E1', '12/8/2026', '[\"%1\"]'", "Lunch");
    lookUp("users: staff ID", "Station..Load_TALO_Users '%1'", "S1");
    lookUp("users: last name begins", "Station..Load_TALO_Users '%1'", "Smi");
    lookUp("users: blanks list everyone", "Station..Load_TALO_Users '%1'", "");

    // The history's filters, and a filter of blanks.
    lookUp("history: employee", history + "'%1', '', '', '', '0', '', '', '50'", "E1");
    lookUp("history: blank employee", history + "'%1', '', '', '', '0', '', '', '50'", "");
    lookUp("history: meal", history + "'', '%1', '', '', '0', '', '', '50'", "M1");
    lookUp("history: mode", history + "'', '', '%1', '', '0', '', '', '50'", "Lunch");
    lookUp("history: clerk", history + "'', '', '', '%1', '0', '', '', '50'", "C1");
    lookUp("history: blank clerk", history + "'', '', '', '%1', '0', '', '', '50'", "");
    lookUp("history count: employee", historyCount + "'%1', '', '', '', '0'", "E1");
    lookUp("history count: blank meal", historyCount + "'', '%1', '', '', '0'", "");

    // The changes log: table names compare as the server's do, users too.
    lookUp("changes: table", "Station..Load_TALO_AuditLog '', '', '%1', '', '', '', '100'",
           "tbcoMeal");
    lookUp("changes: table in another case",
           "Station..Load_TALO_AuditLog '', '', '%1', '', '', '', '100'", "TBCOMEAL");
    lookUp("changes: blank table", "Station..Load_TALO_AuditLog '', '', '%1', '', '', '', '100'",
           "");
    lookUp("changes count: user", "Station..Count_TALO_AuditLog '', '', '', '%1'", "ADMIN");
    lookUp("changes count: blank user", "Station..Count_TALO_AuditLog '', '', '', '%1'", "");

    // The report's words.
    lookUp("report: layout", report + "'MEAL', '', '%1'", "SUMMARY");
    lookUp("report: first grouping", report + "'%1', '', 'SUMMARY'", "MEAL");
    lookUp("report: blank second grouping", report + "'MEAL', '%1', 'SUMMARY'", "");
    lookUp("report: payroll", report + "'', '', '%1'", "payroll");

    // Saves store the rows their masters name.
    QTest::newRow("save meal: employee")
        << "Station..Save_TALO_EmployeeDistributedMeals '%1', 'M1', 'Dinner', "
           "'12/8/2026 12:00:00 PM', '', 'C1', 'S'"
        << "E1" << meals;
    QTest::newRow("save meal: meal code")
        << "Station..Save_TALO_EmployeeDistributedMeals 'E1', '%1', 'Dinner', "
           "'12/8/2026 12:00:00 PM', '', 'C1', 'S'"
        << "M1" << meals;
    QTest::newRow("revoke: employee")
        << "Station..Revoke_TALO_EmployeeDistributedMeals '%1', '1', 'C1'"
        << "E1" << meals;
    QTest::newRow("tag: employee") << "Station..Save_TALO_EmployeeMeal '%1', 'DI', 'ADMIN'"
                                   << "E2" << tags;
    QTest::newRow("tag: meal type") << "Station..Save_TALO_EmployeeMeal 'E2', '%1', 'ADMIN'"
                                    << "DI" << tags;
    QTest::newRow("untag: employee")
        << "Station..Remove_TALO_EmployeeTaggedMeals '%1', 'LU', 'ADMIN'"
        << "E2" << tags;
    QTest::newRow("bulk: scope")
        << "Station..Save_TALO_EmployeeMealBulk '%1', '', '[]', '[\"DI\"]', '1', 'ADMIN'"
        << "ALL" << tags;
    QTest::newRow("bulk: department")
        << "Station..Save_TALO_EmployeeMealBulk 'DEPARTMENT', '%1', '[]', '[\"DI\"]', '1', 'ADMIN'"
        << "KIT" << tags;
    QTest::newRow("bulk: listed employee")
        << "Station..Save_TALO_EmployeeMealBulk 'LIST', '', '[\"%1\"]', '[\"DI\"]', '1', 'ADMIN'"
        << "E2" << tags;
    QTest::newRow("meal master: meal type")
        << "Station..Save_TALO_MealOnly 'M9', 'Tea', '1.00', '%1', '1', 'ADMIN'"
        << "LU"
        << "SELECT * FROM Station.tbcoMeal ORDER BY Code";
    QTest::newRow("rights: staff ID") << "Station..Save_TALO_User_Rights '%1', '|1|0', 'ADMIN'"
                                      << "S1"
                                      << "SELECT UserID, UserRights FROM Station.tbTALOUserRights "
                                         "ORDER BY UserID";
    QTest::newRow("access: staff ID") << "Station..Save_TALO_UserAccess '%1', '1', '0', 'ADMIN'"
                                      << "S2"
                                      << "SELECT p.EmployeeID, p.Active, a.AppCode FROM "
                                         "Password.tbPasswordMain p LEFT JOIN "
                                         "Password.tbPasswordAppAccess a ON a.EmployeeID = "
                                         "p.EmployeeID ORDER BY p.EmployeeID";
}

void tst_TrailingBlanks::sameRowsWithABlank()
{
    QFETCH(QString, call);
    QFETCH(QString, key);
    QFETCH(QString, stored);
    const QString plain = answer(call.arg(key), stored);
    QVERIFY2(!plain.startsWith("error "), qPrintable(plain));
    // Something to compare: at least one row found or stored.
    QVERIFY2(plain.count('\n') > (stored.isEmpty() ? 0 : 2), qPrintable(plain));
    QCOMPARE(answer(call.arg(key + ' '), stored), plain);
}

QTEST_MAIN(tst_TrailingBlanks)
#include "tst_TrailingBlanks.moc"
