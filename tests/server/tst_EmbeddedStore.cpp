#include "data/DbError.h"
#include "server/EmbeddedConnection.h"
#include "server/EmbeddedStore.h"
#include "server/SchemaMigrator.h"
#include "server/ServerErrors.h"

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTest>
#include <future>
#include <thread>

namespace {

// What the changes log's batches added to a store, taken away again to make a store of
// an earlier version.
const QString withoutAuditBatches =
    QStringLiteral("DROP INDEX Station.ixAuditBatchKey; ALTER TABLE Station.tbTALOAuditLog "
                   "DROP COLUMN BatchKey; DROP TABLE Station.tbTALOAuditBatch;");

} // namespace

// The store's files: created on first open, kept and migrated forward on reopen, and
// shared safely by two counters writing at the same time.

class tst_EmbeddedStore : public QObject
{
    Q_OBJECT

    static void seedMeal(EmbeddedConnection& c)
    {
        c.nativeExecute(
            "INSERT INTO Payroll.tbcmaster(EmpNum, Lastname, Firstname) "
            "VALUES('E1', 'Cruz', 'Juan');"
            "INSERT INTO Station.tbcoMealType(Code, Description) VALUES('LUN', 'Lunch');"
            "INSERT INTO Station.tbcoMeal(Code, Description, MealType) "
            "VALUES('L01', 'Adobo', 'LUN');"
            "INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode) "
            "VALUES('E1', 'LUN');");
    }

    static QString save(const QString& remarks)
    {
        // Today: the save refuses a meal dated more than a day from the store's clock.
        return "Station..Save_TALO_EmployeeDistributedMeals 'E1', 'L01', 'Lunch', '" +
               QDate::currentDate().toString(Qt::ISODate) + " 11:30:00', '" + remarks +
               "', 'C1', 'S'";
    }

    static QString mealsToday()
    {
        return "Station..Load_TALO_EmployeeDistributedMeals 'E1', '" +
               QDate::currentDate().toString("M/d/yyyy") + "'";
    }

private slots:
    void init() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    // Rows are read into the snapshot with repeated short values shared: every value
    // must still read back as stored, whether its column repeats a few values all along,
    // repeats them only at first, never repeats, or holds NULLs, empty and long texts,
    // non-Latin text, a leading U+FEFF and texts differing only in case or a blank.
    void readsBackEveryValueOfRepeatingAndDistinctColumns()
    {
        QTemporaryDir dir;
        EmbeddedConnection c(dir.path());
        const QStringList few = {"12/8/2026", "Peña",  QString(QChar(0xFEFF)) + "b",
                                 "peña",      "Peña ", ""};
        const QString longText = QString("Nursing and Allied Health Services, ").repeated(2);
        c.nativeExecute("CREATE TEMP TABLE t(few TEXT, early TEXT, distinct_ TEXT, mixed TEXT)");
        QList<QStringList> expected;
        for (int i = 0; i < 300; ++i) {
            const QString a = few.at(i % few.size());
            const QString b = i < 100 ? few.at(i % 2) : QString::number(i);
            const QString d = QString::number(i * 7919) + "é";
            const QString m = i % 3 == 0 ? QString() : (i % 3 == 1 ? longText : QString());
            c.nativeExecute(
                QStringLiteral("INSERT INTO t VALUES('%1', '%2', '%3', %4)")
                    .arg(a, b, d, i % 3 == 0 ? "NULL" : (i % 3 == 1 ? "'" + m + "'" : "''")));
            expected << QStringList{a, b, d, m};
        }
        const Recordset r =
            c.nativeQuery("SELECT few, early, distinct_, mixed FROM t ORDER BY rowid");
        QCOMPARE(r.rows(), expected);
    }

    // The workstation's formats are read once per statement: the next statement already
    // writes a stored date-time in the locale chosen meanwhile.
    void storedDatesFollowTheLocaleFromOneStatementToTheNext()
    {
        QTemporaryDir dir;
        EmbeddedConnection c(dir.path());
        const QString sql = "SELECT talo_general_date('2026-12-08 15:14:31'), "
                            "talo_general_date('2026-12-08 15:14:31')";
        QCOMPARE(c.nativeQuery(sql).value(0, 1), QString("12/8/2026 3:14:31 PM"));
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(c.nativeQuery(sql).value(0, 0), QString("08.12.2026 15:14:31"));
        QCOMPARE(c.nativeQuery(sql).value(0, 1), QString("08.12.2026 15:14:31"));
    }

