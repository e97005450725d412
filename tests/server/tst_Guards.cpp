#include "data/DbError.h"
#include "server/EmbeddedStore.h"
#include "server/ServerErrors.h"
#include "support/StandInHash.h"
#include "support/TestEnvironment.h"

#include <QTest>

// The store's own checks against input that looks ordinary and is not: modes that
// look like a limited one, a rights string with a 5 in the wrong place, a clear text
// posing as a hash, keys with hidden characters, NUL and foreign digits, JSON of the
// wrong shape, and the report's grouping of spellings of one code.
class tst_Guards : public QObject
{
    Q_OBJECT

    static QString lit(const QString& text)
    {
        QString quoted = text;
        return QLatin1Char('\'') + quoted.replace(QLatin1Char('\''), QLatin1String("''")) +
               QLatin1Char('\'');
    }

    // Employee 10001 (Reyes, Ana) may receive lunches; the server's clock is fixed.
    static void seed(TestEnvironment& env, const QDateTime& now)
    {
        env.store().store().functions().setClock([now] { return now; });
        env.addEmployee("10001", "Reyes", "Ana", "", "NUR");
        env.addMealType("LUN", "Lunch");
        env.addMeal("L01", "Chicken Adobo", "LUN", "75.00");
        env.tag("10001", "LUN");
    }

    static QString save(const QString& mode, const QString& date)
    {
        return "Station..Save_TALO_EmployeeDistributedMeals '10001', 'L01', " + lit(mode) + ", " +
               lit(date) + ", '', 'CLERK01', 'S'";
    }

    static QString refusal(TestEnvironment& env, const QString& sql)
    {
        try {
            env.store().execute(sql);
        } catch (const DbError& error) {
            return error.number() == ServerErrors::Raised ? error.message()
                                                          : QString::number(error.number());
        }
        return QString();
    }

    static void limitLunch(TestEnvironment& env, const char* action)
    {
        env.sqlite(QStringLiteral("UPDATE Station.tbTALOMealModeSetting SET DailyLimit = 1, "
                                  "LimitAction = '%1' WHERE MealMode = 'Lunch'")
                       .arg(QLatin1String(action)));
    }

    static void addPerson(TestEnvironment& env, const QString& id, const QString& hash,
                          const QString& active, bool access, const QString& rights)
    {
        env.sqlite("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, Firstname, "
                   "Middlename, PasswordHash, Active) VALUES(" +
                   lit(id) + ", 'Doe', 'Jo', '', " + lit(hash) + ", " + lit(active) + ")");
        if (access)
            env.sqlite("INSERT INTO Password.tbPasswordAppAccess(EmployeeID, AppCode) VALUES(" +
                       lit(id) + ", 'TALO')");
        env.setRights(id, rights);
    }

