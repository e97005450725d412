#include "TsqlToken.h"

QString TsqlToken::stringValue() const
{
    QString value = text.mid(1, text.size() - 2);
    value.replace(QLatin1String("''"), QLatin1String("'"));
    return value;
}

QString TsqlToken::name() const
{
    if (kind != Kind::Bracketed)
        return text;
    QString value = text.mid(1, text.size() - 2);
    value.replace(QLatin1String("]]"), QLatin1String("]"));
    return value;
}

TsqlToken TsqlToken::string(const QString& value)
{
    QString quoted = value;
    quoted.replace(QLatin1Char('\''), QLatin1String("''"));
    return {Kind::String, QLatin1Char('\'') + quoted + QLatin1Char('\'')};
}