    void newStoreHasFilesSettingsAndSeeds()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("new/store");
        EmbeddedConnection c(folder);
        QVERIFY(c.createdOnOpen());
        // One file for the four databases, none of the earlier per-database files.
        QVERIFY(QFileInfo::exists(folder + "/talodesk.db"));
        QCOMPARE(c.nativeQuery("PRAGMA database_list").recordCount(), 2); // main, temp
        for (const auto& database : EmbeddedStore::databases()) {
            QVERIFY(!QFileInfo::exists(folder + "/" + database.file));
            QCOMPARE(c.nativeQuery("PRAGMA " + database.name + ".journal_mode").value(0, 0),
                     QString("wal"));
            QCOMPARE(c.nativeQuery("PRAGMA " + database.name + ".synchronous").value(0, 0),
                     QString("2"));
            QCOMPARE(c.store().userVersion(database.name),
                     SchemaMigrator::latestVersion(database.name));
        }
        QCOMPARE(c.nativeQuery("PRAGMA foreign_keys").value(0, 0), QString("1"));
        QCOMPARE(c.nativeQuery("SELECT count(*) FROM Station.tbTALOUserSetUp").value(0, 0),
                 QString("8"));
        QCOMPARE(c.nativeQuery("SELECT count(*) FROM Patient_Data.tbHospitalInfo").value(0, 0),
                 QString("1"));
        QCOMPARE(c.nativeQuery("SELECT count(*) FROM Password.tbPasswordMain").value(0, 0),
                 QString("0"));
        QVERIFY(c.serverName().startsWith("(embedded) "));
        // Recordset values: NULL is empty, numbers are their text.
        QCOMPARE(c.nativeQuery("SELECT NULL AS a, 12 AS b, 2.5 AS c").rows().value(0),
                 QStringList({"", "12", "2.5"}));
    }

    void reopenKeepsDataAndMigratesForward()
    {
        QTemporaryDir dir;
        {
            EmbeddedConnection c(dir.path());
            seedMeal(c);
            // As if the store was written before the seed step existed (and so before
            // the audit log's login, fields and batch columns, the recorded meal cost and
            // its report index).
            c.nativeExecute("DROP INDEX Station.ixDistributedReport;");
            c.nativeExecute(withoutAuditBatches);
            c.nativeExecute("DROP INDEX Station.uxDistributedMealOrderLine; ALTER TABLE "
                            "Station.tbTALOEmployeeDistributedMeals DROP COLUMN OrderKey; ALTER "
                            "TABLE Station.tbTALOEmployeeDistributedMeals DROP COLUMN OrderLine;");
            c.nativeExecute("DROP TRIGGER Station.trDistributedMealLogin; ALTER TABLE "
                            "Station.tbTALOEmployeeDistributedMeals DROP COLUMN LoginName;");
            c.nativeExecute("DROP TRIGGER Station.trDistributedMealCostPlain; DROP TRIGGER "
                            "Station.trDistributedMealCostPlainUpdate;");
            c.nativeExecute("DELETE FROM Station.tbTALOUserSetUp; ALTER TABLE "
                            "Station.tbTALOAuditLog DROP COLUMN LoginName; ALTER TABLE "
                            "Station.tbTALOAuditLog DROP COLUMN Fields; ALTER TABLE "
                            "Station.tbTALOEmployeeDistributedMeals DROP COLUMN MealCost; "
                            "DROP TABLE Station.tbTALOSiteSetting; "
                            "DROP TABLE Station.tbTALOMealModeSetting; "
                            "UPDATE talo_schema_version SET Version = 1 "
                            "WHERE DatabaseName = 'Station';");
        }
        {
            EmbeddedConnection c(dir.path());
            QVERIFY(!c.createdOnOpen());
            QCOMPARE(c.nativeQuery("SELECT count(*) FROM Station.tbTALOUserSetUp").value(0, 0),
                     QString("8"));
            QCOMPARE(c.nativeQuery("SELECT Description FROM Station.tbcoMeal").value(0, 0),
                     QString("Adobo"));
            QCOMPARE(c.store().userVersion("Station"), SchemaMigrator::latestVersion("Station"));
            QCOMPARE(
                c.nativeQuery("SELECT count(*) FROM Station.tbTALOMealModeSetting").value(0, 0),
                QString("8"));
            QCOMPARE(c.nativeQuery("SELECT count(*) FROM pragma_table_info('tbTALOAuditLog') "
                                   " WHERE name IN ('LoginName', 'Fields')")
                         .value(0, 0),
                     QString("2"));
            QCOMPARE(c.nativeQuery("SELECT count(*) FROM Station.sqlite_master WHERE name = "
                                   "'ixDistributedReport'")
                         .value(0, 0),
                     QString("1"));
            c.nativeExecute(
                "UPDATE talo_schema_version SET Version = 99 WHERE DatabaseName = 'Payroll'");
        }
        try {
            EmbeddedConnection c(dir.path());
            QFAIL("a store of a newer program was opened");
        } catch (const DbError& error) {
            QCOMPARE(error.number(), ServerErrors::StoreVersion);
            QVERIFY(error.message().contains("newer"));
        }
    }

    // The second counter waits for the first one's write instead of failing with
    // SQLITE_BUSY, and both meals are stored.
    // Costs written before they were kept plain: the upgrade rounds a number to the cent,
    // empties any other text (a meal without a cost), and logs what each was.
    void oldCostTextsBecomePlainDecimals_data()
    {
        QTest::addColumn<QString>("old");
        QTest::addColumn<QString>("plain");
        QTest::newRow("blanks and one decimal") << " 12.5 "
                                                << "12.50";
        QTest::newRow("half a cent up") << "2.675"
                                        << "2.68";
        QTest::newRow("no decimals, leading zeros") << "007"
                                                    << "7.00";
        QTest::newRow("only decimals") << ".5"
                                       << "0.50";
        QTest::newRow("a word after it") << "12 pesos"
                                         << "";
        QTest::newRow("thousands separator") << "1,250.00"
                                             << "";
        QTest::newRow("negative") << "-3.00"
                                  << "";
        QTest::newRow("only blanks") << "  "
                                     << "";
    }

    void oldCostTextsBecomePlainDecimals()
    {
        QFETCH(QString, old);
        QFETCH(QString, plain);
        QTemporaryDir dir;
        {
            EmbeddedConnection c(dir.path());
            seedMeal(c);
            c.execute(save(""));
            // As a store before plain costs: no triggers, and the old texts in place.
            c.nativeExecute(withoutAuditBatches);
            c.nativeExecute("DROP TRIGGER Station.trMealCostPlain; DROP TRIGGER "
                            "Station.trMealCostPlainUpdate; DROP TRIGGER "
                            "Station.trDistributedMealCostPlain; DROP TRIGGER "
                            "Station.trDistributedMealCostPlainUpdate; ALTER TABLE "
                            "Station.tbTALOSiteSetting DROP COLUMN BulkTagging; ALTER TABLE "
                            "Station.tbTALOSiteSetting DROP COLUMN ClosedThrough; ALTER TABLE "
                            "Station.tbTALOAuditLog DROP COLUMN Fields; DROP INDEX "
                            "Station.uxDistributedMealOrderLine; ALTER TABLE "
                            "Station.tbTALOEmployeeDistributedMeals DROP COLUMN OrderKey; ALTER "
                            "TABLE Station.tbTALOEmployeeDistributedMeals DROP COLUMN OrderLine; "
                            "ALTER TABLE Station.tbTALOSiteSetting DROP COLUMN "
                            "KeepServingOffline; ALTER TABLE Station.tbTALOSiteSetting DROP "
                            "COLUMN FittedColumns; ALTER TABLE Station.tbTALOSiteSetting "
                            "DROP COLUMN StatementTimeout; "
                            "UPDATE talo_schema_version SET Version = 14 "
                            "WHERE DatabaseName = 'Station';");
            c.nativeExecute("UPDATE Station.tbcoMeal SET Cost = '" + old +
                            "'; UPDATE Station.tbTALOEmployeeDistributedMeals SET MealCost = '" +
                            old + "'; DELETE FROM Station.tbTALOAuditLog;");
        }
        EmbeddedConnection c(dir.path());
        QCOMPARE(c.nativeQuery("SELECT Cost FROM Station.tbcoMeal").value(0, 0), plain);
        QCOMPARE(c.nativeQuery("SELECT MealCost FROM Station.tbTALOEmployeeDistributedMeals")
                     .value(0, 0),
                 plain);
        QCOMPARE(c.nativeQuery("SELECT group_concat(TableName || '|' || Details || '|' || UserID, "
                               "', ') FROM Station.tbTALOAuditLog")
                     .value(0, 0),
                 "tbcoMeal|Cost: " + old + " -> " + plain + "|UPGRADE, " +
                     "tbTALOEmployeeDistributedMeals|MealCost: " + old + " -> " + plain +
                     "|UPGRADE");
        // From now on the store refuses such a text, as the kit's CHECK does.
        for (const char* sql : {"UPDATE Station.tbcoMeal SET Cost = '12.5'",
                                "UPDATE Station.tbTALOEmployeeDistributedMeals SET MealCost = "
                                "' 1.00'"}) {
            try {
                c.nativeExecute(sql);
                QFAIL(sql);
            } catch (const DbError& error) {
                QVERIFY2(error.message().contains("CHECK constraint failed"),
                         qPrintable(error.message()));
            }
        }
    }

    void secondWriterWaits()
    {
        QTemporaryDir dir;
        EmbeddedConnection first(dir.path());
        seedMeal(first);
        EmbeddedConnection second(dir.path());
        std::promise<void> started;
        std::thread holder([&] {
            first.transaction([&] {
                first.execute(save("first"));
                started.set_value();
                std::this_thread::sleep_for(std::chrono::milliseconds(400));
            });
        });
        started.get_future().wait();
        QElapsedTimer timer;
        timer.start();
        try {
            second.execute(save("second"));
        } catch (const DbError& error) {
            holder.join();
            QFAIL(qPrintable(error.message()));
        }
        const qint64 waited = timer.elapsed();
        holder.join();
        QVERIFY2(waited >= 200, qPrintable(QString::number(waited)));
        const Recordset rows = second.nativeQuery(
            "SELECT Remarks FROM Station.tbTALOEmployeeDistributedMeals ORDER BY TransNum");
        QCOMPARE(rows.rows(), QList<QStringList>({{"first"}, {"second"}}));
    }

    // A transaction inside a transaction is a savepoint: its failure undoes only its own
    // work, and the outer one still commits as a whole.
    void nestedTransactionsAndSqliteErrors()
    {
        QTemporaryDir dir;
        EmbeddedConnection c(dir.path());
        seedMeal(c);
        c.transaction([&] {
            c.execute(save("kept"));
            try {
                c.transaction([&] {
                    c.execute(save("undone"));
                    c.nativeExecute("INSERT INTO Station.tbcoMealType(Code) VALUES('lun')");
                });
                QFAIL("a duplicate key was stored");
            } catch (const DbError& error) {
                QCOMPARE(error.number(), 1555); // SQLITE_CONSTRAINT_PRIMARYKEY
                QVERIFY(error.message().contains("UNIQUE constraint failed"));
            }
        });
        const Recordset rows =
            c.nativeQuery("SELECT Remarks FROM Station.tbTALOEmployeeDistributedMeals");
        QCOMPARE(rows.rows(), QList<QStringList>({{"kept"}}));
        QVERIFY(!c.store().inTransaction());
    }

    // A reader sees committed rows only and never blocks the writer.
    void readerDuringAWrite()
    {
        QTemporaryDir dir;
        EmbeddedConnection writer(dir.path());
        seedMeal(writer);
        EmbeddedConnection reader(dir.path());
        writer.transaction([&] {
            writer.execute(save("pending"));
            QCOMPARE(reader.open(mealsToday()).recordCount(), 0);
        });
        QCOMPARE(reader.open(mealsToday()).recordCount(), 1);
    }

    // A counter that opens the store while another one is saving reads at once: opening
    // takes the write lock only when the schema has to move forward.
    void openingAndReadingDoNotWaitForAWriter()
    {
        QTemporaryDir dir;
        EmbeddedConnection writer(dir.path());
        seedMeal(writer);
        writer.transaction([&] {
            writer.execute(save("pending"));
            QElapsedTimer timer;
            timer.start();
            try {
                EmbeddedConnection reader(dir.path());
                QCOMPARE(reader
                             .open("Select count(*) [N] from "
                                   "Station..tbTALOEmployeeDistributedMeals")
                             .value(0, 0),
                         QString("0"));
            } catch (const DbError& error) {
                QFAIL(qPrintable(error.message()));
            }
            QVERIFY2(timer.elapsed() < 100, qPrintable(QString::number(timer.elapsed())));
        });
    }
};

QTEST_MAIN(tst_EmbeddedStore)
#include "tst_EmbeddedStore.moc"
