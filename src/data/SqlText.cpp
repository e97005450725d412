#include "SqlText.h"

namespace SqlText {

QString quote(const QString& value)
{
    QString out = value;
    out.replace(QLatin1Char('\''), QLatin1String("''"));
    return out;
}

} // namespace SqlText
