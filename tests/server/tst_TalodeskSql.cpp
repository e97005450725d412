#include "server/EmbeddedConnection.h"
#include "support/BuiltProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <memory>

// The command-line client, run as the built program.
class tst_TalodeskSql : public QObject
{
    Q_OBJECT

    QString m_program;

    ProgramRun run(const QStringList& args) const { return runProgram(m_program, args, 60000); }

private slots:
    void initTestCase()
    {
        m_program = builtProgram("talodesk-sql");
        if (!QFileInfo::exists(m_program))
            QFAIL(qPrintable("build the talodesk-sql target first: " + m_program));
    }

    void help()
    {
        const ProgramRun r = run({"--help"});
        QCOMPARE(r.exitCode, 0);
        QVERIFY(r.out.contains("--data DIR"));
        QCOMPARE(run({"--bogus"}).exitCode, 2);
    }

    void resultsErrorsAndNativeSql()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath("store");
        ProgramRun r = run({"--data", data, "-e",
                            "Select Code [CODE], Description [DESCRIPTION], '' [ACCESS] from "
                            "Station..tbTALOUserSetUp where Code < 3"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out,
                 QString("CODE\tDESCRIPTION\tACCESS\n1\tReports\t\n2\tTag Employee Meal\t\n"));
        QVERIFY(QFileInfo::exists(data + "/talodesk.db"));

        r = run({"--data", data, "-e", "Station..Save_TALO_MealType 'LUN', 'Lunch', '1','ADMIN'"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(r.out, QString());

        r = run({"--data", data, "-e", "Station..Save_TALO_MealType '', 'Lunch', '1','ADMIN'"});
        QCOMPARE(r.exitCode, 1);
        QCOMPARE(r.err, QString("error 50000: Meal type code is required.\n"));
        QCOMPARE(r.out, QString());

        r = run({"--data", data, "--sqlite", "-e",
                 "SELECT Code, NULL AS Blank, Description FROM Station.tbcoMealType"});
        QCOMPARE(r.exitCode, 0);
        QCOMPARE(r.out, QString("Code\tBlank\tDescription\nLUN\t\tLunch\n"));

        r = run({"--data", data, "-e", "drop table Station..tbcoMealType"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY(r.err.startsWith("error 50001: "));
    }

    void demoOnlyFillsANewStore()
    {
        QTemporaryDir dir;
        const QStringList count = {"--sqlite", "-e", "SELECT count(*) AS n FROM Payroll.tbcmaster"};
        ProgramRun r = run(QStringList({"--data", dir.path(), "--demo"}) + count);
        QCOMPARE(r.exitCode, 0);
        const int employees = r.out.section('\n', 1, 1).toInt();
        QVERIFY2(employees >= 200, qPrintable(r.out));
        r = run(QStringList({"--data", dir.path(), "--demo"}) + count);
        QCOMPARE(r.out.section('\n', 1, 1).toInt(), employees);

        QTemporaryDir empty;
        r = run(QStringList({"--data", empty.path()}) + count);
        QCOMPARE(r.out, QString("n\n0\n"));
    }

    // Check, backup and restore while another program has the store open, even in the
    // middle of a save: the check and the backup go on, the restore is refused.
    void maintenanceOfAStoreInUse()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath("store");
        const QString copy = dir.filePath("backup");
        const auto count = [&](const QString& folder) {
            return run({"--data", folder, "--sqlite", "-e",
                        "SELECT count(*) FROM Station.tbcoMealType"})
                .out.section('\n', 1, 1);
        };
        auto counter = std::make_unique<EmbeddedConnection>(data);
        counter->execute("Station..Save_TALO_MealType 'LUN', 'Lunch', '1', 'ADMIN'");
        counter->transaction([&] {
            counter->execute("Station..Save_TALO_MealType 'DIN', 'Dinner', '1', 'ADMIN'");
            ProgramRun r = run({"--data", data, "--check"});
            QCOMPARE(r.exitCode, 0);
            QCOMPARE(r.out, QString("talodesk.db: ok\n"));
            r = run({"--data", data, "--backup", copy});
            QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        });
        QCOMPARE(count(copy), QString("1"));
        QCOMPARE(run({"--data", copy, "--check"}).exitCode, 0);
        QCOMPARE(run({"--data", data, "--backup", copy}).exitCode, 1);

        ProgramRun r = run({"--data", data, "--restore", copy});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("is in use"), qPrintable(r.err));
        QCOMPARE(counter->nativeQuery("SELECT count(*) FROM Station.tbcoMealType").value(0, 0),
                 QString("2"));
        counter.reset();
        r = run({"--data", data, "--restore", copy});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QCOMPARE(count(data), QString("1"));
        QCOMPARE(run({"--data", data, "--check"}).exitCode, 0);

        // A row whose meal is gone: the check names it and fails; a restore from such a
        // copy is refused.
        counter = std::make_unique<EmbeddedConnection>(copy);
        counter->nativeExecute("PRAGMA foreign_keys = OFF");
        counter->nativeExecute("INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, "
                               "MealCode, MealDate) VALUES('E1', 'GONE', '2026-12-08')");
        counter.reset();
        r = run({"--data", copy, "--check"});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.out.contains("talodesk.db: foreign key: tbTALOEmployeeDistributedMeals"),
                 qPrintable(r.out));
        r = run({"--data", data, "--restore", copy});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("damaged"), qPrintable(r.err));
        QCOMPARE(count(data), QString("1"));
    }

