#include "data/DbError.h"
#include "server/EmbeddedStore.h"
#include "server/ServerErrors.h"
#include "server/TsqlRewriter.h"

#include <QTemporaryDir>
#include <QTest>

// The rewriter turns the program's T-SQL into SQLite SQL of the same meaning, and
// refuses what it cannot translate faithfully.
class tst_TsqlRewriter : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<EmbeddedStore> m_store;
    std::unique_ptr<TsqlRewriter> m_rewriter;

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        m_store = std::make_unique<EmbeddedStore>(m_dir.path());
        m_rewriter = std::make_unique<TsqlRewriter>(
            m_store->schema(), [] { return QDateTime(QDate(2026, 12, 8), QTime(11, 30, 15)); });
    }

    void rewrites_data()
    {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<QString>("sqlite");
        QTest::newRow("two dots") << "Select * from Station..tbcoMeal"
                                  << "Select * from Station.tbcoMeal";
        QTest::newRow("dbo schema") << "Select * from Station.dbo.tbcoMeal"
                                    << "Select * from Station.tbcoMeal";
        QTest::newRow("literal untouched")
            << "Select 'a..b + GetDate() -- [x]' [X] from Station..tbcoMeal where Code = 'O''Neil'"
            << "Select 'a..b + GetDate() -- [x]' [X] from Station.tbcoMeal where Code = 'O''Neil'";
        QTest::newRow("text columns joined")
            << "Select empnum[EMPID], Lastname+', '+Firstname+' '+Middlename[NAME] from "
               "Payroll..tbcmaster"
            << "Select empnum[EMPID], Lastname||', '||Firstname||' '||Middlename[NAME] from "
               "Payroll.tbcmaster";
        QTest::newRow("literals folded")
            << "Select * from Payroll..tbcmaster where Lastname like 'O''' + '%'"
            << "Select * from Payroll.tbcmaster where (Lastname >= 'O''' AND Lastname < "
               "talo_prefix_end('O''') AND Lastname like 'O''%')";
        QTest::newRow("no range for a case-sensitive column")
            << "Select * from Station..tbcoMeal where Status like '1%'"
            << "Select * from Station.tbcoMeal where Status like '1%'";
        QTest::newRow("no range without a prefix")
            << "Select * from Payroll..tbcmaster where Lastname like '_a%'"
            << "Select * from Payroll.tbcmaster where Lastname like '_a%'";
        QTest::newRow("empty literal folded")
            << "Select * from Payroll..tbcmaster where EmpNum = '' or Lastname like '' + '%'"
            << "Select * from Payroll.tbcmaster where EmpNum = '' or Lastname like '%'";
        QTest::newRow("numbers still add") << "Select Code + 1 [N] from Station..tbTALOUserSetUp"
                                           << "Select Code + 1 [N] from Station.tbTALOUserSetUp";
        QTest::newRow("group of texts")
            << "Select (Lastname + ',') + Firstname [N] from Payroll..tbcmaster"
            << "Select (Lastname || ',') || Firstname [N] from Payroll.tbcmaster";
        QTest::newRow("server clock") << "Select GetDate() As ServerDate From "
                                         "Patient_Data..tbHospitalInfo"
                                      << "Select '12/8/2026 11:30:15 AM' As ServerDate From "
                                         "Patient_Data.tbHospitalInfo";
        QTest::newRow("quoted identifier") << "Select Code \"CODE\" from Station..tbcoMeal;"
                                           << "Select Code [CODE] from Station.tbcoMeal";
        QTest::newRow("comment dropped") << "Select Code from Station..tbcoMeal -- note"
                                         << "Select Code from Station.tbcoMeal";
    }

    void rewrites()
    {
        QFETCH(QString, tsql);
        QFETCH(QString, sqlite);
        QCOMPARE(m_rewriter->rewrite(tsql), sqlite);
    }

    void refuses_data()
    {
        QTest::addColumn<QString>("tsql");
        QTest::addColumn<int>("number");
        const int unsupported = ServerErrors::Unsupported;
        const int syntax = ServerErrors::Syntax;
        QTest::newRow("insert") << "Insert into Station..tbcoMeal(Code) values('x')" << unsupported;
        QTest::newRow("update") << "Update Station..tbcoMeal set Status = '0'" << unsupported;
        QTest::newRow("delete") << "delete from Station..tbcoMeal" << unsupported;
        QTest::newRow("drop") << "drop table Station..tbcoMeal" << unsupported;
        QTest::newRow("two statements")
            << "Select * from Station..tbcoMeal; delete from Station..tbcoMeal" << unsupported;
        QTest::newRow("two selects") << "Select 1 Select 2" << unsupported;
        QTest::newRow("select into") << "Select * into x from Station..tbcoMeal" << unsupported;
        QTest::newRow("top") << "Select top 5 * from Station..tbcoMeal" << unsupported;
        QTest::newRow("variable") << "Select @x" << unsupported;
        QTest::newRow("unknown function")
            << "Select len(Code) from Station..tbcoMeal" << unsupported;
        QTest::newRow("text plus number") << "Select 'a' + 1" << unsupported;
        QTest::newRow("text column plus number")
            << "Select Lastname + 1 from Payroll..tbcmaster" << unsupported;
        QTest::newRow("join beside multiply")
            << "Select Code * 2 + 'x' from Station..tbTALOUserSetUp" << unsupported;
        QTest::newRow("sqlite concatenation") << "Select 'a' || 'b'" << unsupported;
        QTest::newRow("unterminated literal") << "Select 'abc from Station..tbcoMeal" << syntax;
        QTest::newRow("unbalanced") << "Select (1 from Station..tbcoMeal" << syntax;
        QTest::newRow("empty") << "  " << unsupported;
    }

    void refuses()
    {
        QFETCH(QString, tsql);
        QFETCH(int, number);
        try {
            m_rewriter->rewrite(tsql);
            QFAIL("the statement was accepted");
        } catch (const DbError& error) {
            QCOMPARE(error.number(), number);
            QVERIFY(!error.message().isEmpty());
        }
    }

    // The personnel searches find last names through the index, not by a scan.
    void lastNamePrefixUsesTheIndex()
    {
        const QString sql = m_rewriter->rewrite(
            "Select empnum[EMPID], Lastname+', '+Firstname+' '+Middlename[NAME] from "
            "Payroll..tbcmaster where EmpNum = 'Peñ' or Lastname like 'Peñ' + '%'");
        const Recordset plan = m_store->runScript("EXPLAIN QUERY PLAN " + sql);
        QString details;
        for (const QStringList& row : plan.rows())
            details += row.value(3) + '\n';
        QVERIFY2(details.contains("USING INDEX ixMasterLastname (Lastname>? AND Lastname<?)"),
                 qPrintable(details));
    }

    // What SQLite would silently do with T-SQL text ('a' + 'b' is 0 there) must not
    // happen: the rewritten text gives the server's answer.
    void rewrittenTextGivesTheServersAnswer()
    {
        const Recordset r = m_store->select(
            m_rewriter->rewrite("Select 'Dela' + ' ' + 'Cruz' [A], 2 + 3 [B], '' [C]"));
        QCOMPARE(r.fieldNames(), QStringList({"A", "B", "C"}));
        QCOMPARE(r.rows().value(0), QStringList({"Dela Cruz", "5", ""}));
    }
};

QTEST_MAIN(tst_TsqlRewriter)
#include "tst_TsqlRewriter.moc"
