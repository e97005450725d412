#include "NumericDateFormat.h"

#include <cstring>
#include <initializer_list>

namespace {

bool isLetter(QChar c)
{
    return (c >= QLatin1Char('a') && c <= QLatin1Char('z')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('Z'));
}

bool hasOddBlank(const QByteArray& utf8)
{
    return utf8.contains("\xE2\x80\xAF") || utf8.contains("\xC2\xA0");
}

} // namespace

std::optional<NumericDateFormat> NumericDateFormat::parse(const QString& format,
                                                          const QLocale& locale, const char* fields)
{
    if (locale.zeroDigit() != QLatin1String("0"))
        return std::nullopt;
    NumericDateFormat out;
    out.m_amUpper = locale.amText().toUpper();
    out.m_amLower = locale.amText().toLower();
    out.m_pmUpper = locale.pmText().toUpper();
    out.m_pmLower = locale.pmText().toLower();
    out.m_amUpperUtf8 = out.m_amUpper.toUtf8();
    out.m_amLowerUtf8 = out.m_amLower.toUtf8();
    out.m_pmUpperUtf8 = out.m_pmUpper.toUtf8();
    out.m_pmLowerUtf8 = out.m_pmLower.toUtf8();
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
            out.m_pieces.append(Piece{field, 1, {}, {}});
            i += withP ? 2 : 1;
            continue;
        }
        const bool year = field == 'y';
        if (year ? (run != 2 && run != 4) : run > 2)
            return std::nullopt;
        out.m_pieces.append(Piece{field, int(run), {}, {}});
        i += run;
    }
    for (Piece& piece : out.m_pieces)
        piece.literalUtf8 = piece.literal.toUtf8();
    out.m_oddBlanks = hasOddBlank(out.m_amUpperUtf8) || hasOddBlank(out.m_amLowerUtf8) ||
                      hasOddBlank(out.m_pmUpperUtf8) || hasOddBlank(out.m_pmLowerUtf8);
    for (const Piece& piece : out.m_pieces)
        out.m_oddBlanks = out.m_oddBlanks || hasOddBlank(piece.literalUtf8);
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

namespace {

// `value` in decimal, zero-padded to a field's width (a width of 1 is not padded),
// digit by digit: a number text and its padding would be two strings made for every
// field of every value.
void put(QString& out, char c)
{
    out.append(QLatin1Char(c));
}

void put(std::string& out, char c)
{
    out.push_back(c);
}

void put(std::string& out, const QByteArray& text)
{
    out.append(text.constData(), size_t(text.size()));
}

template <class Out> void appendPadded(Out& out, int width, int value)
{
    char digits[12];
    int count = 0;
    do {
        digits[count++] = char('0' + value % 10);
        value /= 10;
    } while (value > 0 && count < 12);
    for (int pad = width == 1 ? 0 : width - count; pad > 0; --pad)
        put(out, '0');
    while (count > 0)
        put(out, digits[--count]);
}

} // namespace

void NumericDateFormat::append(QString& out, const Piece& piece, int value) const
{
    appendPadded(out, piece.width, value);
}

QString NumericDateFormat::date(const QDate& day) const
{
    Fields fields;
    day.getDate(&fields.year, &fields.month, &fields.day);
    return write(fields);
}

QString NumericDateFormat::time(const QTime& time) const
{
    Fields fields;
    fields.hour = time.hour();
    fields.minute = time.minute();
    fields.second = time.second();
    return write(fields);
}

// A date format holds only date fields and a time format only time fields (see parse).
QString NumericDateFormat::write(const Fields& fields) const
{
    QString out;
    out.reserve(16);
    for (const Piece& piece : m_pieces) {
        if (piece.field == 0)
            out += piece.literal;
        else if (piece.field == 'A')
            out += fields.hour < 12 ? m_amUpper : m_pmUpper;
        else if (piece.field == 'a')
            out += fields.hour < 12 ? m_amLower : m_pmLower;
        else
            append(out, piece, fieldValue(piece, fields));
    }
    return out;
}

void NumericDateFormat::appendUtf8(std::string& out, int year, int month, int day, int hour,
                                   int minute, int second) const
{
    writeUtf8(out, Fields{year, month, day, hour, minute, second});
}

void NumericDateFormat::writeUtf8(std::string& out, const Fields& fields) const
{
    for (const Piece& piece : m_pieces) {
        if (piece.field == 0) {
            put(out, piece.literalUtf8);
        } else if (piece.field == 'A') {
            put(out, fields.hour < 12 ? m_amUpperUtf8 : m_pmUpperUtf8);
        } else if (piece.field == 'a') {
            put(out, fields.hour < 12 ? m_amLowerUtf8 : m_pmLowerUtf8);
        } else {
            appendPadded(out, piece.width, fieldValue(piece, fields));
        }
    }
}

int NumericDateFormat::fieldValue(const Piece& piece, const Fields& fields) const
{
    switch (piece.field) {
    case 'd':
        return fields.day;
    case 'M':
        return fields.month;
    case 'y':
        return piece.width == 2 ? fields.year % 100 : fields.year;
    case 'h':
        return m_twelveHour ? (fields.hour % 12 == 0 ? 12 : fields.hour % 12) : fields.hour;
    case 'H':
        return fields.hour;
    case 'm':
        return fields.minute;
    default:
        return fields.second;
    }
}
