#include "CaptionCheck.h"

#include <QFontMetrics>
#include <QLabel>

QStringList cutOffCaptions(const QWidget* parent)
{
    QStringList names;
    for (const QLabel* label : parent->findChildren<QLabel*>()) {
        if (label->text().isEmpty())
            continue;
        const QFontMetrics metrics(label->font());
        const QSize room = label->contentsRect().size();
        const bool fits = label->wordWrap()
                              ? label->heightForWidth(label->width()) <= label->height()
                              : metrics.horizontalAdvance(label->text()) <= room.width() &&
                                    metrics.height() <= room.height();
        if (!fits || label->font().pointSizeF() < 6.0)
            names.append(label->objectName());
    }
    return names;
}
