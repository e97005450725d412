#include "data/DbError.h"
#include "data/RecordingConnection.h"
#include "data/Recordset.h"
#include "data/SqlText.h"
#include "data/SqlValueText.h"

#include <QTest>

namespace {

// Answers with one fixed snapshot; fails every statement that contains "boom".
class ScriptedConnection : public Connection
{
public:
    Recordset open(const QString& sql) override
    {
        check(sql);
        return Recordset({QStringLiteral("A")}, {{QStringLiteral("1")}});
    }
    void execute(const QString& sql) override { check(sql); }
    void transaction(const std::function<void()>& work) override
    {
        ++transactions;
        work();
    }
    QString serverName() const override { return QStringLiteral("SRV"); }

    int transactions = 0;

private:
    static void check(const QString& sql)
    {
        if (sql.contains(QLatin1String("boom")))
            throw DbError(50000, QStringLiteral("Unknown meal."));
    }
};

} // namespace

class tst_Recordset : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates)); }

    void fieldLookupIgnoresCaseAndTakesTheFirstOfEqualNames()
    {
        const Recordset rs(
            {QStringLiteral("EMPNUM"), QStringLiteral("Name"), QStringLiteral("name")},
            {{QStringLiteral("0001"), QStringLiteral("Cruz"), QStringLiteral("x")}});
        QCOMPARE(rs.fieldIndex(QStringLiteral("empnum")), 0);
        QCOMPARE(rs.value(0, QStringLiteral("NAME")), QStringLiteral("Cruz"));
        QCOMPARE(rs.fieldIndex(QStringLiteral("EMP")), -1);
        QCOMPARE(rs.recordCount(), 1);
        QVERIFY(!rs.eof());
    }

    void missingFieldThrowsAndOutOfRangeCellsAreEmpty()
    {
        const Recordset rs({QStringLiteral("A")}, {{QStringLiteral("1")}});
        try {
            rs.value(0, QStringLiteral("B"));
            QFAIL("a missing field must throw");
        } catch (const DbError& error) {
            QCOMPARE(error.number(), 3265);
            QVERIFY(error.message().contains(QLatin1String("B")));
        }
        QCOMPARE(rs.value(1, 0), QString());
        QCOMPARE(rs.value(0, 1), QString());
        QCOMPARE(rs.value(-1, 0), QString());
        QVERIFY(Recordset().eof());
    }

    void quoteDoublesEveryQuoteAndNothingElse()
    {
        QCOMPARE(SqlText::quote(QStringLiteral("Cruz")), QStringLiteral("Cruz"));
        QCOMPARE(SqlText::quote(QStringLiteral("O'Brien")), QStringLiteral("O''Brien"));
        QCOMPARE(SqlText::quote(QStringLiteral("'")), QStringLiteral("''"));
        QCOMPARE(SqlText::quote(QStringLiteral("a''b'")), QStringLiteral("a''''b''"));
        QCOMPARE(SqlText::quote(QStringLiteral("Peña; --\"%_")), QStringLiteral("Peña; --\"%_"));
        // The quoted value closes its literal exactly where the statement does.
        const QString sql = QStringLiteral("Select 1 where x = '") +
                            SqlText::quote(QStringLiteral("x' or '1'='1")) + "'";
        QCOMPARE(sql.count(QLatin1Char('\'')) % 2, 0);
        QCOMPARE(sql, QStringLiteral("Select 1 where x = 'x'' or ''1''=''1'"));
    }

    void recordingKeepsOrderIncludingFailedAndTransactedStatements()
    {
        ScriptedConnection inner;
        RecordingConnection recorder(inner);
        recorder.open(QStringLiteral("Select 1"));
        QVERIFY_THROWS_EXCEPTION(DbError, recorder.execute(QStringLiteral("boom 2")));
        recorder.transaction([&] {
            recorder.execute(QStringLiteral("three"));
            recorder.open(QStringLiteral("four"));
        });
        QCOMPARE(inner.transactions, 1);
        QCOMPARE(recorder.statements(), QStringList({"Select 1", "boom 2", "three", "four"}));
        QCOMPARE(recorder.serverName(), QStringLiteral("SRV"));
        recorder.clear();
        QVERIFY(recorder.statements().isEmpty());
    }

    void driverValuesBecomeStoreText()
    {
        QCOMPARE(SqlValueText::fromVariant(QVariant()), QString());
        // Typed nulls must not turn into "0" or a zero date.
        QCOMPARE(SqlValueText::fromVariant(QVariant(QMetaType::fromType<double>())), QString());
        QCOMPARE(SqlValueText::fromVariant(QVariant(QMetaType::fromType<int>())), QString());
        QCOMPARE(SqlValueText::fromVariant(QVariant(QMetaType::fromType<QDateTime>())), QString());
        QCOMPARE(SqlValueText::fromVariant(QVariant(true)), QStringLiteral("1"));
        QCOMPARE(SqlValueText::fromVariant(QVariant(false)), QStringLiteral("0"));
        QCOMPARE(SqlValueText::fromVariant(QVariant(42)), QStringLiteral("42"));
        QCOMPARE(SqlValueText::fromVariant(QVariant(QStringLiteral("12.50"))),
                 QStringLiteral("12.50"));
        QCOMPARE(
            SqlValueText::fromVariant(QVariant(QDateTime(QDate(2026, 12, 8), QTime(11, 30, 15)))),
            QStringLiteral("12/8/2026 11:30:15 AM"));
        QCOMPARE(SqlValueText::fromVariant(QVariant(QDate(2026, 12, 8))),
                 QStringLiteral("12/8/2026"));
    }
};

QTEST_MAIN(tst_Recordset)
#include "tst_Recordset.moc"
