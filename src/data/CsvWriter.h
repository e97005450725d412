#pragma once

#include <QString>
#include <QStringList>

class QIODevice;

// Writes rows as CSV text that spreadsheets and scripts read back exactly (RFC 4180):
// UTF-8 after a byte-order mark (without it a spreadsheet reads "Peña" in the
// workstation's code page), fields separated by commas, lines ended by CR LF, and a
// field quoted when it holds a comma, a double quote, a line break or an outer blank (a
// quote inside is doubled). The first row written is, by convention, the header row.
class CsvWriter
{
public:
    explicit CsvWriter(QIODevice& device) : m_device(device) {}

    // False when the device refused the bytes (disk full, file closed); the rows
    // written before stay.
    bool writeRow(const QStringList& fields);

    // One field as it appears in the file.
    static QString field(const QString& text);
    // One row as it appears in the file, with its CR LF.
    static QString line(const QStringList& fields);

private:
    QIODevice& m_device;
    bool m_started = false;
};
