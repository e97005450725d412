#include "data/DbError.h"
#include "server/EmbeddedStore.h"
#include "server/ProcedureCatalog.h"
#include "server/ServerErrors.h"
#include "support/RecordsetColumn.h"
#include "support/StandInHash.h"
#include "support/TestEnvironment.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

// The store's procedures, called with the text the windows send: their result
// columns, what they store, and what they refuse (error 50000, nothing changed).
class tst_Procedures : public QObject
{
    Q_OBJECT

    // Employees, a tagged meal type with meals, and a fixed server clock.
    static void seed(TestEnvironment& env)
    {
        env.store().store().functions().setClock(
            [] { return QDateTime(QDate(2026, 12, 8), QTime(12, 0, 0)); });
        env.addEmployee("10001", "Peña", "Jose", "Reyes", "NUR");
        env.sqlite(
            "UPDATE Payroll.tbcDepartment SET Description = 'Nursing' WHERE DeptCode = 'NUR'");
        env.addEmployee("10002", "PEÑALOSA", "Ana", "Cruz");
        env.addEmployee("10003", "Dela Cruz", "Juan", "Santos");
        env.addEmployee("10004", "Dela Cruz", "Maria", "Lopez");
        env.addEmployee("10005", "Pena", "Old", "Timer");
        env.sqlite("UPDATE Payroll.tbcmaster SET Active = '0' WHERE EmpNum = '10005'");
        env.addEmployee("P%1", "Percent", "Per", "Cent");
        env.addMealType("LUN", "Lunch");
        env.addMealType("BRK", "Breakfast");
        env.addMealType("OLD", "Old ration", false);
        env.addMeal("L01", "Chicken Adobo", "LUN", "75.00");
        env.addMeal("L02", "Pork Adobo", "LUN", "80.00");
        env.addMeal("L09", "Kare-Kare", "LUN", "90.00", false);
        env.addMeal("B01", "Tapsilog", "BRK", "55.00");
        env.addMeal("X01", "Old Ration Pack", "OLD", "25.00");
        env.tag("10001", "LUN");
        env.tag("10001", "OLD");
        env.tag("10002", "BRK");
    }

    static int count(TestEnvironment& env, const QString& table)
    {
        return env.scalar("SELECT count(*) FROM " + table).toInt();
    }

    static QString save(const QString& emp, const QString& meal,
                        const QString& date = "12/8/2026 11:30:15 AM",
                        const QString& mode = "Lunch", const QString& remarks = "")
    {
        return "Station..Save_TALO_EmployeeDistributedMeals '" + emp + "', '" + meal + "', '" +
               mode + "', '" + date + "', '" + remarks + "', 'CLERK01', 'S'";
    }

    static void expectRefusal(TestEnvironment& env, const QString& sql, const QString& message)
    {
        try {
            env.store().execute(sql);
            QFAIL(qPrintable("accepted: " + sql));
        } catch (const DbError& error) {
            QCOMPARE(error.number(), ServerErrors::Raised);
            QVERIFY2(error.message().contains(message),
                     qPrintable(error.message() + " lacks " + message));
        }
    }

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void catalogHoldsEveryProcedure()
    {
        const QStringList names = ProcedureCatalog::builtIn().names();
        // The eleven of the counter and the masters, four of the history, five of the
        // staff import and the password register, the report, four of the app
        // settings (the closed day one of them), bulk tagging with the import's newcomers it
        // offers, the failed sign-in record and the discard of an order the server refused
        // when a counter's journal sent it.
        QCOMPARE(names.size(), 29);
        const auto* load = ProcedureCatalog::builtIn().find("load_employee_for_meal");
        QVERIFY(load);
        QCOMPARE(load->parameters, QStringList({"date", "text"}));
        QCOMPARE(load->access, EmbeddedStore::Access::Read);
    }

