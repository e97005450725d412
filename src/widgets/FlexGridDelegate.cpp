#include "FlexGridDelegate.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QTextLayout>

void FlexGridDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const
{
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QWidget* widget = opt.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // Anything beyond plain text (an icon, a check box) goes the style's own way.
    if (opt.features &
        (QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasCheckIndicator)) {
        QStyledItemDelegate::paint(painter, option, index);
        return;
    }
    painter->save();
    painter->setClipRect(opt.rect);
    style->drawPrimitive(QStyle::PE_PanelItemViewItem, &opt, painter, widget);

    const QPalette::ColorGroup group = !(opt.state & QStyle::State_Enabled)  ? QPalette::Disabled
                                       : !(opt.state & QStyle::State_Active) ? QPalette::Inactive
                                                                             : QPalette::Normal;
    painter->setPen(opt.palette.color(
        group, (opt.state & QStyle::State_Selected) ? QPalette::HighlightedText : QPalette::Text));
    const int margin = style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1;
    const QRect textRect = opt.rect.adjusted(margin, 0, -margin, 0);
    if (!opt.text.isEmpty() && textRect.width() > 0) {
        QTextOption textOption(opt.displayAlignment);
        textOption.setWrapMode(QTextOption::NoWrap);
        textOption.setTextDirection(opt.direction);
        // One layout measures and draws the text; only a text too long for its cell is
        // laid out again, elided.
        QTextLayout layout(opt.text, opt.font, painter->device());
        layout.setTextOption(textOption);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(textRect.width());
        layout.endLayout();
        if (line.naturalTextWidth() > textRect.width()) {
            const QString elided = QFontMetrics(opt.font, painter->device())
                                       .elidedText(opt.text, opt.textElideMode, textRect.width());
            layout.setText(elided);
            layout.beginLayout();
            line = layout.createLine();
            line.setLineWidth(textRect.width());
            layout.endLayout();
        }
        // The line aligns the text across the cell; the cell's alignment places the line.
        const QSize lineSize(textRect.width(), int(line.height()));
        const QRect placed =
            QStyle::alignedRect(opt.direction, opt.displayAlignment, lineSize, textRect);
        layout.draw(painter, placed.topLeft());
    }
    if (opt.state & QStyle::State_HasFocus) {
        QStyleOptionFocusRect focus;
        focus.QStyleOption::operator=(opt);
        focus.rect = style->subElementRect(QStyle::SE_ItemViewItemFocusRect, &opt, widget);
        focus.state |= QStyle::State_KeyboardFocusChange | QStyle::State_Item;
        focus.backgroundColor = opt.palette.color(
            (opt.state & QStyle::State_Enabled) ? QPalette::Normal : QPalette::Disabled,
            (opt.state & QStyle::State_Selected) ? QPalette::Highlight : QPalette::Window);
        style->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, painter, widget);
    }
    painter->restore();
}
