#pragma once

#include <QtGlobal>

// The value axis of a chart of meal counts: counts are whole numbers, so the ticks are
// too (0, 2, 4, 6, never 0, 1.5, 3, 4.5, 6), at most six steps to the top.
class ChartScale
{
public:
    explicit ChartScale(qint64 highest);

    // 1, 2, 5, 10, 20, 50, ...: the smallest that reaches `highest` in six steps.
    qint64 step() const { return m_step; }
    // The axis's top: `highest` rounded up to a whole step.
    qint64 top() const { return m_top; }

private:
    qint64 m_step = 1;
    qint64 m_top = 1;
};
