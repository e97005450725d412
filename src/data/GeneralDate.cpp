#include "GeneralDate.h"

#include "NumericDateFormat.h"
#include "PerThread.h"

#include <QStringList>
#include <string>
#include <string_view>

namespace {

// Locale formats may hold literal text between single quotes; pattern letters inside
// it must not be rewritten. Calls `letter` for each unquoted character and copies
// quoted runs unchanged.
template <typename Fn> QString rewriteUnquoted(const QString& format, Fn letter)
{
    QString out;
    bool quoted = false;
    for (int i = 0; i < format.size(); ++i) {
        const QChar c = format.at(i);
        if (c == QLatin1Char('\'')) {
            quoted = !quoted;
            out.append(c);
            continue;
        }
        if (quoted)
            out.append(c);
        else
            i = letter(format, i, out);
    }
    return out;
}

// Some locale data separate AM/PM with a narrow or non-breaking blank; the general
// date text everyone else reads (statements, screens) uses a plain blank.
QString plainBlanks(QString text)
{
    text.replace(QChar(0x202F), QLatin1Char(' '));
    text.replace(QChar(0x00A0), QLatin1Char(' '));
    return text;
}

// The short date with any year field widened to four digits: "M/d/yy" -> "M/d/yyyy".
QString shortDateFormat(const QLocale& locale)
{
    return rewriteUnquoted(locale.dateFormat(QLocale::ShortFormat),
                           [](const QString& f, int i, QString& out) {
                               if (f.at(i) != QLatin1Char('y')) {
                                   out.append(f.at(i));
                                   return i;
                               }
                               int end = i;
                               while (end + 1 < f.size() && f.at(end + 1) == QLatin1Char('y'))
                                   ++end;
                               out.append(QLatin1String("yyyy"));
                               return end;
                           });
}

// A time format without its time-zone field ("t", "tttt") and the blanks around it.
QString withoutZone(const QString& format)
{
    const QString stripped = rewriteUnquoted(format, [](const QString& f, int i, QString& out) {
        if (f.at(i) != QLatin1Char('t')) {
            out.append(f.at(i));
            return i;
        }
        int end = i;
        while (end + 1 < f.size() && f.at(end + 1) == QLatin1Char('t'))
            ++end;
        // The zone is separated by a blank; drop the blank on one side only.
        while (!out.isEmpty() && out.back().isSpace())
            out.chop(1);
        return end;
    });
    return plainBlanks(stripped).trimmed();
}

QString longTimeFormat(const QLocale& locale)
{
    return withoutZone(locale.timeFormat(QLocale::LongFormat));
}

// "yyyy-MM-dd HH:mm:ss" and "yyyy-MM-dd", the form the store keeps, read by position
// into year, month, day, hour, minute and second: parsing by format costs tens of
// microseconds, and a page of rows holds hundreds.
bool readStored(QByteArrayView text, int (&fields)[6])
{
    const auto number = [&text](int from, int count) {
        int value = 0;
        for (int i = from; i < from + count; ++i) {
            const char c = text.at(i);
            if (c < '0' || c > '9')
                return -1;
            value = value * 10 + (c - '0');
        }
        return value;
    };
    const bool withTime =
        text.size() == 19 && text.at(10) == ' ' && text.at(13) == ':' && text.at(16) == ':';
    if (!(withTime || text.size() == 10) || text.at(4) != '-' || text.at(7) != '-')
        return false;
    fields[0] = number(0, 4);
    fields[1] = number(5, 2);
    fields[2] = number(8, 2);
    for (int i = 0; i < 3; ++i)
        fields[3 + i] = withTime ? number(11 + 3 * i, 2) : 0;
    return QDate::isValid(fields[0], fields[1], fields[2]) &&
           QTime::isValid(fields[3], fields[4], fields[5]);
}

// The same read from a text; a character beyond Latin-1 is no digit and no separator.
bool readStored(const QString& text, QDate& date, QTime& time)
{
    if (text.size() != 10 && text.size() != 19)
        return false;
    int f[6];
    if (!readStored(QByteArrayView(text.toLatin1()), f))
        return false;
    date = QDate(f[0], f[1], f[2]);
    time = QTime(f[3], f[4], f[5]);
    return true;
}

std::optional<QDateTime> fromStoredIso(const QString& text)
{
    QDate date;
    QTime time;
    if (!readStored(text, date, time))
        return std::nullopt;
    return QDateTime(date, time);
}

std::optional<QDateTime> fromIso(const QString& text)
{
    if (auto stored = fromStoredIso(text))
        return stored;
    static const char* const formats[] = {
        "yyyy-MM-dd HH:mm:ss.zzz", "yyyy-MM-ddTHH:mm:ss.zzz", "yyyy-MM-dd HH:mm:ss",
        "yyyy-MM-ddTHH:mm:ss",     "yyyy-MM-dd HH:mm",        "yyyy-MM-dd",
    };
    for (const char* format : formats) {
        const QDateTime value = QDateTime::fromString(text, QLatin1String(format));
        if (value.isValid())
            return value;
    }
    // Servers may send more than three fractional digits (datetime2): keep milliseconds.
    const qsizetype dot = text.indexOf(QLatin1Char('.'));
    if (dot > 0 && text.size() - dot > 4)
        return fromIso(text.left(dot + 4));
    return std::nullopt;
}

// The rewritten formats of the last locale formats seen: a snapshot of many date-time
// values would otherwise rewrite them for every value. Keyed by the locale's own format
// texts, so a system locale with the user's custom formats is never mistaken for the
// same language's standard one.
// Also keyed by the locale's name, since the digits and the AM/PM texts the numeric
// formats write are the locale's own.
struct Formats
{
    QString name;
    QString shortDate;
    QString longTime;
    QString date;
    QString time;
    std::optional<NumericDateFormat> numericDate;
    std::optional<NumericDateFormat> numericTime;
    // Counts the rebuilds, so that what was written with the formats before is known
    // to be stale.
    quint64 generation = 0;
};

const Formats& formatsOf(const QLocale& locale)
{
    Formats& cache = perThread<Formats>();
    const QString shortDate = locale.dateFormat(QLocale::ShortFormat);
    const QString longTime = locale.timeFormat(QLocale::LongFormat);
    if (cache.date.isEmpty() || cache.shortDate != shortDate || cache.longTime != longTime ||
        cache.name != locale.name()) {
        const QString date = shortDateFormat(locale);
        const QString time = longTimeFormat(locale);
        cache = Formats{locale.name(),
                        shortDate,
                        longTime,
                        date,
                        time,
                        NumericDateFormat::compileDate(date, locale),
                        NumericDateFormat::compileTime(time, locale),
                        cache.generation + 1};
    }
    return cache;
}

QString dayAndTimeText(const QDate& day, const QTime& time, const QLocale& locale)
{
    const Formats& formats = formatsOf(locale);
    const QString date = plainBlanks(formats.numericDate ? formats.numericDate->date(day)
                                                         : locale.toString(day, formats.date));
    if (time == QTime(0, 0))
        return date;
    return date + QLatin1Char(' ') +
           plainBlanks(formats.numericTime ? formats.numericTime->time(time)
                                           : locale.toString(time, formats.time));
}

} // namespace

