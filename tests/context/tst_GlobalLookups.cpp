#include "context/GlobalLookups.h"
#include "data/DbError.h"
#include "support/TestEnvironment.h"

#include <QTest>

namespace {

// Answers every read with one row whose Rights value is NULL.
class NullRightsConnection : public Connection
{
public:
    Recordset open(const QString&) override
    {
        ++opened;
        return Recordset({QStringLiteral("Rights")}, {{QString()}});
    }
    void execute(const QString&) override {}
    void transaction(const std::function<void()>& work) override { work(); }
    QString serverName() const override { return {}; }
    int opened = 0;
};

const QString kRightsSql =
    QStringLiteral("Select UserRights [Rights] from Station..tbTALOUserRights where UserID = '%1'");
} // namespace

class tst_GlobalLookups : public QObject
{
    Q_OBJECT

private slots:
    void rightsByPosition_data();
    void rightsByPosition();
    void userWithoutRightsRowHoldsNoRight();
    void nullRightsHoldNoRight();
    void firstOfTwoRowsDecides();
    void eachCheckIsAFreshQuery();
    void staffCodeWithAQuoteStaysInItsLiteral();
    void serverDateComesFromTheServersClock();
    void serverDateWithoutRowKeepsItsValue();
    void failingLookUpReachesTheCaller();
};

void tst_GlobalLookups::rightsByPosition_data()
{
    QTest::addColumn<QString>("rights");
    QTest::addColumn<QString>("code");
    QTest::addColumn<bool>("granted");

    for (int code = 1; code <= 8; ++code) {
        QTest::addRow("all rights, %d", code)
            << QStringLiteral("|1|2|3|4|5|6|7|8") << QString::number(code) << true;
    }
    QTest::newRow("|1|0|3 code 1") << "|1|0|3"
                                   << "1" << true;
    QTest::newRow("|1|0|3 code 2 not granted") << "|1|0|3"
                                               << "2" << false;
    QTest::newRow("|1|0|3 code 3") << "|1|0|3"
                                   << "3" << true;
    QTest::newRow("|1|0|3 code 5 beyond the end") << "|1|0|3"
                                                  << "5" << false;
    QTest::newRow("|1|02 code 2 exact text") << "|1|02"
                                             << "2" << false;
    QTest::newRow("code at another position") << "|2|1"
                                              << "2" << false;
    QTest::newRow("empty string code 1") << ""
                                         << "1" << false;
    QTest::newRow("empty string code 8") << ""
                                         << "8" << false;
    QTest::newRow("no leading bar") << "1|2|3"
                                    << "2" << false;
}

void tst_GlobalLookups::rightsByPosition()
{
    QFETCH(QString, rights);
    QFETCH(QString, code);
    QFETCH(bool, granted);
    TestEnvironment env(QStringLiteral("CLERK01"), QString());
    env.setRights(QStringLiteral("CLERK01"), rights);
    env.clearStatements();

    QCOMPARE(CheckUserRights(env.context(), code), granted);
    QCOMPARE(env.statements(), QStringList{kRightsSql.arg("CLERK01")});
}

void tst_GlobalLookups::userWithoutRightsRowHoldsNoRight()
{
    TestEnvironment env(QStringLiteral("CLERK01"), QString());
    env.setRights(QStringLiteral("OTHER"), QStringLiteral("|1|2|3|4|5|6|7|8"));
    for (int code = 1; code <= 8; ++code)
        QVERIFY(!CheckUserRights(env.context(), QString::number(code)));
    QVERIFY(env.messages().messages().isEmpty());
}

void tst_GlobalLookups::nullRightsHoldNoRight()
{
    // The store keeps UserRights NOT NULL; a SQL Server row may still hold a NULL, which
    // reaches the program as a null text.
    TestEnvironment env(QStringLiteral("CLERK01"), QString());
    NullRightsConnection server;
    env.user().connection = &server;
    QVERIFY(!CheckUserRights(env.context(), QStringLiteral("1")));
    QVERIFY(!CheckUserRights(env.context(), QStringLiteral("0")));
    QCOMPARE(server.opened, 2);
}

