#include "counter/CounterData.h"
#include "data/DbError.h"
#include "server/EmbeddedConnection.h"
#include "server/EmbeddedStore.h"
#include "server/ServerErrors.h"
#include "settings/AppSettingsData.h"
#include "settings/MealModes.h"
#include "support/TestEnvironment.h"

#include <QTest>
#include <atomic>
#include <thread>

// App settings in the real embedded store: what is saved and shared, what is refused,
// and the daily limits the counter's saves and warnings obey.
class tst_AppSettingsData : public QObject
{
    Q_OBJECT

    // An employee with lunch and breakfast meals tagged.
    static void seed(TestEnvironment& env)
    {
        env.addEmployee("10001", "Cruz", "Ana");
        env.addMealType("LUN", "Lunch");
        env.addMeal("L01", "Adobo", "LUN");
        env.addMeal("L02", "Sinigang", "LUN");
        env.tag("10001", "LUN");
    }

    static AppSettings limited(const QString& mode, int limit, LimitAction action)
    {
        AppSettings settings = AppSettings::defaults();
        settings.mode(mode)->dailyLimit = limit;
        settings.mode(mode)->limitAction = action;
        return settings;
    }

    static OrderLine line(const QString& meal, const QString& mode)
    {
        return {meal, QString(), mode, QString()};
    }

    static int meals(TestEnvironment& env, const QString& where = "1")
    {
        return env
            .scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals WHERE " + where)
            .toInt();
    }

    static int auditRows(TestEnvironment& env)
    {
        return env.scalar("SELECT count(*) FROM Station.tbTALOAuditLog").toInt();
    }

    // The eight listed modes as the save's JSON rows, with `extra` rows after them and
    // `replacement` in place of the row of `mode` (that row left out when empty).
    static QString modesJson(const QString& extra = {}, const QString& mode = {},
                             const QString& replacement = {})
    {
        QStringList rows;
        for (const QString& name : MealModes::all()) {
            if (name == mode) {
                if (!replacement.isEmpty())
                    rows << replacement;
            } else {
                rows << "[\"" + name + "\",\"\",\"W\",\"\",\"\"]";
            }
        }
        if (!extra.isEmpty())
            rows << extra;
        return "[" + rows.join(',') + "]";
    }

private slots:
    void modeServedAt_data()
    {
        QTest::addColumn<QString>("time");
        QTest::addColumn<QString>("mode");
        QTest::newRow("inside") << "07:15"
                                << "Breakfast";
        QTest::newRow("first minute") << "11:00"
                                      << "Lunch";
        QTest::newRow("last minute, to its end") << "13:59:59"
                                                 << "Lunch";
        QTest::newRow("between windows") << "15:00"
                                         << "";
        QTest::newRow("past midnight, before") << "23:30"
                                               << "MN Snack";
        QTest::newRow("past midnight, after") << "00:45"
                                              << "MN Snack";
        QTest::newRow("no window guesses nothing") << "01:01"
                                                   << "";
    }

    void modeServedAt()
    {
        QFETCH(QString, time);
        QFETCH(QString, mode);
        AppSettings settings = AppSettings::defaults();
        auto window = [&](const QString& name, const QString& from, const QString& to) {
            MealModeSetting* setting = settings.mode(name);
            setting->serveFrom = QTime::fromString(from, "HH:mm");
            setting->serveTo = QTime::fromString(to, "HH:mm");
        };
        window("breakfast", "06:00", "09:30");
        window("LUNCH", "11:00", "13:59");
        window("MN Snack", "23:00", "01:00");
        const QTime at = QTime::fromString(time, time.size() > 5 ? "HH:mm:ss" : "HH:mm");
        QCOMPARE(settings.modeServedAt(at), mode);
    }