    void employeeSearch()
    {
        TestEnvironment env;
        seed(env);
        const auto load = [&](const QString& text) {
            return env.store().open("Station..Load_Employee_for_Meal '12/8/2026 11:30:15 AM', '" +
                                    text + "'");
        };
        const Recordset r = load("peñ");
        QCOMPARE(r.fieldNames(), QStringList({"EMPNUM", "NAME", "DATE", "DEPARTMENT"}));
        QCOMPARE(r.rows(),
                 QList<QStringList>({{"10001", "Peña, Jose Reyes", "2026-12-08", "Nursing"},
                                     {"10002", "PEÑALOSA, Ana Cruz", "2026-12-08", ""}}));
        QCOMPARE(column(load("10003"), 1), QStringList{"Dela Cruz, Juan Santos"});
        QCOMPARE(column(load("dela cruz, m"), 0), QStringList{"10004"});
        QCOMPARE(column(load("Dela Cruz, Juan S"), 0), QStringList{"10003"});
        // Inactive employees are not offered; % is a character, not a wildcard.
        QCOMPARE(column(load("pena"), 0), QStringList());
        QCOMPARE(column(load("P%1"), 0), QStringList{"P%1"});
        QCOMPARE(column(load("%"), 0), QStringList());
        // An empty text lists every active employee, by name (case-folded code points).
        QCOMPARE(column(load(""), 0), QStringList({"10003", "10004", "P%1", "10001", "10002"}));
        // The date at midnight is the same day.
        QCOMPARE(env.store()
                     .open("Station..Load_Employee_for_Meal '12/8/2026', '10001'")
                     .value(0, "DATE"),
                 QString("2026-12-08"));
        try {
            env.store().open("Station..Load_Employee_for_Meal 'someday', ''");
            QFAIL("an unreadable date was accepted");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), ServerErrors::Raised);
        }
    }

    // The opening search reads the name-order index with no sort of its own: its rows
    // must still be those of sorting every active name through the collation, with the
    // number deciding between equal names, whatever order the employees were added in.
    // The names mix case, accents, blanks, commas and texts that fold to one another;
    // departments repeat, some employees have none, some codes differ only in case.
    void openingSearchListsEveryActiveEmployeeInNameOrder()
    {
        TestEnvironment env;
        seed(env);
        const QStringList parts = {"Cruz",      "cruz",
                                   "CRUZ ",     "Peña",
                                   "PEÑA",      "Pena",
                                   "Dela Cruz", "de la cruz",
                                   "Cruz, Jr.", "Ñ",
                                   "a",         "",
                                   " Ana",      QString::fromUtf8("\u212Aelvin"),
                                   "Straße",    "STRASSE"};
        const QStringList departments = {"", "NUR", "nur", "KIT", "ADM"};
        QRandomGenerator random(13);
        for (int i = 0; i < 400; ++i) {
            const auto pick = [&](const QStringList& list) {
                return list.at(random.bounded(int(list.size())));
            };
            const QString number =
                QString::number(random.bounded(100000, 999999)) + QString::number(i);
            env.addEmployee(number, pick(parts), pick(parts), pick(parts), pick(departments));
            if (random.bounded(10) == 0)
                env.sqlite("UPDATE Payroll.tbcmaster SET Active = '0' WHERE EmpNum = '" + number +
                           "'");
        }
        const Recordset listed =
            env.store().open("Station..Load_Employee_for_Meal '12/8/2026 11:30:15 AM', ''");
        const Recordset sorted = env.query(
            "SELECT e.EmpNum, e.Lastname || ', ' || e.Firstname || ' ' || e.Middlename AS NAME, "
            "'2026-12-08', COALESCE(d.Description, '') FROM Payroll.tbcmaster e LEFT JOIN "
            "Payroll.tbcDepartment d ON d.DeptCode = e.DeptCode WHERE e.Active = '1' "
            "ORDER BY NAME COLLATE UNICODE_CI, e.EmpNum");
        QVERIFY(sorted.recordCount() > 300);
        QCOMPARE(listed.rows(), sorted.rows());
    }

    // The prefix search must stay an index range on 100,000 employees, never a scan;
    // the opening search reads the name-order index instead of sorting every name.
    void employeeSearchUsesIndexes()
    {
        TestEnvironment env;
        const QString body = ProcedureCatalog::builtIn().find("Load_Employee_for_Meal")->body;
        const QString last = body.mid(body.indexOf(
            QRegularExpression("^SELECT e\\.EmpNum", QRegularExpression::MultilineOption)));
        const Recordset plan = env.query("EXPLAIN QUERY PLAN " + last);
        const QString details = column(plan, 3).join('\n');
        QVERIFY2(details.contains("USING INDEX ixMasterLastname (Lastname>? AND Lastname<?)"),
                 qPrintable(details));
        QVERIFY2(details.contains("SCAN e USING COVERING INDEX ixMasterNameOrder"),
                 qPrintable(details));
        QVERIFY2(details.count("USE TEMP B-TREE FOR ORDER BY") == 1, qPrintable(details));
        QVERIFY2(!details.contains("SCAN Payroll.tbcmaster") &&
                     !details.contains(QRegularExpression("SCAN e($|\\n)")),
                 qPrintable(details));
    }

    void savedMealsAreLoadedForTheirDay()
    {
        TestEnvironment env;
        seed(env);
        env.store().execute(save("10001", "L01", "12/8/2026 11:30:15 AM", "Lunch", "no rice"));
        env.store().execute(save("10001", "l02", "12/8/2026 7:05:00 AM", "Extra Snack"));
        env.store().execute(save("10001", "L01", "12/7/2026 11:30:00 AM"));
        QCOMPARE(env.scalar("SELECT MealDate || '|' || MealCode || '|' || ClerkID || '|' || Source "
                            "|| '|' || RecordedAt FROM Station.tbTALOEmployeeDistributedMeals "
                            "WHERE TransNum = 2"),
                 QString("2026-12-08 07:05:00|L02|CLERK01|S|2026-12-08 12:00:00"));
        // Who recorded it as the store knows the caller, not the clerk the program names:
        // the audit log's login, on every row saved.
        QCOMPARE(env.scalar("SELECT group_concat(DISTINCT LoginName) FROM "
                            "Station.tbTALOEmployeeDistributedMeals"),
                 env.scalar("SELECT talo_login()"));
        QVERIFY(!env.scalar("SELECT talo_login()").isEmpty());
        const Recordset r =
            env.store().open("Station..Load_TALO_EmployeeDistributedMeals '10001', '12/8/2026'");
        QCOMPARE(r.fieldNames(), QStringList({"MEAL", "DESCRIPTION", "TIME", "REMARKS", "CLERKID",
                                              "TRANSNUM", "MEALMODE"}));
        QCOMPARE(r.rows(),
                 QList<QStringList>(
                     {{"L02", "Pork Adobo", "7:05 AM", "", "CLERK01", "2", "Extra Snack"},
                      {"L01", "Chicken Adobo", "11:30 AM", "no rice", "CLERK01", "1", "Lunch"}}));
        QCOMPARE(env.store()
                     .open("Station..Load_TALO_EmployeeDistributedMeals '10002', '12/8/2026'")
                     .recordCount(),
                 0);
        QCOMPARE(
            env.store().open("Station..Load_TALO_EmployeeDistributedMeals '', ''").recordCount(),
            0);
    }

    void savingADistributedMealIsValidated_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty order line")
            << save("10001", "", "12/8/2026 11:30:15 AM", "") << "Meal code is required.";
        QTest::newRow("unknown employee") << save("99999", "L01") << "Unknown employee 99999.";
        QTest::newRow("inactive employee") << save("10005", "L01") << "is inactive";
        QTest::newRow("unknown meal") << save("10001", "Z99") << "Unknown meal Z99.";
        QTest::newRow("inactive meal") << save("10001", "L09") << "Meal L09 is inactive.";
        QTest::newRow("inactive meal type") << save("10001", "X01") << "meal type";
        QTest::newRow("type not tagged") << save("10002", "L01") << "not tagged";
        QTest::newRow("empty meal mode")
            << save("10001", "L01", "12/8/2026 11:30:15 AM", " ") << "Meal mode is required.";
        QTest::newRow("bad date") << save("10001", "L01", "31/31/2026") << "not a valid date";
        QTest::newRow("empty date") << save("10001", "L01", "") << "not a valid date";
    }

    void savingADistributedMealIsValidated()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        TestEnvironment env;
        seed(env);
        expectRefusal(env, sql, message);
        QCOMPARE(count(env, "Station.tbTALOEmployeeDistributedMeals"), 0);
    }

    void revokeKeepsTheRowAndRefusesTwice()
    {
        TestEnvironment env;
        seed(env);
        env.store().execute(save("10001", "L01"));
        env.store().execute(save("10001", "L02"));
        expectRefusal(env, "Station..Revoke_TALO_EmployeeDistributedMeals '10002', '1', 'C2'",
                      "was not given to employee 10002");
        expectRefusal(env, "Station..Revoke_TALO_EmployeeDistributedMeals '10001', '', 'C2'",
                      "is not a transaction number");
        expectRefusal(env, "Station..Revoke_TALO_EmployeeDistributedMeals '10001', '1 OR 1', 'C2'",
                      "is not a transaction number");
        env.store().execute("Station..Revoke_TALO_EmployeeDistributedMeals '10001', '1', 'C2'");
        QCOMPARE(env.scalar("SELECT RevokedBy || ' ' || RevokedAt FROM "
                            "Station.tbTALOEmployeeDistributedMeals WHERE TransNum = 1"),
                 QString("C2 2026-12-08 12:00:00"));
        QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals WHERE "
                            "RevokedAt IS NULL"),
                 QString("1"));
        expectRefusal(env, "Station..Revoke_TALO_EmployeeDistributedMeals '10001', '1', 'C2'",
                      "is already revoked");
        QCOMPARE(column(env.store().open(
                            "Station..Load_TALO_EmployeeDistributedMeals '10001', '12/8/2026'"),
                        0),
                 QStringList{"L02"});
        QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOAuditLog WHERE Action = 'REVOKE'"),
                 QString("1"));
    }

    void allowedMeals()
    {
        TestEnvironment env;
        seed(env);
        const auto allowed = [&](const QString& emp, const QString& text) {
            return env.store().open("Station..Load_TALO_EmployeeAllowedMeals '" + emp + "', '" +
                                    text + "'");
        };
        const Recordset all = allowed("10001", "");
        QCOMPARE(all.fieldNames(), QStringList({"CODE", "DESCRIPTION", "COST", "TYPE", "STATUS"}));
        // Inactive meals and meals of an inactive type are not offered.
        QCOMPARE(all.rows(), QList<QStringList>({{"L01", "Chicken Adobo", "75.00", "LUN", "1"},
                                                 {"L02", "Pork Adobo", "80.00", "LUN", "1"}}));
        QCOMPARE(column(allowed("10001", "PORK"), 0), QStringList{"L02"});
        QCOMPARE(column(allowed("10001", "l01"), 0), QStringList{"L01"});
        QCOMPARE(column(allowed("10001", "%"), 0), QStringList());
        QCOMPARE(column(allowed("10002", ""), 0), QStringList{"B01"});
        QCOMPARE(allowed("10003", "").recordCount(), 0);
    }

    void mealMasterSave()
    {
        TestEnvironment env;
        seed(env);
        env.store().execute("Station..Save_TALO_MealOnly 'S01', 'Turon', '15', 'LUN', '1','ADMIN'");
        env.store().execute(
            "Station..Save_TALO_MealOnly 's01', 'Banana Q''s', '', '', '0','ADMIN'");
        QCOMPARE(env.query("SELECT * FROM Station.tbcoMeal WHERE Code = 'S01'").rows(),
                 QList<QStringList>({{"S01", "Banana Q's", "", "", "0"}}));
        env.store().execute(
            "Station..Save_TALO_MealOnly 'S02', 'Puto', '12.5', 'lun', '1','ADMIN'");
        QCOMPARE(
            env.scalar("SELECT Cost || ' ' || MealType FROM Station.tbcoMeal WHERE Code = 'S02'"),
            QString("12.50 LUN"));
        QCOMPARE(column(env.query("SELECT Action FROM Station.tbTALOAuditLog WHERE TableName = "
                                  "'tbcoMeal' ORDER BY AuditID"),
                        0),
                 QStringList({"INSERT", "UPDATE", "INSERT"}));
    }

    void mealMasterSaveIsValidated_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        const QString call = "Station..Save_TALO_MealOnly '%1', 'Meal', '%2', '%3', '%4','ADMIN'";
        QTest::newRow("empty code") << call.arg("", "1", "LUN", "1") << "Meal code is required.";
        QTest::newRow("negative cost") << call.arg("M1", "-1", "LUN", "1") << "Cost must be";
        QTest::newRow("text cost") << call.arg("M1", "abc", "LUN", "1") << "Cost must be";
        QTest::newRow("third decimal") << call.arg("M1", "10.999", "LUN", "1")
                                       << "Cost can have at most two decimals, not '10.999'.";
        QTest::newRow("half a cent")
            << call.arg("M1", "2.675", "LUN", "1") << "at most two decimals";
        QTest::newRow("unknown type") << call.arg("M1", "1", "ZZZ", "1") << "Unknown meal type";
        QTest::newRow("bad status") << call.arg("M1", "1", "LUN", "Y") << "Status must be";
        QTest::newRow("type: empty code")
            << QString("Station..Save_TALO_MealType '', 'X', '1','ADMIN'")
            << "Meal type code is required.";
        QTest::newRow("type: bad status")
            << QString("Station..Save_TALO_MealType 'T1', 'X', '','ADMIN'") << "Status must be";
    }

    void mealMasterSaveIsValidated()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        TestEnvironment env;
        seed(env);
        const int meals = count(env, "Station.tbcoMeal");
        const int types = count(env, "Station.tbcoMealType");
        expectRefusal(env, sql, message);
        QCOMPARE(count(env, "Station.tbcoMeal"), meals);
        QCOMPARE(count(env, "Station.tbcoMealType"), types);
        QCOMPARE(count(env, "Station.tbTALOAuditLog"), 0);
    }

    void mealTypeSave()
    {
        TestEnvironment env;
        env.store().execute("Station..Save_TALO_MealType 'DIN', 'Dinner', '1','ADMIN'");
        env.store().execute("Station..Save_TALO_MealType 'din', 'Supper', '0','SUPER01'");
        QCOMPARE(env.query("SELECT * FROM Station.tbcoMealType").rows(),
                 QList<QStringList>({{"DIN", "Supper", "0"}}));
        QCOMPARE(column(env.query("SELECT Action || ' ' || UserID FROM Station.tbTALOAuditLog "
                                  "ORDER BY AuditID"),
                        0),
                 QStringList({"INSERT ADMIN", "UPDATE SUPER01"}));
    }

    void taggingKeepsOneTagAndRecordsChanges()
    {
        TestEnvironment env;
        seed(env);
        env.store().execute("Station..Save_TALO_EmployeeMeal '10003', 'BRK','ADMIN'");
        env.store().execute("Station..Save_TALO_EmployeeMeal '10003', 'brk','ADMIN'");
        env.store().execute("Station..Save_TALO_EmployeeMeal '10003', 'LUN','ADMIN'");
        const Recordset tagged = env.store().open("Station..Load_TALO_EmployeeTaggedMeals '10003'");
        QCOMPARE(tagged.fieldNames(), QStringList({"CODE", "DESCRIPTION"}));
        QCOMPARE(tagged.rows(), QList<QStringList>({{"BRK", "Breakfast"}, {"LUN", "Lunch"}}));
        expectRefusal(env, "Station..Save_TALO_EmployeeMeal '99999', 'BRK','ADMIN'",
                      "Unknown employee");
        expectRefusal(env, "Station..Save_TALO_EmployeeMeal '10003', '','ADMIN'",
                      "Meal type code is required.");
        expectRefusal(env, "Station..Save_TALO_EmployeeMeal '10003', 'OLD','ADMIN'", "inactive");
        env.store().execute("Station..Remove_TALO_EmployeeTaggedMeals '10003', 'Brk', 'ADMIN'");
        QCOMPARE(column(env.store().open("Station..Load_TALO_EmployeeTaggedMeals '10003'"), 0),
                 QStringList{"LUN"});
        expectRefusal(env, "Station..Remove_TALO_EmployeeTaggedMeals '10003', 'BRK', 'ADMIN'",
                      "is not tagged");
        QCOMPARE(column(env.query("SELECT Action || ' ' || RecordKey FROM Station.tbTALOAuditLog "
                                  "ORDER BY AuditID"),
                        0),
                 QStringList({"TAG 10003/BRK", "TAG 10003/LUN", "UNTAG 10003/BRK"}));
    }

    void rightsReplaceEveryEarlierRow()
    {
        TestEnvironment env("ADMIN", "|1|2|3|4|5|6|7|8");
        env.sqlite("INSERT INTO Station.tbTALOUserRights(UserID, UserRights) VALUES "
                   "('CLERK01', '|1'), ('clerk01', '|2')");
        env.store().execute("Station..Save_TALO_User_Rights 'CLERK01', '|1|2|0|0|5|0|0|0','ADMIN'");
        QCOMPARE(env.query("SELECT UserID, UserRights, ModifiedBy FROM Station.tbTALOUserRights "
                           "WHERE UserID = 'clerk01'")
                     .rows(),
                 QList<QStringList>({{"CLERK01", "|1|2|0|0|5|0|0|0", "ADMIN"}}));
        QCOMPARE(env.scalar("SELECT Details FROM Station.tbTALOAuditLog"),
                 QString("|1 -> |1|2|0|0|5|0|0|0"));
        expectRefusal(env, "Station..Save_TALO_User_Rights '', '|1|2','ADMIN'",
                      "Staff ID is required.");
        expectRefusal(env, "Station..Save_TALO_User_Rights 'X', '1|2','ADMIN'",
                      "is not a rights string");
        expectRefusal(env, "Station..Save_TALO_User_Rights 'X', '|1|Y','ADMIN'",
                      "is not a rights string");
        env.store().execute("Station..Save_TALO_User_Rights 'X', '','ADMIN'");
        QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOUserRights WHERE UserID = 'X'"),
                 QString("1"));
    }

    // Right 5 stays with at least one person who is active and may sign in: only another
    // such holder lets the last one lose it. A refusal names the stored ID and changes
    // nothing.
    void rightFiveStaysWithTheLastManager_data()
    {
        QTest::addColumn<QString>("staff");
        QTest::addColumn<QString>("rights");
        QTest::addColumn<QString>("other"); // how BOSS, who also holds right 5, stands
        QTest::addColumn<bool>("refused");
        const QString without5 = "|1|2|3|4|0|6|7|8";
        QTest::newRow("alone") << "ADMIN01" << without5 << "absent" << true;
        QTest::newRow("no rights at all") << "ADMIN01"
                                          << ""
                                          << "absent" << true;
        QTest::newRow("padded, other case") << " admin01 " << without5 << "absent" << true;
        QTest::newRow("other inactive") << "ADMIN01" << without5 << "inactive" << true;
        QTest::newRow("other cannot sign in") << "ADMIN01" << without5 << "no access" << true;
        QTest::newRow("another manager") << "ADMIN01" << without5 << "manager" << false;
        QTest::newRow("keeps right 5") << "ADMIN01"
                                       << "|0|0|0|0|5"
                                       << "absent" << false;
        QTest::newRow("not a manager") << "CLERK01" << without5 << "absent" << false;
    }

    void rightFiveStaysWithTheLastManager()
    {
        QFETCH(QString, staff);
        QFETCH(QString, rights);
        QFETCH(QString, other);
        QFETCH(bool, refused);
        TestEnvironment env("ADMIN01", "|1|2|3|4|5|6|7|8");
        env.setRights("CLERK01", "|1|0|0|0|5");
        // A manager has a password: any well-formed argon2id text stands for one here.
        const QString hash = "'" + standInHash() + "'";
        env.sqlite("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, PasswordHash) "
                   "VALUES ('ADMIN01', 'Admin', " +
                   hash + "), ('CLERK01', 'Clerk', " + hash + ")");
        env.sqlite("INSERT INTO Password.tbPasswordAppAccess VALUES ('ADMIN01', 'TALO')");
        if (other != "absent") {
            env.setRights("BOSS", "|0|0|0|0|5");
            env.sqlite(QString("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, Active, "
                               "PasswordHash) VALUES ('BOSS', 'Boss', '%1', %2)")
                           .arg(other == "inactive" ? "0" : "1", hash));
            if (other != "no access")
                env.sqlite("INSERT INTO Password.tbPasswordAppAccess VALUES ('BOSS', 'TALO')");
        }
        const QString call =
            "Station..Save_TALO_User_Rights '" + staff + "', '" + rights + "', 'ADMIN01'";
        const QString id = staff.trimmed().toUpper();
        const QString stored = "SELECT group_concat(UserRights) FROM Station.tbTALOUserRights "
                               "WHERE UserID = '" +
                               id + "'";
        const QString before = env.scalar(stored);
        if (refused) {
            expectRefusal(env, call,
                          "ADMIN01 is the last person with right 5 who may sign in; give right 5 "
                          "to someone else first.");
            QCOMPARE(env.scalar(stored), before);
            QCOMPARE(count(env, "Station.tbTALOAuditLog"), 0);
        } else {
            env.store().execute(call);
            QCOMPARE(env.scalar(stored), rights);
            QCOMPARE(count(env, "Station.tbTALOAuditLog"), 1);
        }
    }

    void callForms()
    {
        TestEnvironment env;
        seed(env);
        const QStringList forms = {
            "EXEC Station..Load_TALO_EmployeeTaggedMeals '10001'",
            "execute Station.dbo.Load_TALO_EmployeeTaggedMeals '10001';",
            "Station..load_talo_employeetaggedmeals '10001'",
            "Load_TALO_EmployeeTaggedMeals N'10001'",
        };
        for (const QString& sql : forms)
            QCOMPARE(env.store().open(sql).recordCount(), 2);
        env.store().execute("Station..Save_TALO_EmployeeMeal '10002','LUN','ADMIN'");
        QCOMPARE(count(env, "Station.tbTALOEmployeeMeal"), 4);
    }

    void callErrors_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<int>("number");
        QTest::newRow("unknown") << "Station..Nothing 'a'" << ServerErrors::UnknownProcedure;
        QTest::newRow("other database")
            << "Payroll..Load_TALO_EmployeeTaggedMeals 'a'" << ServerErrors::UnknownProcedure;
        QTest::newRow("too many") << "Station..Load_TALO_EmployeeTaggedMeals 'a', 'b'"
                                  << ServerErrors::TooManyArguments;
        QTest::newRow("too few") << "Station..Save_TALO_MealType 'A', 'B', '1'"
                                 << ServerErrors::MissingArgument;
        QTest::newRow("dangling comma")
            << "Station..Load_TALO_EmployeeTaggedMeals 'a'," << ServerErrors::Syntax;
        QTest::newRow("quote breaks out")
            << "Station..Load_TALO_EmployeeTaggedMeals 'a'' b" << ServerErrors::Syntax;
    }

    void callErrors()
    {
        QFETCH(QString, sql);
        QFETCH(int, number);
        TestEnvironment env;
        try {
            env.store().execute(sql);
            QFAIL("the call was accepted");
        } catch (const DbError& error) {
            QCOMPARE(error.number(), number);
        }
    }

    // Every change's audit row records its fields with their values before and after, as
    // JSON, whole whatever they hold: the last audit row of each call, its Fields as
    // SQLite reads them back.
    void everyAuditRowRecordsItsFields_data()
    {
        QTest::addColumn<QStringList>("calls");
        QTest::addColumn<QString>("fields");
        const QString person = "Station..Save_TALO_User 'N1', 'Uy; Active=0', 'Ana', '', 'ADMIN'";
        QTest::newRow("person added")
            << QStringList{person}
            << "{\"Lastname\":{\"new\":\"Uy; Active=0\"},\"Firstname\":{\"new\":\"Ana\"},"
               "\"Middlename\":{\"new\":\"\"}}";
        QTest::newRow("person renamed")
            << QStringList{person, "Station..Save_TALO_User 'N1', 'Uy -> Tan', 'Ana', 'B', 'ADMIN'"}
            << "{\"Lastname\":{\"old\":\"Uy; Active=0\",\"new\":\"Uy -> Tan\"},"
               "\"Firstname\":{\"old\":\"Ana\",\"new\":\"Ana\"},\"Middlename\":{\"old\":\"\","
               "\"new\":\"B\"}}";
        QTest::newRow("access granted")
            << QStringList{person, "Station..Save_TALO_UserAccess 'N1', '1', '1', 'ADMIN'"}
            << "{\"TALO\":{\"old\":\"0\",\"new\":\"1\"}}";
        QTest::newRow("deactivated")
            << QStringList{person, "Station..Save_TALO_UserAccess 'N1', '0', '0', 'ADMIN'"}
            << "{\"Active\":{\"old\":\"1\",\"new\":\"0\"}}";
        QTest::newRow("password set")
            << QStringList{person, "Station..Save_TALO_UserPassword 'N1', "
                                   "'$argon2id$v=19$m=65536,t=2,p=1$AAAAAAAAAAAAAAAAAAAAAA$"
                                   "AAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAAA', 'ADMIN'"}
            << "{\"PasswordHash\":{}}";
        QTest::newRow("rights") << QStringList{"Station..Save_TALO_User_Rights 'N1', '|1|2', "
                                               "'ADMIN'"}
                                << "{\"UserRights\":{\"old\":null,\"new\":\"|1|2\"}}";
        QTest::newRow("meal type renamed")
            << QStringList{"Station..Save_TALO_MealType 'LUN', 'Lunch\"; Status=0', '1','ADMIN'"}
            << "{\"Description\":{\"old\":\"Lunch\",\"new\":\"Lunch\\\"; Status=0\"},"
               "\"Status\":{\"old\":\"1\",\"new\":\"1\"}}";
        QTest::newRow("meal added")
            << QStringList{"Station..Save_TALO_MealOnly 'L05', 'Sinigang', '60', 'LUN', "
                           "'1','ADMIN'"}
            << "{\"Description\":{\"new\":\"Sinigang\"},\"Cost\":{\"new\":\"60.00\"},"
               "\"MealType\":{\"new\":\"LUN\"},\"Status\":{\"new\":\"1\"}}";
        QTest::newRow("employee imported")
            << QStringList{"Station..Save_TALO_StaffImport '[[\"10001\",\"Peña\\nDiaz\",\"Jose\","
                           "\"Reyes\",\"NUR\",\"Nursing\",\"0\"]]', 'ADMIN'"}
            << "{\"Lastname\":{\"old\":\"Peña\",\"new\":\"Peña\\nDiaz\"},"
               "\"Firstname\":{\"old\":\"Jose\",\"new\":\"Jose\"},\"Middlename\":{\"old\":"
               "\"Reyes\",\"new\":\"Reyes\"},"
               "\"DeptCode\":{\"old\":\"NUR\",\"new\":\"NUR\"},\"Active\":{\"old\":\"1\",\"new\":"
               "\"0\"}}";
        QTest::newRow("tagged")
            << QStringList{"Station..Save_TALO_EmployeeMeal '10003', 'BRK','ADMIN'"}
            << "{\"EmpNum\":{\"new\":\"10003\"},\"MealTypeCode\":{\"new\":\"BRK\"}}";
        QTest::newRow("untagged")
            << QStringList{"Station..Remove_TALO_EmployeeTaggedMeals '10001', 'LUN','ADMIN'"}
            << "{\"EmpNum\":{\"old\":\"10001\"},\"MealTypeCode\":{\"old\":\"LUN\"}}";
        QTest::newRow("revoked")
            << QStringList{save("10001", "L01"),
                           "Station..Revoke_TALO_EmployeeDistributedMeals '10001', '1', 'C2'"}
            << "{\"EmpNum\":{\"old\":\"10001\"},\"MealCode\":{\"old\":\"L01\"},"
               "\"MealDate\":{\"old\":\"2026-12-08 11:30:15\"}}";
        QTest::newRow("closed day") << QStringList{"Station..Save_TALO_ClosedThrough '2026-11-30', "
                                                   "'ADMIN'"}
                                    << "{\"ClosedThrough\":{\"old\":null,\"new\":\"2026-11-30\"}}";
        QTest::newRow("failed sign-in")
            << QStringList{"Station..Save_TALO_FailedSignIn 'X9', 'COUNTER-2'"}
            << "{\"Workstation\":{\"new\":\"COUNTER-2\"}}";
    }

    void everyAuditRowRecordsItsFields()
    {
        QFETCH(QStringList, calls);
        QFETCH(QString, fields);
        TestEnvironment env;
        seed(env);
        for (const QString& call : calls)
            env.store().execute(call);
        QCOMPARE(env.scalar("SELECT Fields FROM Station.tbTALOAuditLog ORDER BY AuditID DESC "
                            "LIMIT 1"),
                 fields);
    }

    // Costs are stored from their digits, as SQL Server's DECIMAL holds them: trailing
    // zeros beyond the second decimal are no third decimal.
    void costsAreStoredExactly_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        QTest::newRow("two decimals") << "2.67"
                                      << "2.67";
        QTest::newRow("zeros after the second") << "10.990"
                                                << "10.99";
        QTest::newRow("point only at the end") << "12."
                                               << "12.00";
        QTest::newRow("no whole part") << ".5"
                                       << "0.50";
        QTest::newRow("leading zeros") << "007.5"
                                       << "7.50";
        QTest::newRow("twelve digits") << "999999999999.99"
                                       << "999999999999.99";
        QTest::newRow("blanks around") << " 3 "
                                       << "3.00";
    }

    void costsAreStoredExactly()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        TestEnvironment env;
        seed(env);
        env.store().execute("Station..Save_TALO_MealOnly 'C1', 'Cost', '" + typed +
                            "', 'LUN', '1','ADMIN'");
        QCOMPARE(env.scalar("SELECT Cost FROM Station.tbcoMeal WHERE Code = 'C1'"), stored);
    }

    // Every argument longer than what the server stores is refused with its own text
    // before anything is read or written; a value of exactly that length is taken.
    void overLongArgumentsAreRefused_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        const auto x = [](int n) { return QString(n, QLatin1Char('x')); };
        QTest::newRow("remarks") << save("10001", "L01", "12/8/2026 11:30:15 AM", "Lunch", x(501))
                                 << "Remarks can be at most 500 characters long.";
        QTest::newRow("meal mode") << save("10001", "L01", "12/8/2026 11:30:15 AM", x(51))
                                   << "Meal mode can be at most 50 characters long.";
        QTest::newRow("meal description")
            << "Station..Save_TALO_MealOnly 'M1', '" + x(201) + "', '', '', '1','ADMIN'"
            << "Description can be at most 200 characters long.";
        QTest::newRow("meal type code")
            << "Station..Save_TALO_MealType '" + x(31) + "', 'T', '1','ADMIN'"
            << "Meal type code can be at most 30 characters long.";
        // A character outside the BMP counts twice, as in an NVARCHAR column.
        QTest::newRow("staff ID in UTF-16 units")
            << "Station..Save_TALO_User_Rights '" + x(29) + "\U0001F600', '|1','ADMIN'"
            << "Staff ID can be at most 30 characters long.";
        QTest::newRow("search text")
            << "Station..Load_Employee_for_Meal '12/8/2026', '" + x(201) + "'"
            << "Search text can be at most 200 characters long.";
        QTest::newRow("revoking clerk")
            << "Station..Revoke_TALO_EmployeeDistributedMeals '10001', '1', '" + x(31) + "'"
            << "Clerk ID can be at most 30 characters long.";
        QTest::newRow("history employee")
            << "Station..Count_TALO_DistributedMealHistory '', '', '" + x(31) + "', '', '', '', '0'"
            << "Employee number can be at most 30 characters long.";
        QTest::newRow("audit log table")
            << "Station..Load_TALO_AuditLog '', '', '" + x(101) + "', '', '', '', '50'"
            << "Table name can be at most 100 characters long.";
        QTest::newRow("last name")
            << "Station..Save_TALO_User 'N1', '" + x(101) + "', 'F', '', 'ADMIN'"
            << "Last name can be at most 100 characters long.";
        QTest::newRow("password hash")
            << "Station..Save_TALO_UserPassword 'N1', '$argon2id$" + x(246) + "', 'ADMIN'"
            << "Password hash can be at most 255 characters long.";
        QTest::newRow("access flag") << "Station..Save_TALO_UserAccess 'N1', '11', '1', 'ADMIN'"
                                     << "Access can be at most 1 character long.";
        QTest::newRow("importing user") << "Station..Save_TALO_StaffImport '[]', '" + x(31) + "'"
                                        << "User ID can be at most 30 characters long.";
    }

    void overLongArgumentsAreRefused()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        TestEnvironment env;
        seed(env);
        expectRefusal(env, sql, message);
        QCOMPARE(count(env, "Station.tbTALOAuditLog"), 0);
        QCOMPARE(count(env, "Station.tbTALOEmployeeDistributedMeals"), 0);

        env.store().execute(save("10001", "L01", "12/8/2026 11:30:15 AM",
                                 QString(50, QLatin1Char('m')), QString(500, QLatin1Char('r'))));
        QCOMPARE(env.scalar("SELECT length(MealMode) || ' ' || length(Remarks) FROM "
                            "Station.tbTALOEmployeeDistributedMeals"),
                 QString("50 500"));
    }

    // Beside the user the program names, every audit row records who the server
    // knows the caller as: here the operating-system user that opened the store.
    void auditRowsRecordTheCallersLogin()
    {
        const QByteArray previous = qgetenv("USER");
        qputenv("USER", "counter7");
        TestEnvironment env("ADMIN", "|1|2|3|4|5|6|7|8");
        qputenv("USER", previous);
        seed(env);
        env.store().execute("Station..Save_TALO_User_Rights 'CLERK01', '|1','SOMEONE'");
        env.store().execute("Station..Save_TALO_MealType 'DIN', 'Dinner', '1','ADMIN'");
        env.store().execute(save("10001", "L01"));
        env.store().execute("Station..Revoke_TALO_EmployeeDistributedMeals '10001', '1', 'C2'");
        env.store().execute("Station..Save_TALO_User 'NURSE9', 'Lee', 'Ann', '', 'ADMIN'");
        env.store().execute("Station..Save_TALO_UserAccess 'NURSE9', '1', '1', 'ADMIN'");
        QCOMPARE(
            column(env.query("SELECT Action || ' ' || UserID || ' ' || LoginName FROM "
                             "Station.tbTALOAuditLog ORDER BY AuditID"),
                   0),
            QStringList({"RIGHTS SOMEONE counter7", "INSERT ADMIN counter7", "REVOKE C2 counter7",
                         "INSERT ADMIN counter7", "ACCESS ADMIN counter7"}));
    }

    // Names and remarks beyond Latin-1 survive a save and a read; the connection sends
    // them as N'…' literals, which the store reads like any other literal.
    void nonLatinTextIsKept()
    {
        TestEnvironment env;
        seed(env);
        const QString remark = QStringLiteral("Без соли, 少油 — O'Brien");
        env.store().execute(save("10001", "L01", "12/8/2026 11:30:15 AM", "Lunch",
                                 QString(remark).replace("'", "''")));
        env.store().execute(
            QStringLiteral("Station..Save_TALO_MealType N'ΔΕΙ', N'Δείπνο', '1','ADMIN'"));
        QCOMPARE(env.store()
                     .open("Station..Load_TALO_EmployeeDistributedMeals '10001', '12/8/2026'")
                     .value(0, QStringLiteral("REMARKS")),
                 remark);
        QCOMPARE(env.store()
                     .open(QStringLiteral("Select Description from Station..tbcoMealType where "
                                          "Code = 'δει' and Description like '%είπ%'"))
                     .value(0, 0),
                 QStringLiteral("Δείπνο"));
    }

    // Several calls in one transaction are all or nothing; a refused call inside it
    // leaves nothing of its own behind and the transaction can go on.
    void callsInsideATransaction()
    {
        TestEnvironment env;
        seed(env);
        QVERIFY_THROWS_EXCEPTION(DbError, env.store().transaction([&] {
            env.store().execute(save("10001", "L01"));
            env.store().execute(save("10001", "Z99"));
        }));
        QCOMPARE(count(env, "Station.tbTALOEmployeeDistributedMeals"), 0);
        env.store().transaction([&] {
            env.store().execute(save("10001", "L01"));
            try {
                env.store().execute("Station..Save_TALO_MealOnly 'Q1', 'Q', 'x', '', '1','A'");
            } catch (const DbError&) {
            }
            env.store().execute(save("10001", "L02"));
        });
        QCOMPARE(count(env, "Station.tbTALOEmployeeDistributedMeals"), 2);
        QCOMPARE(count(env, "Station.tbcoMeal WHERE Code = 'Q1'"), 0);
        QVERIFY(!env.store().store().inTransaction());
    }
};

QTEST_MAIN(tst_Procedures)
#include "tst_Procedures.moc"
