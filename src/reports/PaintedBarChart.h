#pragma once

#include <QStringList>
#include <QWidget>

// A bar chart drawn with QPainter, for builds without Qt Charts: a title, one bar per
// category on a value axis from 0 to `top` with a tick every `step`, the category names
// under the bars (upright when asked).
class PaintedBarChart : public QWidget
{
    Q_OBJECT

public:
    explicit PaintedBarChart(QWidget* parent = nullptr);

    void setBars(const QString& title, const QStringList& categories, const QList<qint64>& values,
                 qint64 top, qint64 step, bool upright);
    // What the pointer over each bar shows, left to right.
    void setBarTips(const QStringList& tips) { m_tips = tips; }
    // The bars' rectangles as last drawn, left to right.
    const QList<QRectF>& barRects() const { return m_bars; }

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_title;
    QStringList m_categories;
    QList<qint64> m_values;
    qint64 m_top = 1;
    qint64 m_step = 1;
    bool m_upright = false;
    QList<QRectF> m_bars;
    QStringList m_tips;
};
