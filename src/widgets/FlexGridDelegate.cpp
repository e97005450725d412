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
        const Laid& laid = laidOut(opt, textRect, painter);
        // The line aligns the text across the cell; the cell's alignment places the line.
        const QSize lineSize(textRect.width(), laid.lineHeight);
        const QRect placed =
            QStyle::alignedRect(opt.direction, opt.displayAlignment, lineSize, textRect);
        painter->setFont(opt.font);
        painter->drawStaticText(placed.topLeft(), laid.text);
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

const FlexGridDelegate::Laid& FlexGridDelegate::laidOut(const QStyleOptionViewItem& opt,
                                                        const QRect& textRect,
                                                        QPainter* painter) const
{
    // A few screens of cells; past that the texts are laid out anew.
    constexpr qsizetype MostKept = 4096;
    if (opt.font != m_font || m_laid.size() >= MostKept) {
        m_laid.clear();
        m_font = opt.font;
    }
    Key key{opt.text, textRect.width(), int(opt.displayAlignment), int(opt.direction)};
    const auto found = m_laid.constFind(key);
    if (found != m_laid.constEnd())
        return found.value();
    QTextOption textOption(opt.displayAlignment);
    textOption.setWrapMode(QTextOption::NoWrap);
    textOption.setTextDirection(opt.direction);
    Laid laid;
    laid.text.setTextFormat(Qt::PlainText);
    laid.text.setTextOption(textOption);
    laid.text.setTextWidth(textRect.width());
    // One layout measures and places the text: the line is as wide as the cell, and wider
    // only when the text does not fit. Only such a text is laid out again, elided.
    const auto layOut = [&](const QString& text) {
        laid.text.setText(text);
        laid.text.prepare(painter->transform(), opt.font);
    };
    layOut(opt.text);
    if (laid.text.size().width() > textRect.width())
        layOut(QFontMetrics(opt.font, painter->device())
                   .elidedText(opt.text, opt.textElideMode, textRect.width()));
    // Static text counts a font's leading into its height, the cell's line does not.
    if (QFontMetricsF(opt.font, painter->device()).leading() <= 0) {
        laid.lineHeight = int(laid.text.size().height());
    } else {
        QTextLayout line(opt.text, opt.font, painter->device());
        line.beginLayout();
        QTextLine only = line.createLine();
        only.setLineWidth(textRect.width());
        laid.lineHeight = int(only.height());
        line.endLayout();
    }
    return m_laid.insert(std::move(key), std::move(laid)).value();
}
