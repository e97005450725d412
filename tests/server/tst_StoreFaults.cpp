#include "data/DbError.h"
#include "server/ServerErrors.h"
#include "support/RecordsetColumn.h"
#include "support/TestEnvironment.h"

#include <QTest>

// Keys and names the embedded store must keep apart or find although they hold
// unusual characters (byte-order marks, U+FFFF, blanks, commas), and rights that must
// take effect whatever the staff ID's padding.
class tst_StoreFaults : public QObject
{
    Q_OBJECT

    static QString quoted(QString text) { return "'" + text.replace("'", "''") + "'"; }

    static QStringList search(TestEnvironment& env, const QString& text)
    {
        return column(
            env.store().open("Station..Load_Employee_for_Meal '12/8/2026', " + quoted(text)));
    }

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Each key stays where its index puts it and is found by itself.
    void invisibleCharactersKeepIndexesWhole()
    {
        TestEnvironment env;
        const QStringList codes = {
            u"aa\ufeffb"_qs,      u"\ufeffabb"_qs, u"a\ufeff \ufeff"_qs, u"baba"_qs,
            u"b\u00e9\ufeffb"_qs, u"\uffff"_qs,    u"ab\uffff"_qs,       u"  a"_qs};
        for (const QString& code : codes)
            env.sqlite("INSERT INTO Station.tbcoMealType(Code, Description) VALUES(" +
                       quoted(code) + ", 'x')");
        QCOMPARE(env.scalar("PRAGMA Station.integrity_check"), QString("ok"));
        for (const QString& code : codes)
            QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbcoMealType WHERE Code = " +
                                quoted(code)),
                     QString("1"));
        QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbcoMealType WHERE Code = 'abb'"),
                 QString("0"));
    }

    void keysWithInvisibleCharactersAreRefused_data()
    {
        QTest::addColumn<QString>("call");
        QTest::addColumn<QString>("message");
        const QString mealType = "Station..Save_TALO_MealType %1, 'Lunch', '1', 'ADMIN'";
        const QString meal = "Station..Save_TALO_MealOnly %1, 'Tapsilog', '', 'LUN', '1', 'ADMIN'";
        const QString rights = "Station..Save_TALO_User_Rights %1, '|1', 'ADMIN'";
        const QString typeText = "Meal type code must not contain invisible characters.";
        const QString mealText = "Meal code must not contain invisible characters.";
        const QString staffText = "Staff ID must not contain invisible characters.";
        QTest::newRow("type BOM") << mealType.arg(quoted(u"\ufeffLUN"_qs)) << typeText;
        QTest::newRow("type tab") << mealType.arg(quoted("LU\tN")) << typeText;
        QTest::newRow("meal BOM overwriting B01") << meal.arg(quoted(u"\ufeffB01"_qs)) << mealText;
        QTest::newRow("meal zero-width space") << meal.arg(quoted(u"B\u200b01"_qs)) << mealText;
        QTest::newRow("meal line break") << meal.arg(quoted("B01\n")) << mealText;
        QTest::newRow("meal U+FFFF") << meal.arg(quoted(u"B01\uffff"_qs)) << mealText;
        QTest::newRow("staff BOM") << rights.arg(quoted(u"\ufeffCLERK01"_qs)) << staffText;
        QTest::newRow("staff soft hyphen") << rights.arg(quoted(u"CLERK\u00ad01"_qs)) << staffText;
    }

    void keysWithInvisibleCharactersAreRefused()
    {
        QFETCH(QString, call);
        QFETCH(QString, message);
        TestEnvironment env;
        env.addMealType("LUN", "Lunch");
        env.addMeal("B01", "Pancit", "LUN", "55.00");
        const QString before = env.scalar(
            "SELECT group_concat(Code || Description, ';') FROM (SELECT * FROM Station.tbcoMeal "
            "UNION ALL SELECT Code, Description, '', '', Status FROM Station.tbcoMealType "
            "UNION ALL SELECT UserID, UserRights, '', '', '' FROM Station.tbTALOUserRights)");
        const QString audit = env.scalar("SELECT count(*) FROM Station.tbTALOAuditLog");
        try {
            env.store().execute(call);
            QFAIL("accepted");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), ServerErrors::Raised);
            QCOMPARE(e.message(), message);
        }
        QCOMPARE(env.scalar("SELECT group_concat(Code || Description, ';') FROM (SELECT * FROM "
                            "Station.tbcoMeal UNION ALL SELECT Code, Description, '', '', Status "
                            "FROM Station.tbcoMealType UNION ALL SELECT UserID, UserRights, '', "
                            "'', '' FROM Station.tbTALOUserRights)"),
                 before);
        QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOAuditLog"), audit);
    }

    void searchFindsOnlyWhatBeginsWithTheText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("BOM matches nobody") << u"\ufeff"_qs << QStringList();
        QTest::newRow("U+FFFF after the prefix") << "ab" << QStringList({"3", "2"});
        QTest::newRow("name holding U+FFFF") << u"Ab\uffff"_qs << QStringList({"2"});
        QTest::newRow("empty lists U+FFFF last")
            << "" << QStringList({"1", "3", "2", "4", "5", "6", "7"});
        QTest::newRow("comma in the last name") << "Cruz, Jr., Ana" << QStringList({"5"});
        QTest::newRow("comma in the last name, any case") << "cruz, jr., a" << QStringList({"5"});
        QTest::newRow("last name with a comma alone") << "Cruz, Jr." << QStringList({"5", "6"});
        QTest::newRow("first comma only") << "Cruz, Ana" << QStringList({"4"});
        QTest::newRow("two commas in the last name") << "Cruz, Jr., III, Pe" << QStringList({"6"});
    }

    void searchFindsOnlyWhatBeginsWithTheText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        TestEnvironment env;
        env.addEmployee("1", "Aa", "Bea");
        env.addEmployee("2", u"Ab\uffff"_qs, "Carl");
        env.addEmployee("3", "Abb", "Dan");
        env.addEmployee("4", "Cruz", "Ana", "Lim");
        env.addEmployee("5", "Cruz, Jr.", "Ana", "Lim");
        env.addEmployee("6", "Cruz, Jr., III", "Pedro");
        env.addEmployee("7", u"\uffffZed"_qs, "Eve");
        QCOMPARE(search(env, text), found);
    }

    // A padded or differently written staff ID still names the one rights row.
    void rightsSavedThroughAPaddedIdReplaceTheOldOnes_data()
    {
        QTest::addColumn<QString>("staff");
        QTest::newRow("leading blank") << " CLERK01";
        QTest::newRow("blanks both sides") << "  CLERK01  ";
        QTest::newRow("other case") << "clerk01";
    }

    void rightsSavedThroughAPaddedIdReplaceTheOldOnes()
    {
        QFETCH(QString, staff);
        TestEnvironment env("ADMIN");
        env.setRights("CLERK01", "|0|0|0|0|0|6|0|0");
        const auto saveRights = [&](const QString& rights) {
            env.store().execute("Station..Save_TALO_User_Rights " + quoted(staff) + ", '" + rights +
                                "', 'ADMIN'");
        };
        const auto rightsOf = [&] {
            return column(env.store().open("Select UserRights from Station..tbTALOUserRights "
                                           "where UserID = 'CLERK01'"));
        };
        saveRights("|0|0|0|0|0|6|0|8");
        QCOMPARE(rightsOf(), QStringList{"|0|0|0|0|0|6|0|8"});
        saveRights("|0|0|0|0|0|0|0|0");
        QCOMPARE(rightsOf(), QStringList{"|0|0|0|0|0|0|0|0"});
        QCOMPARE(column(env.query(
                     "SELECT upper(RecordKey) || ': ' || Details FROM Station.tbTALOAuditLog "
                     "WHERE Action = 'RIGHTS' ORDER BY AuditID")),
                 QStringList({"CLERK01: |0|0|0|0|0|6|0|0 -> |0|0|0|0|0|6|0|8",
                              "CLERK01: |0|0|0|0|0|6|0|8 -> |0|0|0|0|0|0|0|0"}));
    }

    void rightsStringsMustBeWhole_data()
    {
        QTest::addColumn<QString>("rights");
        QTest::newRow("final line break") << "|1|2\n";
        QTest::newRow("leading BOM") << u"\ufeff|1|2"_qs;
        QTest::newRow("other script's digit") << u"|1|\u0662"_qs;
        QTest::newRow("trailing blank") << "|1|2 ";
    }

    void rightsStringsMustBeWhole()
    {
        QFETCH(QString, rights);
        TestEnvironment env("ADMIN");
        env.setRights("CLERK01", "|0|2");
        try {
            env.store().execute("Station..Save_TALO_User_Rights 'CLERK01', " + quoted(rights) +
                                ", 'ADMIN'");
            QFAIL("accepted");
        } catch (const DbError& e) {
            QCOMPARE(e.number(), ServerErrors::Raised);
            QVERIFY2(e.message().endsWith("' is not a rights string."), qPrintable(e.message()));
        }
        QCOMPARE(env.scalar("SELECT group_concat(UserRights) FROM Station.tbTALOUserRights WHERE "
                            "UserID = 'CLERK01'"),
                 QString("|0|2"));
    }

    // The index range that speeds up a LIKE goes to the column the LIKE is on, in the
    // table its alias names; a column of that name elsewhere does not count.
    void likeOnAJoinedTableKeepsItsColumn_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QStringList>("found");
        QTest::newRow("integer code, alias")
            << "Select u.Code from Station..tbTALOUserSetUp u join Station..tbcoMeal m on "
               "m.Code = 'L01' where u.Code like '-1%'"
            << QStringList({"-15", "-10"});
        QTest::newRow("integer code, table name")
            << "Select tbTALOUserSetUp.Code from Station..tbTALOUserSetUp, Station..tbcoMeal "
               "where tbTALOUserSetUp.Code like '-1%'"
            << QStringList({"-15", "-10"});
        QTest::newRow("text code, alias")
            << "Select m.Code from Station..tbTALOUserSetUp as u join Station..tbcoMeal m on "
               "u.Code = 1 where m.Code like 'l0%'"
            << QStringList({"L01"});
    }

    void likeOnAJoinedTableKeepsItsColumn()
    {
        QFETCH(QString, sql);
        QFETCH(QStringList, found);
        TestEnvironment env;
        env.addMealType("LUN", "Lunch");
        env.addMeal("L01", "Adobo", "LUN");
        env.sqlite("INSERT INTO Station.tbTALOUserSetUp(Code, Description) VALUES (-10, 'a'), "
                   "(-15, 'b'), (-2, 'c')");
        QCOMPARE(column(env.store().open(sql)), found);
    }
};

QTEST_MAIN(tst_StoreFaults)
#include "tst_StoreFaults.moc"
