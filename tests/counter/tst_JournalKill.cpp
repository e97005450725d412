#include "counter/CounterData.h"
#include "counter/OrderJournal.h"
#include "data/GeneralDate.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>
#include <cstdio>
#include <cstdlib>
#include <cstring>

// The counter's journal in a program killed (SIGKILL) while orders wait in it and while it
// is being sent: after the restart every order the clerk was told is saved is stored
// exactly once, each line once, in the order served.

namespace {

constexpr int Orders = 50;

// Where the program stops for the kill: after journaling this many orders, or while
// replaying, inside the transaction of this order (after its first line) or after its
// commit (before the journal hears).
struct Stop
{
    int journaled = 0;
    int inOrder = 0;
    int afterOrder = 0;
};

void stopHere(bool now)
{
    if (!now)
        return;
    std::puts("stop");
    std::fflush(stdout);
    for (;;)
        QThread::sleep(1);
}

class StoppingConnection : public Connection
{
public:
    StoppingConnection(Connection& inner, Stop stop) : m_inner(inner), m_stop(stop) {}
    Recordset open(const QString& sql) override { return m_inner.open(sql); }
    void execute(const QString& sql) override
    {
        m_inner.execute(sql);
        stopHere(m_order == m_stop.inOrder);
    }
    void transaction(const std::function<void()>& work) override
    {
        ++m_order;
        m_inner.transaction(work);
        stopHere(m_order == m_stop.afterOrder);
    }
    QString serverName() const override { return m_inner.serverName(); }

private:
    Connection& m_inner;
    Stop m_stop;
    int m_order = 0;
};

// The child: the counter's journaling of John Smith's orders of two lines, then its replay.
int serveAndReplay(const QString& store, const QString& path, Stop stop)
{
    OrderJournal journal(path);
    const QString served = GeneralDate::toText(QDateTime::currentDateTime());
    for (int i = 1; i <= Orders; ++i) {
        journal.add({0,
                     QUuid::createUuid().toString(QUuid::WithoutBraces),
                     "E002",
                     served,
                     "CLERK01",
                     {{"M01", "", "Breakfast", ""}, {"M02", "", "Lunch", QString::number(i)}},
                     {}});
        stopHere(i == stop.journaled);
    }
    EmbeddedConnection server(store);
    StoppingConnection stopping(server, stop);
    CounterData::replay(stopping, journal, path);
    stopHere(true);
    return 0;
}

} // namespace

class tst_JournalKill : public QObject
{
    Q_OBJECT

    static void seedSmith(TestEnvironment& env)
    {
        env.addEmployee("E002", "Smith", "John");
        env.addMealType("BF", "Breakfast");
        env.addMealType("LU", "Lunch");
        env.addMeal("M01", "Rice porridge", "BF");
        env.addMeal("M02", "Fish fillet", "LU");
        env.tag("E002", "BF");
        env.tag("E002", "LU");
    }

private slots:
    void everyOrderIsStoredOnceAfterAKill_data()
    {
        QTest::addColumn<int>("journaled");
        QTest::addColumn<int>("inOrder");
        QTest::addColumn<int>("afterOrder");
        QTest::addColumn<int>("stored");
        QTest::newRow("with 50 orders waiting") << Orders << 0 << 0 << Orders;
        QTest::newRow("while orders are being journaled") << 25 << 0 << 0 << 25;
        QTest::newRow("replaying, inside an order") << 0 << 20 << 0 << Orders;
        // The server has the order, the journal does not know: its key keeps it single.
        QTest::newRow("replaying, after a commit") << 0 << 0 << 20 << Orders;
    }

    void everyOrderIsStoredOnceAfterAKill()
    {
        QFETCH(int, journaled);
        QFETCH(int, inOrder);
        QFETCH(int, afterOrder);
        QFETCH(int, stored);
        TestEnvironment env;
        seedSmith(env);
        QTemporaryDir workstation;
        const QString path = workstation.filePath("counter-journal.sqlite");

        QProcess program;
        program.start(QCoreApplication::applicationFilePath(),
                      {"--child", env.folder(), path, QString::number(journaled),
                       QString::number(inOrder), QString::number(afterOrder)});
        while (!program.canReadLine())
            QVERIFY2(program.waitForReadyRead(30000), "the program did not stop");
        QCOMPARE(program.readLine().trimmed(), QByteArray("stop"));
        program.kill();
        QVERIFY(program.waitForFinished());

        // The restart: the counter opens and sends what waits, on the store's own clock.
        EmbeddedConnection server(env.folder());
        OrderJournal journal(path);
        QCOMPARE(CounterData::replay(server, journal, path), 0);
        QCOMPARE(journal.refused().size(), 0);
        const Recordset rows = env.query(
            "SELECT count(*), count(DISTINCT OrderKey || '/' || OrderLine), group_concat(Remarks) "
            "FROM (SELECT * FROM Station.tbTALOEmployeeDistributedMeals WHERE MealCode = 'M02' "
            "ORDER BY TransNum)");
        QCOMPARE(rows.value(0, 0).toInt(), stored);
        QCOMPARE(rows.value(0, 1).toInt(), stored);
        QStringList served;
        for (int i = 1; i <= stored; ++i)
            served << QString::number(i);
        QCOMPARE(rows.value(0, 2), served.join(','));
        QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals"),
                 QString::number(2 * stored));
    }

    // Two counters served John the one lunch a day each while neither reached the server:
    // the first journal to arrive is stored, the other's order stays, refused, in the
    // server's words.
    void twoCountersOfflineOverALimitOneIsRefused()
    {
        TestEnvironment env;
        seedSmith(env);
        env.sqlite("UPDATE Station.tbTALOMealModeSetting SET DailyLimit = 1, LimitAction = 'B' "
                   "WHERE MealMode = 'Lunch'");
        EmbeddedConnection server(env.folder());
        QTemporaryDir counters[2];
        QStringList refusals;
        for (QTemporaryDir& counter : counters) {
            const QString path = counter.filePath("counter-journal.sqlite");
            OrderJournal journal(path);
            journal.add({0,
                         QUuid::createUuid().toString(QUuid::WithoutBraces),
                         "E002",
                         GeneralDate::toText(QDateTime::currentDateTime()),
                         "CLERK01",
                         {{"M02", "Fish fillet", "Lunch", ""}},
                         {}});
            QCOMPARE(CounterData::replay(server, journal, path), 0);
            for (const OrderJournal::Order& order : journal.refused())
                refusals << order.refusal;
        }
        QCOMPARE(env.scalar("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals"), "1");
        QCOMPARE(refusals, QStringList{"Smith, John (E002) has received 1 Lunch today and this "
                                       "order holds 1; the site allows 1 a day."});
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc == 7 && std::strcmp(argv[1], "--child") == 0) {
        // The workstation's date format, as the tests' own environment sets it.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return serveAndReplay(app.arguments().at(2), app.arguments().at(3),
                              {std::atoi(argv[4]), std::atoi(argv[5]), std::atoi(argv[6])});
    }
    tst_JournalKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_JournalKill.moc"
