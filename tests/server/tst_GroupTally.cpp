#include "data/DbError.h"
#include "support/TestEnvironment.h"

#include <QTest>

// Counting rows per combination of values in the store's SQL, as the meal report does:
// each combination once, compared byte for byte, in the order first met.
class tst_GroupTally : public QObject
{
    Q_OBJECT

    // The tally of `rows` (a VALUES list of four columns) read back, one
    // "K1|K2|K3|K4|N" per combination, each value quoted so NULL shows.
    static QStringList tallied(TestEnvironment& env, const QString& rows)
    {
        const Recordset result =
            env.query("WITH v(a, b, c, d) AS (" + rows +
                      "), c AS MATERIALIZED (SELECT talo_tally(a, b, c, d) AS tally FROM v) "
                      "SELECT quote(t.K1), quote(t.K2), quote(t.K3), quote(t.K4), t.N "
                      "FROM c, talo_tally_rows(c.tally) AS t");
        QStringList out;
        for (int r = 0; r < result.recordCount(); ++r) {
            QStringList fields;
            for (int f = 0; f < result.fieldCount(); ++f)
                fields << result.value(r, f);
            out << fields.join('|');
        }
        return out;
    }

    static QString refusal(TestEnvironment& env, const QString& sql)
    {
        try {
            env.query(sql);
        } catch (const DbError& error) {
            return error.message();
        }
        return "not refused";
    }

private slots:
    void countsEachCombinationOnce_data();
    void countsEachCombinationOnce();
    void countsPastTheFirstTableSize();
    void refusesWhatItCannotCountOrRead_data();
    void refusesWhatItCannotCountOrRead();
};

void tst_GroupTally::countsEachCombinationOnce_data()
{
    QTest::addColumn<QString>("rows");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("case and blanks are other values")
        << "VALUES ('a', '', '1.00', NULL), ('A', '', '1.00', NULL), ('a ', '', '1.00', NULL), "
           "('a', '', '1.00', NULL)"
        << QStringList{"'a'|''|'1.00'|NULL|2", "'A'|''|'1.00'|NULL|1", "'a '|''|'1.00'|NULL|1"};
    QTest::newRow("NULL is not empty text")
        << "VALUES (NULL, 'x', NULL, 'M1'), ('', 'x', NULL, 'M1'), (NULL, 'x', NULL, 'M1')"
        << QStringList{"NULL|'x'|NULL|'M1'|2", "''|'x'|NULL|'M1'|1"};
    QTest::newRow("every value is part of the combination")
        << "VALUES ('E1', 'D1', '5.00', NULL), ('E1', 'D2', '5.00', NULL), "
           "('E1', 'D1', '6.00', NULL), ('E1', 'D1', NULL, 'M1'), ('E1', 'D1', NULL, 'M2'), "
           "('E1', 'D1', '5.00', NULL)"
        << QStringList{"'E1'|'D1'|'5.00'|NULL|2", "'E1'|'D2'|'5.00'|NULL|1",
                       "'E1'|'D1'|'6.00'|NULL|1", "'E1'|'D1'|NULL|'M1'|1", "'E1'|'D1'|NULL|'M2'|1"};
    // The length is part of a value, so no two values run into each other.
    QTest::newRow("values do not spill into the next")
        << "VALUES ('ab', 'c', '', ''), ('a', 'bc', '', ''), ('ab', 'c', '', '')"
        << QStringList{"'ab'|'c'|''|''|2", "'a'|'bc'|''|''|1"};
    // Past 31 bytes a value's length takes more than one byte of the key.
    const QString longer = QString(40, 'x');
    QTest::newRow("long values") << "VALUES ('" + longer + "', '', '', ''), ('" + longer +
                                        "x', '', '', ''), ('" + longer + "', '', '', '')"
                                 << QStringList{"'" + longer + "'|''|''|''|2",
                                                "'" + longer + "x'|''|''|''|1"};
    QTest::newRow("a blob is not the text of its bytes")
        << "VALUES (X'61', '', '', ''), ('a', '', '', ''), (X'61', '', '', '')"
        << QStringList{"X'61'|''|''|''|2", "'a'|''|''|''|1"};
    QTest::newRow("Unicode text kept as it came")
        << "VALUES ('Peña', 'Ünal', '', NULL), ('PEÑA', 'Ünal', '', NULL), ('Peña', 'Ünal', '', "
           "NULL)"
        << QStringList{"'Peña'|'Ünal'|''|NULL|2", "'PEÑA'|'Ünal'|''|NULL|1"};
    QTest::newRow("no rows, no combinations")
        << "SELECT 'a', 'b', 'c', 'd' WHERE 0" << QStringList{};
}

void tst_GroupTally::countsEachCombinationOnce()
{
    QFETCH(QString, rows);
    QFETCH(QStringList, expected);
    TestEnvironment env;
    QCOMPARE(tallied(env, rows), expected);
}

// Far more combinations than the table first has room for, each met three times.
void tst_GroupTally::countsPastTheFirstTableSize()
{
    TestEnvironment env;
    const QStringList rows =
        tallied(env, "WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                     "WHERE i < 29999) SELECT 'E' || (i % 10000), '', '50.00', NULL FROM n");
    QCOMPARE(rows.size(), 10000);
    QCOMPARE(rows.first(), QString("'E0'|''|'50.00'|NULL|3"));
    QCOMPARE(rows.last(), QString("'E9999'|''|'50.00'|NULL|3"));
    for (const QString& row : rows)
        QVERIFY2(row.endsWith("|3"), qPrintable(row));
}

void tst_GroupTally::refusesWhatItCannotCountOrRead_data()
{
    const QString numbers = "talo_tally counts texts, blobs and NULLs, not numbers.";
    const QString notATally = "talo_tally_rows reads what talo_tally returns.";
    const QString tally = "(SELECT talo_tally('a', 'b', 'c', 'd'))";
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QString>("message");
    QTest::newRow("an integer") << "SELECT talo_tally(1, '', '', '')" << numbers;
    QTest::newRow("a real") << "SELECT talo_tally('', '', 5.5, '')" << numbers;
    QTest::newRow("text") << "SELECT * FROM talo_tally_rows('talo_tally')" << notATally;
    QTest::newRow("NULL") << "SELECT * FROM talo_tally_rows(NULL)" << notATally;
    QTest::newRow("another blob") << "SELECT * FROM talo_tally_rows(X'0011223344')" << notATally;
    QTest::newRow("a tally cut short")
        << "SELECT * FROM talo_tally_rows(substr(" + tally + ", 1, length(" + tally + ") - 1))"
        << notATally;
    QTest::newRow("a tally with more after it")
        << "SELECT * FROM talo_tally_rows(CAST(" + tally + " || X'01' AS BLOB))" << notATally;
}

void tst_GroupTally::refusesWhatItCannotCountOrRead()
{
    QFETCH(QString, sql);
    QFETCH(QString, message);
    TestEnvironment env;
    QVERIFY2(refusal(env, sql).contains(message), qPrintable(refusal(env, sql)));
}

QTEST_MAIN(tst_GroupTally)
#include "tst_GroupTally.moc"
