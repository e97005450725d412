#include "SqlValueText.h"

#include "GeneralDate.h"

#include <QDate>
#include <QDateTime>

namespace SqlValueText {

QString fromVariant(const QVariant& value)
{
    // A typed null double reads back as "0" through toString(): test for null first.
    if (!value.isValid() || value.isNull())
        return {};
    switch (value.metaType().id()) {
    case QMetaType::QDateTime:
        return GeneralDate::toText(value.toDateTime());
    case QMetaType::QDate:
        return GeneralDate::toText(QDateTime(value.toDate(), QTime(0, 0)));
    case QMetaType::Bool:
        return value.toBool() ? QStringLiteral("1") : QStringLiteral("0");
    default:
        return value.toString();
    }
}

} // namespace SqlValueText
