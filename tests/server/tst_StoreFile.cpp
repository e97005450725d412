#include "data/DbError.h"
#include "data/SqlText.h"
#include "server/EmbeddedConnection.h"
#include "server/EmbeddedStore.h"
#include "server/SchemaMigrator.h"
#include "server/ServerErrors.h"
#include "server/SqlFunctions.h"
#include "server/StoreFiles.h"
#include "server/StoreMaintenance.h"
#include "support/BuiltProgram.h"
#include "support/FourFileStore.h"
#include "support/StaffRows.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <array>
#include <atomic>
#include <chrono>
#include <sqlite3.h>
#include <thread>

// The store as one file: an earlier version's four files upgraded with every row, the
// check that never writes, backups taken while counters write, and backups and
// restores killed part-way.
// A lunch for E000001 today: the save refuses a meal dated far from the store's clock,
// and these tests run on the real clock.
QString lunchToday()
{
    return QStringLiteral("Station..Save_TALO_EmployeeDistributedMeals 'E000001', 'L01', "
                          "'Lunch', '%1 11:30:00 AM', '', 'C1', 'S'")
        .arg(QDate::currentDate().toString(QStringLiteral("M/d/yyyy")));
}

class tst_StoreFile : public QObject
{
    Q_OBJECT

    QString m_program;
    QTemporaryDir m_shared;
    // A store of some size, made once: big enough that a backup or a restore takes
    // long enough to be killed at points spread through it.
    QString m_big;

    ProgramRun run(const QStringList& args) const { return runProgram(m_program, args, 120000); }

    // talodesk-sql killed with SIGKILL `delayMs` after it started (or finished before).
    void runKilled(const QStringList& args, int delayMs) const
    {
        QProcess p;
        p.start(m_program, args);
        QVERIFY(p.waitForStarted());
        if (!p.waitForFinished(delayMs))
            p.kill();
        p.waitForFinished(60000);
    }

    int timeOf(const QStringList& args) const
    {
        QElapsedTimer timer;
        timer.start();
        const ProgramRun r = run(args);
        if (r.exitCode != 0)
            qFatal("%s", qPrintable(r.err));
        return int(timer.elapsed());
    }

    static void copyStore(const QString& from, const QString& to)
    {
        QDir().mkpath(to);
        QFile::remove(to + "/talodesk.db");
        if (!QFile::copy(from + "/talodesk.db", to + "/talodesk.db"))
            qFatal("cannot copy the store");
    }

    static QString content(const QString& folder)
    {
        EmbeddedConnection c(folder);
        return c
            .nativeQuery("SELECT (SELECT group_concat(Code) FROM (SELECT Code FROM "
                         "Station.tbcoMealType ORDER BY Code)) || '/' || (SELECT count(*) "
                         "FROM Payroll.tbcmaster)")
            .value(0, 0);
    }

