#pragma once

#ifdef TALODESK_PAINTED_CHART
#include "PaintedBarChart.h"
using ReportChartBase = PaintedBarChart;
#else
#include <QChartView>
using ReportChartBase = QChartView;
#endif

class ReportTable;

// The bar chart under the report's table: the meals of each first-level group (each
// employee in the payroll layout), at most MaxBars bars, the largest groups first when
// there are more.
class ReportChart : public ReportChartBase
{
    Q_OBJECT

public:
    static constexpr int MaxBars = 31;
    static constexpr int MinimumHeight = 220;
    static constexpr int MaximumHeight = 300;
    // What the bars keep of the height besides the upright names (plot, title, margins).
    static constexpr int PlotHeight = 150;

    explicit ReportChart(QWidget* parent = nullptr);
    // Shows `table`'s groups; hides itself when there is nothing to chart.
    void showTable(const ReportTable& table);
    // Each bar's tooltip, left to right: the group's whole name and its meals.
    const QStringList& barTips() const { return m_tips; }

protected:
#ifndef TALODESK_PAINTED_CHART
    // The whole name of the group whose bar is under the pointer.
    bool viewportEvent(QEvent* event) override;
#endif

private:
    QStringList m_tips;
};
