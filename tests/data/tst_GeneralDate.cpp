#include "data/GeneralDate.h"

#include <QTest>

class tst_GeneralDate : public QObject
{
    Q_OBJECT

private:
    const QLocale us{QLocale::English, QLocale::UnitedStates};

private slots:
    void toText_data()
    {
        QTest::addColumn<QDateTime>("value");
        QTest::addColumn<QString>("text");
        const QDate day(2026, 12, 8);
        QTest::newRow("morning") << QDateTime(day, QTime(3, 14, 31)) << "12/8/2026 3:14:31 AM";
        QTest::newRow("evening") << QDateTime(day, QTime(23, 0, 5)) << "12/8/2026 11:00:05 PM";
        QTest::newRow("noon") << QDateTime(day, QTime(12, 0)) << "12/8/2026 12:00:00 PM";
        QTest::newRow("midnight leaves time out") << QDateTime(day, QTime(0, 0)) << "12/8/2026";
        QTest::newRow("one second after midnight")
            << QDateTime(day, QTime(0, 0, 1)) << "12/8/2026 12:00:01 AM";
        QTest::newRow("millisecond is not midnight")
            << QDateTime(day, QTime(0, 0, 0, 1)) << "12/8/2026 12:00:00 AM";
        QTest::newRow("year widened in a two-digit format")
            << QDateTime(QDate(1999, 1, 2), QTime(9, 5, 7)) << "1/2/1999 9:05:07 AM";
    }

    void toText()
    {
        QFETCH(QDateTime, value);
        QFETCH(QString, text);
        QCOMPARE(GeneralDate::toText(value, us), text);
    }

    void otherLocalesKeepTheirOrderWithFourDigitYearAndNoZone()
    {
        const QDateTime value(QDate(2026, 12, 8), QTime(15, 14, 31), Qt::UTC);
        // German short dates have a two-digit year; no locale shows its zone name.
        QCOMPARE(GeneralDate::toText(value, QLocale(QLocale::German, QLocale::Germany)),
                 QStringLiteral("08.12.2026 15:14:31"));
        QCOMPARE(GeneralDate::toText(value, QLocale(QLocale::English, QLocale::UnitedKingdom)),
                 QStringLiteral("08/12/2026 15:14:31"));
        QCOMPARE(GeneralDate::toText(QDateTime(), us), QString());
    }

    // A stored date-time reads as the locale itself writes it, in locales with other
    // digits, AM/PM before the time, 24-hour clocks and quoted text in their formats.
    void storedTextIsWhatTheLocaleWrites_data()
    {
        QTest::addColumn<QLocale>("locale");
        for (const QLocale& locale :
             {us, QLocale(QLocale::German, QLocale::Germany),
              QLocale(QLocale::Filipino, QLocale::Philippines),
              QLocale(QLocale::Arabic, QLocale::Egypt),
              QLocale(QLocale::Korean, QLocale::SouthKorea),
              QLocale(QLocale::Chinese, QLocale::China),
              QLocale(QLocale::Bulgarian, QLocale::Bulgaria),
              QLocale(QLocale::Persian, QLocale::Iran), QLocale(QLocale::Hindi, QLocale::India)})
            QTest::newRow(qPrintable(locale.name())) << locale;
    }

    void storedTextIsWhatTheLocaleWrites()
    {
        QFETCH(QLocale, locale);
        for (const char* stored :
             {"2026-12-08 03:14:31", "2024-01-05 12:00:00", "2009-10-31 00:05:07",
              "1999-02-28 23:59:59", "2031-07-01 13:04:05"}) {
            const QDateTime value = QDateTime::fromString(QLatin1String(stored), Qt::ISODate);
            QString expected = locale.toString(value, GeneralDate::format(locale));
            expected.replace(QChar(0x202F), QLatin1Char(' '))
                .replace(QChar(0x00A0), QLatin1Char(' '));
            QCOMPARE(GeneralDate::storedToText(QLatin1String(stored), locale), expected);
            // The store's way, twice (the second is the value just written).
            QCOMPARE(GeneralDate::storedToUtf8(stored, locale).toByteArray(), expected.toUtf8());
            QCOMPARE(GeneralDate::storedToUtf8(stored, locale).toByteArray(), expected.toUtf8());
        }
        // Midnight is the date alone.
        for (const char* midnight : {"2026-12-08 00:00:00", "2026-12-08"}) {
            QCOMPARE(GeneralDate::storedToUtf8(midnight, locale).toByteArray(),
                     GeneralDate::storedToText(QLatin1String(midnight), locale).toUtf8());
        }
    }

