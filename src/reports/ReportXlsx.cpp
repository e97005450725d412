#include "ReportXlsx.h"

#include <QStringList>
#include <xlsxwriter.h>

bool ReportXlsx::write(const QString& path, const ReportHeader& header, const ReportTable& table,
                       QString& error)
{
    const QByteArray file = path.toLocal8Bit();
    lxw_workbook* workbook = workbook_new(file.constData());
    if (!workbook) {
        error = QStringLiteral("the workbook could not be created");
        return false;
    }
    lxw_worksheet* sheet = workbook_add_worksheet(workbook, "Report");
    lxw_format* bold = workbook_add_format(workbook);
    format_set_bold(bold);
    lxw_format* money = workbook_add_format(workbook);
    format_set_num_format(money, "0.00");
    lxw_format* boldMoney = workbook_add_format(workbook);
    format_set_bold(boldMoney);
    format_set_num_format(boldMoney, "0.00");

    const QStringList heading{header.hospital, header.title, header.period, header.printedLine()};
    lxw_row_t row = 0;
    for (; row < lxw_row_t(heading.size()); ++row)
        worksheet_write_string(sheet, row, 0, heading.at(int(row)).toUtf8().constData(),
                               row < 2 ? bold : nullptr);
    ++row;
    for (int c = 0; c < table.headers().size(); ++c)
        worksheet_write_string(sheet, row, lxw_col_t(c), table.headers().at(c).toUtf8().constData(),
                               bold);
    ++row;
    // The cost column is the last number column; the others count meals.
    const int costColumn = table.numberColumns().isEmpty() ? -1 : table.numberColumns().last();
    for (const ReportTable::Line& line : table.lines()) {
        const bool strong = line.kind != ReportTable::LineKind::Detail;
        for (int c = 0; c < line.cells.size(); ++c) {
            const QString& cell = line.cells.at(c);
            if (table.numberColumns().contains(c) && !cell.isEmpty()) {
                lxw_format* format =
                    c == costColumn ? (strong ? boldMoney : money) : (strong ? bold : nullptr);
                worksheet_write_number(sheet, row, lxw_col_t(c), cell.toDouble(), format);
            } else if (!cell.isEmpty()) {
                worksheet_write_string(sheet, row, lxw_col_t(c), cell.toUtf8().constData(),
                                       strong ? bold : nullptr);
            }
        }
        ++row;
    }
    worksheet_set_column(sheet, 0, lxw_col_t(table.headers().size()), 18, nullptr);
    const lxw_error result = workbook_close(workbook);
    if (result != LXW_NO_ERROR) {
        error = QString::fromUtf8(lxw_strerror(result));
        return false;
    }
    return true;
}
