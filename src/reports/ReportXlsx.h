#pragma once

#include "ReportHeader.h"
#include "ReportTable.h"

#include <QString>

// The report as an Excel workbook (libxlsxwriter): the header lines, the column
// headers, then every line with counts and costs as numbers (costs shown with two
// decimals), subtotals and the grand total in bold.
class ReportXlsx
{
public:
    // False when the file cannot be written; `error` then says why.
    static bool write(const QString& path, const ReportHeader& header, const ReportTable& table,
                      QString& error);
};
