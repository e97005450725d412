#include "ReportDocument.h"

#include <QFile>
#include <QPdfWriter>
#include <QTextDocument>

QString ReportDocument::html() const
{
    QString html = QStringLiteral("<html><body>");
    html += QStringLiteral("<h2 align=\"center\">%1</h2>").arg(m_header.hospital.toHtmlEscaped());
    html += QStringLiteral("<h3 align=\"center\">%1</h3>").arg(m_header.title.toHtmlEscaped());
    html += QStringLiteral("<p align=\"center\">%1<br/>%2</p>")
                .arg(m_header.period.toHtmlEscaped(), m_header.printedLine().toHtmlEscaped());
    html += QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><tr>");
    for (const QString& header : m_table.headers())
        html += QStringLiteral("<th>%1</th>").arg(header.toHtmlEscaped());
    html += QStringLiteral("</tr>");
    for (const ReportTable::Line& line : m_table.lines()) {
        const bool bold = line.kind != ReportTable::LineKind::Detail;
        html += QStringLiteral("<tr>");
        for (int c = 0; c < line.cells.size(); ++c) {
            const QString align = m_table.numberColumns().contains(c) ? QStringLiteral("right")
                                                                      : QStringLiteral("left");
            const QString text = line.cells.at(c).toHtmlEscaped();
            html += QStringLiteral("<td align=\"%1\">%2</td>")
                        .arg(align,
                             bold ? QStringLiteral("<b>") + text + QStringLiteral("</b>") : text);
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table></body></html>");
    return html;
}

void ReportDocument::fill(QTextDocument& document) const
{
    document.setHtml(html());
}

void ReportDocument::print(QPagedPaintDevice& device) const
{
    QTextDocument document;
    fill(document);
    // Without a page size of its own the document is laid out on the device's pages
    // and each page gets its number at the foot.
    document.print(&device);
}

bool ReportDocument::writePdf(const QString& path) const
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    QPdfWriter writer(&file);
    writer.setTitle(m_header.title);
    writer.setCreator(QStringLiteral("Talodesk"));
    writer.setPageSize(QPageSize(QPageSize::A4));
    print(writer);
    return true;
}