    // A new store answers the defaults; a save is read back the same on this connection,
    // by a second counter on the same store and after the store is opened again, and
    // every change is audited with what it was and what it became.
    void savedSettingsAreSharedAndKept()
    {
        TestEnvironment env;
        AppSettingsData data(env.context());
        QCOMPARE(data.load(), AppSettings::defaults());

        AppSettings settings = limited("Lunch", 1, LimitAction::Block);
        MealModeSetting* lunch = settings.mode("Lunch");
        lunch->serveFrom = QTime(11, 0);
        lunch->serveTo = QTime(14, 0);
        settings.mealModes.append(
            {"Night Shift Meal", 2, LimitAction::Warn, QTime(23, 30), QTime(0, 30)});
        settings.scanMode = true;
        settings.keyboardEntry = true;
        settings.bulkTagging = true;
        settings.keepServingOffline = true;
        settings.fittedColumns = true;
        settings.statementTimeout = 25;
        settings.firstDayOfWeek = Qt::Sunday;
        settings.siteName = "Peña General – Annex";
        const int before = auditRows(env);
        data.save(settings);
        const QString sent = env.statements().last();
        QVERIFY2(sent.startsWith("Station..Save_TALO_AppSettings '[[\"Breakfast\",\"\",\"W\","
                                 "\"\",\"\"],[\"Lunch\",\"1\",\"B\",\"11:00\",\"14:00\"],"),
                 qPrintable(sent));
        QVERIFY2(sent.endsWith("[\"Night Shift Meal\",\"2\",\"W\",\"23:30\",\"00:30\"]]', '1', "
                               "'1', '1', '7', 'Peña General – Annex', 'CLERK01', '1', '1', "
                               "'25'"),
                 qPrintable(sent));
        QCOMPARE(data.load(), settings);

        QCOMPARE(auditRows(env), before + 3);
        const Recordset audit =
            env.query("SELECT TableName, RecordKey, Action, Details, UserID, LoginName <> '' "
                      "FROM Station.tbTALOAuditLog ORDER BY AuditID DESC LIMIT 3");
        QCOMPARE(audit.rows().at(2),
                 QStringList({"tbTALOSiteSetting", "Site", "UPDATE",
                              "ScanMode: 0 -> 1; KeyboardEntry: 0 -> 1; BulkTagging: 0 -> 1; "
                              "KeepServingOffline: 0 -> 1; FittedColumns: 0 -> 1; "
                              "StatementTimeout: 10 -> 25; "
                              "FirstDayOfWeek: 1 -> 7; "
                              "SiteName:  -> "
                              "Peña General – Annex",
                              "CLERK01", "1"}));
        QCOMPARE(audit.rows().at(1).mid(0, 4),
                 QStringList({"tbTALOMealModeSetting", "Lunch", "UPDATE",
                              "DailyLimit:  -> 1; LimitAction: W -> B; ServeFrom:  -> 11:00; "
                              "ServeTo:  -> 14:00"}));
        QCOMPARE(audit.rows().at(0).mid(0, 4),
                 QStringList({"tbTALOMealModeSetting", "Night Shift Meal", "INSERT",
                              "DailyLimit=2; LimitAction=W; ServeFrom=23:30; ServeTo=00:30"}));

        // The same settings again change nothing and write no audit row.
        data.save(settings);
        QCOMPARE(auditRows(env), before + 3);

        {
            EmbeddedConnection other(env.folder());
            QCOMPARE(other.open(AppSettingsData::loadText()).rows(),
                     env.store().open(AppSettingsData::loadText()).rows());
        }

        // Removing the added mode is audited with its last values.
        AppSettings fewer = settings;
        fewer.mealModes.removeLast();
        data.save(fewer);
        QCOMPARE(env.scalar("SELECT Action || ' ' || Details FROM Station.tbTALOAuditLog "
                            "ORDER BY AuditID DESC LIMIT 1"),
                 QString("DELETE DailyLimit=2; LimitAction=W; ServeFrom=23:30; ServeTo=00:30"));

        // A restart: the store closed and opened again.
        QTemporaryDir dir;
        {
            EmbeddedConnection first(dir.path());
            first.execute(AppSettingsData::saveText(settings, "ADMIN"));
        }
        EmbeddedConnection reopened(dir.path());
        QCOMPARE(AppSettingsData::settingsFrom(reopened.open(AppSettingsData::loadText())),
                 settings);
    }

