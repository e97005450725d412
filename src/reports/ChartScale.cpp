#include "ChartScale.h"

#include <algorithm>
#include <initializer_list>

ChartScale::ChartScale(qint64 highest)
{
    highest = std::max<qint64>(highest, 1);
    for (qint64 scale = 1; m_step * 6 < highest; scale *= 10) {
        for (const qint64 step : {scale, 2 * scale, 5 * scale}) {
            m_step = step;
            if (highest <= 6 * step)
                break;
        }
    }
    m_top = (highest + m_step - 1) / m_step * m_step;
}
