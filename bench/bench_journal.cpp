// Serving offline: an order written to the workstation's journal (on the disk before the
// clerk is told "Saved (offline)"), and a thousand waiting orders replayed to the embedded
// store, each in its own transaction with its key; the copy the counter serves from
// offline, taken of 2,000 employees, and a search in it. See Usage.

#include "BenchTiming.h"
#include "counter/CounterData.h"
#include "counter/OfflineCopy.h"
#include "counter/OrderJournal.h"
#include "data/DbError.h"
#include "data/GeneralDate.h"
#include "server/EmbeddedConnection.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QUuid>
#include <cstdio>

namespace {

const char* const Usage =
    "Usage: bench_journal [--runs N] [--cpu]\n"
    "\n"
    "Times (ms) one order of three meals written to the order journal (median of N\n"
    "writes; targets: under 5 ms), and the replay of 1,000 journaled orders to an embedded\n"
    "store, each order in its own transaction with its key (target: under 10 s), and how\n"
    "long a save held behind another program's lock waits with a timeout of 1 s.\n"
    "Then the copy the counter serves from offline, taken of 2,000 employees (each with\n"
    "two meal types tagged and a meal received today), read back, and one search in it.\n"
    "\n"
    "  --runs N   journal writes, and searches in the copy (default 200)\n"
    "  --cpu      time the thread's CPU use instead of the wall clock\n"
    "  --help     this text\n";

QList<OrderLine> order()
{
    return {{QStringLiteral("M01"), QStringLiteral("Rice porridge"), QStringLiteral("Breakfast"),
             QString()},
            {QStringLiteral("M02"), QStringLiteral("Fish fillet"), QStringLiteral("Lunch"),
             QStringLiteral("no salt")},
            {QStringLiteral("M03"), QStringLiteral("Fruit cup"), QStringLiteral("PM Snack"),
             QString()}};
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const BenchTiming::Options options = BenchTiming::options(app.arguments(), 200, Usage);
    QTemporaryDir dir;

    OrderJournal journal(dir.filePath(QStringLiteral("journal.sqlite")));
    int rows = 0;
    const double write = BenchTiming::medianMs(
        options.runs,
        [&] {
            journal.add({0,
                         QUuid::createUuid().toString(QUuid::WithoutBraces),
                         QStringLiteral("E002"),
                         QStringLiteral("12/8/2026 11:30:15 AM"),
                         QStringLiteral("CLERK01"),
                         order(),
                         {}});
            return 1;
        },
        rows);
    std::printf("journal write of one order: %.2f ms (target < 5)\n", write);

    EmbeddedConnection store(dir.filePath(QStringLiteral("store")));
    store.nativeExecute(QStringLiteral(
        "INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, Middlename, Active) "
        "VALUES('E002', 'Smith', 'John', '', '1')"));
    store.nativeExecute(QStringLiteral("INSERT INTO Station.tbcoMealType(Code, Description, "
                                       "Status) VALUES('BF', 'Breakfast', '1'), ('LU', "
                                       "'Lunch', '1')"));
    store.nativeExecute(QStringLiteral(
        "INSERT INTO Station.tbcoMeal(Code, Description, Cost, MealType, Status) VALUES "
        "('M01', 'Rice porridge', '10.00', 'BF', '1'), ('M02', 'Fish fillet', '20.00', 'LU', '1'), "
        "('M03', 'Fruit cup', '5.00', 'LU', '1')"));
    store.nativeExecute(QStringLiteral("INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, "
                                       "MealTypeCode) VALUES('E002', 'BF'), ('E002', 'LU')"));
    // The store runs on the workstation's clock here: the orders were served just now.
    const QString served = GeneralDate::toText(QDateTime::currentDateTime());
    const QString waitingPath = dir.filePath(QStringLiteral("waiting.sqlite"));
    OrderJournal waiting(waitingPath);
    for (int i = 0; i < 1000; ++i)
        waiting.add({0,
                     QUuid::createUuid().toString(QUuid::WithoutBraces),
                     QStringLiteral("E002"),
                     served,
                     QStringLiteral("CLERK01"),
                     order(),
                     {}});
    QElapsedTimer replay;
    replay.start();
    const int left = CounterData::replay(store, waiting, waitingPath);
    std::printf("replay of 1,000 orders (3,000 meals): %.0f ms, %d left (target < 10000)\n",
                double(replay.nsecsElapsed()) / 1e6, left);

    // A save behind another program's write lock gives up at the statement timeout.
    store.setStatementTimeout(1);
    EmbeddedConnection other(dir.filePath(QStringLiteral("store")));
    other.nativeExecute(QStringLiteral("BEGIN IMMEDIATE"));
    QElapsedTimer held;
    held.start();
    try {
        CounterData::replay(store, journal, dir.filePath(QStringLiteral("journal.sqlite")));
    } catch (const DbError&) {
    }
    std::printf("a save held behind a lock, timeout 1 s: answered after %.0f ms\n",
                double(held.nsecsElapsed()) / 1e6);
    other.nativeExecute(QStringLiteral("ROLLBACK"));
    store.setStatementTimeout(10);

    const QString today = QDate::currentDate().toString(Qt::ISODate);
    store.nativeExecute(QStringLiteral(
        "INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname, Middlename, Active) "
        "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 2000) "
        "SELECT 'B' || i, 'Name' || (i % 97), 'First' || i, '', '1' FROM n"));
    store.nativeExecute(
        QStringLiteral("INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode) "
                       "SELECT EmpNum, t.Code FROM Payroll.tbcmaster, Station.tbcoMealType t "
                       "WHERE EmpNum LIKE 'B%'"));
    store.nativeExecute(
        QStringLiteral("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, MealCode, "
                       "MealMode, MealDate, Remarks, ClerkID, Source, RecordedAt) "
                       "SELECT EmpNum, 'M02', 'Lunch', '%1 11:00:00', '', 'CLERK01', 'S', "
                       "'%1 11:00:00' FROM Payroll.tbcmaster WHERE EmpNum LIKE 'B%'")
            .arg(today));
    const QString copyPath = dir.filePath(QStringLiteral("copy.sqlite"));
    QElapsedTimer refresh;
    refresh.start();
    OfflineCopy::refresh(store, copyPath, QDateTime::currentDateTime(), QStringLiteral("CLERK01"));
    std::printf("copy of 2,001 employees taken: %.0f ms\n", double(refresh.nsecsElapsed()) / 1e6);
    QElapsedTimer reading;
    reading.start();
    const OfflineCopy copy = OfflineCopy::read(copyPath);
    std::printf("copy read back: %.1f ms\n", double(reading.nsecsElapsed()) / 1e6);
    int found = 0;
    const double search = BenchTiming::medianMs(
        options.runs,
        [&] {
            found = copy.employees(QDate::currentDate(), QStringLiteral("name4")).recordCount();
            return 1;
        },
        rows);
    std::printf("offline search 'name4' (%d found): %.2f ms\n", found, search);
    return 0;
}
