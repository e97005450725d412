#pragma once

#include <QString>

// Passwords are kept only as libsodium argon2id hash text (salt and cost parameters
// included), never in a form that can be turned back into the password.
class PasswordHash
{
public:
    // The hash text of `password`; empty when libsodium cannot work (out of memory).
    static QString make(const QString& password);
    // True only when `storedHash` is a valid argon2id hash of `password`. A damaged,
    // empty or foreign hash text is simply a mismatch.
    static bool verify(const QString& storedHash, const QString& password);

private:
    static bool ready();
};