    static bool sound(const QString& folder)
    {
        bool ok = false;
        StoreMaintenance(folder).check(&ok);
        return ok;
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_program = builtProgram("talodesk-sql");
        if (!QFileInfo::exists(m_program))
            QFAIL(qPrintable("build the talodesk-sql target first: " + m_program));
        m_big = m_shared.filePath("big");
        EmbeddedConnection c(m_big);
        StaffRows::import(c, 1, 20000, "NUR");
        c.nativeExecute("INSERT INTO Station.tbcoMealType(Code, Description) VALUES('LUN', "
                        "'Lunch'); INSERT INTO Station.tbcoMeal(Code, Description, MealType) "
                        "VALUES('L01', 'Adobo', 'LUN');");
        c.nativeExecute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i "
                        "< 150000) INSERT INTO Station.tbTALOEmployeeDistributedMeals(EmpNum, "
                        "MealCode, MealMode, MealDate, Remarks, ClerkID, Source, RecordedAt) "
                        "SELECT printf('E%06d', 1 + i % 20000), 'L01', 'Lunch', "
                        "datetime('2026-01-01', '+' || (i / 400) || ' days'), 'r' || i, 'C1', "
                        "'S', '2026-01-01 00:00:00' FROM n");
    }

    // The earlier version's four files become one the first time this version opens
    // them: every row of every table is kept, transaction numbers go on where they
    // stopped, the old files are kept under a name that says what they are. While a
    // program of the earlier version has them open, nothing is changed.
    void fourFileStoreUpgradesWithEveryRowKept_data()
    {
        QTest::addColumn<bool>("inUse");
        QTest::newRow("closed") << false;
        QTest::newRow("in use by the earlier version") << true;
    }

    void fourFileStoreUpgradesWithEveryRowKept()
    {
        QFETCH(bool, inUse);
        QTemporaryDir dir;
        const QString folder = dir.filePath("store");
        QMap<QString, QStringList> before;
        sqlite3* earlier = FourFileStore::make(folder, inUse, &before);
        if (inUse) {
            sqlite3_exec(earlier, "SELECT count(*) FROM Station.tbcoMeal", nullptr, nullptr,
                         nullptr);
            try {
                EmbeddedConnection c(folder);
                QFAIL("a store in use by the earlier version was upgraded");
            } catch (const DbError& error) {
                QCOMPARE(error.number(), ServerErrors::StoreVersion);
                QVERIFY2(error.message().contains("in use") &&
                             error.message().contains("Nothing was changed"),
                         qPrintable(error.message()));
            }
            QCOMPARE(QDir(folder).entryList({"talodesk.db*"}), QStringList());
            QMap<QString, QStringList> still;
            for (const auto& database : EmbeddedStore::databases())
                still.insert(FourFileStore::allRows(earlier, database.name));
            QCOMPARE(still, before);
            sqlite3_close(earlier);
            return;
        }
        {
            EmbeddedConnection c(folder);
            QVERIFY(!c.createdOnOpen());
            for (const auto& database : EmbeddedStore::databases()) {
                QVERIFY(!QFileInfo::exists(folder + "/" + database.file));
                QVERIFY(
                    QFileInfo::exists(folder + "/" + database.file + ".before-one-file-upgrade"));
                QCOMPARE(c.store().userVersion(database.name),
                         SchemaMigrator::latestVersion(database.name));
            }
            // Every row the earlier version held, in the columns it had (later steps
            // may add some); the kept files hold them all too.
            sqlite3* newDb = c.store().handle();
            for (const auto& database : EmbeddedStore::databases()) {
                const QByteArray attach = ("ATTACH '" + folder + "/" + database.file +
                                           ".before-one-file-upgrade' AS kept")
                                              .toUtf8();
                QCOMPARE(sqlite3_exec(newDb, attach.constData(), nullptr, nullptr, nullptr),
                         SQLITE_OK);
                const QMap<QString, QStringList> kept = FourFileStore::allRows(newDb, "kept");
                const QMap<QString, QStringList> now =
                    FourFileStore::allRows(newDb, "kept", "main");
                sqlite3_exec(newDb, "DETACH kept", nullptr, nullptr, nullptr);
                for (auto it = kept.cbegin(); it != kept.cend(); ++it) {
                    QCOMPARE(it.value(), before.value(it.key()));
                    QCOMPARE(now.value(it.key()), before.value(it.key()));
                }
            }
            c.execute(lunchToday());
            QCOMPARE(c.nativeQuery("SELECT max(TransNum) FROM "
                                   "Station.tbTALOEmployeeDistributedMeals")
                         .value(0, 0),
                     QString("3001"));
        }
        QVERIFY(sound(folder));
    }

    // The check reads and never writes: a 0-byte file, another program's file, a folder
    // holding only a backup's unfinished copy, a store whose tables are missing all
    // fail; a sound copy in a folder nobody may write to is checked as it is.
    void checkNeverWritesAndRefusesWhatIsNoStore_data()
    {
        QTest::addColumn<QString>("make");
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("audit");
        QTest::newRow("empty file") << "empty"
                                    << "not a Talodesk store"
                                    << "";
        QTest::newRow("another program's file") << "foreign"
                                                << "not a Talodesk store"
                                                << "";
        QTest::newRow("a table dropped") << "dropped"
                                         << "table Payroll.tbcDepartment is missing"
                                         << "";
        QTest::newRow("unfinished backup") << "partial"
                                           << "holds no complete store"
                                           << "";
        // The changes log against the tables is a report asked for with --audit: the
        // store is sound all the same.
        QTest::newRow("audit row without its employee") << "audit"
                                                        << ""
                                                        << "not in the table";
        QTest::newRow("access without its audit row") << "access"
                                                      << ""
                                                      << "the changes log says";
        QTest::newRow("sound copy") << "sound"
                                    << ""
                                    << "the changes log agrees with the tables";
    }

    void checkNeverWritesAndRefusesWhatIsNoStore()
    {
        QFETCH(QString, make);
        QFETCH(QString, fault);
        QFETCH(QString, audit);
        QTemporaryDir dir;
        const QString folder = dir.filePath("store");
        QDir().mkpath(folder);
        const QString file = folder + "/talodesk.db";
        if (make == "empty") {
            QFile(file).open(QIODevice::WriteOnly);
        } else if (make == "foreign") {
            sqlite3* db = nullptr;
            sqlite3_open(file.toUtf8().constData(), &db);
            sqlite3_exec(db, "CREATE TABLE notes(x); INSERT INTO notes VALUES(1)", nullptr, nullptr,
                         nullptr);
            sqlite3_close(db);
        } else if (make == "partial") {
            QVERIFY(run({"--data", m_big, "--backup", dir.filePath("b")}).exitCode == 0);
            QFile::rename(dir.filePath("b") + "/talodesk.db", folder + "/talodesk.db.partial");
        } else {
            {
                EmbeddedConnection c(folder);
                StaffRows::import(c, 1, 5, "NUR");
                c.nativeExecute("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, "
                                "PasswordHash) VALUES('P1', 'Uy', '$argon2id$x'); INSERT INTO "
                                "Password.tbPasswordAppAccess VALUES('P1', 'TALO')");
                c.execute("Station..Save_TALO_UserAccess 'P1', '0', '1', 'ADMIN'");
                c.execute("Station..Save_TALO_UserAccess 'P1', '1', '1', 'ADMIN'");
                if (make == "dropped")
                    c.nativeExecute("PRAGMA foreign_keys = OFF; DROP TABLE Payroll.tbcDepartment");
                if (make == "audit")
                    c.nativeExecute("DELETE FROM Station.tbTALOEmployeeMeal; DELETE FROM "
                                    "Payroll.tbcmaster WHERE EmpNum = 'E000003'");
                if (make == "access")
                    c.nativeExecute("DELETE FROM Password.tbPasswordAppAccess");
            }
            QVERIFY(run({"--data", folder, "--backup", dir.filePath("b")}).exitCode == 0);
            QVERIFY(QDir(folder).removeRecursively());
            QVERIFY(QDir().rename(dir.filePath("b"), folder));
        }
        const QStringList before = QDir(folder).entryList(QDir::Files);
        QFile(folder).setPermissions(QFile::ReadOwner | QFile::ExeOwner);
        const ProgramRun r = run({"--data", folder, "--check"});
        const ProgramRun audited = run({"--data", folder, "--check", "--audit"});
        QFile(folder).setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QCOMPARE(QDir(folder).entryList(QDir::Files), before);
        if (fault.isEmpty()) {
            QVERIFY2(r.exitCode == 0, qPrintable(r.out + r.err));
            QCOMPARE(r.out, QString("talodesk.db: ok\n"));
            QVERIFY2(audited.exitCode == 0, qPrintable(audited.out + audited.err));
            QVERIFY2(audited.out.startsWith("talodesk.db: ok\ntalodesk.db: audit: ") &&
                         audited.out.contains(audit),
                     qPrintable(audited.out));
        } else {
            QCOMPARE(r.exitCode, 1);
            QVERIFY2((r.out + r.err).contains(fault), qPrintable(r.out + r.err));
            QVERIFY2(!(r.out + r.err).contains("error 776"), qPrintable(r.out + r.err));
        }
    }

    // Backups taken while one counter saves orders, an import adds employees and an
    // administrator changes access, each restored into a new folder: every change is
    // there with its audit row, or neither is.
    void backupsWhileWritersWorkHoldEachChangeWithItsAuditRow()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("store");
        {
            EmbeddedConnection c(folder);
            c.nativeExecute(
                "INSERT INTO Station.tbcoMealType(Code, Description) VALUES('LUN', 'Lunch');"
                "INSERT INTO Station.tbcoMeal(Code, Description, MealType) VALUES('L01', "
                "'Adobo', 'LUN');");
            StaffRows::import(c, 1, 10, "NUR");
            c.nativeExecute("INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode) "
                            "SELECT EmpNum, 'LUN' FROM Payroll.tbcmaster");
            for (int p = 1; p <= 5; ++p)
                c.nativeExecute(QString("INSERT INTO Password.tbPasswordMain(EmployeeID, "
                                        "Lastname, PasswordHash) VALUES('P%1', 'Uy', "
                                        "'$argon2id$x')")
                                    .arg(p));
        }
        // Each writer counts its own changes and keeps its first error: a writer that
        // waits on the others' locks must not let every backup show the same moment, and
        // a refused change must fail the test with its message rather than end the process.
        // Between changes a writer pauses, as a counter does between orders, twice as long
        // as its change took. SQLite's lock is not handed over in turn: two writers that
        // take it again the moment they let it go keep a third polling past its busy
        // timeout on a loaded machine.
        constexpr int writerCount = 3;
        std::atomic<bool> stop = false;
        std::array<std::atomic<int>, writerCount> done{};
        std::array<QString, writerCount> errors; // read only after the writers are joined
        std::array<std::atomic<bool>, writerCount> failed{};
        const auto writer = [&](int w, auto work) {
            return std::thread([&, w, work] {
                try {
                    EmbeddedConnection c(folder);
                    for (int i = 0; !stop; ++i) {
                        const auto began = std::chrono::steady_clock::now();
                        work(c, i);
                        ++done[w];
                        using namespace std::chrono_literals;
                        std::this_thread::sleep_for(std::clamp<std::chrono::nanoseconds>(
                            2 * (std::chrono::steady_clock::now() - began), 2ms, 200ms));
                    }
                } catch (const DbError& e) {
                    errors[w] = QString("error %1: %2").arg(e.number()).arg(e.message());
                    failed[w] = true;
                }
            });
        };
        std::vector<std::thread> writers;
        writers.push_back(writer(0, [](EmbeddedConnection& c, int) { c.execute(lunchToday()); }));
        writers.push_back(writer(1, [](EmbeddedConnection& c, int i) {
            StaffRows::import(c, 100 + i * 50, 50, i % 2 ? "NUR" : "KIT");
        }));
        writers.push_back(writer(2, [](EmbeddedConnection& c, int i) {
            c.execute(QString("Station..Save_TALO_UserAccess 'P%1', '%2', '1', 'ADMIN'")
                          .arg(1 + i % 5)
                          .arg((i / 5) % 2 ? '0' : '1'));
        }));
        const auto allMovedSince = [&](const std::array<int, writerCount>& seen) {
            for (int w = 0; w < writerCount; ++w)
                if (done[w] <= seen[w] && !failed[w])
                    return false;
            return true;
        };
        const int backups = 8;
        for (int b = 0; b < backups; ++b) {
            // On a loaded machine one writer may hold the lock for many turns of another:
            // each backup waits until every writer has committed again since the last one.
            std::array<int, writerCount> seen;
            for (int w = 0; w < writerCount; ++w)
                seen[w] = done[w];
            QElapsedTimer waited;
            waited.start();
            while (!allMovedSince(seen) && waited.elapsed() < 60000)
                QThread::msleep(20);
            StoreMaintenance(folder).backup(dir.filePath(QString("b%1").arg(b)));
        }
        stop = true;
        for (std::thread& t : writers)
            t.join();
        for (int w = 0; w < writerCount; ++w)
            QVERIFY2(errors[w].isEmpty(),
                     qPrintable(QString("writer %1: %2").arg(w).arg(errors[w])));
        QSet<QString> moments;
        for (int b = 0; b < backups; ++b) {
            const QString restored = dir.filePath(QString("r%1").arg(b));
            StoreMaintenance(restored).restore(dir.filePath(QString("b%1").arg(b)));
            const QStringList report = StoreMaintenance(restored).check();
            QCOMPARE(report, QStringList{"talodesk.db: ok"});
            EmbeddedConnection c(restored);
            const QString employees =
                c.nativeQuery("SELECT count(*) FROM Payroll.tbcmaster").value(0, 0);
            const QString audited = c.nativeQuery("SELECT count(*) FROM Station.tbTALOAuditLog "
                                                  "WHERE TableName = 'tbcmaster'")
                                        .value(0, 0);
            QCOMPARE(employees, audited);
            const QString access =
                c.nativeQuery("SELECT group_concat(EmployeeID) FROM (SELECT EmployeeID FROM "
                              "Password.tbPasswordAppAccess ORDER BY EmployeeID)")
                    .value(0, 0);
            const QString logged =
                c.nativeQuery("SELECT group_concat(RecordKey) FROM (SELECT RecordKey FROM "
                              "Station.tbTALOAuditLog a WHERE Action = 'ACCESS' AND Details = "
                              "'TALO granted' AND AuditID = (SELECT max(AuditID) FROM "
                              "Station.tbTALOAuditLog b WHERE b.Action = 'ACCESS' AND "
                              "b.RecordKey = a.RecordKey) ORDER BY RecordKey)")
                    .value(0, 0);
            QCOMPARE(access, logged);
            moments.insert(employees + "/" + access);
        }
        // The writers were at work all along: the backups are different moments.
        QVERIFY2(moments.size() > 1, qPrintable(QStringList(moments.values()).join(' ')));
    }

    // Names as people type them, holding what the changes log's details put between a
    // field and its value or between two fields: a user, an employee, a meal and a meal
    // type renamed to one, every setting changed, then a backup restored into a new
    // folder: it holds every row of the source, and its changes log agrees with its
    // tables.
    void renamedRecordsAndSettingsBackUpAndRestore_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("plain") << "Lopez-Reyes";
        QTest::newRow("field separator") << "Cruz; Active=0";
        QTest::newRow("field and value") << "Lastname=Dee; Firstname=Ann";
        QTest::newRow("arrow") << "Uy -> Tan";
        QTest::newRow("quotes") << "O'Neil \"Jr\"";
        QTest::newRow("line break") << "Lopez\nReyes";
    }

    void renamedRecordsAndSettingsBackUpAndRestore()
    {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString folder = dir.filePath("store");
        {
            EmbeddedConnection c(folder);
            const auto employee = [&](const QString& last, const QString& active) {
                const QJsonArray rows{
                    QJsonArray{"E000001", last, "Dina", "", "NUR", "Nursing", active}};
                c.execute(SqlText::call(
                    "Station..Save_TALO_StaffImport",
                    {QString::fromUtf8(QJsonDocument(rows).toJson(QJsonDocument::Compact)),
                     "ADMIN"}));
            };
            for (const QString& now : {QString("Lopez"), name}) {
                c.execute(
                    SqlText::call("Station..Save_TALO_User", {"NEWU", now, "Dina", "", "ADMIN"}));
                employee(now, "1");
                c.execute(SqlText::call("Station..Save_TALO_MealType", {"DIN", now, "1", "ADMIN"}));
                c.execute(SqlText::call("Station..Save_TALO_MealOnly",
                                        {"D01", now, "45", "DIN", "1", "ADMIN"}));
            }
            employee(name, "0");
            c.execute(SqlText::call("Station..Save_TALO_UserAccess", {"NEWU", "1", "0", "ADMIN"}));
            c.execute(SqlText::call("Station..Save_TALO_User_Rights",
                                    {"NEWU", "|1|2|0|0|5|0|0|0", "ADMIN"}));
            // Every mode with a limit, an action and serving times, and one more.
            QJsonArray modes;
            int hour = 5;
            for (const char* mode : {"Breakfast", "Lunch", "Dinner", "AM Snack", "PM Snack",
                                     "MN Snack", "Extra Meal", "Extra Snack", "Night Tea"}) {
                modes.append(QJsonArray{mode, QString::number(hour % 3 + 1), "B",
                                        QString("%1:00").arg(hour, 2, 10, QChar('0')),
                                        QString("%1:30").arg(hour, 2, 10, QChar('0'))});
                hour += 2;
            }
            c.execute(SqlText::call(
                "Station..Save_TALO_AppSettings",
                {QString::fromUtf8(QJsonDocument(modes).toJson(QJsonDocument::Compact)), "0", "1",
                 "1", "7", name, "ADMIN"}));
            c.execute(SqlText::call("Station..Save_TALO_ClosedThrough", {"2026-11-30", "ADMIN"}));
        }
        const QString backup = dir.filePath("backup");
        const QString restored = dir.filePath("restored");
        ProgramRun r = run({"--data", folder, "--backup", backup});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        r = run({"--data", restored, "--restore", backup});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        r = run({"--data", restored, "--check", "--audit"});
        QCOMPARE(r.out, QString("talodesk.db: ok\n"
                                "talodesk.db: audit: the changes log agrees with the tables\n"));
        EmbeddedConnection source(folder);
        EmbeddedConnection copy(restored);
        QCOMPARE(FourFileStore::allRows(copy.store().handle(), "main"),
                 FourFileStore::allRows(source.store().handle(), "main"));
        // The log holds each rename's field whole, before and after.
        const QList<QStringList> renames{{"tbPasswordMain", "NEWU", "Lastname"},
                                         {"tbcmaster", "E000001", "Lastname"},
                                         {"tbcoMealType", "DIN", "Description"},
                                         {"tbcoMeal", "D01", "Description"}};
        for (const QStringList& rename : renames) {
            const Recordset logged = copy.nativeQuery(
                QString("SELECT json_extract(Fields, '$.%3.old'), json_extract(Fields, "
                        "'$.%3.new') FROM Station.tbTALOAuditLog WHERE TableName = '%1' AND "
                        "RecordKey = '%2' AND json_extract(Fields, '$.%3.old') <> "
                        "json_extract(Fields, '$.%3.new')")
                    .arg(rename.at(0), rename.at(1), rename.at(2)));
            QCOMPARE(logged.rows(), (QList<QStringList>{{"Lopez", name}}));
        }
    }

    // Tables a site added under any name, carried over by the upgrade as they were
    // declared: the backup's marker keeps each name whole, and so does a marker of the
    // earlier line format, so that backups taken before still restore.
    void backupOfTablesOfAnyNameRestores_data()
    {
        QTest::addColumn<QString>("table");
        QTest::addColumn<bool>("lineMarker");
        for (const bool lines : {false, true}) {
            const char* format = lines ? "line marker" : "marker";
            QTest::addRow("blank, %s", format) << "Site Notes" << lines;
            QTest::addRow("blanks at the end, %s", format) << "Site Notes 4 " << lines;
        }
        QTest::addRow("quotes") << "Say \"hi\" 'there'" << false;
        QTest::addRow("tab") << "Site Notes\t2" << false;
        QTest::addRow("line break") << "Site\nNotes 9" << false;
    }

    void backupOfTablesOfAnyNameRestores()
    {
        QFETCH(QString, table);
        QFETCH(bool, lineMarker);
        QTemporaryDir dir;
        const QString folder = dir.filePath("store");
        const QString quoted = "\"" + QString(table).replace("\"", "\"\"") + "\"";
        {
            EmbeddedConnection c(folder);
            StaffRows::import(c, 1, 3, "NUR");
            c.nativeExecute("CREATE TABLE main." + quoted + "(note TEXT); INSERT INTO main." +
                            quoted + " VALUES('a'), ('b'), ('c'), ('d')");
        }
        const QString backup = dir.filePath("backup");
        ProgramRun r = run({"--data", folder, "--backup", backup});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        if (lineMarker) {
            // As the earlier version wrote it, for the same copy.
            EmbeddedConnection c(folder);
            QStringList lines{"Talodesk store backup: complete", "program talodesk-sql",
                              "taken 2026-12-01T08:00:00Z"};
            const Recordset versions =
                c.nativeQuery("SELECT DatabaseName, Version FROM talo_schema_version");
            for (const QStringList& row : versions.rows())
                lines << "schema " + row.join(' ');
            const Recordset tables =
                c.nativeQuery("SELECT name FROM main.sqlite_master WHERE type = 'table' AND "
                              "name NOT LIKE 'sqlite%' ORDER BY name");
            for (const QStringList& row : tables.rows())
                lines << "rows " + row.at(0) + " " +
                             c.nativeQuery("SELECT count(*) FROM main.\"" + row.at(0) + "\"")
                                 .value(0, 0);
            lines << "end";
            QFile marker(backup + "/BACKUP-COMPLETE.txt");
            QVERIFY(marker.open(QIODevice::WriteOnly | QIODevice::Truncate));
            marker.write((lines.join('\n') + '\n').toUtf8());
        }
        const QString restored = dir.filePath("restored");
        r = run({"--data", restored, "--restore", backup});
        QVERIFY2(r.exitCode == 0, qPrintable(r.err));
        EmbeddedConnection c(restored);
        QCOMPARE(c.nativeQuery("SELECT group_concat(note, '') FROM main." + quoted).value(0, 0),
                 QString("abcd"));
    }

    // A backup killed anywhere: either the folder holds a complete backup, which
    // restores, or --restore refuses it and says nothing was restored.
    void killedBackupIsNeverRestored()
    {
        QTemporaryDir dir;
        const int full = timeOf({"--data", m_big, "--backup", dir.filePath("timed")});
        const int kills = 12;
        int refused = 0;
        for (int k = 0; k < kills; ++k) {
            const QString target = dir.filePath(QString("b%1").arg(k));
            runKilled({"--data", m_big, "--backup", target}, full * (2 * k + 1) / (2 * kills));
            const QString into = dir.filePath(QString("r%1").arg(k));
            const ProgramRun r = run({"--data", into, "--restore", target});
            if (QFileInfo::exists(target + "/BACKUP-COMPLETE.txt")) {
                QVERIFY2(r.exitCode == 0, qPrintable(r.err));
                QCOMPARE(content(into), content(m_big));
            } else {
                ++refused;
                QCOMPARE(r.exitCode, 1);
                QVERIFY2(r.err.contains("Nothing was restored"), qPrintable(r.err));
                QVERIFY(!QFileInfo::exists(into + "/talodesk.db"));
                QVERIFY(run({"--data", target, "--check"}).exitCode != 0);
            }
        }
        QVERIFY2(refused >= kills / 2, qPrintable(QString::number(refused)));
    }

    // A restore killed anywhere: the store warns when it is opened and names the command
    // that finishes the restore, unless the restore had not yet begun or had ended (then
    // the store is wholly the old one or wholly the backup). Run again, it finishes.
    void killedRestoreWarnsOnOpening()
    {
        QTemporaryDir dir;
        const QString backup = dir.filePath("backup");
        QCOMPARE(run({"--data", m_big, "--backup", backup}).exitCode, 0);
        const QString old = dir.filePath("old");
        copyStore(m_big, old);
        {
            EmbeddedConnection c(old);
            c.execute("Station..Save_TALO_MealType 'DIN', 'Dinner', '1', 'ADMIN'");
        }
        const QString oldContent = content(old);
        const QString backupContent = content(m_big);
        const QString timed = dir.filePath("timed");
        copyStore(old, timed);
        const int full = timeOf({"--data", timed, "--restore", backup});
        const int kills = 12;
        int warned = 0;
        for (int k = 0; k < kills; ++k) {
            const QString store = dir.filePath(QString("s%1").arg(k));
            copyStore(old, store);
            runKilled({"--data", store, "--restore", backup}, full * (2 * k + 1) / (2 * kills));
            try {
                const QString now = content(store);
                QVERIFY2(now == oldContent || now == backupContent, qPrintable(now));
                QVERIFY(sound(store));
            } catch (const DbError& error) {
                ++warned;
                QCOMPARE(error.number(), ServerErrors::Maintenance);
                QVERIFY2(error.message().contains("--restore " + QDir(backup).absolutePath()),
                         qPrintable(error.message()));
                const ProgramRun check = run({"--data", store, "--check"});
                QCOMPARE(check.exitCode, 1);
                QVERIFY2(check.out.contains("stopped before it finished"), qPrintable(check.out));
                const ProgramRun again = run({"--data", store, "--restore", backup});
                QVERIFY2(again.exitCode == 0, qPrintable(again.err));
                QCOMPARE(content(store), backupContent);
            }
        }
        QVERIFY2(warned >= kills / 2, qPrintable(QString::number(warned)));
    }
    // A program that opens the store while a restore holds it learns that a restore is
    // running; once the restore has let go of it without finishing, how to finish it.
    void openingDuringARestoreSaysWhy_data()
    {
        QTest::addColumn<bool>("locked");
        QTest::addColumn<QString>("message");
        QTest::newRow("restore holding the store") << true << "is running";
        QTest::newRow("restore stopped") << false << "stopped before it finished";
    }

    void openingDuringARestoreSaysWhy()
    {
        QFETCH(bool, locked);
        QFETCH(QString, message);
        QTemporaryDir dir;
        const QString folder = dir.filePath("store");
        {
            EmbeddedConnection made(folder);
        }
        const StoreFiles files(folder);
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open_v2(StoreFiles::sqliteName(files.store()).constData(), &raw,
                                 SQLITE_OPEN_READWRITE, nullptr),
                 SQLITE_OK);
        const std::unique_ptr<sqlite3, int (*)(sqlite3*)> restore(raw, sqlite3_close_v2);
        if (locked)
            QCOMPARE(sqlite3_exec(raw, "PRAGMA locking_mode = EXCLUSIVE; BEGIN EXCLUSIVE; COMMIT",
                                  nullptr, nullptr, nullptr),
                     SQLITE_OK);
        QFile marker(files.restoreMarker());
        QVERIFY(marker.open(QIODevice::WriteOnly));
        marker.write(dir.filePath("backup").toUtf8());
        marker.close();
        try {
            EmbeddedConnection opened(folder);
            QFAIL("the store opened");
        } catch (const DbError& error) {
            QCOMPARE(error.number(), ServerErrors::Maintenance);
            QVERIFY2(error.message().contains(message), qPrintable(error.message()));
        }
    }
};

QTEST_MAIN(tst_StoreFile)
#include "tst_StoreFile.moc"
