#include "server/UnicodeText.h"

#include <QTest>

// Names and keys compare the way the hospital's SQL Server does: without regard to
// case in every script, trailing blanks ignored, LIKE with its [..] classes.
class TestUnicodeText : public QObject
{
    Q_OBJECT

private slots:
    void comparesWithoutCaseInEveryScript()
    {
        QCOMPARE(UnicodeText::compare(u"Peña", u"PEÑA"), 0);
        QCOMPARE(UnicodeText::compare(u"muñoz", u"MUÑOZ"), 0);
        QCOMPARE(UnicodeText::compare(u"Dela Cruz  ", u"dela cruz"), 0);
        QVERIFY(UnicodeText::compare(u"Pena", u"Peña") != 0);
        QVERIFY(UnicodeText::compare(u"abc", u"ABD") < 0);
        QVERIFY(UnicodeText::compare(u"b", u"A") > 0);
        QVERIFY(UnicodeText::startsWith(u"PEÑALOSA", u"peñ"));
        QVERIFY(UnicodeText::contains(u"Arroz Caldo", u"CALD"));
        QVERIFY(!UnicodeText::contains(u"Arroz Caldo", u"cald%"));
    }

    void likePatterns_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<bool>("matches");
        QTest::newRow("prefix") << "Peña"
                                << "PE%" << true;
        QTest::newRow("non-ascii fold") << "PEÑA"
                                        << "peñ%" << true;
        QTest::newRow("contains") << "Chicken Adobo"
                                  << "%ADOBO%" << true;
        QTest::newRow("empty pattern only empty") << "x"
                                                  << "" << false;
        QTest::newRow("percent alone") << ""
                                       << "%" << true;
        QTest::newRow("underscore one char") << "Tan"
                                             << "T_n" << true;
        QTest::newRow("underscore needs a char") << "Tn"
                                                 << "T_n" << false;
        QTest::newRow("set") << "Bong"
                             << "[abc]ong" << true;
        QTest::newRow("range") << "Dizon"
                               << "[c-e]%" << true;
        QTest::newRow("negated set") << "Dizon"
                                     << "[^d]%" << false;
        QTest::newRow("bracketed percent is literal") << "50% off"
                                                      << "%50[%]%" << true;
        QTest::newRow("bracketed percent needs percent") << "500 off"
                                                         << "%50[%]%" << false;
        QTest::newRow("unclosed bracket is literal") << "a[b"
                                                     << "%[b" << true;
        QTest::newRow("quote") << "O'Neil"
                               << "o'%" << true;
        QTest::newRow("backtracking") << "aXbXc"
                                      << "%X_" << true;
        QTest::newRow("no match at end") << "abc"
                                         << "%b" << false;
    }

    void likePatterns()
    {
        QFETCH(QString, text);
        QFETCH(QString, pattern);
        QFETCH(bool, matches);
        QCOMPARE(UnicodeText::like(text, pattern), matches);
    }

    void likeWithEscape()
    {
        QVERIFY(UnicodeText::like(u"100%", u"100!%", QLatin1Char('!')));
        QVERIFY(!UnicodeText::like(u"1000", u"100!%", QLatin1Char('!')));
    }
};

QTEST_MAIN(TestUnicodeText)
#include "tst_unicodetext.moc"
