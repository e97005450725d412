#include "counter/CounterData.h"
#include "counter/OrderJournal.h"
#include "data/GeneralDate.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QDir>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <QUuid>
#include <cstdio>
#include <cstring>

// The counter's journal killed (SIGKILL, a program of its own) while orders wait in it and
// while it is being sent: after the restart every order the clerk was told is saved is
// stored exactly once, each of its lines once.

namespace {

constexpr int Orders = 50;

QString journalFile(const QString& folder)
{
    return QDir(folder).filePath(QStringLiteral("counter-journal.sqlite"));
}

void say(const char* what)
{
    std::fputs(what, stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

[[noreturn]] void waitForTheKill()
{
    say("stop");
    for (;;)
        QThread::sleep(1);
}

// The counter's journaling: each order written to the journal before the clerk hears
// "Saved (offline)". Stops (for the kill) once `stopAfter` orders are in.
void journalOrders(const QString& folder, int count, int stopAfter)
{
    OrderJournal journal(journalFile(folder));
    const QString served = GeneralDate::toText(QDateTime::currentDateTime());
    for (int i = 1; i <= count; ++i) {
        journal.add({0,
                     QUuid::createUuid().toString(QUuid::WithoutBraces),
                     QStringLiteral("E002"),
                     served,
                     QStringLiteral("CLERK01"),
                     {{QStringLiteral("M01"), QStringLiteral("Rice porridge"),
                       QStringLiteral("Breakfast"), QString()},
                      {QStringLiteral("M02"), QStringLiteral("Fish fillet"),
                       QStringLiteral("Lunch"), QString::number(i)}},
                     {}});
        if (i == stopAfter)
            waitForTheKill();
    }
}

// The store as the replay sees it, stopping for the kill inside the transaction of order
// `stopIn` (after its first line) or just after the commit of order `stopAfter`.
class StoppingConnection : public Connection
{
public:
    StoppingConnection(Connection& inner, int stopIn, int stopAfter)
        : m_inner(inner), m_stopIn(stopIn), m_stopAfter(stopAfter)
    {}
    Recordset open(const QString& sql) override { return m_inner.open(sql); }
    void execute(const QString& sql) override
    {
        m_inner.execute(sql);
        if (m_order == m_stopIn)
            waitForTheKill();
    }
    void transaction(const std::function<void()>& work) override
    {
        ++m_order;
        m_inner.transaction(work);
        if (m_order == m_stopAfter)
            waitForTheKill();
    }
    QString serverName() const override { return m_inner.serverName(); }

private:
    Connection& m_inner;
    int m_order = 0;
    int m_stopIn;
    int m_stopAfter;
};

int child(const QStringList& args)
{
    const QString what = args.value(0);
    if (what == QLatin1String("journal")) {
        journalOrders(args.value(1), Orders, args.value(2).toInt());
        waitForTheKill();
    }
    EmbeddedConnection store(args.value(2));
    StoppingConnection stopping(store, args.value(3).toInt(), args.value(4).toInt());
    OrderJournal journal(journalFile(args.value(1)));
    CounterData::replay(stopping, journal, journalFile(args.value(1)));
    say("done");
    return 0;
}

} // namespace

class tst_JournalKill : public QObject
{
    Q_OBJECT

    // John Smith, who may have breakfast (M01) and lunch (M02).
    static void seedSmith(TestEnvironment& env)
    {
        env.addEmployee(QStringLiteral("E002"), QStringLiteral("Smith"), QStringLiteral("John"));
        env.addMealType(QStringLiteral("BF"), QStringLiteral("Breakfast"));
        env.addMealType(QStringLiteral("LU"), QStringLiteral("Lunch"));
        env.addMeal(QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("BF"));
        env.addMeal(QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("LU"));
        env.tag(QStringLiteral("E002"), QStringLiteral("BF"));
        env.tag(QStringLiteral("E002"), QStringLiteral("LU"));
    }

private slots:
    void everyOrderIsStoredOnceAfterAKill_data();
    void everyOrderIsStoredOnceAfterAKill();
    void twoCountersOfflineOverALimitOneIsRefused();
};

void tst_JournalKill::everyOrderIsStoredOnceAfterAKill_data()
{
    QTest::addColumn<QString>("killed");
    QTest::addColumn<int>("stopAfterJournaled");
    QTest::addColumn<int>("stopInOrder");
    QTest::addColumn<int>("stopAfterOrder");
    QTest::addColumn<int>("stored");

    QTest::newRow("with 50 orders waiting") << "journal" << Orders << 0 << 0 << Orders;
    QTest::newRow("while orders are being journaled") << "journal" << 25 << 0 << 0 << 25;
    QTest::newRow("replaying, inside an order's transaction") << "replay" << 0 << 20 << 0 << Orders;
    // The server has the order, the journal does not know yet: it is sent again, and its
    // key keeps it from being stored twice.
    QTest::newRow("replaying, after a commit, before the journal heard")
        << "replay" << 0 << 0 << 20 << Orders;
    QTest::newRow("replaying, after the first order") << "replay" << 0 << 0 << 1 << Orders;
}

void tst_JournalKill::everyOrderIsStoredOnceAfterAKill()
{
    QFETCH(QString, killed);
    QFETCH(int, stopAfterJournaled);
    QFETCH(int, stopInOrder);
    QFETCH(int, stopAfterOrder);
    QFETCH(int, stored);

    TestEnvironment env;
    seedSmith(env);
    QTemporaryDir workstation;

    QStringList args;
    if (killed == QLatin1String("journal")) {
        args = {QStringLiteral("journal"), workstation.path(), QString::number(stopAfterJournaled)};
    } else {
        journalOrders(workstation.path(), Orders, 0);
        args = {QStringLiteral("replay"), workstation.path(), env.folder(),
                QString::number(stopInOrder), QString::number(stopAfterOrder)};
    }
    QProcess program;
    program.start(QCoreApplication::applicationFilePath(), QStringList{"--child"} + args);
    QVERIFY(program.waitForStarted());
    while (!program.canReadLine())
        QVERIFY2(program.waitForReadyRead(30000), "the program did not stop where it was told");
    QCOMPARE(program.readLine().trimmed(), QByteArray("stop"));
    program.kill();
    QVERIFY(program.waitForFinished());
    QCOMPARE(program.exitStatus(), QProcess::CrashExit);

    // The restart: the counter opens and sends what waits, on the store's own clock.
    EmbeddedConnection server(env.folder());
    OrderJournal journal(journalFile(workstation.path()));
    QCOMPARE(CounterData::replay(server, journal, journalFile(workstation.path())), 0);
    QCOMPARE(journal.refused().isEmpty() ? QString() : journal.refused().constFirst().refusal,
             QString());

    const Recordset rows = env.query(QStringLiteral(
        "SELECT count(*), count(DISTINCT OrderKey), count(DISTINCT OrderKey || '/' || OrderLine), "
        "sum(MealCode = 'M01'), group_concat(Remarks, ',') FROM (SELECT * FROM "
        "Station.tbTALOEmployeeDistributedMeals WHERE MealCode = 'M02' OR MealCode = 'M01' "
        "ORDER BY TransNum)"));
    QCOMPARE(rows.value(0, 0).toInt(), 2 * stored);
    QCOMPARE(rows.value(0, 1).toInt(), stored);
    QCOMPARE(rows.value(0, 2).toInt(), 2 * stored);
    QCOMPARE(rows.value(0, 3).toInt(), stored);
    // In the order they were served.
    QStringList served;
    for (int i = 1; i <= stored; ++i)
        served << QString() << QString::number(i);
    QCOMPARE(rows.value(0, 4), served.join(QLatin1Char(',')));
}

// Two counters served one employee the one lunch a day each, while neither reached the
// server: the first journal to arrive is stored, the other's order stays, refused, with
// the server's words.
void tst_JournalKill::twoCountersOfflineOverALimitOneIsRefused()
{
    TestEnvironment env;
    seedSmith(env);
    env.sqlite(QStringLiteral("UPDATE Station.tbTALOMealModeSetting SET DailyLimit = 1, "
                              "LimitAction = 'B' WHERE MealMode = 'Lunch'"));
    QTemporaryDir counters[2];
    const QString served = GeneralDate::toText(QDateTime::currentDateTime());
    for (QTemporaryDir& counter : counters) {
        OrderJournal(journalFile(counter.path()))
            .add({0,
                  QUuid::createUuid().toString(QUuid::WithoutBraces),
                  QStringLiteral("E002"),
                  served,
                  QStringLiteral("CLERK01"),
                  {{QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"),
                    QString()}},
                  {}});
    }
    EmbeddedConnection server(env.folder());
    QStringList refusals;
    for (QTemporaryDir& counter : counters) {
        OrderJournal journal(journalFile(counter.path()));
        QCOMPARE(CounterData::replay(server, journal, journalFile(counter.path())), 0);
        for (const OrderJournal::Order& order : journal.refused())
            refusals << order.refusal;
    }
    QCOMPARE(
        env.scalar(QStringLiteral("SELECT count(*) FROM Station.tbTALOEmployeeDistributedMeals")),
        QStringLiteral("1"));
    QCOMPARE(refusals, QStringList{QStringLiteral("Smith, John (E002) has received 1 Lunch today "
                                                  "and this order holds 1; the site allows 1 a "
                                                  "day.")});
}

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    if (argc > 1 && std::strcmp(argv[1], "--child") == 0) {
        // The workstation's date format, as the tests' own environment sets it.
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        return child(app.arguments().mid(2));
    }
    tst_JournalKill test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_JournalKill.moc"
