#pragma once

#include <QStyledItemDelegate>

// Paints a FlexGrid cell as the style's item delegate does (background, selection, focus
// frame, text elided on the right), but lays each text out once: the style's own path
// shapes a cell's text three times over (to measure it, to elide it and to draw it),
// which made painting a list most of the time from Enter to the list shown.
class FlexGridDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
};
