#include "counter/CounterRules.h"
#include "counter/OfflineCopy.h"
#include "counter/OrderJournal.h"
#include "data/DbError.h"
#include "support/CounterUi.h"
#include "support/CuttingConnection.h"
#include "support/GridLines.h"

#include <QDialog>
#include <QFile>
#include <QRegularExpression>
#include <QTest>
#include <QTimer>
#include <sqlite3.h>

// Serving through a link that drops: with the site's choice of keeping serving, an order
// whose link drops before its answer arrives is sent again with its key and stored exactly
// once, and the clerk hears "Saved!". Without that choice the counter sends and says what
// it always has.
class tst_CounterOffline : public QObject
{
    Q_OBJECT

    // John Smith's order of three lines, saved.
    static void serveThreeLines(Counter& c)
    {
        c.serveSmith();
        c.typeLine(QStringLiteral("M01"), QStringLiteral("Rice porridge"),
                   QStringLiteral("Breakfast"));
        c.typeLine(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"));
        c.typeLine(QStringLiteral("M03"), QStringLiteral("Fruit cup"), QStringLiteral("PM Snack"));
        QTest::mouseClick(c.button(0), Qt::LeftButton);
    }

    // One line served to John Smith.
    static void serveOne(Counter& c, const QString& meal, const QString& mode)
    {
        c.serveSmith();
        c.typeLine(meal, QString(), mode);
        QTest::mouseClick(c.button(0), Qt::LeftButton);
    }

    static void keepServing(Counter& c, bool on, int timeout = 10)
    {
        c.changeSettings([on, timeout](AppSettings& s) {
            s.keepServingOffline = on;
            s.statementTimeout = timeout;
        });
    }

private slots:
    void aDroppedLinkNeitherLosesNorDoublesTheOrder_data();
    void aDroppedLinkNeitherLosesNorDoublesTheOrder();
    void theSaveCarriesTheKeyOnlyWhenTheSiteKeepsServing_data();
    void theSaveCarriesTheKeyOnlyWhenTheSiteKeepsServing();
    void ordersServedOfflineReachTheServerInServedOrder_data();
    void ordersServedOfflineReachTheServerInServedOrder();
    void aSaveHeldBehindALockEndsInItsTime_data();
    void aSaveHeldBehindALockEndsInItsTime();
    void offlineTheCounterShowsWhatWaitsAndSendsItLater_data();
    void offlineTheCounterShowsWhatWaitsAndSendsItLater();
    void offlineTheSearchAnswersFromTheCopyAsTheServerDoes_data();
    void offlineTheSearchAnswersFromTheCopyAsTheServerDoes();
    void offlineTheLimitsCountTheCopyAndTheJournal_data();
    void offlineTheLimitsCountTheCopyAndTheJournal();
    void aCopyNotWholeIsNeverServedFrom_data();
    void aCopyNotWholeIsNeverServedFrom();
    void aSettingsReadingCutKeepsTheSiteSettings_data();
    void aSettingsReadingCutKeepsTheSiteSettings();
    void aServerGivingNoAnswerIsNotWaitedForAgainAtOnce();
};

void tst_CounterOffline::aDroppedLinkNeitherLosesNorDoublesTheOrder_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<int>("cut");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QStringList>("messages");

    const QString whole = QStringLiteral("M01/1,M02/2,M03/3");
    const QStringList saved = {QStringLiteral("Saved!")};
    const QStringList lost = {QStringLiteral("The connection to the database server was lost.")};
    QTest::newRow("keep serving, cut before line 1") << true << 0 << whole << saved;
    QTest::newRow("keep serving, cut before line 2") << true << 1 << whole << saved;
    QTest::newRow("keep serving, cut before line 3") << true << 2 << whole << saved;
    QTest::newRow("keep serving, cut after the commit")
        << true << int(CuttingConnection::AfterCommit) << whole << saved;
    // As it always was: the clerk sees the failure, whether or not the order arrived.
    QTest::newRow("as before, cut before line 2") << false << 1 << QString() << lost;
    QTest::newRow("as before, cut after the commit")
        << false << int(CuttingConnection::AfterCommit) << QStringLiteral("M01/,M02/,M03/") << lost;
}

