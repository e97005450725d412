#include "ReportDocument.h"

#include <QAbstractTextDocumentLayout>
#include <QFile>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>
#include <algorithm>

namespace {

// Laid out for the device itself, so that a point is a point on paper.
void layOut(QTextDocument& document, QPagedPaintDevice& device, qreal width, const QString& html)
{
    document.documentLayout()->setPaintDevice(&device);
    document.setHtml(html);
    document.setTextWidth(width);
}

} // namespace

QString ReportDocument::headerHtml() const
{
    QString html = QStringLiteral("<html><body>");
    html += QStringLiteral("<h2 align=\"center\">%1</h2>").arg(m_header.hospital.toHtmlEscaped());
    html += QStringLiteral("<h3 align=\"center\">%1</h3>").arg(m_header.title.toHtmlEscaped());
    html += QStringLiteral("<p align=\"center\">%1<br/>%2</p>")
                .arg(m_header.period.toHtmlEscaped(), m_header.printedLine().toHtmlEscaped());
    return html + QStringLiteral("</body></html>");
}

QString ReportDocument::html(bool withTotal) const
{
    QString html = QStringLiteral("<html><body>");
    // The column headers are the table's header row: repeated on every page.
    html += QStringLiteral(
        "<table width=\"100%\" border=\"1\" cellspacing=\"0\" cellpadding=\"3\"><thead><tr>");
    for (const QString& header : m_table.headers())
        html += QStringLiteral("<th>%1</th>").arg(header.toHtmlEscaped());
    html += QStringLiteral("</tr></thead>");
    for (const ReportTable::Line& line : m_table.lines()) {
        if (!withTotal && line.kind == ReportTable::LineKind::Total)
            continue;
        const bool bold = line.kind != ReportTable::LineKind::Detail;
        html += QStringLiteral("<tr>");
        for (int c = 0; c < line.cells.size(); ++c) {
            const QString align = m_table.numberColumns().contains(c) ? QStringLiteral("right")
                                                                      : QStringLiteral("left");
            const QString text = m_table.shownCell(line, c).toHtmlEscaped();
            html += QStringLiteral("<td align=\"%1\">%2</td>")
                        .arg(align,
                             bold ? QStringLiteral("<b>") + text + QStringLiteral("</b>") : text);
        }
        html += QStringLiteral("</tr>");
    }
    html += QStringLiteral("</table></body></html>");
    return html;
}

void ReportDocument::print(QPagedPaintDevice& device) const
{
    QPainter painter(&device);
    // The page's printable area in device pixels; the painter starts at its corner.
    const QRectF page(0, 0, device.width(), device.height());
    QTextDocument header;
    layOut(header, device, page.width(), headerHtml());
    const qreal headerHeight = header.size().height();
    const QFont footerFont(QStringLiteral("Sans Serif"), 9);
    const qreal footerHeight = QFontMetricsF(footerFont, &device).height() * 2;

    // The table flows over pages of what is left between the header and the footer.
    QTextDocument body;
    layOut(body, device, page.width(), html());
    const QSizeF bodyPage(
        page.width(), tablePageHeight(device, body, page.height() - headerHeight - footerHeight));
    body.setPageSize(bodyPage);
    const int pages = body.pageCount();
    for (int index = 0; index < pages; ++index) {
        if (index > 0)
            device.newPage();
        header.drawContents(&painter);
        painter.save();
        painter.translate(0, headerHeight - index * bodyPage.height());
        body.drawContents(&painter, QRectF(QPointF(0, index * bodyPage.height()), bodyPage));
        painter.restore();
        painter.setFont(footerFont);
        painter.drawText(QRectF(0, page.height() - footerHeight, page.width(), footerHeight),
                         Qt::AlignHCenter | Qt::AlignBottom,
                         QStringLiteral("Page %1 of %2").arg(index + 1).arg(pages));
    }
}

qreal ReportDocument::tablePageHeight(QPagedPaintDevice& device, QTextDocument& body,
                                      qreal height) const
{
    // The body is laid out already, total included: only the table without it is laid out
    // again, and only when the total might stand alone.
    const qreal width = body.textWidth();
    const qreal whole = body.size().height();
    body.setPageSize(QSizeF(width, height));
    const int withTotal = body.pageCount();
    if (withTotal < 2)
        return height;
    QTextDocument lines;
    layOut(lines, device, width, html(false));
    const qreal linesHeight = lines.size().height();
    lines.setPageSize(QSizeF(width, height));
    if (lines.pageCount() == withTotal)
        return height;
    // Every page ends two lines earlier: the lines pushed on carry the last lines of the
    // table onto the total's page.
    const qreal totalRow = std::max<qreal>(whole - linesHeight, 1);
    return std::max(height - 2 * totalRow, height / 2);
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
    writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
    print(writer);
    return true;
}
