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

bool labelFits(const QLabel* label)
{
    if (label->font().pointSizeF() < 6.0)
        return false;
    if (label->wordWrap())
        return label->heightForWidth(label->width()) <= label->height();
    const QSize needed =
        QFontMetrics(label->font()).size(Qt::TextSingleLine | Qt::TextShowMnemonic, label->text());
    const QSize room = label->contentsRect().size();
    return needed.width() <= room.width() && needed.height() <= room.height();
}

bool buttonFits(const QAbstractButton* button)
{
    // A check box's caption sits beside its box: its own size hint says what it needs.
    if (!qobject_cast<const QPushButton*>(button))
        return button->sizeHint().width() <= button->width();
    const int margin = button->style()->pixelMetric(QStyle::PM_ButtonMargin, nullptr, button);
    const int needed =
        QFontMetrics(button->font()).size(Qt::TextShowMnemonic, button->text()).width();
    return needed + margin <= button->width();
}

QStringList cutOffHeaders(const FlexGrid* grid)
{
    QStringList names;
    const QHeaderView* header = grid->horizontalHeader();
    if (header->isHidden())
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
        if (!label->text().isEmpty() && !labelFits(label))
            names.append(label->objectName());
    }
    for (const QAbstractButton* button : selfAndChildren<QAbstractButton>(parent)) {
        if (!button->text().isEmpty() && !buttonFits(button))
            names.append(button->objectName());
    }
    for (const FlexGrid* grid : selfAndChildren<FlexGrid>(parent))
        names += cutOffHeaders(grid);
    return names;
}
