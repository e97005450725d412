#include "ReportChart.h"

#include "ChartScale.h"
#include "ReportTable.h"

#ifndef TALODESK_PAINTED_CHART
#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>
#endif
#include <algorithm>

ReportChart::ReportChart(QWidget* parent) : ReportChartBase(parent)
{
    setObjectName(QStringLiteral("chtReport"));
#ifndef TALODESK_PAINTED_CHART
    setRenderHint(QPainter::Antialiasing);
#endif
    setMinimumHeight(MinimumHeight);
    hide();
}

void ReportChart::showTable(const ReportTable& table)
{
    QList<QPair<QString, qint64>> groups = table.groupMeals();
    if (groups.isEmpty()) {
        hide();
        return;
    }
    if (groups.size() > MaxBars) {
        std::stable_sort(groups.begin(), groups.end(),
                         [](const auto& a, const auto& b) { return a.second > b.second; });
        groups.resize(MaxBars);
    }
    QStringList categories;
    QList<qint64> values;
    qint64 highest = 0;
    for (const auto& [name, meals] : groups) {
        values << meals;
        categories << name;
        highest = std::max(highest, meals);
    }
    const QString title = table.groupMeals().size() > MaxBars
                              ? QStringLiteral("Meals (the %1 largest groups)").arg(MaxBars)
                              : QStringLiteral("Meals");
    const ChartScale scale(highest);
#ifdef TALODESK_PAINTED_CHART
    const QFontMetrics metrics(font());
#else
    auto* bars = new QBarSet(QStringLiteral("Meals"));
    for (const qint64 meals : values)
        *bars << double(meals);
    auto* series = new QBarSeries;
    series->append(bars);
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->legend()->hide();
    chart->setTitle(title);
    auto* across = new QBarCategoryAxis;
    across->append(categories);
    const QFontMetrics metrics(across->labelsFont());
#endif
    // Names that do not fit beside each other (employees, the payroll's names) stand
    // upright under their bars.
    int longest = 0;
    for (const QString& name : categories)
        longest = std::max(longest, metrics.horizontalAdvance(name));
    const int room = std::max(width(), 600) / int(categories.size()) - metrics.averageCharWidth();
    const bool upright = longest > room;
    // The chart grows to hold its names whole above a plot of its own height, up to a
    // height that leaves the table most of the window (the payroll's long names).
    setMinimumHeight(upright ? std::clamp(longest + PlotHeight, MinimumHeight, MaximumHeight)
                             : MinimumHeight);
#ifdef TALODESK_PAINTED_CHART
    setBars(title, categories, values, scale.top(), scale.step(), upright);
#else
    across->setLabelsAngle(upright ? -90 : 0);
    chart->addAxis(across, Qt::AlignBottom);
    series->attachAxis(across);
    auto* up = new QValueAxis;
    up->setRange(0, double(scale.top()));
    up->setTickType(QValueAxis::TicksDynamic);
    up->setTickAnchor(0);
    up->setTickInterval(double(scale.step()));
    up->setLabelFormat(QStringLiteral("%d"));
    chart->addAxis(up, Qt::AlignLeft);
    series->attachAxis(up);
    QChart* old = this->chart();
    setChart(chart);
    delete old;
#endif
    show();
}
