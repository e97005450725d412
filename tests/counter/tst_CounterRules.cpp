#include "counter/CounterRules.h"

#include <QTest>

// The counter's rules without its window: the limit question's wording, the meal mode a
// line is recorded under, and the employee a scanned badge opens.
class tst_CounterRules : public QObject
{
    Q_OBJECT

    static AppSettings lunchLimited()
    {
        AppSettings settings = AppSettings::defaults();
        settings.mode("Lunch")->dailyLimit = 1;
        return settings;
    }

private slots:
    void limitQuestionFitsWhatWasReceived_data()
    {
        QTest::addColumn<int>("received");
        QTest::addColumn<int>("ordered");
        QTest::addColumn<QString>("question");
        QTest::newRow("none yet") << 0 << 3
                                  << "The order holds 3 Lunch for Ana Cruz; the site allows 2 a "
                                     "day. Record them all?";
        QTest::newRow("several more")
            << 2 << 2 << "Ana Cruz has already received 2 Lunch today. Record 2 more?";
        QTest::newRow("one more") << 2 << 1
                                  << "Ana Cruz has already received 2 Lunch today. Record another?";
    }

    void limitQuestionFitsWhatWasReceived()
    {
        QFETCH(int, received);
        QFETCH(int, ordered);
        QFETCH(QString, question);
        const LimitWarning warning{QStringLiteral("Lunch"), received, 2, ordered};
        QCOMPARE(CounterRules::limitQuestion(warning, QStringLiteral("Ana Cruz")), question);
    }

    void typedModeOnlyFreeWhileNothingIsLimited_data()
    {
        QTest::addColumn<bool>("limited");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<QString>("recorded");
        QTest::newRow("free typing") << false << "Brunch" << true << "Brunch";
        QTest::newRow("site spelling") << true << " lunch " << true << "Lunch";
        QTest::newRow("full width") << true << "Ｄｉｎｎｅｒ" << true << "Dinner";
        QTest::newRow("unknown refused") << true << " Brunch" << false << "";
    }

    void typedModeOnlyFreeWhileNothingIsLimited()
    {
        QFETCH(bool, limited);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(QString, recorded);
        const AppSettings settings = limited ? lunchLimited() : AppSettings::defaults();
        const CounterRules::ModeCheck check = CounterRules::checkMealMode(settings, typed);
        QCOMPARE(check.accepted, accepted);
        QCOMPARE(check.mode, recorded);
        QCOMPARE(check.refusal,
                 accepted ? QString()
                          : QString("Meal mode Brunch is not one of the site's meal modes. While "
                                    "the site limits meals a day, choose a meal mode from the "
                                    "list."));
    }

    void scanOpensOnlyAnUnambiguousNumber_data()
    {
        QTest::addColumn<QStringList>("numbers");
        QTest::addColumn<QString>("scanned");
        QTest::addColumn<int>("row");
        QTest::newRow("exact") << QStringList{"10001", "10002"} << "10002" << 2;
        QTest::newRow("case and blanks") << QStringList{"ab-1", "10002"} << " AB-1 " << 1;
        QTest::newRow("prefix is no match") << QStringList{"100011"} << "10001" << 0;
        QTest::newRow("two answer") << QStringList{"7", "7"} << "7" << 0;
        QTest::newRow("empty scan") << QStringList{""} << "  " << 0;
    }

    void scanOpensOnlyAnUnambiguousNumber()
    {
        QFETCH(QStringList, numbers);
        QFETCH(QString, scanned);
        QFETCH(int, row);
        QCOMPARE(CounterRules::scannedRow(numbers, scanned), row);
    }

    void offeredModesFallBackToTheListedOnes()
    {
        AppSettings none;
        QCOMPARE(CounterRules::offeredModes(none).first(), QString("Breakfast"));
        AppSettings own = AppSettings::defaults();
        MealModeSetting extra;
        extra.mealMode = QStringLiteral("Night Tea");
        own.mealModes.append(extra);
        QCOMPARE(CounterRules::offeredModes(own).last(), QString("Night Tea"));
    }
};

QTEST_GUILESS_MAIN(tst_CounterRules)
#include "tst_CounterRules.moc"
