#pragma once

#include <QString>

// The one rule a sign-in password meets, wherever it is set: the first administrator's
// and every password the Users window sets.
class PasswordRule
{
public:
    static constexpr int MinimumLength = 8;

    // Why `password` cannot be taken, or "" when it can.
    static QString fault(const QString& password);
};