void tst_CounterOffline::aDroppedLinkNeitherLosesNorDoublesTheOrder()
{
    QFETCH(bool, keep);
    QFETCH(int, cut);
    QFETCH(QString, stored);
    QFETCH(QStringList, messages);

    Counter c;
    keepServing(c, keep);
    CuttingConnection link(*c.env.context().cnMain);
    c.env.context().cnMain = &link;
    link.arm(cut);
    serveThreeLines(c);

    QVERIFY(link.dropped());
    QCOMPARE(c.env.messages().texts(), messages);
    const Recordset rows = c.env.query(QStringLiteral(
        "SELECT MealCode || '/' || coalesce(OrderLine, ''), OrderKey, LoginName, MealDate "
        "FROM Station.tbTALOEmployeeDistributedMeals ORDER BY TransNum"));
    QStringList meals;
    for (int row = 0; row < rows.recordCount(); ++row) {
        meals << rows.value(row, 0);
        // One order, served at one time, each meal recorded with who saved it.
        QCOMPARE(rows.value(row, 1), rows.value(0, 1));
        QCOMPARE(rows.value(row, 3), QStringLiteral("2026-12-08 11:30:15"));
        QVERIFY(!rows.value(row, 2).isEmpty());
    }
    QCOMPARE(meals.join(QLatin1Char(',')), stored);
    // A saved order leaves the counter; one the clerk was told failed stays on screen.
    QCOMPARE(c.orderList()->TextMatrix(1, 1).isEmpty(), messages == QStringList{"Saved!"});
}

void tst_CounterOffline::theSaveCarriesTheKeyOnlyWhenTheSiteKeepsServing_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<QStringList>("sent");

    QTest::newRow("off: the described statements")
        << false
        << QStringList{saveText("M01", "Breakfast", ""), saveText("M02", "Lunch", ""),
                       saveText("M03", "PM Snack", "")};
    QTest::newRow("on: each line with the order's key and its number")
        << true
        << QStringList{saveText("M01", "Breakfast", "") + ", '{key}', '1'",
                       saveText("M02", "Lunch", "") + ", '{key}', '2'",
                       saveText("M03", "PM Snack", "") + ", '{key}', '3'"};
}

void tst_CounterOffline::theSaveCarriesTheKeyOnlyWhenTheSiteKeepsServing()
{
    QFETCH(bool, keep);
    QFETCH(QStringList, sent);

    Counter c;
    keepServing(c, keep);
    serveThreeLines(c);
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved!")});

    static const QRegularExpression uuid(
        QStringLiteral("[0-9a-f]{8}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{4}-[0-9a-f]{12}"));
    QStringList keys;
    QStringList texts;
    for (QString sql : c.sent()) {
        const QRegularExpressionMatch key = uuid.match(sql);
        if (key.hasMatch())
            keys << key.captured();
        texts << sql.replace(uuid, QStringLiteral("{key}"));
    }
    QCOMPARE(texts, sent);
    keys.removeDuplicates();
    QCOMPARE(keys.size(), keep ? 1 : 0);

    // The next order is another order: it gets a key of its own.
    if (keep) {
        c.env.clearStatements();
        serveThreeLines(c);
        QVERIFY(!c.sent().isEmpty());
        QVERIFY(!c.sent().constFirst().contains(keys.constFirst()));
    }
}

void tst_CounterOffline::ordersServedOfflineReachTheServerInServedOrder_data()
{
    QTest::addColumn<bool>("deactivated");
    QTest::addColumn<QString>("localeMeanwhile");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("refused");

    QTest::newRow("sent when the server answers again")
        << false << QString() << QStringLiteral("M01,M02,M03") << QString();
    // Another workstation deactivated him meanwhile: the orders stay, refused, for a
    // supervisor to settle.
    QTest::newRow("refused on the way")
        << true << QString() << QString() << QStringLiteral("Employee E002 is inactive.");
    // The workstation's dates are written day first from here on: the waiting orders'
    // times are still read, and sent the new way.
    QTest::newRow("the workstation's date format changed meanwhile")
        << false << QStringLiteral("en_GB") << QStringLiteral("M01,M02,M03") << QString();
}

