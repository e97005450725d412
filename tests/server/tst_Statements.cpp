#include "data/DbError.h"
#include "data/GeneralDate.h"
#include "server/EmbeddedStore.h"
#include "support/RecordsetColumn.h"
#include "support/TestEnvironment.h"

#include <QTest>

// Every SELECT the windows send, run through the embedded connection exactly as
// written: the result columns carry the names the windows show, and the rows have the
// server's meaning (case-insensitive, Unicode-aware matching, SQL Server LIKE).
class tst_Statements : public QObject
{
    Q_OBJECT

    static void seedPeople(TestEnvironment& env)
    {
        env.sqlite("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, Firstname, "
                   "Middlename) VALUES ('N001', 'Peña', 'Jose', 'Reyes'), "
                   "('N002', 'PEÑALOSA', 'Ana', 'Cruz'), ('N003', 'Pena', 'Luis', 'Tan'), "
                   "('O01', 'O''Neil', 'Pat', 'Lim'), ('X9', 'Santos', 'Maria', '')");
        env.addEmployee("10001", "Peña", "Jose", "Reyes");
        env.addEmployee("10002", "O'Neil", "Pat", "Lim");
        env.addEmployee("10003", "Santos", "Maria", "");
    }

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void serverDateIsTheServerClockAsGeneralDate()
    {
        TestEnvironment env;
        env.store().store().functions().setClock(
            [] { return QDateTime(QDate(2026, 12, 8), QTime(11, 30, 15)); });
        const Recordset r =
            env.store().open("Select GetDate() As ServerDate From Patient_Data..tbHospitalInfo");
        QCOMPARE(r.fieldNames(), QStringList{"ServerDate"});
        QCOMPARE(r.recordCount(), 1);
        QCOMPARE(r.value(0, "ServerDate"), QString("12/8/2026 11:30:15 AM"));
        QCOMPARE(GeneralDate::fromText(r.value(0, 0)),
                 QDateTime(QDate(2026, 12, 8), QTime(11, 30, 15)));
    }

    void rightsLookupIgnoresCaseOfTheStaffCode()
    {
        TestEnvironment env("CLERK01", "|0|0|0|0|0|6|0|8");
        const Recordset r = env.store().open(
            "Select UserRights [Rights] from Station..tbTALOUserRights where UserID = 'clerk01'");
        QCOMPARE(r.fieldNames(), QStringList{"Rights"});
        QCOMPARE(column(r, 0), QStringList{"|0|0|0|0|0|6|0|8"});
        QCOMPARE(env.store()
                     .open("Select UserRights [Rights] from Station..tbTALOUserRights where "
                           "UserID = 'nobody'")
                     .recordCount(),
                 0);
    }

    void accessListHasEveryRightInCodeOrder()
    {
        TestEnvironment env;
        const Recordset r =
            env.store().open("Select Code [CODE], Description [DESCRIPTION], '' [ACCESS] from "
                             "Station..tbTALOUserSetUp");
        QCOMPARE(r.fieldNames(), QStringList({"CODE", "DESCRIPTION", "ACCESS"}));
        QCOMPARE(column(r, 0), QStringList({"1", "2", "3", "4", "5", "6", "7", "8"}));
        QCOMPARE(r.value(0, 1), QString("Reports"));
        QCOMPARE(r.value(7, 1), QString("Revoke Meals"));
        QCOMPARE(column(r, 2), QStringList(8, QString()));
    }

    void personnelSearchOfTheAccessWindow()
    {
        TestEnvironment env;
        seedPeople(env);
        const auto search = [&](const QString& t) {
            return env.store().open("Select Distinct EmployeeID [STAFF ID], Lastname+', "
                                    "'+Firstname+' '+Middlename[NAME] "
                                    "from Password..tbPasswordMain where EmployeeID = '" +
                                    t + "' or Lastname like '" + t + "' + '%'");
        };
        const Recordset all = search("");
        QCOMPARE(all.fieldNames(), QStringList({"STAFF ID", "NAME"}));
        QCOMPARE(all.recordCount(), 5);
        // "peñ" finds both spellings in capitals and small letters, not "Pena".
        QCOMPARE(column(search("peñ"), 0), QStringList({"N001", "N002"}));
        QCOMPARE(column(search("peñ"), 1), QStringList({"Peña, Jose Reyes", "PEÑALOSA, Ana Cruz"}));
        // An exact staff ID finds the person whatever the last name.
        QCOMPARE(column(search("x9"), 1), QStringList{"Santos, Maria "});
        // A quote typed by the user stays inside the literal.
        QCOMPARE(column(search("O''"), 0), QStringList{"O01"});
        QCOMPARE(search("zz").recordCount(), 0);
    }

