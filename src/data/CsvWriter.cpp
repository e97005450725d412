#include "CsvWriter.h"

#include <QIODevice>

bool CsvWriter::writeRow(const QStringList& fields)
{
    QByteArray bytes = line(fields).toUtf8();
    if (!m_started)
        bytes.prepend("\xEF\xBB\xBF");
    m_started = true;
    return m_device.write(bytes) == bytes.size();
}

QString CsvWriter::field(const QString& text)
{
    // Outer blanks are quoted too: several readers trim them from an unquoted field.
    const bool quoted = text.contains(QLatin1Char(',')) || text.contains(QLatin1Char('"')) ||
                        text.contains(QLatin1Char('\n')) || text.contains(QLatin1Char('\r')) ||
                        text.startsWith(QLatin1Char(' ')) || text.endsWith(QLatin1Char(' '));
    if (!quoted)
        return text;
    QString out = text;
    out.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + out + QLatin1Char('"');
}

QString CsvWriter::line(const QStringList& fields)
{
    QStringList out;
    out.reserve(fields.size());
    for (const QString& text : fields)
        out << field(text);
    return out.join(QLatin1Char(',')) + QLatin1String("\r\n");
}