void tst_CounterOffline::ordersServedOfflineReachTheServerInServedOrder()
{
    QFETCH(bool, deactivated);
    QFETCH(QString, localeMeanwhile);
    QFETCH(QString, stored);
    QFETCH(QString, refused);

    Counter c;
    keepServing(c, true);
    c.watchStatusNote();
    CuttingConnection link(*c.env.context().cnMain);
    c.env.context().cnMain = &link;
    link.setDown(true);

    serveOne(c, QStringLiteral("M01"), QStringLiteral("Breakfast"));
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved (offline)")});
    QCOMPARE(c.statusNote, QStringLiteral("Offline: 1 order waiting to be sent"));
    serveOne(c, QStringLiteral("M02"), QStringLiteral("Lunch"));
    serveOne(c, QStringLiteral("M03"), QStringLiteral("Lunch"));
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved (offline)")});
    QCOMPARE(c.statusNote, QStringLiteral("Offline: 3 orders waiting to be sent"));
    QCOMPARE(c.storedMeals(), 0);

    if (deactivated)
        c.env.sqlite(
            QStringLiteral("UPDATE Payroll.tbcmaster SET Active = '0' WHERE EmpNum = 'E002'"));
    if (!localeMeanwhile.isEmpty())
        QLocale::setDefault(QLocale(localeMeanwhile));
    link.setDown(false);
    // The counter opened again (the program started again) sends what waits.
    c.window->Form_Load();

    const Recordset rows = c.env.query(QStringLiteral(
        "SELECT MealCode, OrderKey, OrderLine, ClerkID FROM Station.tbTALOEmployeeDistributedMeals "
        "ORDER BY TransNum"));
    QStringList meals;
    QStringList keys;
    for (int row = 0; row < rows.recordCount(); ++row) {
        meals << rows.value(row, 0);
        keys << rows.value(row, 1);
        QCOMPARE(rows.value(row, 2), QStringLiteral("1"));
        QCOMPARE(rows.value(row, 3), QStringLiteral("CLERK01"));
    }
    QCOMPARE(meals.join(QLatin1Char(',')), stored);
    keys.removeDuplicates();
    QCOMPARE(keys.size(), meals.size());
    QCOMPARE(c.statusNote, QString());

    OrderJournal journal(c.env.context().workstationFolder +
                         QStringLiteral("/counter-journal.sqlite"));
    QCOMPARE(journal.waitingCount(), 0);
    QStringList refusals;
    for (const OrderJournal::Order& order : journal.refused())
        refusals << order.refusal;
    refusals.removeDuplicates();
    QCOMPARE(refusals.join(QLatin1Char('|')), refused);
    QCOMPARE(journal.refused().size(), deactivated ? 3 : 0);
}

void tst_CounterOffline::aSaveHeldBehindALockEndsInItsTime_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<int>("number");
    QTest::addColumn<QString>("heard");

    // The clerk sees the number and the text, the order stays on screen, nothing is kept.
    QTest::newRow("as before: the error")
        << false << DbError::timeoutNumber
        << QStringLiteral("Query timeout expired: the database server gave no answer within 1 "
                          "seconds");
    // Kept serving: a server that does not answer is a server that cannot be reached.
    QTest::newRow("keep serving: to the journal") << true << 0 << QStringLiteral("Saved (offline)");
}

void tst_CounterOffline::aSaveHeldBehindALockEndsInItsTime()
{
    QFETCH(bool, keep);
    QFETCH(int, number);
    QFETCH(QString, heard);

    Counter c;
    keepServing(c, keep, 1);
    // Another program holds the store's write lock (an import, say).
    auto other = std::make_unique<EmbeddedConnection>(c.env.folder());
    other->nativeExecute(QStringLiteral("BEGIN IMMEDIATE"));
    serveThreeLines(c);

    const QStringList messages = c.env.messages().texts();
    QCOMPARE(messages.size(), 1);
    QVERIFY2(messages.constFirst().startsWith(heard), qPrintable(messages.constFirst()));
    QCOMPARE(c.env.messages().errors().isEmpty()
                 ? 0
                 : c.env.messages().errors().constFirst().errorNumber,
             number);
    QCOMPARE(c.orderList()->TextMatrix(1, 1).isEmpty(), keep);
    other.reset();
    QCOMPARE(c.storedMeals(), 0);

    // Once the lock is gone, the journal's order reaches the server, once.
    for (int load = 0; load < 2; ++load) {
        c.window->Form_Load();
        QCOMPARE(c.storedMeals(), keep ? 3 : 0);
    }
}

void tst_CounterOffline::offlineTheCounterShowsWhatWaitsAndSendsItLater_data()
{
    QTest::addColumn<bool>("readsCut");
    QTest::newRow("only saves fail") << false;
    // The list then comes from the server's last answer.
    QTest::newRow("nothing reaches the server") << true;
}