    void badValuesAreRefused_data()
    {
        QTest::addColumn<QString>("arguments");
        QTest::addColumn<QString>("message");
        // The save's arguments: the modes' JSON text, scan mode, first day, site name,
        // keyboard order entry, bulk tagging, and what follows the user (keep serving
        // offline, fitted columns, statement timeout).
        const auto row = [](const char* name, const QString& modes, const QString& message,
                            const QString& scan = "0", const QString& firstDay = "1",
                            const QString& site = "Site", const QString& keyboard = "0",
                            const QString& bulk = "0", const QString& tail = {}) {
            QTest::newRow(name) << "'" + modes + "', '" + scan + "', '" + keyboard + "', '" + bulk +
                                       "', '" + firstDay + "', '" + site + "', 'ADMIN'" + tail
                                << message;
        };
        const auto timeout = [&row](const char* name, const QString& seconds,
                                    const QString& message) {
            row(name, modesJson(), message, "0", "1", "Site", "0", "0",
                ", '0', '0', '" + seconds + "'");
        };
        const QString ok = modesJson();
        const auto lunch = [](const QString& limit, const QString& action, const QString& from,
                              const QString& to) {
            return modesJson({}, "Lunch",
                             "[\"Lunch\",\"" + limit + "\",\"" + action + "\",\"" + from + "\",\"" +
                                 to + "\"]");
        };
        const auto extra = [](const QString& name) {
            return modesJson("[\"" + name + "\",\"\",\"W\",\"\",\"\"]");
        };
        row("scan", ok, "Scan mode must be 1 (on) or 0 (off), not '2'.", "2");
        row("keyboard", ok, "Keyboard order entry must be 1 (on) or 0 (off), not 'y'.", "0", "1",
            "Site", "y");
        row("keyboard too long", ok, "Keyboard order entry can be at most 1 character long.", "0",
            "1", "Site", "10");
        row("bulk tagging", ok, "Bulk tagging must be 1 (on) or 0 (off), not 'y'.", "0", "1",
            "Site", "0", "y");
        row("bulk tagging too long", ok, "Bulk tagging can be at most 1 character long.", "0", "1",
            "Site", "0", "yes");
        row("first day 0", ok,
            "The first day of the week must be a number from 1 (Monday) to 7 (Sunday), not '0'.",
            "0", "0");
        row("first day 8", ok, "not '8'.", "0", "8");
        row("site name too long", ok, "Site name can be at most 200 characters long.", "0", "1",
            QString(201, 'S'));
        timeout("timeout 0", "0",
                "The statement timeout must be a number of seconds from 1 to 600, not '0'.");
        timeout("timeout 601", "601", "not '601'.");
        timeout("timeout not a number", "1x", "not '1x'.");
        timeout("timeout empty", "", "not ''.");
        timeout("timeout in full-width digits", "１０", "not '１０'.");
        timeout("timeout too long", "1000", "Statement timeout can be at most 3 characters long.");
        row("not JSON", "Lunch;Dinner", "The meal modes must be a JSON array.");
        row("a row not an array", modesJson("\"Tea\""),
            "Each meal mode must be a JSON array: mode, daily limit, action, from, to.");
        row("empty name", extra(" "), "Meal mode name is required.");
        row("long name", extra(QString(51, 'x')), "Meal mode can be at most 50 characters long.");
        row("invisible", extra("Tea\\u200b"),
            "Meal mode names must not contain invisible characters.");
        row("twice, other case", extra("LUNCH"), "Meal mode LUNCH appears twice.");
        row("limit 100", lunch("100", "W", "", ""),
            "The daily limit of Lunch must be empty or a whole number from 0 to 99, not '100'.");
        row("limit negative", lunch("-1", "W", "", ""), "not '-1'.");
        row("limit decimal", lunch("1.5", "W", "", ""), "not '1.5'.");
        row("action", lunch("1", "X", "", ""),
            "The limit action of Lunch must be W (warn) or B (block), not 'X'.");
        row("hour 24", lunch("", "W", "24:00", "13:00"),
            "The serving time of Lunch must be HH:MM from 00:00 to 23:59, not '24:00'.");
        row("minute 60", lunch("", "W", "11:00", "12:60"), "not '12:60'.");
        row("one digit hour", lunch("", "W", "9:00", "12:00"), "not '9:00'.");
        row("only from", lunch("", "W", "11:00", ""),
            "The serving times of Lunch need both a start and an end, or neither.");
        row("from equals to", lunch("", "W", "11:00", "11:00"),
            "The serving time of Lunch cannot start and end at the same minute.");
        row("listed mode removed", modesJson({}, "Lunch"),
            "The meal mode Lunch cannot be removed.");
    }

    void badValuesAreRefused()
    {
        QFETCH(QString, arguments);
        QFETCH(QString, message);
        TestEnvironment env;
        AppSettingsData data(env.context());
        const QString sql = "Station..Save_TALO_AppSettings " + arguments;
        try {
            env.store().execute(sql);
            QFAIL(qPrintable("accepted: " + sql));
        } catch (const DbError& error) {
            QCOMPARE(error.number(), ServerErrors::Raised);
            QVERIFY2(error.message().endsWith(message), qPrintable(error.message()));
        }
        QCOMPARE(data.load(), AppSettings::defaults());
        QCOMPARE(auditRows(env), 0);
    }

