#pragma once

#include <QFont>
#include <QHash>
#include <QStaticText>
#include <QStyledItemDelegate>

// Paints a FlexGrid cell as the style's item delegate does (background, selection, focus
// frame, text elided on the right), but lays each text out once: the style's own path
// shapes a cell's text three times over (to measure it, to elide it and to draw it),
// which made painting a list most of the time from Enter to the list shown. A text laid
// out is kept (as static text, its glyphs placed) for the next paint of a cell showing
// the same text at the same width: a window painted again reshapes none of its lists.
class FlexGridDelegate : public QStyledItemDelegate
{
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;

private:
    struct Key
    {
        QString text;
        int width = 0;
        int alignment = 0;
        int direction = 0;
        bool operator==(const Key&) const = default;
        friend size_t qHash(const Key& key, size_t seed = 0)
        {
            return qHashMulti(seed, key.text, key.width, key.alignment, key.direction);
        }
    };
    struct Laid
    {
        QStaticText text;
        int lineHeight = 0;
    };

    const Laid& laidOut(const QStyleOptionViewItem& opt, const QRect& textRect,
                        QPainter* painter) const;

    // For the font they were laid out in; another font starts afresh.
    mutable QFont m_font;
    mutable QHash<Key, Laid> m_laid;
};