void tst_CounterOffline::offlineTheCounterShowsWhatWaitsAndSendsItLater()
{
    QFETCH(bool, readsCut);

    Counter c;
    keepServing(c, true);
    c.watchStatusNote();
    c.seedLunch(QStringLiteral("M02"));
    CuttingConnection link(*c.env.context().cnMain);
    c.env.context().cnMain = &link;
    link.setDown(true);
    serveOne(c, QStringLiteral("M01"), QStringLiteral("Breakfast"));
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved (offline)")});

    // Revoking needs the server: a meal it has, or one still in the journal.
    c.serveSmith();
    QCOMPARE(c.received()->TextMatrix(c.rowOf(c.received(), "M01"), 4),
             QStringLiteral("(waiting to be sent)"));
    for (const char* meal : {"M02", "M01"}) {
        c.env.messages().clear();
        if (QLatin1String(meal) == QLatin1String("M02"))
            c.env.messages().answerNext(true);
        Counter::dblClickRow(c.received(), c.rowOf(c.received(), meal));
        QVERIFY2(
            c.env.messages().infos().constLast().contains(QLatin1String("Nothing was changed.")),
            qPrintable(c.env.messages().texts().join(QLatin1Char('|'))));
        QVERIFY(c.env.messages().errors().isEmpty());
    }
    QCOMPARE(c.storedMeals(QStringLiteral("RevokedAt IS NOT NULL")), 0);
    QTest::mouseClick(c.button(1), Qt::LeftButton);

    // Meals received today: the server's (or its last answer), then the waiting order.
    Connection* reads = c.env.user().connection;
    if (readsCut)
        c.env.user().connection = &link;
    c.env.messages().clear();
    Counter::clickRow(c.empList(), 1);
    QCOMPARE(c.env.messages().texts(), QStringList());
    QCOMPARE(gridColumn(*c.received(), 1), (QStringList{"M02", "M01"}));
    QCOMPARE(gridColumn(*c.received(), 4), (QStringList{"", "(waiting to be sent)"}));

    // The server answers again: the journal goes to it in the background.
    c.env.user().connection = reads;
    link.setDown(false);
    auto* timer = c.window->findChild<QTimer*>(QStringLiteral("tmrReplay"));
    QVERIFY(timer && timer->isActive());
    timer->setInterval(0);
    QTRY_COMPARE(c.storedMeals(), 2);
    QTRY_COMPARE(c.statusNote, QString());
}

void tst_CounterOffline::offlineTheSearchAnswersFromTheCopyAsTheServerDoes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("note");

    QTest::newRow("every active employee") << QString() << QString();
    QTest::newRow("a number, in other letters") << QStringLiteral("e002 ") << QString();
    QTest::newRow("the start of a last name") << QStringLiteral("smi") << QString();
    QTest::newRow("last name, first name") << QStringLiteral("Smith, J") << QString();
    // Scanned: the clerk hears why the badge found nobody.
    QTest::newRow("an inactive employee's badge")
        << QStringLiteral("E004") << QStringLiteral("Employee E004 is inactive.");
}

void tst_CounterOffline::offlineTheSearchAnswersFromTheCopyAsTheServerDoes()
{
    QFETCH(QString, text);
    QFETCH(QString, note);

    Counter c;
    c.env.addEmployee(QStringLiteral("E004"), QStringLiteral("Smithson"), QStringLiteral("Al"), {},
                      QStringLiteral("KITCHEN"));
    c.env.sqlite(QStringLiteral("UPDATE Payroll.tbcmaster SET Active = '0' WHERE EmpNum = 'E004'"));
    c.changeSettings([&note](AppSettings& s) {
        s.keepServingOffline = true;
        s.scanMode = !note.isEmpty();
    });
    c.watchStatusNote();
    c.waitForCopy();
    c.search(text);
    const QStringList online = gridLines(*c.empList(), 1, 4);
    QCOMPARE(c.statusNote, note);

    CuttingConnection link(*c.env.context().cnMain);
    c.routeThrough(link);
    link.setDown(true);
    c.env.messages().clear();
    c.search(text);
    QCOMPARE(gridLines(*c.empList(), 1, 4), online);
    QCOMPARE(c.env.messages().texts(), QStringList());
    QCOMPARE(c.statusNote, CounterRules::statusNote(
                               {QStringLiteral("Offline: searching the copy of 11:30"), note}));
    if (!note.isEmpty())
        return;

    // The meal look-up answers from the copy too: the meals his tags allow.
    Counter::dblClickRow(c.empList(), c.rowOf(c.empList(), QStringLiteral("E002")));
    c.entry(1)->setText(QStringLiteral("i"));
    QStringList offered;
    c.env.modal().then([&offered](QDialog& dialog) {
        offered = gridLines(*dialog.findChild<FlexGrid*>(QStringLiteral("mshSearchList")), 1, 2);
        dialog.close();
    });
    QTest::mouseClick(c.button(4), Qt::LeftButton);
    QCOMPARE(offered, (QStringList{"M02|Fish fillet", "M03|Fruit cup", "M01|Rice porridge"}));
    QCOMPARE(c.env.messages().texts(), QStringList());
}

