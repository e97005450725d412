#include "NumericDateFormat.h"

#include <cstring>
#include <initializer_list>

namespace {

bool isLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

} // namespace

std::optional<NumericDateFormat> NumericDateFormat::parse(const QString& format,
                                                          const QLocale& locale, const char* fields)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return std::nullopt;
    NumericDateFormat out;
    out.m_am = locale.amText();
    out.m_pm = locale.pmText();
    const auto literal = [&out](const QString& text) {
        if (out.m_pieces.isEmpty() || out.m_pieces.last().field != 0)
            out.m_pieces.append(Piece{});
        out.m_pieces.last().literal += text;
    };
    for (qsizetype i = 0; i < format.size();) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            // Quoted text; two quotes in a row stand for one.
            const qsizetype close = format.indexOf(QLatin1Char('\''), i + 1);
            if (close < 0)
                return std::nullopt;
            literal(close == i + 1 ? QStringLiteral("'") : format.mid(i + 1, close - i - 1));
            i = close + 1;
            continue;
        }
        if (!isLetter(c)) {
            literal(QString(c));
            ++i;
            continue;
        }
        qsizetype run = 1;
        while (i + run < format.size() && format.at(i + run) == c)
            ++run;
        const char field = char(c.unicode());
        if (!std::strchr(fields, field))
            return std::nullopt;
        if (field == 'a' || field == 'A') {
            // "AP" and "ap" are the same field as "A" and "a".
            const bool withP =
                i + 1 < format.size() && format.at(i + 1) == QLatin1Char(field == 'A' ? 'P' : 'p');
            if (run > 1)
                return std::nullopt;
            out.m_twelveHour = true;
            out.m_pieces.append(Piece{field, 1, {}});
            i += withP ? 2 : 1;
            continue;
        }
        const bool year = field == 'y';
        if (year ? (run != 2 && run != 4) : run > 2)
            return std::nullopt;
        out.m_pieces.append(Piece{field, int(run), {}});
        i += run;
    }
    return out;
}

namespace {

// The compiled format when it writes every sample as the locale does.
template <typename Value>
std::optional<NumericDateFormat> verified(std::optional<NumericDateFormat> compiled,
                                          QString (NumericDateFormat::*write)(const Value&) const,
                                          std::initializer_list<Value> samples,
                                          const QString& format, const QLocale& locale)
{
    if (!compiled)
        return std::nullopt;
    for (const Value& sample : samples) {
        if (((*compiled).*write)(sample) != locale.toString(sample, format))
            return std::nullopt;
    }
    return compiled;
}

} // namespace

std::optional<NumericDateFormat> NumericDateFormat::compileDate(const QString& format,
                                                                const QLocale& locale)
{
    return verified<QDate>(parse(format, locale, "dMy"), &NumericDateFormat::date,
                           {QDate(2026, 12, 8), QDate(2024, 1, 5), QDate(2009, 10, 31),
                            QDate(1999, 2, 28), QDate(2100, 7, 1)},
                           format, locale);
}

std::optional<NumericDateFormat> NumericDateFormat::compileTime(const QString& format,
                                                                const QLocale& locale)
{
    return verified<QTime>(parse(format, locale, "hHmsaA"), &NumericDateFormat::time,
                           {QTime(0, 0), QTime(0, 5, 7), QTime(9, 8, 7), QTime(11, 59, 59),
                            QTime(12, 0), QTime(12, 34, 56), QTime(13, 4, 5), QTime(23, 59, 59)},
                           format, locale);
}

void NumericDateFormat::append(QString& out, const Piece& piece, int value) const
{
    if (piece.width >= 2 && value < 10 * (piece.width == 4 ? 100 : 1)) {
        const QString digits = QString::number(value);
        out += QString(piece.width - digits.size(), QLatin1Char('0')) + digits;
        return;
    }
    out += QString::number(value);
}

QString NumericDateFormat::date(const QDate& day) const
{
    return write(day, QTime());
}

QString NumericDateFormat::time(const QTime& time) const
{
    return write(QDate(), time);
}

// A date format holds only date fields and a time format only time fields (see parse).
QString NumericDateFormat::write(const QDate& day, const QTime& time) const
{
    QString out;
    out.reserve(12);
    for (const Piece& piece : m_pieces) {
        if (piece.field == 0)
            out += piece.literal;
        else if (piece.field == 'A')
            out += (time.hour() < 12 ? m_am : m_pm).toUpper();
        else if (piece.field == 'a')
            out += (time.hour() < 12 ? m_am : m_pm).toLower();
        else
            append(out, piece, fieldValue(piece, day, time));
    }
    return out;
}

int NumericDateFormat::fieldValue(const Piece& piece, const QDate& day, const QTime& time) const
{
    const int hour = time.hour();
    switch (piece.field) {
    case 'd':
        return day.day();
    case 'M':
        return day.month();
    case 'y':
        return piece.width == 2 ? day.year() % 100 : day.year();
    case 'h':
        return m_twelveHour ? (hour % 12 == 0 ? 12 : hour % 12) : hour;
    case 'H':
        return hour;
    case 'm':
        return time.minute();
    default:
        return time.second();
    }
}