    static QString importRows(const QString& json)
    {
        return "Station..Save_TALO_StaffImport " + lit(json) + ", 'ADMIN'";
    }

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // With Lunch limited to one a day, every spelling that shows as "Lunch" either counts
    // as Lunch or is refused, and the last representable day counts as any other.
    void aLimitedModeCannotBeWalkedAround_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("message");
        const QString invisible = "Meal mode must not contain invisible characters.";
        const QString limit = "Reyes, Ana (10001) has received 1 Lunch today and this order "
                              "holds 1; the site allows 1 a day.";
        QTest::newRow("no-break space") << QString("Lunch\u00A0") << invisible;
        QTest::newRow("zero-width space") << QString("Lu\u200Bnch") << invisible;
        QTest::newRow("tab") << QString("Lunch\t") << invisible;
        QTest::newRow("soft hyphen") << QString("Lun\u00ADch") << invisible;
        QTest::newRow("ideographic space") << QString("\u3000Lunch") << invisible;
        QTest::newRow("variation selector") << QString("Lunch\uFE0F") << invisible;
        QTest::newRow("combining grapheme joiner") << QString("Lu\u034Fnch") << invisible;
        QTest::newRow("Hangul filler") << QString("Lunch\u3164") << invisible;
        QTest::newRow("Mongolian vowel separator") << QString("Lunch\u180E") << invisible;
        QTest::newRow("braille blank") << QString("Lunch\u2800") << invisible;
        QTest::newRow("tag character") << QString::fromUcs4(U"Lunch\U000E0020") << invisible;
        QTest::newRow("Cyrillic letters") << QString("Lun\u0441h") << limit;
        QTest::newRow("full-width letters") << QString("\uFF2C\uFF55\uFF4E\uFF43\uFF48") << limit;
        QTest::newRow("upper case") << QString("LUNCH") << limit;
        QTest::newRow("blanks around") << QString("  lunch ") << limit;
        QTest::newRow("misspelt") << QString("Lunchh")
                                  << "Meal mode Lunchh is not one of the site's meal modes.";
    }

    void aLimitedModeCannotBeWalkedAround()
    {
        QFETCH(QString, mode);
        QFETCH(QString, message);
        for (const QDateTime& now : {QDateTime(QDate(2026, 12, 8), QTime(12, 0)),
                                     QDateTime(QDate(9999, 12, 31), QTime(12, 0))}) {
            TestEnvironment env;
            seed(env, now);
            limitLunch(env, "B");
            const QString date = now.toString("M/d/yyyy h:mm:ss AP");
            env.store().execute(save("Lunch", date));
            QCOMPARE(refusal(env, save(mode, date)), message);
            QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals"),
                     QString("1"));

            // The warning query counts the same meals under the same spellings.
            limitLunch(env, "W");
            const Recordset warned =
                env.store().open("Station..Check_TALO_MealLimits '10001', " + lit(date) +
                                 ", '[\"\\uFF2C\\uFF55\\uFF4E\\uFF43\\uFF48\", \" LUNCH\"]'");
            QCOMPARE(warned.recordCount(), 1);
            QCOMPARE(warned.value(0, "MEALMODE"), QString("Lunch"));
            QCOMPARE(warned.value(0, "RECEIVED"), QString("1"));
            QCOMPARE(warned.value(0, "ORDERED"), QString("2"));
        }
    }

    // A meal is recorded for yesterday, today or tomorrow by the server's clock. Only an
    // order a counter kept while the server could not be reached (keyed, at a site that
    // keeps serving) may come up to a week late.
    void aMealDateFarFromTheClockIsRefused_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<bool>("keyed");
        QTest::addColumn<bool>("keepServing");
        QTest::addColumn<bool>("refused");
        QTest::newRow("yesterday") << "12/7/2026 6:00:00 AM" << false << false << false;
        QTest::newRow("tomorrow") << "12/9/2026 11:00:00 PM" << false << false << false;
        QTest::newRow("two days back") << "12/6/2026 11:59:59 PM" << false << false << true;
        QTest::newRow("next year") << "12/8/2027 12:00:00 PM" << false << false << true;
        QTest::newRow("last day") << "12/31/9999 11:59:59 PM" << false << false << true;
        QTest::newRow("kept offline, a week back")
            << "12/1/2026 6:00:00 AM" << true << true << false;
        QTest::newRow("kept offline, eight days back")
            << "11/30/2026 11:59:59 PM" << true << true << true;
        QTest::newRow("kept offline, two days ahead")
            << "12/10/2026 6:00:00 AM" << true << true << true;
        QTest::newRow("keyed where the site does not keep serving")
            << "12/6/2026 6:00:00 AM" << true << false << true;
        QTest::newRow("unkeyed where the site keeps serving")
            << "12/6/2026 6:00:00 AM" << false << true << true;
    }

    void aMealDateFarFromTheClockIsRefused()
    {
        QFETCH(QString, date);
        QFETCH(bool, keyed);
        QFETCH(bool, keepServing);
        QFETCH(bool, refused);
        TestEnvironment env;
        seed(env, QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
        env.sqlite(QString("INSERT INTO Station.tbTALOSiteSetting(SettingID, KeepServingOffline) "
                           "VALUES (1, '%1') ON CONFLICT(SettingID) DO UPDATE SET "
                           "KeepServingOffline = excluded.KeepServingOffline")
                       .arg(keepServing ? "1" : "0"));
        const QString key = keyed ? ", '0b7c6f52-3a47-4f7e-9d55-5d0f3c9a1e21', '1'" : "";
        QCOMPARE(refusal(env, save("Lunch", date) + key),
                 refused
                     ? "The meal date '" + date + "' is more than a day from the server's clock."
                     : QString());
    }

    // Right 5 is the fifth part of the rights string, and a manager is active, may sign
    // in and has a password: nobody else lets the last manager give up right 5 or access.
    void theLastManagerStaysWhoeverElseLooksLikeOne_data()
    {
        QTest::addColumn<QString>("rights");
        QTest::addColumn<QString>("hash");
        QTest::addColumn<QString>("active");
        QTest::addColumn<bool>("access");
        QTest::addColumn<bool>("isManager");
        const QString all = "|1|2|3|4|5|6|7|8";
        QTest::newRow("a true manager") << all << standInHash() << "1" << true << true;
        QTest::newRow("5 as the first part")
            << "|5|0|0|0|0|0|0|0" << standInHash() << "1" << true << false;
        QTest::newRow("5 as a ninth part")
            << "|0|0|0|0|0|0|0|0|5" << standInHash() << "1" << true << false;
        QTest::newRow("no password") << all << ""
                                     << "1" << true << false;
        QTest::newRow("a clear text for a hash") << all << "$argon2id$secret"
                                                 << "1" << true << false;
        QTest::newRow("inactive") << all << standInHash() << "0" << true << false;
        QTest::newRow("no access") << all << standInHash() << "1" << false << false;
        QTest::newRow("a hash libsodium cannot read") << all << standInHash().chopped(1) + "B"
                                                      << "1" << true << false;
    }

    void theLastManagerStaysWhoeverElseLooksLikeOne()
    {
        QFETCH(QString, rights);
        QFETCH(QString, hash);
        QFETCH(QString, active);
        QFETCH(bool, access);
        QFETCH(bool, isManager);
        const QString last = "ADMIN is the last person with right 5 who may sign in; give right "
                             "5 to someone else first.";
        TestEnvironment env("ADMIN", "|1|2|3|4|5|6|7|8");
        addPerson(env, "ADMIN", standInHash(), "1", true, "|1|2|3|4|5|6|7|8");
        addPerson(env, "OTHER", hash, active, access, rights);
        QCOMPARE(refusal(env, "Station..Save_TALO_UserAccess 'ADMIN', '0', '1', 'OTHER'"),
                 isManager ? QString() : last);
        env.sqlite("INSERT OR IGNORE INTO Password.tbPasswordAppAccess VALUES('ADMIN', 'TALO')");
        QCOMPARE(
            refusal(env, "Station..Save_TALO_User_Rights 'ADMIN', '|1|2|3|4|0|6|7|5', 'OTHER'"),
            isManager ? QString() : last);
    }

    // Only the argon2id encoding the program makes is stored as a password.
    void onlyAWellFormedHashIsStored_data()
    {
        QTest::addColumn<QString>("hash");
        QTest::addColumn<bool>("stored");
        const QString head = "$argon2id$v=19$m=65536,t=2,p=1$";
        const QString salt = QString(21, QLatin1Char('s')) + "Q";
        const QString body = QString(42, QLatin1Char('h')) + "g";
        QTest::newRow("well formed") << head + salt + "$" + body << true;
        QTest::newRow("bits past the salt") << head + salt.chopped(1) + "s$" + body << false;
        QTest::newRow("bits past the hash") << head + salt + "$" + body.chopped(1) + "h" << false;
        QTest::newRow("clear text after the prefix") << "$argon2id$password123" << false;
        QTest::newRow("other version")
            << "$argon2id$v=16$m=65536,t=2,p=1$" + salt + "$" + body << false;
        QTest::newRow("little memory")
            << "$argon2id$v=19$m=8,t=1,p=1$" + salt + "$" + body << false;
        QTest::newRow("short salt") << head + salt.left(8) + "$" + body << false;
        QTest::newRow("long hash") << head + salt + "$" + body + "hh" << false;
        QTest::newRow("not base64") << head + salt + "$" + body.left(42) + "!" << false;
        QTest::newRow("line break after") << head + salt + "$" + body + "\n" << false;
    }

    void onlyAWellFormedHashIsStored()
    {
        QFETCH(QString, hash);
        QFETCH(bool, stored);
        TestEnvironment env("ADMIN");
        addPerson(env, "NURSE1", "", "1", true, "");
        QCOMPARE(
            refusal(env, "Station..Save_TALO_UserPassword 'NURSE1', " + lit(hash) + ", 'ADMIN'"),
            stored ? QString() : QString("The password must arrive as an argon2id hash."));
        QCOMPARE(env.scalar("SELECT PasswordHash FROM Password.tbPasswordMain"),
                 stored ? hash : QString());
    }

    // Keys that look like another key, NUL, foreign digits, lengths in UTF-16 units and
    // JSON of the wrong shape: each refused with its own message, nothing changed.
    void badInputIsRefusedClearly_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("message");
        const QString row = R"(["%1", "Doe", "Jo", "", "%2", "", "1"])";
        const auto import = [&](const QString& number, const QString& dept = QString()) {
            return importRows("[" + row.arg(number, dept) + "]");
        };
        QTest::newRow("number with a zero-width space")
            << import("10002\\u200B") << "Employee number must not contain invisible characters.";
        QTest::newRow("number with a no-break space")
            << import("10002\\u00A0") << "Employee number must not contain invisible characters.";
        QTest::newRow("department with a soft hyphen")
            << import("10009", "NU\\u00ADR")
            << "Department code must not contain invisible characters.";
        QTest::newRow("staff ID with a zero-width space")
            << QString("Station..Save_TALO_User 'ADMIN\u200B', 'Doe', 'Jo', '', 'ADMIN'")
            << "Staff ID must not contain invisible characters.";
        QTest::newRow("staff ID with a no-break space")
            << QString("Station..Save_TALO_User 'ADMIN\u00A0', 'Doe', 'Jo', '', 'ADMIN'")
            << "Staff ID must not contain invisible characters.";
        QTest::newRow("number with a variation selector")
            << import("10001\uFE00") << "Employee number must not contain invisible characters.";
        QTest::newRow("staff ID with a Hangul filler")
            << QString("Station..Save_TALO_User 'ADMIN\u3164', 'Doe', 'Jo', '', 'ADMIN'")
            << "Staff ID must not contain invisible characters.";
        QTest::newRow("number in full-width digits")
            << import("\uFF11\uFF10\uFF10\uFF10\uFF11")
            << QString("Employee number \uFF11\uFF10\uFF10\uFF10\uFF11 is the same number as "
                       "10001, who is already on file.");
        QTest::newRow("one number twice in a file")
            << importRows("[" + row.arg("10009", "") + ", " +
                          row.arg("\uFF11\uFF10\uFF10\uFF10\uFF19", "") + "]")
            << QString("is the same number as");
        QTest::newRow("staff ID in full-width letters")
            << QString("Station..Save_TALO_User '\uFF21\uFF24\uFF2D\uFF29\uFF2E', 'Doe', "
                       "'Jo', '', 'ADMIN'")
            << QString("Staff ID \uFF21\uFF24\uFF2D\uFF29\uFF2E looks the same as ADMIN, "
                       "who is already registered.");
        QTest::newRow("staff ID with a Cyrillic A")
            << QString("Station..Save_TALO_User '\u0410DMIN', 'Doe', 'Jo', '', 'ADMIN'")
            << QString("Staff ID \u0410DMIN looks the same as ADMIN, who is already registered.");
        QTest::newRow("meal code in full-width letters")
            << QString("Station..Save_TALO_MealOnly '\uFF2C01', 'Soup', '', '', '1', 'ADMIN'")
            << QString("Meal code \uFF2C01 is the same code as L01, which already exists.");
        QTest::newRow("meal type code in full-width letters")
            << QString("Station..Save_TALO_MealType '\uFF2C\uFF35\uFF2E', 'Lunch', '1', "
                       "'ADMIN'")
            << QString("Meal type code \uFF2C\uFF35\uFF2E is the same code as LUN, which "
                       "already exists.");
        QTest::newRow("full-width mode beside its own")
            << QString("Station..Save_TALO_AppSettings '[[\"Lunch\", \"\", \"W\", \"\", "
                       "\"\"], [\"\uFF2C\uFF55\uFF4E\uFF43\uFF48\", \"\", \"W\", \"\", "
                       "\"\"]]', '0', '0', '0', '1', '', 'ADMIN'")
            << QString("Meal mode \uFF2C\uFF55\uFF4E\uFF43\uFF48 looks the same as Lunch.");
        QTest::newRow("NUL inside a number to tag")
            << QString("Station..Save_TALO_EmployeeMealBulk 'LIST', '', "
                       "'[\"10001\\u0000zzz\"]', '[\"LUN\"]', '1', 'ADMIN'")
            << "Text arguments must not contain the NUL character.";
        QTest::newRow("NUL inside a JSON number")
            << import("HN\\u0000" + QString(40, QLatin1Char('9')))
            << "Text arguments must not contain the NUL character.";
        QTest::newRow("NUL before a daily limit")
            << QString("Station..Save_TALO_AppSettings '[[\"Lunch\", \"\\u0000 1\", \"B\", \"\", "
                       "\"\"]]', '0', '0', '0', '1', '', 'ADMIN'")
            << "Text arguments must not contain the NUL character.";
        QTest::newRow("a number for a meal mode")
            << QString("Station..Check_TALO_MealLimits '10001', '', '[\"Lunch\", 12]'")
            << "Each meal mode must be a JSON text.";
        QTest::newRow("true for a meal mode")
            << QString("Station..Check_TALO_MealLimits '10001', '', '[true]'")
            << "Each meal mode must be a JSON text.";
        QTest::newRow("NUL in a plain argument")
            << "Station..Save_TALO_User 'NEW1', 'Doe" + QString(QChar(0)) + "x', 'Jo', '', 'ADMIN'"
            << "Text arguments must not contain the NUL character.";
        QTest::newRow("full-width digits in a date")
            << QString("Station..Save_TALO_EmployeeDistributedMeals '10001', 'L01', 'Lunch', "
                       "'12/8/\uFF12\uFF10\uFF12\uFF16 11:30:00 AM', '', 'CLERK01', 'S'")
            << "' is not a valid date and time.";
        QTest::newRow("thirty emoji as a number")
            << import(QString(30, QLatin1Char('x')).replace("x", "\\uD83C\\uDF5C"))
            << ": a value is longer than its column allows.";
        QTest::newRow("a row that is a string")
            << importRows(R"(["10009"])")
            << "Each staff row must be a JSON array: number, last name, first name, middle "
               "name, department code, department name, active.";
        QTest::newRow("a number where a text belongs")
            << importRows(R"([["10009", "Doe", "Jo", "", "", "", 1]])")
            << "Staff row 1: every value must be a JSON text.";
        QTest::newRow("true where a text belongs")
            << importRows(R"([["10009", true, "Jo", "", "", "", "1"]])")
            << "Staff row 1: every value must be a JSON text.";
        QTest::newRow("a nested array")
            << importRows(R"([["10009", ["Doe"], "Jo", "", "", "", "1"]])")
            << "Staff row 1: every value must be a JSON text.";
        QTest::newRow("no last name") << importRows(R"([["10009", " ", "Jo", "", "", "", "1"]])")
                                      << "Employee 10009: the last name is required.";
    }

    void badInputIsRefusedClearly()
    {
        QFETCH(QString, sql);
        QFETCH(QString, message);
        TestEnvironment env("ADMIN");
        seed(env, QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
        env.sqlite("INSERT OR IGNORE INTO Password.tbPasswordMain(EmployeeID, Lastname) "
                   "VALUES('ADMIN', 'Reyes')");
        const QString before = env.scalar("SELECT count(*) FROM Station.tbTALOAuditLog");
        const QString refused = refusal(env, sql);
        QVERIFY2(refused.contains(message), qPrintable(refused));
        QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOAuditLog"), before);
        QCOMPARE(env.scalar("SELECT count(*) FROM Payroll.tbcmaster"), QString("1"));
    }

    // JSON that starts with a line break or a tab is still a JSON array.
    void jsonAfterALineBreakIsAccepted()
    {
        TestEnvironment env("ADMIN");
        seed(env, QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
        env.store().execute(
            importRows("\n\t[[\"10009\", \"Doe\", \"Jo\", \"\", \"\", \"\", \"1\"]]"));
        QCOMPARE(env.scalar("SELECT count(*) FROM Payroll.tbcmaster"), QString("2"));
        QCOMPARE(env.store()
                     .open("Station..Check_TALO_MealLimits '10001', '', '\n[\"Lunch\"]'")
                     .recordCount(),
                 0);
    }

    // The report groups codes as the limits match them, under one spelling.
    void theReportGroupsSpellingsOfOneCode_data()
    {
        QTest::addColumn<QString>("grouping");
        QTest::addColumn<QStringList>("keys");
        QTest::newRow("meal time") << "MEALTIME" << QStringList({"Lunch"});
        QTest::newRow("department") << "DEPARTMENT" << QStringList({"NUR"});
        QTest::newRow("clerk") << "CLERK" << QStringList({"CLERK01"});
    }

    void theReportGroupsSpellingsOfOneCode()
    {
        QFETCH(QString, grouping);
        QFETCH(QStringList, keys);
        TestEnvironment env;
        seed(env, QDateTime(QDate(2026, 12, 8), QTime(12, 0)));
        env.addEmployee("10002", "Cruz", "Ben", "", "");
        env.sqlite("UPDATE Payroll.tbcmaster SET DeptCode = 'nur' WHERE EmpNum = '10002'");
        const QStringList meals = {"'10001', 'LUNCH', 'CLERK01'", "'10002', ' Lunch', 'clerk01'",
                                   "'10001', 'Ｌｕｎｃｈ', ' CLERK01'"};
        for (const QString& meal : meals)
            env.sqlite("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealMode, "
                       "ClerkID, MealCode, MealDate, Remarks, Source, RecordedAt, MealCost) "
                       "VALUES(" +
                       meal +
                       ", 'L01', '2026-12-08 11:00:00', '', 'S', '2026-12-08 11:00:00', "
                       "'75.00')");
        const Recordset r = env.store().open("Station..Report_TALO_MealDistribution '12/8/2026', "
                                             "'12/8/2026 11:59:59 PM', " +
                                             lit(grouping) + ", '', 'SUMMARY'");
        QStringList shown;
        for (int i = 0; i < r.recordCount(); ++i)
            shown << r.value(i, "KEY1");
        QCOMPARE(shown, keys);
        QCOMPARE(r.value(0, "MEALS"), QString("3"));
    }
};

QTEST_MAIN(tst_Guards)
#include "tst_Guards.moc"