void tst_CounterOffline::offlineTheLimitsCountTheCopyAndTheJournal_data()
{
    QTest::addColumn<bool>("block");
    QTest::addColumn<QString>("before");
    QTest::addColumn<bool>("cut");
    QTest::addColumn<QString>("heard");

    const QString refused = QStringLiteral("Smith, John P (E002) has received 1 Lunch today and "
                                           "this order holds 1; the site allows 1 a day.");
    // The server's own words first, then the counter's offline.
    QTest::newRow("block, online: the server refuses") << true << "store" << false << refused;
    QTest::newRow("block, offline: a meal in the copy") << true << "store" << true << refused;
    QTest::newRow("block, offline: an order saved online before the link dropped")
        << true << "online" << true << refused;
    QTest::newRow("block, offline: the journal's order, by the same counter")
        << true << "offline" << true << refused;
    QTest::newRow("warn, offline: the clerk is asked")
        << false << "offline" << true
        << QStringLiteral("Smith, John P has already received 1 Lunch today. Record another?");
}

void tst_CounterOffline::offlineTheLimitsCountTheCopyAndTheJournal()
{
    QFETCH(bool, block);
    QFETCH(QString, before);
    QFETCH(bool, cut);
    QFETCH(QString, heard);

    Counter c;
    if (before == QLatin1String("store"))
        c.seedLunch(QStringLiteral("M02"));
    c.changeSettings([block](AppSettings& s) {
        s.keepServingOffline = true;
        MealModeSetting& lunch = Counter::modeOf(s, QStringLiteral("Lunch"));
        lunch.dailyLimit = 1;
        lunch.limitAction = block ? LimitAction::Block : LimitAction::Warn;
    });
    c.waitForCopy();
    c.watchStatusNote();
    CuttingConnection link(*c.env.context().cnMain);
    c.routeThrough(link);
    if (before == QLatin1String("online"))
        serveOne(c, QStringLiteral("M02"), QStringLiteral("Lunch"));
    link.setDown(cut);
    if (before == QLatin1String("offline")) {
        serveOne(c, QStringLiteral("M02"), QStringLiteral("Lunch"));
        QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved (offline)")});
        QCOMPARE(
            c.statusNote,
            QStringLiteral("Offline: searching the copy of 11:30  1 order waiting to be sent"));
    }
    const int journaled = CounterData(c.env.context()).waitingOrders();

    serveOne(c, QStringLiteral("M03"), QStringLiteral("Lunch"));
    QCOMPARE(c.env.messages().texts(), QStringList{heard});
    if (block)
        QCOMPARE(c.env.messages().errors().constFirst().errorNumber, DbError::refusalNumber);
    // Nothing of the order is kept; it stays on screen.
    QCOMPARE(CounterData(c.env.context()).waitingOrders(), journaled);
    QCOMPARE(c.storedMeals(), before == QLatin1String("offline") ? 0 : 1);
    QCOMPARE(c.orderList()->TextMatrix(1, 1), QStringLiteral("M03"));
}

void tst_CounterOffline::aCopyNotWholeIsNeverServedFrom_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("served");

    QTest::newRow("cut short") << "cut short" << false;
    QTest::newRow("never completed") << "never completed" << false;
    // The copy in place stays until a whole one replaces it.
    QTest::newRow("a refresh cut half-way") << "refresh cut" << true;
    QTest::newRow("a killed refresh left its file") << "left file" << true;
}

