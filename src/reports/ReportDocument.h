#pragma once

#include "ReportHeader.h"
#include "ReportTable.h"

#include <QString>

class QPagedPaintDevice;
class QTextDocument;

// The report on paper: its header (hospital, title, period, who printed it and when) at
// the top of every page, the table with its subtotals and grand total flowing over the
// pages (its column headers repeated on each), and "Page n of N" at the foot of each.
// The same pages go to a printer, the print preview and a PDF file.
class ReportDocument
{
public:
    ReportDocument(const ReportHeader& header, const ReportTable& table)
        : m_header(header), m_table(table)
    {}

    // The header, and the table, as rich text.
    QString headerHtml() const;
    // `withTotal` false leaves the grand total out (to measure where it falls).
    QString html(bool withTotal = true) const;
    // Lays the document out on `device`'s pages and paints them, numbered.
    void print(QPagedPaintDevice& device) const;
    // False when the file cannot be written.
    bool writePdf(const QString& path) const;

private:
    // The pages' height for the table: the full height, or less when the grand total
    // would otherwise stand alone on the last page (a reader must see it with its lines).
    // `body` is the table laid out with its total and no page size yet.
    qreal tablePageHeight(QPagedPaintDevice& device, QTextDocument& body, qreal height) const;

    ReportHeader m_header;
    ReportTable m_table;
};
