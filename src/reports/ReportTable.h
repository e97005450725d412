#pragma once

#include "ReportRequest.h"

#include <QList>
#include <QPair>
#include <QStringList>

class Recordset;

// The report laid out as the screen, the paper and the CSV file show it: a header row
// and lines of cells, detail lines followed by a subtotal after each first-level group
// (when there is a second level) and one grand total. The database has aggregated the
// meals; this only places the rows and adds the groups' rows up.
class ReportTable
{
public:
    enum class LineKind
    {
        Detail,
        Subtotal,
        Total
    };
    struct Line
    {
        LineKind kind = LineKind::Detail;
        QStringList cells;
    };

    ReportTable() = default;
    ReportTable(const ReportRequest& request, const Recordset& rows);

    const QStringList& headers() const { return m_headers; }
    const QList<Line>& lines() const { return m_lines; }
    // The columns holding numbers (right-aligned, numbers in a spreadsheet).
    const QList<int>& numberColumns() const { return m_numberColumns; }
    // Meals per first-level group (per employee in the payroll layout), for the chart: the
    // group's code (an employee's number, a department's code) and its whole name.
    struct Group
    {
        QString code;
        QString name;
        qint64 meals = 0;
    };
    const QList<Group>& groupMeals() const { return m_groupMeals; }
    qint64 meals() const { return m_meals; }
    qint64 cents() const { return m_cents; }
    // The report's title, from its layout.
    static QString title(ReportRequest::Layout layout);
    // "1234.50" from cents, and back (text the database sent; "" is 0).
    static QString money(qint64 cents);
    // A cell as the window and the paper show it: numbers with the workstation's
    // thousands separator ("1,234.50"); the CSV and the workbook keep the plain text.
    QString shownCell(const Line& line, int column) const;
    static QString grouped(const QString& plain);
    static qint64 cents(const QString& text);

private:
    void buildSummary(const ReportRequest& request, const Recordset& rows);
    void buildPayroll(const Recordset& rows);
    void buildRevoked(const Recordset& rows);
    // The marks of meals costed at today's price or without a cost.
    static QString note(qint64 pricedNow, qint64 noCost);

    QStringList m_headers;
    QList<Line> m_lines;
    QList<int> m_numberColumns;
    QList<Group> m_groupMeals;
    qint64 m_meals = 0;
    qint64 m_cents = 0;
    qint64 m_pricedNow = 0;
    qint64 m_noCost = 0;
};