namespace GeneralDate {

QString toText(const QDateTime& value, const QLocale& locale)
{
    if (!value.isValid())
        return {};
    return dayAndTimeText(value.date(), value.time(), locale);
}

QString storedToText(const QString& iso, const QLocale& locale)
{
    QDate date;
    QTime time;
    if (!readStored(iso, date, time))
        return {};
    // A date and a time of day: no QDateTime, whose local time costs a time-zone look-up
    // for every value.
    return dayAndTimeText(date, time, locale);
}

namespace {

// The formats read for the last stamp on this thread: a statement's values share them.
const Formats& formatsFor(quint64 stamp)
{
    thread_local quint64 last = 0;
    thread_local const Formats* formats = nullptr;
    if (!formats || stamp != last) {
        formats = &formatsOf(QLocale());
        last = stamp;
    }
    return *formats;
}

// `locale` null: the default one.
QByteArrayView writeStored(QByteArrayView iso, const int (&f)[6], const Formats& formats,
                           const QLocale* locale)
{
    // One buffer per thread for the text written and the stored text it was written
    // from: a row's date-times are often the same one (served and recorded at once), and
    // the rows of a page are in date order. Nothing is allocated once both have room.
    struct LastWritten
    {
        std::string iso;
        quint64 generation = 0;
        std::string text;
    };
    LastWritten& last = perThread<LastWritten>();
    const auto written = [&last] { return QByteArrayView(last.text.data(), last.text.size()); };
    if (last.generation == formats.generation &&
        std::string_view(last.iso) == std::string_view(iso.data(), size_t(iso.size())))
        return written();
    last.generation = 0;
    last.text.clear();
    if (formats.numericDate && formats.numericTime && !formats.numericDate->writesOddBlanks() &&
        !formats.numericTime->writesOddBlanks()) {
        formats.numericDate->appendUtf8(last.text, f[0], f[1], f[2], f[3], f[4], f[5]);
        if (f[3] != 0 || f[4] != 0 || f[5] != 0) {
            last.text.push_back(' ');
            formats.numericTime->appendUtf8(last.text, f[0], f[1], f[2], f[3], f[4], f[5]);
        }
    } else {
        // The odd blanks some locales write are made plain the slow way.
        last.text = dayAndTimeText(QDate(f[0], f[1], f[2]), QTime(f[3], f[4], f[5]),
                                   locale ? *locale : QLocale())
                        .toStdString();
    }
    last.iso.assign(iso.data(), size_t(iso.size()));
    last.generation = formats.generation;
    return written();
}

} // namespace

QByteArrayView storedToUtf8(QByteArrayView iso, const QLocale& locale)
{
    int f[6];
    if (!readStored(iso, f))
        return {};
    return writeStored(iso, f, formatsOf(locale), &locale);
}

QByteArrayView storedToUtf8(QByteArrayView iso, quint64 stamp)
{
    int f[6];
    if (!readStored(iso, f))
        return {};
    return writeStored(iso, f, formatsFor(stamp), nullptr);
}

QString format(const QLocale& locale)
{
    const Formats& formats = formatsOf(locale);
    return formats.date + QLatin1Char(' ') + formats.time;
}

QString dayFormat(const QLocale& locale)
{
    return formatsOf(locale).date;
}

std::optional<QDateTime> fromText(const QString& text, const QLocale& locale)
{
    const QString input = plainBlanks(text).simplified();
    if (input.isEmpty())
        return std::nullopt;
    if (auto iso = fromIso(input))
        return iso;

    const QString date = shortDateFormat(locale);
    const QStringList times = {longTimeFormat(locale),
                               withoutZone(locale.timeFormat(QLocale::ShortFormat))};
    for (const QString& time : times) {
        const QDateTime value = locale.toDateTime(input, date + QLatin1Char(' ') + time);
        if (value.isValid())
            return value;
    }
    const QDate day = locale.toDate(input, date);
    if (day.isValid())
        return QDateTime(day, QTime(0, 0));
    return std::nullopt;
}

} // namespace GeneralDate
