#include "data/SqlText.h"

#include <QTest>

// What a connection sends for a statement: SQL Server keeps a literal's characters
// beyond its code page only in an N'…' literal; everything else must go out unchanged.
class tst_SqlText : public QObject
{
    Q_OBJECT

private slots:
    // A procedure call's text: every value quoted, ", " between them, and the user code of
    // the designed saves after "," alone; a quote typed in a value stays inside it.
    void callQuotesEveryArgument_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("sent");
        QTest::newRow("no arguments") << QStringList() << QString() << QString("Station..P");
        QTest::newRow("values") << QStringList{"a", "", "O'Neil"} << QString()
                                << QString("Station..P 'a', '', 'O''Neil'");
        QTest::newRow("user after a bare comma")
            << QStringList{"M1", "1"} << QString("AD'M") << QString("Station..P 'M1', '1','AD''M'");
    }

    void callQuotesEveryArgument()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, user);
        QFETCH(QString, sent);
        const QString procedure = QStringLiteral("Station..P");
        QCOMPARE(user.isEmpty() ? SqlText::call(procedure, arguments)
                                : SqlText::callByUser(procedure, arguments, user),
                 sent);
    }

    void nationalPrefixesOnlyNonAsciiLiterals_data()
    {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("sent");
        const QString call = QStringLiteral("Station..Save_TALO_MealOnly ");
        QTest::newRow("plain text unchanged") << call + "'M1', 'Rice', '12.50', 'LUN', '1','ADMIN'"
                                              << call + "'M1', 'Rice', '12.50', 'LUN', '1','ADMIN'";
        QTest::newRow("only the non-ASCII literal")
            << call + "'M1', 'Café ''Peña''', '', '', '1','ADMIN'"
            << call + "'M1', N'Café ''Peña''', '', '', '1','ADMIN'";
        QTest::newRow("CJK and Greek")
            << QString("Select * from T where A = '名' and B like '%Ωμέγα%'")
            << QString("Select * from T where A = N'名' and B like N'%Ωμέγα%'");
        QTest::newRow("already national") << QString("x N'ñ', n'ñ'") << QString("x N'ñ', n'ñ'");
        QTest::newRow("N ending a word is no prefix")
            << QString("Select WHEN'ñ'") << QString("Select WHENN'ñ'");
        QTest::newRow("identifiers and comments untouched")
            << QString("Select [Año's] -- ñ 'x\nfrom \"Ñ'\" /* 'ñ' */ where a = 'ñ'")
            << QString("Select [Año's] -- ñ 'x\nfrom \"Ñ'\" /* 'ñ' */ where a = N'ñ'");
        QTest::newRow("unclosed literal left to the server")
            << QString("Select 'ñ") << QString("Select N'ñ");
    }

    void nationalPrefixesOnlyNonAsciiLiterals()
    {
        QFETCH(QString, sql);
        QFETCH(QString, sent);
        QCOMPARE(SqlText::national(sql), sent);
    }
};

QTEST_GUILESS_MAIN(tst_SqlText)
#include "tst_SqlText.moc"
