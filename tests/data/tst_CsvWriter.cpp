#include "data/CsvWriter.h"

#include <QBuffer>
#include <QTest>

// CSV as RFC 4180 has it, read back by spreadsheets: quoting only where needed,
// quotes doubled, CR LF after every row, UTF-8.
class tst_CsvWriter : public QObject
{
    Q_OBJECT

private slots:
    void fieldQuoting_data();
    void fieldQuoting();
    void rowsAreUtf8WithCrLf();
    void refusedWriteIsReported();
};

void tst_CsvWriter::fieldQuoting_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("written");
    QTest::newRow("plain") << "Fish fillet"
                           << "Fish fillet";
    QTest::newRow("empty") << ""
                           << "";
    QTest::newRow("comma") << "Smith, John"
                           << "\"Smith, John\"";
    QTest::newRow("quote") << "say \"hi\""
                           << "\"say \"\"hi\"\"\"";
    QTest::newRow("only a quote") << "\""
                                  << "\"\"\"\"";
    QTest::newRow("line feed") << "one\ntwo"
                               << "\"one\ntwo\"";
    QTest::newRow("carriage return") << "one\r\ntwo"
                                     << "\"one\r\ntwo\"";
    QTest::newRow("outer blank") << " padded"
                                 << "\" padded\"";
    QTest::newRow("inner blank") << "a b"
                                 << "a b";
    QTest::newRow("non-ASCII") << "Peña, José"
                               << "\"Peña, José\"";
    QTest::newRow("semicolon stays plain") << "a;b"
                                           << "a;b";
}

void tst_CsvWriter::fieldQuoting()
{
    QFETCH(QString, text);
    QFETCH(QString, written);
    QCOMPARE(CsvWriter::field(text), written);
}

void tst_CsvWriter::rowsAreUtf8WithCrLf()
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CsvWriter csv(buffer);
    QVERIFY(csv.writeRow({"NAME", "REMARKS"}));
    QVERIFY(csv.writeRow({"Muñoz, Ana", "two\nlines"}));
    QVERIFY(csv.writeRow({"", ""}));
    // The byte-order mark first, once: spreadsheets then read the file as UTF-8.
    QCOMPARE(buffer.data(), QByteArray("\xEF\xBB\xBF"
                                       "NAME,REMARKS\r\n"
                                       "\"Mu\xc3\xb1oz, Ana\",\"two\nlines\"\r\n"
                                       ",\r\n"));
}

void tst_CsvWriter::refusedWriteIsReported()
{
    QBuffer buffer;
    buffer.open(QIODevice::ReadOnly);
    CsvWriter csv(buffer);
    QVERIFY(!csv.writeRow({"a"}));
}

QTEST_GUILESS_MAIN(tst_CsvWriter)
#include "tst_CsvWriter.moc"
