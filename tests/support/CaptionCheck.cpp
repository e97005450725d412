#include "CaptionCheck.h"

#include "widgets/FlexGrid.h"

#include <QAbstractButton>
#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace {

template <class Widget> QList<const Widget*> selfAndChildren(const QWidget* parent)
{
    QList<const Widget*> found;
    if (const auto* self = qobject_cast<const Widget*>(parent))
        found.append(self);
    for (const Widget* child : parent->findChildren<Widget*>())
        found.append(child);
    return found;
}

// What a caption needs beside what its box gives, for the report of one cut off.
QString shortOf(const QWidget* box, const QSize& needed, const QSize& room)
{
    return QStringLiteral("%1 (needs %2x%3, has %4x%5)")
        .arg(box->objectName())
        .arg(needed.width())
        .arg(needed.height())
        .arg(room.width())
        .arg(room.height());
}

// Empty when the label has no text or can be read whole, else what it lacks.
QString labelShort(const QLabel* label)
{
    if (label->text().isEmpty())
        return {};
    if (label->font().pointSizeF() < 6.0)
        return label->objectName() + QStringLiteral(" (below 6 points)");
    if (label->wordWrap()) {
        const QSize needed(label->width(), label->heightForWidth(label->width()));
        return needed.height() <= label->height() ? QString()
                                                  : shortOf(label, needed, label->size());
    }
    const QSize needed =
        QFontMetrics(label->font()).size(Qt::TextSingleLine | Qt::TextShowMnemonic, label->text());
    const QSize room = label->contentsRect().size();
    return needed.width() <= room.width() && needed.height() <= room.height()
               ? QString()
               : shortOf(label, needed, room);
}

// Empty when the button has no caption or it can be read whole, else what it lacks.
QString buttonShort(const QAbstractButton* button)
{
    if (button->text().isEmpty())
        return {};
    // A check box's caption sits beside its box: its own size hint says what it needs.
    QSize needed = button->sizeHint();
    if (qobject_cast<const QPushButton*>(button)) {
        const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
        needed = QFontMetrics(button->font()).size(Qt::TextShowMnemonic, button->text());
        needed.rwidth() += margin;
    }
    return needed.width() <= button->width() ? QString() : shortOf(button, needed, button->size());
}

QStringList cutOffHeaders(const FlexGrid* grid)
{
    QStringList names;
    const QHeaderView* header = grid->horizontalHeader();
    // At their designed widths a header may be cut, as the lists were laid out; only
    // fitted columns promise whole headers.
    if (header->isHidden() || !FlexGrid::fittedColumns())
        return names;
    const int margin = 2 * header->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, header);
    for (int col = 0; col < grid->Cols(); ++col) {
        const QString text = grid->TextMatrix(0, col).trimmed();
        if (text.isEmpty() || grid->isColumnHidden(col) || grid->columnWidth(col) <= 0)
            continue;
        if (header->fontMetrics().horizontalAdvance(text) + margin > grid->columnWidth(col))
            names.append(QStringLiteral("%1:%2").arg(grid->objectName()).arg(col));
    }
    return names;
}

} // namespace

QStringList cutOffCaptions(const QWidget* parent)
{
    QStringList names;
    for (const QLabel* label : selfAndChildren<QLabel>(parent)) {
        if (const QString cut = labelShort(label); !cut.isEmpty())
            names.append(cut);
    }
    for (const QAbstractButton* button : selfAndChildren<QAbstractButton>(parent)) {
        if (const QString cut = buttonShort(button); !cut.isEmpty())
            names.append(cut);
    }
    for (const FlexGrid* grid : selfAndChildren<FlexGrid>(parent))
        names += cutOffHeaders(grid);
    return names;
}
