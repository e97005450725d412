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
#include <QHelpEvent>
#include <QToolTip>
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
    QList<ReportTable::Group> groups = table.groupMeals();
    if (groups.isEmpty()) {
        hide();
        return;
    }
    if (groups.size() > MaxBars) {
        std::stable_sort(groups.begin(), groups.end(),
                         [](const auto& a, const auto& b) { return a.meals > b.meals; });
        groups.resize(MaxBars);
    }
    QStringList names, codes;
    QList<qint64> values;
    qint64 highest = 0;
    for (const ReportTable::Group& group : groups) {
        values << group.meals;
        names << group.name;
        codes << group.code;
        highest = std::max(highest, group.meals);
    }
    // The tip names the group whole, its code first: "100702 Garcia, Ana Reyes: 12".
    m_tips.clear();
    for (const ReportTable::Group& group : groups) {
        const bool named =
            group.name == group.code || group.name.startsWith(group.code + QLatin1Char(' '));
        m_tips << QStringLiteral("%1: %2")
                      .arg(named ? group.name : group.code + QLatin1Char(' ') + group.name)
                      .arg(group.meals);
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
    // A label is never cut short: a name that does not fit gives way to its code.
    across->setTruncateLabels(false);
    const QFontMetrics metrics(across->labelsFont());
#endif
    const auto longest = [&metrics](const QStringList& labels) {
        int widest = 0;
        for (const QString& label : labels)
            widest = std::max(widest, metrics.horizontalAdvance(label));
        return widest;
    };
    // Whole names when they fit side by side; otherwise the groups' codes (an employee's
    // number, a department's code), upright when even they do not fit, with the whole
    // name in each bar's tooltip and in the table beside. The chart keeps the height it
    // needs and no more: the table has the rest of the window.
    const int room = std::max(width(), 600) / int(names.size()) - metrics.averageCharWidth();
    const QStringList& labels = longest(names) <= room ? names : codes;
    const bool upright = longest(labels) > room;
    const int height = upright
                           ? std::clamp(longest(labels) + PlotHeight, MinimumHeight, MaximumHeight)
                           : MinimumHeight;
    setMinimumHeight(height);
    setMaximumHeight(height);
#ifdef TALODESK_PAINTED_CHART
    setBars(title, labels, values, scale.top(), scale.step(), upright);
    setBarTips(m_tips);
#else
    across->append(labels);
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

#ifndef TALODESK_PAINTED_CHART
bool ReportChart::viewportEvent(QEvent* event)
{
    if (event->type() != QEvent::ToolTip || !chart() || chart()->series().isEmpty())
        return ReportChartBase::viewportEvent(event);
    // The bars stand at whole numbers of the category axis: the nearest one is under the
    // pointer when the pointer is inside the plot.
    const auto* help = static_cast<QHelpEvent*>(event);
    const QPointF at = mapToScene(help->pos());
    const qsizetype bar = qRound(chart()->mapToValue(at).x());
    if (chart()->plotArea().contains(at) && bar >= 0 && bar < m_tips.size())
        QToolTip::showText(help->globalPos(), m_tips.at(bar), this);
    else
        QToolTip::hideText();
    return true;
}
#endif
