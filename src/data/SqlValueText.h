#pragma once

#include <QString>
#include <QVariant>

namespace SqlValueText {

// The text a Recordset holds for one value read from a driver: NULL (whether the
// driver gives an invalid or a typed null QVariant) is "", date-times are general date
// text, truth values are "1"/"0" as the store keeps statuses, numbers and text as they are.
QString fromVariant(const QVariant& value);

} // namespace SqlValueText