    void personnelSearchOfTheTaggingWindow()
    {
        TestEnvironment env;
        seedPeople(env);
        const Recordset r = env.store().open(
            "Select empnum[EMPID], Lastname+', '+Firstname+' '+Middlename[NAME] from "
            "Payroll..tbcmaster where EmpNum = 'PEÑ' or Lastname like 'PEÑ' + '%'");
        QCOMPARE(r.fieldNames(), QStringList({"EMPID", "NAME"}));
        QCOMPARE(column(r, 0), QStringList{"10001"});
        QCOMPARE(column(r, 1), QStringList{"Peña, Jose Reyes"});
        // Wildcards typed by the user keep the server's LIKE meaning.
        const Recordset under = env.store().open(
            "Select empnum[EMPID] from Payroll..tbcmaster where EmpNum = 'S_nt' or Lastname like "
            "'S_nt' + '%'");
        QCOMPARE(column(under, 0), QStringList{"10003"});
        // A trailing blank is part of the prefix ("Dela " is not "Delacruz").
        env.addEmployee("10004", "Dela Cruz", "Juan");
        env.addEmployee("10005", "Delacruz", "Ana");
        const Recordset blank = env.store().open(
            "Select empnum[EMPID] from Payroll..tbcmaster where EmpNum = 'dela ' or Lastname like "
            "'dela ' + '%'");
        QCOMPARE(column(blank, 0), QStringList{"10004"});
    }

    void mealSearchShowsEveryColumn()
    {
        TestEnvironment env;
        env.addMealType("LUN", "Lunch");
        env.addMeal("L01", "Chicken Adobo", "LUN", "75.00");
        env.addMeal("L02", "Pork ADOBO", "LUN", "80.00", false);
        env.addMeal("L03", "50% Rice", "LUN", "10.00");
        const Recordset r =
            env.store().open("Select * from Station..tbcoMeal where Description like '%adobo%'");
        QCOMPARE(r.fieldNames(),
                 QStringList({"Code", "Description", "Cost", "MealType", "Status"}));
        QCOMPARE(r.rows(), QList<QStringList>({{"L01", "Chicken Adobo", "75.00", "LUN", "1"},
                                               {"L02", "Pork ADOBO", "80.00", "LUN", "0"}}));
        const Recordset percent =
            env.store().open("Select * from Station..tbcoMeal where Description like '%[%]%'");
        QCOMPARE(column(percent, 0), QStringList{"L03"});
        QCOMPARE(env.store()
                     .open("Select * from Station..tbcoMeal where Description like '%[%'")
                     .recordCount(),
                 0);
    }

    // "a or b and c" reads "a or (b and c)" on both servers: an inactive type whose
    // description matches is listed, one that matches only by code is not.
    void mealTypeSearchKeepsTheUnbracketedOr()
    {
        TestEnvironment env;
        env.addMealType("BRK", "Breakfast");
        env.addMealType("OLD", "Old breakfast", false);
        env.addMealType("XBR", "Extra", false);
        env.addMealType("SNK", "Snacks");
        const Recordset three = env.store().open(
            "Select * from Station..tbcoMealType where Description like '%br%' or Code like "
            "'%br%' and Status = '1'");
        QCOMPARE(three.fieldNames(), QStringList({"Code", "Description", "Status"}));
        QCOMPARE(column(three, 0), QStringList({"BRK", "OLD"}));
        const Recordset four = env.store().open(
            "Select * from Station..tbcoMealType where Description like '%br%' or Code like "
            "'%br%'");
        QCOMPARE(column(four, 0), QStringList({"BRK", "OLD", "XBR"}));
    }

    void refusedStatementsChangeNothing()
    {
        TestEnvironment env;
        env.addMealType("BRK", "Breakfast");
        for (const char* sql : {"delete from Station..tbcoMealType",
                                "Select * from Station..tbcoMealType; delete from "
                                "Station..tbcoMealType",
                                "Station..tbcoMealType"}) {
            QVERIFY_THROWS_EXCEPTION(DbError, env.store().execute(sql));
        }
        QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbcoMealType"), QString("1"));
    }
};

QTEST_MAIN(tst_Statements)
#include "tst_Statements.moc"