    // Warn mode: the order is reported before the save, and the save itself records it.
    void warnModeWarnsAndStillSaves()
    {
        TestEnvironment env;
        seed(env);
        AppSettingsData data(env.context());
        AppSettings settings = limited("Lunch", 1, LimitAction::Warn);
        settings.mode("Breakfast")->dailyLimit = 0; // blocked outright
        settings.mode("Breakfast")->limitAction = LimitAction::Block;
        data.save(settings);
        CounterData counter(env.context());

        QVERIFY(data.warnings("10001", {"Lunch"}).isEmpty());
        counter.saveOrder("10001", {line("L01", " Lunch")});
        const QList<LimitWarning> warnings =
            data.warnings("10001", {"lunch", "Lunch", "Dinner", "Breakfast"});
        QCOMPARE(warnings.size(), 1); // block-mode limits are the save's to refuse
        QCOMPARE(warnings.at(0).mealMode, QString("Lunch"));
        QCOMPARE(warnings.at(0).receivedToday, 1);
        QCOMPARE(warnings.at(0).limit, 1);
        QCOMPARE(warnings.at(0).ordered, 2);

        counter.saveOrder("10001", {line("L01", "Lunch"), line("L02", "Lunch")});
        QCOMPARE(meals(env, "trim(MealMode) = 'Lunch'"), 3);
    }

    // Block mode: an order that passes the limit is refused whole, with the server's
    // text; a revoked meal no longer counts, and the next day starts afresh.
    void blockModeRefusesTheWholeOrder()
    {
        TestEnvironment env;
        seed(env);
        AppSettingsData data(env.context());
        data.save(limited("Lunch", 1, LimitAction::Block));
        CounterData counter(env.context());

        try {
            counter.saveOrder("10001",
                              {line("L01", "Dinner"), line("L01", "Lunch"), line("L02", "LUNCH")});
            QFAIL("the second lunch was recorded");
        } catch (const DbError& error) {
            QCOMPARE(error.number(), ServerErrors::Raised);
            QCOMPARE(error.message(), QString("Cruz, Ana (10001) has received 0 Lunch today and "
                                              "this order holds 2; the site allows 1 a day."));
        }
        QCOMPARE(meals(env), 0);

        // A mode typed with blanks around it is still the lunch it names, stored or asked.
        counter.saveOrder("10001", {line("L01", " Lunch")});
        QVERIFY_THROWS_EXCEPTION(DbError, counter.saveOrder("10001", {line("L02", "Lunch")}));
        QVERIFY_THROWS_EXCEPTION(DbError, counter.saveOrder("10001", {line("L02", "  lunch ")}));
        const QString first =
            env.scalar("SELECT TransNum FROM Station.tbTALOEmployeeDistributedMeals");
        counter.revoke("10001", first);
        counter.saveOrder("10001", {line("L02", "Lunch")});
        QCOMPARE(meals(env, "RevokedAt IS NULL"), 1);

        env.setServerClock(QDateTime(QDate(2026, 12, 9), QTime(0, 5)));
        counter.saveOrder("10001", {line("L01", "Lunch")});
        QCOMPARE(meals(env, "RevokedAt IS NULL"), 2);
    }

    // Two counters on one store save the employee's last allowed lunch at the same
    // moment: exactly one of them records it.
    void racingCountersRecordTheLastMealOnce()
    {
        TestEnvironment env;
        seed(env);
        AppSettingsData(env.context()).save(limited("Lunch", 2, LimitAction::Block));
        CounterData(env.context()).saveOrder("10001", {line("L01", "Lunch")});

        constexpr int counters = 2;
        std::vector<std::unique_ptr<EmbeddedConnection>> connections;
        for (int i = 0; i < counters; ++i) {
            connections.push_back(std::make_unique<EmbeddedConnection>(env.folder()));
            connections.back()->store().functions().setClock(
                [] { return QDateTime(QDate(2026, 12, 8), QTime(12, 0)); });
        }
        const QString sql = CounterData::saveText("10001", line("L02", "Lunch"),
                                                  "12/8/2026 12:00:00 PM", "CLERK01");
        // Both start together. Not std::latch: its wait can miss the wake-up in the C++
        // library of the Windows build (GCC 12 without futexes), which hung this test there.
        std::atomic<int> arrived = 0;
        std::vector<QString> outcome(counters);
        std::vector<std::thread> threads;
        for (int i = 0; i < counters; ++i) {
            threads.emplace_back([&, i] {
                ++arrived;
                while (arrived.load() < counters)
                    std::this_thread::yield();
                try {
                    connections[i]->transaction([&] { connections[i]->execute(sql); });
                    outcome[i] = "saved";
                } catch (const DbError& error) {
                    outcome[i] = error.message();
                }
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        QStringList results(outcome.begin(), outcome.end());
        results.sort();
        QCOMPARE(results, QStringList({"Cruz, Ana (10001) has received 2 Lunch today and this "
                                       "order holds 1; the site allows 2 a day.",
                                       "saved"}));
        QCOMPARE(meals(env), 2);
    }
};

QTEST_MAIN(tst_AppSettingsData)
#include "tst_AppSettingsData.moc"
