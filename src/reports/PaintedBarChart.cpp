#include "PaintedBarChart.h"

#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>
#include <algorithm>

PaintedBarChart::PaintedBarChart(QWidget* parent) : QWidget(parent)
{
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Base);
}

void PaintedBarChart::setBars(const QString& title, const QStringList& categories,
                              const QList<qint64>& values, qint64 top, qint64 step, bool upright)
{
    m_title = title;
    m_categories = categories;
    m_values = values;
    m_top = std::max<qint64>(top, 1);
    m_step = std::max<qint64>(step, 1);
    m_upright = upright;
    update();
}

bool PaintedBarChart::event(QEvent* event)
{
    if (event->type() != QEvent::ToolTip)
        return QWidget::event(event);
    const auto* help = static_cast<QHelpEvent*>(event);
    for (qsizetype i = 0; i < m_bars.size(); ++i) {
        if (m_bars.at(i).contains(help->pos())) {
            QToolTip::showText(help->globalPos(), m_tips.value(i), this);
            return true;
        }
    }
    QToolTip::hideText();
    event->ignore();
    return true;
}

void PaintedBarChart::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QFontMetrics metrics(font());
    const int margin = metrics.height();

    QFont titleFont = font();
    titleFont.setBold(true);
    painter.setFont(titleFont);
    const QRect titleRect(0, margin / 2, width(), QFontMetrics(titleFont).height());
    painter.drawText(titleRect, Qt::AlignCenter, m_title);
    painter.setFont(font());

    int longest = 0;
    for (const QString& name : m_categories)
        longest = std::max(longest, metrics.horizontalAdvance(name));
    // Upright names are cut only when the plot would otherwise shrink below its third.
    const int labels =
        m_upright ? std::min(longest, std::max(height() * 2 / 3 - 4 * margin, height() / 3))
                  : metrics.height();
    const int axisWidth = metrics.horizontalAdvance(QString::number(m_top)) + margin;
    const QRectF plot(axisWidth, titleRect.bottom() + margin / 2.0,
                      std::max(1, width() - axisWidth - margin),
                      std::max(1, height() - titleRect.bottom() - margin - labels - margin / 2));

    // The value axis: a line and a label at every step.
    painter.setPen(palette().color(QPalette::Mid));
    for (qint64 tick = 0; tick <= m_top; tick += m_step) {
        const qreal y = plot.bottom() - plot.height() * double(tick) / double(m_top);
        painter.drawLine(QPointF(plot.left(), y), QPointF(plot.right(), y));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(
            QRectF(0, y - metrics.height() / 2.0, axisWidth - margin / 2.0, metrics.height()),
            Qt::AlignRight | Qt::AlignVCenter, QString::number(tick));
        painter.setPen(palette().color(QPalette::Mid));
    }

    m_bars.clear();
    const qsizetype count = m_values.size();
    if (count == 0)
        return;
    const qreal slot = plot.width() / double(count);
    for (qsizetype i = 0; i < count; ++i) {
        const qreal h = plot.height() * double(m_values[i]) / double(m_top);
        const QRectF bar(plot.left() + slot * (double(i) + 0.15), plot.bottom() - h, slot * 0.7, h);
        m_bars.append(bar);
        painter.fillRect(bar, palette().color(QPalette::Highlight));
        painter.setPen(palette().color(QPalette::Text));
        const QString name = i < m_categories.size() ? m_categories[i] : QString();
        if (m_upright) {
            painter.save();
            painter.translate(bar.center().x() + metrics.ascent() / 2.0, plot.bottom() + 4);
            painter.rotate(-90);
            painter.drawText(QRectF(-labels, -metrics.ascent(), labels, metrics.height()),
                             Qt::AlignRight | Qt::AlignVCenter,
                             metrics.elidedText(name, Qt::ElideRight, labels));
            painter.restore();
        } else {
            painter.drawText(
                QRectF(plot.left() + slot * double(i), plot.bottom() + 2, slot, metrics.height()),
                Qt::AlignHCenter | Qt::AlignTop,
                metrics.elidedText(name, Qt::ElideRight, int(slot)));
        }
    }
}
