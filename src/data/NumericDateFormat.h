#pragma once

#include <QByteArray>
#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QTime>
#include <optional>
#include <string>

// A date or time format of numeric fields and literal text only (d dd M MM yy yyyy,
// h hh H HH m mm s ss, AP A ap a, quoted text), written out by hand: QLocale reads its
// format anew for every value, and a page of history rows holds hundreds of values.
// `compile` gives nothing for any other format (names of days or months, time zones,
// fractions of a second), for a locale that writes other digits than 0-9, or when its
// output differs from the locale's on a set of sample values: the locale then writes
// every value itself.
class NumericDateFormat
{
public:
    static std::optional<NumericDateFormat> compileDate(const QString& format,
                                                        const QLocale& locale);
    static std::optional<NumericDateFormat> compileTime(const QString& format,
                                                        const QLocale& locale);

    QString date(const QDate& day) const;
    QString time(const QTime& time) const;

    // The same written as UTF-8 onto `out`, from the fields as numbers (a date format
    // reads the date's, a time format the time's): no QDate, no QTime and no string made
    // per value, for the store writes hundreds of dates a page.
    void appendUtf8(std::string& out, int year, int month, int day, int hour, int minute,
                    int second) const;
    // True when its text or AM/PM holds a narrow or non-breaking blank (U+202F, U+00A0),
    // which the general date text writes as a plain one.
    bool writesOddBlanks() const { return m_oddBlanks; }

private:
    struct Piece
    {
        char field = 0; // 0: literal text
        int width = 0;
        QString literal;
        QByteArray literalUtf8;
    };

    static std::optional<NumericDateFormat> parse(const QString& format, const QLocale& locale,
                                                  const char* fields);
    // The fields of one value, read from its date or time once: each of QDate's day,
    // month and year works the calendar out anew.
    struct Fields
    {
        int year = 0;
        int month = 0;
        int day = 0;
        int hour = 0;
        int minute = 0;
        int second = 0;
    };

    void append(QString& out, const Piece& piece, int value) const;
    QString write(const Fields& fields) const;
    void writeUtf8(std::string& out, const Fields& fields) const;
    int fieldValue(const Piece& piece, const Fields& fields) const;

    QList<Piece> m_pieces;
    // The locale's AM and PM texts as "A" and "a" write them.
    QString m_amUpper;
    QString m_amLower;
    QString m_pmUpper;
    QString m_pmLower;
    QByteArray m_amUpperUtf8;
    QByteArray m_amLowerUtf8;
    QByteArray m_pmUpperUtf8;
    QByteArray m_pmLowerUtf8;
    bool m_twelveHour = false;
    bool m_oddBlanks = false;
};
