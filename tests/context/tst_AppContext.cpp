#include "context/Rights.h"
#include "settings/AppSettings.h"
#include "support/TestEnvironment.h"

#include <QTest>
#include <memory>

// What every window reads from the shared context: the rights by name and their one
// refusal, today, the signed-in user's code, and the notice of settings saved here.
class tst_AppContext : public QObject
{
    Q_OBJECT

private slots:
    void rightsAskedByName_data()
    {
        QTest::addColumn<int>("right");
        QTest::addColumn<QString>("rights");
        QTest::addColumn<bool>("held");
        QTest::newRow("reports held") << int(Rights::Right::Reports) << "|1|0" << true;
        QTest::newRow("tagging refused") << int(Rights::Right::Tagging) << "|1|0" << false;
        QTest::newRow("revoke held") << int(Rights::Right::Revoke) << "|0|0|0|0|0|0|0|8" << true;
        QTest::newRow("revoke past the end") << int(Rights::Right::Revoke) << "|1|2" << false;
    }

    void rightsAskedByName()
    {
        QFETCH(int, right);
        QFETCH(QString, rights);
        QFETCH(bool, held);
        TestEnvironment env(QStringLiteral("CLERK01"), rights);
        QCOMPARE(Rights::code(Rights::Right(right)), QString::number(right));
        QCOMPARE(Rights::held(env.context(), Rights::Right(right)), held);
        QVERIFY(env.messages().messages().isEmpty());
        // Asking before an action: only a refusal speaks, and says "No Access.".
        QCOMPARE(Rights::heldOrRefused(env.context(), Rights::Right(right)), held);
        QCOMPARE(env.messages().infos(), held ? QStringList() : QStringList{"No Access."});
    }

    void todayIsTheServersOnceRead()
    {
        TestEnvironment env;
        env.context().dtServerDate = AppContext::zeroDateTime();
        QCOMPARE(env.context().today(), QDate::currentDate());
        env.context().dtServerDate = QDateTime(QDate(2031, 2, 3), QTime(23, 59));
        QCOMPARE(env.context().today(), QDate(2031, 2, 3));
    }

    void userCodeOfTheSignedInUser()
    {
        TestEnvironment env(QStringLiteral("O'NEIL"));
        QCOMPARE(env.context().userCode(), QStringLiteral("O'NEIL"));
        env.context().objUser = nullptr;
        QCOMPARE(env.context().userCode(), QString());
    }

    // Each window still open hears of the save; one closed and destroyed is not called.
    void savedSettingsReachTheWindowsStillThere()
    {
        TestEnvironment env;
        QObject kept;
        auto gone = std::make_unique<QObject>();
        QStringList heard;
        env.context().onSettingsSaved(&kept, [&](const AppSettings& s) { heard << s.siteName; });
        env.context().onSettingsSaved(gone.get(), [&](const AppSettings&) { heard << "gone"; });
        gone.reset();
        AppSettings settings = AppSettings::defaults();
        settings.siteName = QStringLiteral("North Wing");
        env.context().settingsSaved(settings);
        env.context().settingsSaved(settings);
        QCOMPARE(heard, QStringList({"North Wing", "North Wing"}));
    }
};

QTEST_MAIN(tst_AppContext)
#include "tst_AppContext.moc"
