#include "PasswordRule.h"

QString PasswordRule::fault(const QString& password)
{
    if (password.size() < MinimumLength)
        return QStringLiteral("The password must have at least %1 characters.").arg(MinimumLength);
    return {};
}