void tst_CounterOffline::aCopyNotWholeIsNeverServedFrom()
{
    QFETCH(QString, damage);
    QFETCH(bool, served);

    Counter c;
    keepServing(c, true);
    c.watchStatusNote();
    c.waitForCopy();
    const QString path = c.copyPath();
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadWrite));
    if (damage == QLatin1String("cut short")) {
        QVERIFY(file.resize(file.size() / 2));
    } else if (damage == QLatin1String("left file")) {
        QFile left(path + QStringLiteral(".new"));
        QVERIFY(left.open(QIODevice::WriteOnly));
        left.write(file.read(file.size() / 2));
    } else if (damage == QLatin1String("never completed")) {
        sqlite3* db = nullptr;
        QCOMPARE(sqlite3_open(path.toUtf8().constData(), &db), SQLITE_OK);
        QCOMPARE(sqlite3_exec(db, "DELETE FROM Copy", nullptr, nullptr, nullptr), SQLITE_OK);
        sqlite3_close(db);
    } else {
        CuttingConnection cutting(*c.env.context().cnMain);
        cutting.arm(2);
        QVERIFY_THROWS_EXCEPTION(DbError,
                                 OfflineCopy::refresh(cutting, path, QDateTime::currentDateTime(),
                                                      QStringLiteral("CLERK01")));
    }
    file.close();

    CuttingConnection link(*c.env.context().cnMain);
    c.routeThrough(link);
    link.setDown(true);
    c.env.messages().clear();
    c.search(QStringLiteral("E002"));
    QCOMPARE(gridColumn(*c.empList(), 1).constFirst(), served ? QStringLiteral("E002") : QString());
    // No copy to serve from: the clerk hears the server's error, as without one.
    QCOMPARE(c.env.messages().texts(),
             served
                 ? QStringList()
                 : QStringList{QStringLiteral("The connection to the database server was lost.")});
    QCOMPARE(c.statusNote.startsWith(QLatin1String("Offline: searching the copy of 11:30")),
             served);
}

void tst_CounterOffline::aSettingsReadingCutKeepsTheSiteSettings_data()
{
    QTest::addColumn<bool>("keep");
    QTest::addColumn<bool>("defaults");

    // As it always was: the defaults stand in, and the counter says why.
    QTest::newRow("as before") << false << true;
    // Kept serving: the limits and the keeping serving itself hold while the server is away.
    QTest::newRow("keep serving") << true << false;
}

void tst_CounterOffline::aSettingsReadingCutKeepsTheSiteSettings()
{
    QFETCH(bool, keep);
    QFETCH(bool, defaults);

    Counter c;
    c.changeSettings([keep](AppSettings& s) {
        s.keepServingOffline = keep;
        Counter::modeOf(s, QStringLiteral("Lunch")).dailyLimit = 1;
    });
    c.watchStatusNote();
    CuttingConnection link(*c.env.context().cnMain);
    c.routeThrough(link);
    // A minute on, the search reads the settings again first: that reading gets no answer.
    c.env.setServerClock(QDateTime(QDate(2026, 12, 8), QTime(11, 32)));
    link.arm(1);
    c.search(QStringLiteral("E002"));
    QVERIFY(link.dropped());
    QCOMPARE(c.statusNote.startsWith(QLatin1String("Default settings are in use")), defaults);
    c.serveSmith();
    c.typeLine(QStringLiteral("M02"), QString(), QStringLiteral("Lunchh"));
    // Only while the site's limits hold is a mode not of the site's refused.
    QCOMPARE(c.env.messages().infos().isEmpty(), defaults);
}

void tst_CounterOffline::aServerGivingNoAnswerIsNotWaitedForAgainAtOnce()
{
    Counter c;
    keepServing(c, true, 1);
    c.waitForCopy();
    // Another program holds the store's write lock (an import, say).
    auto other = std::make_unique<EmbeddedConnection>(c.env.folder());
    other->nativeExecute(QStringLiteral("BEGIN IMMEDIATE"));
    serveOne(c, QStringLiteral("M01"), QStringLiteral("Breakfast"));
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved (offline)")});

    // The next employee is served from what the counter knows, without a statement.
    c.env.clearStatements();
    c.search(QStringLiteral("E002"));
    Counter::dblClickRow(c.empList(), 1);
    QCOMPARE(gridColumn(*c.received(), 1), QStringList{"M01"});
    c.env.messages().clear();
    c.typeLine(QStringLiteral("M02"), QString(), QStringLiteral("Lunch"));
    QTest::mouseClick(c.button(0), Qt::LeftButton);
    QCOMPARE(c.env.messages().infos(), QStringList{QStringLiteral("Saved (offline)")});
    QCOMPARE(c.env.statements(), QStringList());

    // Opened again once the lock is gone, the counter asks the server first.
    other.reset();
    c.window->Form_Load();
    QCOMPARE(c.storedMeals(), 2);
}

QTEST_MAIN(tst_CounterOffline)
#include "tst_CounterOffline.moc"
