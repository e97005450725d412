#include "data/DbError.h"
#include "data/OdbcConnection.h"
#include "data/OdbcError.h"
#include "data/SqlText.h"
#include "user/PasswordHash.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlDriver>
#include <QSqlError>
#include <QTemporaryDir>
#include <QTest>
#include <QThread>
#include <atomic>
#include <optional>
#ifdef Q_OS_WIN
#include <QDir>
#include <windows.h>
#endif

// Runs the real QODBC code path against SQLite's ODBC driver: what is not specific to
// SQL Server (snapshots, NULLs, errors, transactions, reconnecting) behaves the same.
class tst_OdbcConnection : public QObject
{
    Q_OBJECT

private:
    static constexpr const char* driverFile = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
    QTemporaryDir m_dir;

    QString dbPath(const QString& name = QStringLiteral("station.db")) const
    {
        return m_dir.filePath(name);
    }
    // Under Wine, ODBC reaches the host's driver manager and SQLite driver: they must be
    // given the database file as the host names it.
    static QString hostPath(const QString& file)
    {
#ifdef Q_OS_WIN
        using UnixName = char*(CDECL*)(LPCWSTR);
        const FARPROC found =
            GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name");
        if (!found)
            return file;
        const QString native = QDir::toNativeSeparators(file);
        char* name = reinterpret_cast<UnixName>(reinterpret_cast<void*>(found))(
            reinterpret_cast<LPCWSTR>(native.utf16()));
        if (!name)
            return file;
        const QString host = QString::fromUtf8(name);
        HeapFree(GetProcessHeap(), 0, name);
        return host;
#else
        return file;
#endif
    }
    static QString connectionString(const QString& file)
    {
        return QStringLiteral("Driver=%1;Database=%2")
            .arg(QLatin1String(driverFile), hostPath(file));
    }
    std::unique_ptr<OdbcConnection> connect(const QString& file)
    {
        return std::make_unique<OdbcConnection>(connectionString(file));
    }
    // A database with one meal table in it, written through its own connection.
    void makeDatabase(const QString& file, const QString& mealDescription)
    {
        QFile::remove(file);
        OdbcConnection c(connectionString(file));
        c.execute(QStringLiteral("create table tbcoMeal (Code text primary key, Description "
                                 "text, Cost text, Served timestamp, Day date)"));
        c.execute(QStringLiteral("insert into tbcoMeal values ('M1', '%1', '12.50', "
                                 "'2026-12-08 03:14:31', '2026-12-08')")
                      .arg(mealDescription));
    }
    static int count(OdbcConnection& c)
    {
        return c.open(QStringLiteral("select Code from tbcoMeal")).recordCount();
    }

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        if (!QFile::exists(QLatin1String(driverFile)))
            QSKIP("SQLite ODBC driver (libsqliteodbc) is not installed");
        QVERIFY(m_dir.isValid());
    }

    void snapshotHoldsFieldsInSelectOrderAndEveryRowAsText_data()
    {
        QTest::addColumn<int>("timeout");
        QTest::newRow("as long as it takes") << 0;
        // Each statement is prepared first, to be given its query timeout.
        QTest::newRow("with a statement timeout") << 10;
    }

    void snapshotHoldsFieldsInSelectOrderAndEveryRowAsText()
    {
        QFETCH(int, timeout);
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        auto c = connect(dbPath());
        c->setStatementTimeout(timeout);
        c->execute(QStringLiteral("insert into tbcoMeal values ('M2', null, null, null, null)"));

        const Recordset rs = c->open(
            QStringLiteral("select Description as [DESCRIPTION], Code as CODE, Cost, Served, Day "
                           "from tbcoMeal order by Code"));
        QCOMPARE(rs.fieldNames(), QStringList({"DESCRIPTION", "CODE", "Cost", "Served", "Day"}));
        // The driver cannot tell the size in advance; the snapshot count is exact.
        QCOMPARE(rs.recordCount(), 2);
        QCOMPARE(rs.rows().at(0),
                 QStringList({"Rice", "M1", "12.50", "12/8/2026 3:14:31 AM", "12/8/2026"}));
        // NULL text, number and date-time all read as empty text.
        QCOMPARE(rs.rows().at(1), QStringList({"", "M2", "", "", ""}));

        const Recordset none = c->open(QStringLiteral("select Code, Cost from tbcoMeal where 0"));
        QCOMPARE(none.fieldNames(), QStringList({"Code", "Cost"}));
        QVERIFY(none.eof());

        // A statement without rows read through open() gives an empty snapshot and is done.
        QVERIFY(c->open(QStringLiteral("delete from tbcoMeal where Code = 'M2'")).eof());
        QCOMPARE(count(*c), 1);
    }

    void errorsCarryTheServerNumberAndPlainTextAndKeepTheLink()
    {
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        auto c = connect(dbPath());
        // A temporary table lives as long as the link: it shows the link was not replaced.
        c->execute(QStringLiteral("create temp table marker (x)"));
        try {
            c->open(QStringLiteral("select * from tbNoSuchTable"));
            QFAIL("a failing statement must throw");
        } catch (const DbError& error) {
            QCOMPARE(error.number(), 1);
            QVERIFY2(error.message().startsWith(QLatin1String("no such table: tbNoSuchTable")),
                     qPrintable(error.message()));
        }
        QVERIFY_THROWS_EXCEPTION(DbError, c->execute(QStringLiteral("selec 1")));
        QVERIFY_THROWS_EXCEPTION(
            DbError, c->execute(QStringLiteral("insert into tbcoMeal (Code) values ('M1')")));
        QCOMPARE(c->open(QStringLiteral("select count(*) from marker")).value(0, 0),
                 QStringLiteral("0"));
        QCOMPARE(count(*c), 1);
    }

    void driverDiagnosticsMapToServerNumberAndText()
    {
        // What FreeTDS and Microsoft's driver report for a procedure's THROW 50000.
        const DbError thrown =
            OdbcError::fromSqlError(QSqlError(QStringLiteral("QODBC: Unable to execute statement"),
                                              QStringLiteral("[FreeTDS][SQL Server]Unknown meal."),
                                              QSqlError::StatementError, QStringLiteral("50000")),
                                    QString());
        QCOMPARE(thrown.number(), 50000);
        QCOMPARE(thrown.message(), QStringLiteral("Unknown meal."));

        const DbError several = OdbcError::fromSqlError(
            QSqlError(QString(),
                      QStringLiteral("[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]"
                                     "Invalid object name 'Station..[tbX]'. "
                                     "[Microsoft][ODBC Driver 18 for SQL Server][SQL Server]"
                                     "Statement(s) could not be prepared."),
                      QSqlError::StatementError, QStringLiteral("208;8180")),
            QString());
        QCOMPARE(several.number(), 208);
        QCOMPARE(several.message(), QStringLiteral("Invalid object name 'Station..[tbX]'. "
                                                   "Statement(s) could not be prepared."));

        const DbError bare =
            OdbcError::fromSqlError(QSqlError(QStringLiteral("QODBC: Unable to connect"), QString(),
                                              QSqlError::ConnectionError, QStringLiteral("S1000")),
                                    QString());
        QCOMPARE(bare.number(), OdbcError::unspecified);
        QCOMPARE(bare.message(), QStringLiteral("QODBC: Unable to connect"));
        QCOMPARE(OdbcError::fromSqlError(QSqlError(), QStringLiteral("fallback")).message(),
                 QStringLiteral("fallback"));
    }

    void unreachableServerFailsAtConnect()
    {
        QVERIFY_THROWS_EXCEPTION(
            DbError, OdbcConnection(QStringLiteral("Driver=/nonexistent/libnone.so;Database=x")));
        // A failed attempt leaves no Qt connection behind.
        const QStringList before = QSqlDatabase::connectionNames();
        try {
            OdbcConnection(QStringLiteral("Driver=/nonexistent/libnone.so;Database=x"));
        } catch (const DbError& error) {
            QVERIFY(!error.message().isEmpty());
        }
        QCOMPARE(QSqlDatabase::connectionNames(), before);
    }

    void refusedSqlServerIsAClearErrorThroughFreeTds()
    {
        const QString freeTds = QStringLiteral("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so");
        if (!QFile::exists(freeTds))
            QSKIP("FreeTDS (tdsodbc) is not installed");
        // Nothing listens on port 1: the driver gets the connection string and the
        // sign-in's credentials and reports the refusal with its own number.
        try {
            OdbcConnection(QStringLiteral("Driver=%1;Server=127.0.0.1;Port=1;TDS_Version=7.4;"
                                          "ClientCharset=UTF-8;Database=Station")
                               .arg(freeTds),
                           QStringLiteral("clerk"), QStringLiteral("secret"));
            QFAIL("no server is there");
        } catch (const DbError& error) {
            QCOMPARE(error.number(), 20009);
            QVERIFY2(error.message().contains(QLatin1String("unavailable")),
                     qPrintable(error.message()));
            QVERIFY(!error.message().contains(QLatin1String("[FreeTDS]")));
            QVERIFY(!error.message().contains(QLatin1String("secret")));
        }
    }

    void transactionCommitsOrRollsBackAsAWhole()
    {
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        auto c = connect(dbPath());
        c->transaction([&] {
            c->execute(QStringLiteral("insert into tbcoMeal (Code) values ('M2')"));
            // A nested call joins the outer transaction.
            c->transaction(
                [&] { c->execute(QStringLiteral("insert into tbcoMeal (Code) values ('M3')")); });
        });
        QCOMPARE(count(*c), 3);

        QVERIFY_THROWS_EXCEPTION(DbError, c->transaction([&] {
            c->execute(QStringLiteral("insert into tbcoMeal (Code) values ('M4')"));
            c->execute(QStringLiteral("insert into tbcoMeal (Code) values ('M1')")); // duplicate
        }));
        QCOMPARE(count(*c), 3);
        // Another connection sees the committed rows only.
        auto other = connect(dbPath());
        QCOMPARE(count(*other), 3);
    }

    void droppedLinkIsReopenedByTheNextCall()
    {
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        auto c = connect(dbPath());
        QCOMPARE(c->open(QStringLiteral("select Description from tbcoMeal")).value(0, 0),
                 QStringLiteral("Rice"));

        // The server goes away and comes back with a restored database.
        QSqlDatabase::database(c->connectionName(), false).close();
        const QString restored = dbPath(QStringLiteral("restored.db"));
        makeDatabase(restored, QStringLiteral("Noodles"));
        QFile::remove(dbPath());
        QVERIFY(QFile::rename(restored, dbPath()));

        QCOMPARE(c->open(QStringLiteral("select Description from tbcoMeal")).value(0, 0),
                 QStringLiteral("Noodles"));
    }

    void linkLostInsideATransactionIsNotReopenedThere()
    {
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        auto c = connect(dbPath());
        bool secondRan = false;
        try {
            c->transaction([&] {
                c->execute(QStringLiteral("insert into tbcoMeal (Code) values ('M2')"));
                QSqlDatabase::database(c->connectionName(), false).close();
                // Must not run on a fresh link in autocommit mode.
                c->execute(QStringLiteral("insert into tbcoMeal (Code) values ('M3')"));
                secondRan = true;
            });
            QFAIL("the transaction must fail");
        } catch (const DbError& error) {
            QVERIFY2(error.message().contains(QLatin1String("lost")), qPrintable(error.message()));
        }
        QVERIFY(!secondRan);
        // After the failed transaction the next call works again, and nothing was stored.
        QCOMPARE(count(*c), 1);
    }

    void rowCountsBeforeRowsAreSkipped()
    {
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        auto c = connect(dbPath());
        const QSqlDatabase db = QSqlDatabase::database(c->connectionName(), false);
        if (!db.driver()->hasFeature(QSqlDriver::MultipleResultSets))
            QSKIP("this ODBC driver runs one statement per call");
        const Recordset rs = c->open(
            QStringLiteral("update tbcoMeal set Cost = 1; select Code, Cost from tbcoMeal"));
        QCOMPARE(rs.fieldNames(), QStringList({"Code", "Cost"}));
        QCOMPARE(rs.recordCount(), 1);
    }

    void storedTextComesBackUnchanged()
    {
        // The sign-in verifies the password register's hash text as read over this
        // connection: "$", "=", "," and "/" must come back byte for byte, and so must
        // quotes and letters beyond ASCII in names.
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        auto c = connect(dbPath());
        c->execute(QStringLiteral("create table tbPasswordMain (EmployeeID text, Lastname text, "
                                  "PasswordHash text)"));
        const QString hash = PasswordHash::make(QStringLiteral("s3cret"));
        QVERIFY(hash.startsWith(QLatin1String("$argon2id$")));
        const QString name = QStringLiteral("O'Neil-Peña 名");
        c->execute(QStringLiteral("insert into tbPasswordMain values ('ADMIN', '%1', '%2')")
                       .arg(SqlText::quote(name), SqlText::quote(hash)));

        const Recordset rs = c->open(QStringLiteral(
            "select Lastname, PasswordHash from tbPasswordMain where EmployeeID = 'ADMIN'"));
        QCOMPARE(rs.value(0, QStringLiteral("Lastname")), name);
        QCOMPARE(rs.value(0, QStringLiteral("PasswordHash")), hash);
        QVERIFY(PasswordHash::verify(rs.value(0, QStringLiteral("PasswordHash")),
                                     QStringLiteral("s3cret")));
    }

    void sessionSetupRunsOnEveryNewLink()
    {
        // A temporary table lives as long as its link: it is there only when the setup
        // ran on this link (on SQL Server the setup is SET DATEFORMAT).
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        const OdbcSession session{QStringLiteral("create temp table talo_session (n integer)"),
                                  false};
        OdbcConnection c(connectionString(dbPath()), {}, {}, session);
        QCOMPARE(c.open(QStringLiteral("select count(*) from talo_session")).value(0, 0),
                 QStringLiteral("0"));

        QSqlDatabase::database(c.connectionName(), false).close();
        QCOMPARE(c.open(QStringLiteral("select count(*) from talo_session")).value(0, 0),
                 QStringLiteral("0"));

        // A setup the server refuses leaves no half-prepared connection behind.
        try {
            OdbcConnection refused(connectionString(dbPath()), {}, {},
                                   OdbcSession{QStringLiteral("set dateformat dmy"), false});
            QFAIL("a connection whose session cannot be set up must not open");
        } catch (const DbError& error) {
            QVERIFY(!error.message().isEmpty());
        }
    }

    // Without these a write to the meals table (it has a filtered index) fails with
    // error 1934; the setup above runs them on every link and refuses one that fails.
    void sqlServerSessionTurnsOnEachAnsiOption_data()
    {
        QTest::addColumn<QString>("option");
        for (const char* option : {"ANSI_NULLS", "ANSI_PADDING", "ANSI_WARNINGS", "ARITHABORT",
                                   "CONCAT_NULL_YIELDS_NULL", "QUOTED_IDENTIFIER"})
            QTest::newRow(option) << QString::fromLatin1(option);
    }
    void sqlServerSessionTurnsOnEachAnsiOption()
    {
        QFETCH(QString, option);
        const QStringList statements = OdbcSession::sqlServer().setup.split(QStringLiteral("; "));
        QCOMPARE(statements.size(), 2);
        QVERIFY(statements[0].startsWith(QStringLiteral("SET DATEFORMAT ")));
        QVERIFY(statements[1].startsWith(QStringLiteral("SET ")));
        QVERIFY(statements[1].endsWith(QStringLiteral(" ON")));
        QVERIFY(statements[1].mid(4).chopped(3).split(QStringLiteral(", ")).contains(option));
    }

    void nonLatinLiteralsAreSentAsUnicodeLiterals()
    {
        // SQLite reads N'x' as the column N under the alias 'x', so the value shows the
        // text the driver received: the prefix is added only where a literal holds text
        // beyond ASCII, and plain statements go out byte for byte.
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        OdbcConnection c(connectionString(dbPath()), {}, {}, OdbcSession{{}, true});
        c.execute(QStringLiteral("create table probe (N text)"));
        c.execute(QStringLiteral("insert into probe values ('sent with N')"));

        const Recordset plain = c.open(QStringLiteral("select 'Pena' from probe"));
        QCOMPARE(plain.value(0, 0), QStringLiteral("Pena"));
        const Recordset national = c.open(QStringLiteral("select 'Peña 名' from probe"));
        QCOMPARE(national.value(0, 0), QStringLiteral("sent with N"));
    }

    void serverNameFallsBackToTheConnectionString()
    {
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        auto c = connect(dbPath());
        // SQLite cannot answer @@SERVERNAME; the connection string names the database.
        QCOMPARE(c->serverName(), hostPath(dbPath()));
        QCOMPARE(count(*c), 1);
    }

    // A report's reader opens on its own thread with the same settings, and its
    // statement stops when cancelled from another thread (here a count that would
    // otherwise run for minutes).
    void readerStatementStopsWhenCancelled()
    {
        makeDatabase(dbPath(), QStringLiteral("Rice"));
        auto c = connect(dbPath());
        std::atomic<Connection*> running = nullptr;
        std::optional<DbError> error;
        int rows = -1;
        std::unique_ptr<QThread> thread(QThread::create([&] {
            std::unique_ptr<Connection> reader = c->openReader();
            QCOMPARE(reader->open(QStringLiteral("select Description from tbcoMeal")).value(0, 0),
                     QStringLiteral("Rice"));
            running = reader.get();
            try {
                rows = reader
                           ->open(QStringLiteral(
                               "with recursive n(i) as (select 1 union all select i + 1 from n "
                               "where i < 500000000) select count(*) from n"))
                           .recordCount();
            } catch (const DbError& e) {
                error = e;
            }
            running = nullptr;
        }));
        thread->start();
        QTRY_VERIFY(running.load());
        QTest::qWait(300);
        QVERIFY(!thread->isFinished());
        running.load()->cancel();
        QTRY_VERIFY_WITH_TIMEOUT(thread->isFinished(), 20000);
        QCOMPARE(rows, -1);
        QVERIFY(error.has_value());
        QVERIFY2(!error->message().isEmpty(), qPrintable(error->message()));
    }
};

QTEST_MAIN(tst_OdbcConnection)
#include "tst_OdbcConnection.moc"
