#include "ReportChart.h"

#include "ChartScale.h"
#include "ReportTable.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>
#include <algorithm>

ReportChart::ReportChart(QWidget* parent) : QChartView(parent)
{
    setObjectName(QStringLiteral("chtReport"));
    setRenderHint(QPainter::Antialiasing);
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
    auto* bars = new QBarSet(QStringLiteral("Meals"));
    QStringList categories;
    qint64 highest = 0;
    for (const auto& [name, meals] : groups) {
        *bars << double(meals);
        categories << name;
        highest = std::max(highest, meals);
    }
    auto* series = new QBarSeries;
    series->append(bars);
    auto* chart = new QChart;
    chart->addSeries(series);
    chart->legend()->hide();
    chart->setTitle(table.groupMeals().size() > MaxBars
                        ? QStringLiteral("Meals (the %1 largest groups)").arg(MaxBars)
                        : QStringLiteral("Meals"));
    auto* across = new QBarCategoryAxis;
    across->append(categories);
    // Names that do not fit beside each other (employees, the payroll's names) stand
    // upright under their bars.
    const QFontMetrics metrics(across->labelsFont());
    int longest = 0;
    for (const QString& name : categories)
        longest = std::max(longest, metrics.horizontalAdvance(name));
    const int room = std::max(width(), 600) / int(categories.size()) - metrics.averageCharWidth();
    const bool upright = longest > room;
    across->setLabelsAngle(upright ? -90 : 0);
    // The chart gives its labels at most a third of its height; it grows to hold them,
    // up to a height that leaves the table room.
    setMinimumHeight(upright ? std::clamp(3 * longest + 60, MinimumHeight, MaximumHeight)
                             : MinimumHeight);
    chart->addAxis(across, Qt::AlignBottom);
    series->attachAxis(across);
    auto* up = new QValueAxis;
    const ChartScale scale(highest);
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
    show();
}