void tst_GlobalLookups::firstOfTwoRowsDecides()
{
    TestEnvironment env(QStringLiteral("CLERK01"), QString());
    for (const char* rights : {"|1|2|0", "|0|0|3"}) {
        env.sqlite(QStringLiteral("INSERT INTO Station.tbTALOUserRights(UserID, UserRights, "
                                  "ModifiedBy, ModifiedAt) VALUES('CLERK01', '%1', 'TEST', "
                                  "'2026-12-01 08:00:00')")
                       .arg(QLatin1String(rights)));
    }
    QCOMPARE(env.scalar(QStringLiteral("SELECT COUNT(*) FROM Station.tbTALOUserRights WHERE "
                                       "UserID = 'CLERK01'")),
             QStringLiteral("2"));
    QVERIFY(CheckUserRights(env.context(), QStringLiteral("2")));
    QVERIFY(!CheckUserRights(env.context(), QStringLiteral("3")));
}

void tst_GlobalLookups::eachCheckIsAFreshQuery()
{
    TestEnvironment env(QStringLiteral("CLERK01"), QStringLiteral("|1|0"));
    QVERIFY(!CheckUserRights(env.context(), QStringLiteral("2")));
    env.setRights(QStringLiteral("CLERK01"), QStringLiteral("|1|2"));
    QVERIFY(CheckUserRights(env.context(), QStringLiteral("2")));
    QCOMPARE(env.statements().size(), 2);
}

void tst_GlobalLookups::staffCodeWithAQuoteStaysInItsLiteral()
{
    TestEnvironment env(QStringLiteral("O'NEIL"), QString());
    env.setRights(QStringLiteral("O'NEIL"), QStringLiteral("|1|2"));
    env.setRights(QStringLiteral("O"), QStringLiteral("|0|0"));
    env.clearStatements();

    QVERIFY(CheckUserRights(env.context(), QStringLiteral("2")));
    QCOMPARE(env.statements(), QStringList{kRightsSql.arg("O''NEIL")});
}

void tst_GlobalLookups::serverDateComesFromTheServersClock()
{
    TestEnvironment env;
    env.context().dtServerDate = AppContext::zeroDateTime();
    env.setServerClock(QDateTime(QDate(2027, 1, 1), QTime(0, 0, 5)));
    env.clearStatements();
    QDateTime told;
    env.context().serverDateChanged = [&told](const QDateTime& value) { told = value; };

    LoadServerDate(env.context());

    QCOMPARE(env.statements(),
             QStringList{"Select GetDate() As ServerDate From Patient_Data..tbHospitalInfo"});
    QCOMPARE(env.context().dtServerDate, QDateTime(QDate(2027, 1, 1), QTime(0, 0, 5)));
    // Whoever shows the date hears of each new reading.
    QCOMPARE(told, env.context().dtServerDate);
}

void tst_GlobalLookups::serverDateWithoutRowKeepsItsValue()
{
    TestEnvironment env;
    env.sqlite(QStringLiteral("DELETE FROM Patient_Data.tbHospitalInfo"));
    const QDateTime earlier(QDate(2026, 1, 2), QTime(3, 4, 5));
    env.context().dtServerDate = earlier;

    LoadServerDate(env.context());

    QCOMPARE(env.context().dtServerDate, earlier);
}

void tst_GlobalLookups::failingLookUpReachesTheCaller()
{
    TestEnvironment env;
    env.user().connection = nullptr;
    QVERIFY_THROWS_EXCEPTION(DbError, CheckUserRights(env.context(), QStringLiteral("1")));
    QVERIFY_THROWS_EXCEPTION(DbError, LoadServerDate(env.context()));
    QVERIFY(env.messages().messages().isEmpty());
}

QTEST_MAIN(tst_GlobalLookups)
#include "tst_GlobalLookups.moc"
