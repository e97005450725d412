#include "HistoryCsv.h"

#include "data/CsvWriter.h"
#include "data/DbError.h"

#include <QFile>

qint64 HistoryCsv::write(QFile& file, KeysetPager pager)
{
    CsvWriter csv(file);
    const auto failed = [&file] {
        return DbError(0, QStringLiteral("Could not write ") + file.fileName() +
                              QStringLiteral(": ") + file.errorString());
    };
    qint64 written = 0;
    bool header = true;
    while (!pager.atEnd()) {
        const Recordset page = pager.next();
        if (header && !csv.writeRow(page.fieldNames()))
            throw failed();
        header = false;
        for (const Recordset::Row& row : page.rows()) {
            if (!csv.writeRow(row))
                throw failed();
            ++written;
        }
    }
    return written;
}