    // A restore that fails while it copies the backup leaves the store as it was: same
    // rows, still sound, nothing of the backup mixed in, no temporary or marker left
    // behind, and it says so. The fault: a folder holding a file sits where the copy has
    // to go (a permission would not stop root).
    void failedRestoreLeavesTheStoreAsItWas()
    {
        QTemporaryDir dir;
        const QString data = dir.filePath("store");
        const QString copy = dir.filePath("backup");
        const QString rows = "SELECT (SELECT group_concat(Code) FROM Station.tbcoMealType) || "
                             "'/' || (SELECT group_concat(EmpNum) FROM Payroll.tbcmaster) AS r";
        const auto content = [&] { return run({"--data", data, "--sqlite", "-e", rows}).out; };
        {
            EmbeddedConnection store(data);
            store.execute("Station..Save_TALO_MealType 'LUN', 'Lunch', '1', 'ADMIN'");
            store.nativeExecute(
                "INSERT INTO Payroll.tbcmaster(EmpNum, Lastname) VALUES('E1', 'A')");
        }
        QCOMPARE(run({"--data", data, "--backup", copy}).exitCode, 0);
        {
            // Written after the backup.
            EmbeddedConnection store(data);
            store.execute("Station..Save_TALO_MealType 'DIN', 'Dinner', '1', 'ADMIN'");
            store.nativeExecute(
                "INSERT INTO Payroll.tbcmaster(EmpNum, Lastname) VALUES('E2', 'B')");
        }
        const QString before = content();
        QCOMPARE(before, QString("r\nDIN,LUN/E1,E2\n"));
        const QString inTheWay = "talodesk.db.partial";
        QVERIFY(QDir().mkpath(data + "/" + inTheWay));
        QFile blocker(data + "/" + inTheWay + "/keep");
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();

        ProgramRun r = run({"--data", data, "--restore", copy});
        QCOMPARE(r.exitCode, 1);
        QVERIFY2(r.err.contains("Nothing was restored"), qPrintable(r.err));
        QCOMPARE(content(), before);
        r = run({"--data", data, "--check"});
        QVERIFY2(r.exitCode == 0, qPrintable(r.out));
        QCOMPARE(QDir(data).entryList({"talodesk.db.*"}), QStringList{inTheWay});

        // Once the way is clear the same backup is restored, with nothing left over.
        QVERIFY(QDir(data + "/" + inTheWay).removeRecursively());
        r = run({"--data", data, "--restore", copy});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        QVERIFY2(!r.err.contains("Nothing was restored"), qPrintable(r.err));
        QCOMPARE(content(), QString("r\nLUN/E1\n"));
        QCOMPARE(QDir(data).entryList({"talodesk.db.*"}), QStringList());
        QCOMPARE(run({"--data", data, "--check"}).exitCode, 0);
    }
};

QTEST_MAIN(tst_TalodeskSql)
#include "tst_TalodeskSql.moc"