    // The same stored text in another locale is that locale's, not the one written last;
    // what is not a stored date-time gives nothing.
    void storedUtf8FollowsTheLocaleAndRefusesOtherText()
    {
        const QLocale german(QLocale::German, QLocale::Germany);
        QCOMPARE(GeneralDate::storedToUtf8("2026-12-08 15:14:31", us).toByteArray(),
                 QByteArray("12/8/2026 3:14:31 PM"));
        QCOMPARE(GeneralDate::storedToUtf8("2026-12-08 15:14:31", german).toByteArray(),
                 QByteArray("08.12.2026 15:14:31"));
        QCOMPARE(GeneralDate::storedToUtf8("2026-12-08 15:14:31", us).toByteArray(),
                 QByteArray("12/8/2026 3:14:31 PM"));
        for (const char* other : {"2026-02-30 10:00:00", "2026-12-08 24:00:00",
                                  "2026-12-08T15:14:31", "12/8/2026", "2026-12-8 1:00:00", ""})
            QVERIFY(GeneralDate::storedToUtf8(other, us).isEmpty());
    }

    void fromTextReadsGeneralAndIsoText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDateTime>("value");
        const QDate day(2026, 12, 8);
        QTest::newRow("date and time")
            << "12/8/2026 3:14:31 AM" << QDateTime(day, QTime(3, 14, 31));
        QTest::newRow("afternoon") << "12/8/2026 3:14:31 PM" << QDateTime(day, QTime(15, 14, 31));
        QTest::newRow("date alone") << "12/8/2026" << QDateTime(day, QTime(0, 0));
        QTest::newRow("short time") << "12/8/2026 11:30 PM" << QDateTime(day, QTime(23, 30));
        QTest::newRow("surrounding blanks") << "  12/8/2026  " << QDateTime(day, QTime(0, 0));
        QTest::newRow("iso") << "2026-12-08 03:14:31" << QDateTime(day, QTime(3, 14, 31));
        QTest::newRow("iso with T") << "2026-12-08T03:14:31" << QDateTime(day, QTime(3, 14, 31));
        QTest::newRow("iso date") << "2026-12-08" << QDateTime(day, QTime(0, 0));
        QTest::newRow("iso milliseconds")
            << "2026-12-08 03:14:31.250" << QDateTime(day, QTime(3, 14, 31, 250));
        QTest::newRow("server fraction of seven digits")
            << "2026-12-08 03:14:31.1234567" << QDateTime(day, QTime(3, 14, 31, 123));
    }

    void fromTextReadsGeneralAndIsoText()
    {
        QFETCH(QString, text);
        QFETCH(QDateTime, value);
        const std::optional<QDateTime> read = GeneralDate::fromText(text, us);
        QVERIFY(read.has_value());
        QCOMPARE(*read, value);
    }

    void fromTextRefusesWhatIsNoDate()
    {
        for (const char* text : {"", "   ", "tomorrow", "13/45/2026", "2026-02-30", "12/8/2026 x"})
            QVERIFY2(!GeneralDate::fromText(QString::fromLatin1(text), us), text);
    }

    void roundTripInSeveralLocales()
    {
        const QDateTime value(QDate(2031, 2, 28), QTime(18, 7, 9));
        for (const QLocale& locale : {us, QLocale(QLocale::German, QLocale::Germany),
                                      QLocale(QLocale::English, QLocale::UnitedKingdom),
                                      QLocale(QLocale::Filipino, QLocale::Philippines)}) {
            const QString text = GeneralDate::toText(value, locale);
            const std::optional<QDateTime> back = GeneralDate::fromText(text, locale);
            QVERIFY2(back.has_value(), qPrintable(locale.name() + QLatin1Char(' ') + text));
            QCOMPARE(*back, value);
        }
    }
};

QTEST_MAIN(tst_GeneralDate)
#include "tst_GeneralDate.moc"
