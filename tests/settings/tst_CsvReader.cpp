#include "settings/CsvReader.h"

#include <QTest>

using Records = QList<QStringList>;

class tst_CsvReader : public QObject
{
    Q_OBJECT

private slots:
    void readsRecords_data();
    void readsRecords();
    void malformedRecordsAreMarked_data();
    void malformedRecordsAreMarked();
    void detectsTheEncoding_data();
    void detectsTheEncoding();
};

void tst_CsvReader::readsRecords_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<Records>("records");
    QTest::addColumn<QList<int>>("lines");
    QTest::addColumn<QChar>("separator");

    QTest::newRow("plain commas") << QByteArray("a,b,c\n1,2,3\n")
                                  << Records{{"a", "b", "c"}, {"1", "2", "3"}} << QList<int>{1, 2}
                                  << QChar(',');
    QTest::newRow("semicolons, comma inside a field")
        << QByteArray("No;Name\n1;Cruz, Jr.\n") << Records{{"No", "Name"}, {"1", "Cruz, Jr."}}
        << QList<int>{1, 2} << QChar(';');
    QTest::newRow("quoted separator and doubled quotes")
        << QByteArray("a,b\n\"x, y\",\"say \"\"hi\"\"\"\n")
        << Records{{"a", "b"}, {"x, y", "say \"hi\""}} << QList<int>{1, 2} << QChar(',');
    QTest::newRow("line break inside quotes moves the next record's line")
        << QByteArray("a,b\r\n\"two\r\nlines\",x\r\n3,4\r\n")
        << Records{{"a", "b"}, {"two\r\nlines", "x"}, {"3", "4"}} << QList<int>{1, 2, 4}
        << QChar(',');
    QTest::newRow("blank lines skipped, no final line break")
        << QByteArray("a\n\n1\n\n2") << Records{{"a"}, {"1"}, {"2"}} << QList<int>{1, 3, 5}
        << QChar(',');
    QTest::newRow("empty fields kept, including a trailing one")
        << QByteArray("a,b,c\n,,\n1,,\n") << Records{{"a", "b", "c"}, {"", "", ""}, {"1", "", ""}}
        << QList<int>{1, 2, 3} << QChar(',');
    QTest::newRow("semicolon inside quotes does not decide the separator")
        << QByteArray("\"a;b;c\",d\n1,2\n") << Records{{"a;b;c", "d"}, {"1", "2"}}
        << QList<int>{1, 2} << QChar(',');
    QTest::newRow("empty file") << QByteArray() << Records{} << QList<int>{} << QChar(',');
}

void tst_CsvReader::readsRecords()
{
    QFETCH(QByteArray, file);
    QFETCH(Records, records);
    QFETCH(QList<int>, lines);
    QFETCH(QChar, separator);

    CsvReader reader;
    reader.parse(file);
    Records fields;
    QList<int> starts;
    for (const CsvReader::Record& record : reader.allRecords()) {
        fields.append(record.fields);
        starts.append(record.line);
        QVERIFY2(record.error.isEmpty(), qPrintable(record.error));
    }
    QCOMPARE(fields, records);
    QCOMPARE(starts, lines);
    QCOMPARE(reader.separator(), separator);
    QCOMPARE(reader.header(), records.isEmpty() ? QStringList() : records.first());
    QCOMPARE(reader.records().size(), std::max<qsizetype>(0, records.size() - 1));
}

void tst_CsvReader::malformedRecordsAreMarked_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<int>("badLine");
    QTest::addColumn<QString>("error");

    QTest::newRow("quote never closed") << QByteArray("a,b\n1,2\n3,\"open\n4,5\n") << 3
                                        << QStringLiteral("a quoted field is not closed");
    QTest::newRow("text after the closing quote")
        << QByteArray("a,b\n1,\"x\"y\n") << 2 << QStringLiteral("text after a closing quote");
    QTest::newRow("bare quote inside a field")
        << QByteArray("a,b\n1,2\n3,ab\"c\n") << 3
        << QStringLiteral("a quote inside an unquoted field");
}

void tst_CsvReader::malformedRecordsAreMarked()
{
    QFETCH(QByteArray, file);
    QFETCH(int, badLine);
    QFETCH(QString, error);

    CsvReader reader;
    reader.parse(file);
    QStringList errors;
    for (const CsvReader::Record& record : reader.allRecords())
        if (!record.error.isEmpty())
            errors.append(QString::number(record.line) + QLatin1Char(':') + record.error);
    QCOMPARE(errors, QStringList{QString::number(badLine) + QLatin1Char(':') + error});
}

void tst_CsvReader::detectsTheEncoding_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::addColumn<bool>("utf8");
    QTest::addColumn<QString>("name");

    QTest::newRow("UTF-8") << QByteArray("n\nPe\xC3\xB1"
                                         "a\n")
                           << true << QString::fromUtf8("Peña");
    QTest::newRow("UTF-8 with byte-order mark") << QByteArray("\xEF\xBB\xBFn\nPe\xC3\xB1"
                                                              "a\n")
                                                << true << QString::fromUtf8("Peña");
    QTest::newRow("Windows-1252") << QByteArray("n\nPe\xF1"
                                                "a\n")
                                  << false << QString::fromUtf8("Peña");
    QTest::newRow("Windows-1252 high range")
        << QByteArray("n\n\x80 \x8A\x9E \x93q\x94\n") << false << QString::fromUtf8("€ Šž “q”");
}

void tst_CsvReader::detectsTheEncoding()
{
    QFETCH(QByteArray, file);
    QFETCH(bool, utf8);
    QFETCH(QString, name);

    CsvReader reader;
    reader.parse(file);
    QCOMPARE(reader.encoding() == CsvReader::Encoding::Utf8, utf8);
    QCOMPARE(reader.header(), QStringList{"n"});
    QCOMPARE(reader.records().value(0).fields, QStringList{name});
}

QTEST_GUILESS_MAIN(tst_CsvReader)
#include "tst_CsvReader.moc"
