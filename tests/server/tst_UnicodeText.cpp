#include "server/UnicodeText.h"

#include <QRandomGenerator>
#include <QTest>

// Names and keys compare the way the hospital's SQL Server does: without regard to
// case in every script, trailing blanks ignored, LIKE with its [..] classes.
class tst_UnicodeText : public QObject
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

    // The collation must be a total order over every text SQLite can hold, or an index
    // loses rows: checked on random texts built of byte-order marks, U+FFFF, invalid
    // UTF-8, combining marks, letters that fold to ASCII and blanks.
    void collationIsATotalOrder()
    {
        const QList<QByteArray> pieces = {"a",
                                          "A",
                                          "b",
                                          " ",
                                          "  ",
                                          "\xEF\xBB\xBF",
                                          "\xEF\xBF\xBF",
                                          "\xFF",
                                          "\x80",
                                          "\xC3",
                                          "\xC3\xA9",
                                          "\xC3\x89",
                                          "e\xCC\x81",
                                          "\xCC\x81",
                                          "\xE2\x84\xAA",
                                          "k",
                                          "\xED\xA0\x80",
                                          "\xF0\x9F\x98\x80",
                                          "\xF4\x8F\xBF\xBF",
                                          ",",
                                          "\xC3\x9F",
                                          "\xE1\xBA\x9E",
                                          "\xF5\x80"};
        QRandomGenerator random(13);
        QList<QByteArray> texts = {""};
        for (int i = 0; i < 400; ++i) {
            QByteArray text;
            for (int n = random.bounded(6); n > 0; --n)
                text += pieces.at(random.bounded(pieces.size()));
            texts << text;
        }
        const auto cmp = [](const QByteArray& a, const QByteArray& b) {
            const int c = UnicodeText::compareUtf8(a, b);
            return c < 0 ? -1 : (c > 0 ? 1 : 0);
        };
        // Insertion into a sorted list trusts nothing about the order; every pair is then
        // checked against the place each text got.
        QList<QByteArray> sorted;
        for (const QByteArray& text : texts) {
            qsizetype at = 0;
            while (at < sorted.size() && cmp(sorted.at(at), text) <= 0)
                ++at;
            sorted.insert(at, text);
        }
        QList<int> rank(sorted.size());
        for (qsizetype i = 1; i < sorted.size(); ++i)
            rank[i] = rank[i - 1] + (cmp(sorted.at(i - 1), sorted.at(i)) != 0 ? 1 : 0);
        for (qsizetype i = 0; i < sorted.size(); ++i) {
            for (qsizetype j = 0; j < sorted.size(); ++j) {
                const int expected = rank[i] < rank[j] ? -1 : (rank[i] > rank[j] ? 1 : 0);
                if (cmp(sorted.at(i), sorted.at(j)) != expected)
                    QFAIL(qPrintable(QString("%1 vs %2: %3, expected %4")
                                         .arg(sorted.at(i).toHex(' '), sorted.at(j).toHex(' '))
                                         .arg(cmp(sorted.at(i), sorted.at(j)))
                                         .arg(expected)));
            }
        }
        // The sort key orders as the collation does.
        for (qsizetype i = 0; i + 1 < sorted.size(); ++i) {
            const int keys =
                UnicodeText::sortKey(sorted.at(i)).compare(UnicodeText::sortKey(sorted.at(i + 1)));
            QCOMPARE(keys < 0 ? -1 : (keys > 0 ? 1 : 0), cmp(sorted.at(i), sorted.at(i + 1)));
        }
        // Equal means the same text up to case and trailing blanks.
        QCOMPARE(cmp("\xE2\x84\xAA"
                     "a  ",
                     "Ka"),
                 0);
        QVERIFY(cmp("\xEF\xBB\xBF"
                    "a",
                    "a") != 0);
        QVERIFY(cmp("\xFF", "\xFE") != 0);

        // Every text that begins with a prefix lies in [prefix, prefixEnd), and nothing
        // else does.
        for (int i = 0; i < 300; ++i) {
            const QByteArray prefix = texts.at(random.bounded(texts.size()));
            if (prefix.isValidUtf8() == false)
                continue;
            const QString shown = UnicodeText::fromUtf8(prefix);
            qsizetype kept = shown.size();
            while (kept > 0 && shown.at(kept - 1) == ' ')
                --kept;
            const auto end = UnicodeText::prefixEnd(prefix);
            QCOMPARE(end.has_value(), kept > 0);
            for (const QByteArray& text : texts) {
                const bool inRange = cmp(text, prefix) >= 0 && (!end || cmp(text, *end) < 0);
                // Every text begins with an empty prefix (a null text too).
                const bool begins = kept == 0 || UnicodeText::fromUtf8(text).startsWith(
                                                     shown.first(kept), Qt::CaseInsensitive);
                if (inRange != begins)
                    QFAIL(qPrintable(text.toHex(' ') + " and prefix " + prefix.toHex(' ')));
            }
        }
    }

    void storedTextKeepsEveryCharacter()
    {
        QCOMPARE(UnicodeText::fromUtf8("\xEF\xBB\xBF\xEF\xBB\xBF"
                                       "ab"),
                 u"\ufeff\ufeffab"_qs);
        QCOMPARE(UnicodeText::fromUtf8("a\xFF"), u"a\ufffd"_qs);
        QVERIFY(UnicodeText::hasInvisible(u"\ufeffB01"));
        QVERIFY(UnicodeText::hasInvisible(u"B\u200b01"));
        QVERIFY(!UnicodeText::hasInvisible(u"PE\u00d1A 01"));
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

QTEST_MAIN(tst_UnicodeText)
#include "tst_UnicodeText.moc"
