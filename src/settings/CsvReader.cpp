#include "CsvReader.h"

#include <QStringDecoder>

namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; the five unused bytes there map
// to the C1 control of the same value, as Windows itself does.
constexpr char16_t cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

QString fromWindows1252(const QByteArray& bytes)
{
    QString text(bytes.size(), Qt::Uninitialized);
    QChar* out = text.data();
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        *out++ = (byte >= 0x80 && byte < 0xA0) ? QChar(cp1252High[byte - 0x80]) : QChar(byte);
    }
    return text;
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r');
}

// The position after the line break at `at` (CR, LF or CR LF); `at` itself at the end.
qsizetype skipLineBreak(const QChar* data, qsizetype size, qsizetype at)
{
    if (at < size && data[at] == QLatin1Char('\r') && at + 1 < size &&
        data[at + 1] == QLatin1Char('\n'))
        ++at;
    return at < size ? at + 1 : at;
}

} // namespace

QString CsvReader::decode(const QByteArray& bytes, Encoding* used)
{
    QByteArray body = bytes;
    if (body.startsWith("\xEF\xBB\xBF"))
        body.remove(0, 3);
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8.decode(body);
    if (!utf8.hasError()) {
        if (used)
            *used = Encoding::Utf8;
        return text;
    }
    if (used)
        *used = Encoding::Windows1252;
    return fromWindows1252(bytes);
}

QChar CsvReader::detectSeparator(const QString& text)
{
    int commas = 0;
    int semicolons = 0;
    bool quoted = false;
    for (const QChar c : text) {
        if (c == QLatin1Char('"'))
            quoted = !quoted;
        else if (!quoted && isLineBreak(c))
            break;
        else if (!quoted && c == QLatin1Char(','))
            ++commas;
        else if (!quoted && c == QLatin1Char(';'))
            ++semicolons;
    }
    return semicolons > commas ? QLatin1Char(';') : QLatin1Char(',');
}

void CsvReader::parse(const QByteArray& bytes)
{
    m_records.clear();
    const QString text = decode(bytes, &m_encoding);
    m_separator = detectSeparator(text);

    const qsizetype size = text.size();
    const QChar* data = text.constData();
    int line = 1;
    qsizetype i = 0;
    while (i < size) {
        // A blank line is no record.
        if (isLineBreak(data[i])) {
            if (data[i] == QLatin1Char('\r') && i + 1 < size && data[i + 1] == QLatin1Char('\n'))
                ++i;
            ++i;
            ++line;
            continue;
        }
        Record record;
        record.line = line;
        QString field;
        bool endOfRecord = false;
        while (!endOfRecord) {
            field.clear();
            if (i < size && data[i] == QLatin1Char('"')) {
                ++i;
                const qsizetype quoteStart = i;
                const int quoteLine = line;
                bool closed = false;
                while (i < size) {
                    const QChar c = data[i++];
                    if (c == QLatin1Char('"')) {
                        if (i < size && data[i] == QLatin1Char('"')) {
                            field += c;
                            ++i;
                            continue;
                        }
                        closed = true;
                        break;
                    }
                    if (c == QLatin1Char('\n') ||
                        (c == QLatin1Char('\r') && !(i < size && data[i] == QLatin1Char('\n'))))
                        ++line;
                    field += c;
                }
                if (!closed) {
                    // A quote left open runs to the end of the file: only the line it
                    // opens on is lost, and reading starts again on the next line.
                    qsizetype end = quoteStart;
                    while (end < size && !isLineBreak(data[end]))
                        ++end;
                    record.fields.append(text.mid(quoteStart, end - quoteStart));
                    record.error = QStringLiteral("a quoted field is not closed");
                    i = skipLineBreak(data, size, end);
                    line = quoteLine + 1;
                    break;
                }
                // Anything between the closing quote and the next separator is kept, but
                // the record is malformed.
                while (i < size && data[i] != m_separator && !isLineBreak(data[i])) {
                    if (record.error.isEmpty())
                        record.error = QStringLiteral("text after a closing quote");
                    field += data[i++];
                }
            } else {
                const qsizetype start = i;
                while (i < size && data[i] != m_separator && !isLineBreak(data[i]))
                    ++i;
                field = text.mid(start, i - start);
                if (field.contains(QLatin1Char('"')) && record.error.isEmpty())
                    record.error = QStringLiteral("a quote inside an unquoted field");
            }
            record.fields.append(field);
            if (i < size && data[i] == m_separator) {
                ++i;
                continue;
            }
            endOfRecord = true;
            if (i < size) { // a line break
                i = skipLineBreak(data, size, i);
                ++line;
            }
        }
        m_records.append(record);
    }
}

QStringList CsvReader::header() const
{
    return m_records.isEmpty() ? QStringList() : m_records.first().fields;
}

QList<CsvReader::Record> CsvReader::records() const
{
    return m_records.mid(1);
}
