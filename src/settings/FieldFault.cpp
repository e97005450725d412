#include "FieldFault.h"

#include <QVariant>
#include <QWidget>

namespace FieldFault {

void mark(QWidget* field, bool faulty)
{
    if (isMarked(field) == faulty)
        return;
    field->setProperty("fault", faulty);
    field->setStyleSheet(faulty ? QStringLiteral("border: 2px solid #c00000;") : QString());
}

bool isMarked(const QWidget* field)
{
    return field->property("fault").toBool();
}

} // namespace FieldFault
