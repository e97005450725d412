#pragma once

#include "ReportTable.h"

class QIODevice;

// The report's table as a CSV file for a spreadsheet: the column headers, then every
// line, subtotals and grand total included, numbers without thousands separators.
class ReportCsv
{
public:
    // False when the device refused the bytes.
    static bool write(QIODevice& device, const ReportTable& table);
};
