#include "ReportCsv.h"

#include "data/CsvWriter.h"

bool ReportCsv::write(QIODevice& device, const ReportTable& table)
{
    CsvWriter writer(device);
    if (!writer.writeRow(table.headers()))
        return false;
    for (const ReportTable::Line& line : table.lines()) {
        if (!writer.writeRow(line.cells))
            return false;
    }
    return true;
}
