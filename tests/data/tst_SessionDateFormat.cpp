#include "data/GeneralDate.h"
#include "data/SessionDateFormat.h"

#include <QRegularExpression>
#include <QTest>

// The date order a SQL Server session is told after connecting must be the order in
// which this workstation writes the general date text it sends: the 8th of December
// read as the 12th of August would be stored without any error.
class tst_SessionDateFormat : public QObject
{
    Q_OBJECT

private slots:
    void orderFollowsTheLocalesShortDate_data()
    {
        QTest::addColumn<QLocale>("locale");
        QTest::addColumn<QString>("order");
        QTest::newRow("US") << QLocale(QLocale::English, QLocale::UnitedStates) << "mdy";
        QTest::newRow("British") << QLocale(QLocale::English, QLocale::UnitedKingdom) << "dmy";
        QTest::newRow("ISO-style (Swedish)") << QLocale(QLocale::Swedish, QLocale::Sweden) << "ymd";
        QTest::newRow("German") << QLocale(QLocale::German, QLocale::Germany) << "dmy";
    }

    void orderFollowsTheLocalesShortDate()
    {
        QFETCH(QLocale, locale);
        QFETCH(QString, order);
        QCOMPARE(SessionDateFormat::order(locale), order);
        QCOMPARE(SessionDateFormat::statement(locale), "SET DATEFORMAT " + order);

        // The date text the program sends under this locale, read in that order, is
        // the date that was meant.
        const QLocale previous;
        QLocale::setDefault(locale);
        const QString text = GeneralDate::toText(QDateTime(QDate(2026, 12, 8), QTime(9, 5, 0)));
        QLocale::setDefault(previous);
        auto numbers = QRegularExpression(QStringLiteral("\\d+")).globalMatch(text);
        QStringList fields;
        while (numbers.hasNext())
            fields << numbers.next().captured();
        QVERIFY2(fields.size() >= 3, qPrintable(text));
        QCOMPARE(fields.at(order.indexOf(QLatin1Char('d'))).toInt(), 8);
        QCOMPARE(fields.at(order.indexOf(QLatin1Char('m'))).toInt(), 12);
        QCOMPARE(fields.at(order.indexOf(QLatin1Char('y'))).toInt(), 2026);
    }
};

QTEST_GUILESS_MAIN(tst_SessionDateFormat)
#include "tst_SessionDateFormat.moc"
