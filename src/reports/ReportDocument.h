#pragma once

#include "ReportHeader.h"
#include "ReportTable.h"

#include <QString>

class QPagedPaintDevice;
class QTextDocument;

// The report on paper: its header (hospital, title, period, who printed it and when),
// the table with its subtotals and grand total, and page numbers at the foot of each
// page. The same text goes to a printer, the print preview and a PDF file.
class ReportDocument
{
public:
    ReportDocument(const ReportHeader& header, const ReportTable& table)
        : m_header(header), m_table(table)
    {}

    QString html() const;
    // Lays the document out on `device`'s pages and paints them, numbered.
    void print(QPagedPaintDevice& device) const;
    // False when the file cannot be written.
    bool writePdf(const QString& path) const;

private:
    void fill(QTextDocument& document) const;

    ReportHeader m_header;
    ReportTable m_table;
};
