#pragma once

#include <QDate>
#include <QList>
#include <QLocale>
#include <QString>
#include <QTime>
#include <optional>

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

private:
    struct Piece
    {
        char field = 0; // 0: literal text
        int width = 0;
        QString literal;
    };

    static std::optional<NumericDateFormat> parse(const QString& format, const QLocale& locale,
                                                  const char* fields);
    void append(QString& out, const Piece& piece, int value) const;
    QString write(const QDate& day, const QTime& time) const;
    int fieldValue(const Piece& piece, const QDate& day, const QTime& time) const;

    QList<Piece> m_pieces;
    QString m_am;
    QString m_pm;
    bool m_twelveHour = false;
};
