#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

// Reads a CSV file as exported by HR and payroll systems (RFC 4180): fields separated by
// commas or semicolons, a field in double quotes may hold separators, doubled quotes and
// line breaks. The text is UTF-8 (with or without a byte-order mark) or, when it is not
// valid UTF-8, Windows-1252. Depends on Qt Core only.
class CsvReader
{
public:
    struct Record
    {
        int line = 0;       // physical line (1-based) on which the record starts
        QStringList fields; // as written, quotes removed
        QString error;      // why the record is malformed; empty when it is well formed
    };

    enum class Encoding
    {
        Utf8,
        Windows1252
    };

    // Parses the whole file. Blank lines are skipped; the first record is the header.
    void parse(const QByteArray& bytes);

    Encoding encoding() const { return m_encoding; }
    QChar separator() const { return m_separator; }
    // The header record's fields (empty when the file has no line at all).
    QStringList header() const;
    // Every record after the header.
    QList<Record> records() const;
    const QList<Record>& allRecords() const { return m_records; }

    // Bytes to text: UTF-8 when they are valid UTF-8, otherwise Windows-1252.
    static QString decode(const QByteArray& bytes, Encoding* used = nullptr);

private:
    // Comma or semicolon, whichever appears more often (outside quotes) on the first line.
    static QChar detectSeparator(const QString& text);

    QList<Record> m_records;
    Encoding m_encoding = Encoding::Utf8;
    QChar m_separator = QLatin1Char(',');
};
