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

    // True for the encoding make() produces and nothing else: argon2id version 19 at
    // the interactive limits, a 16-byte salt and a 32-byte hash. The store refuses any
    // other text as a password; a sign-in treats it as no password at all.
    static bool wellFormed(const QString& hash);

private:
    static bool ready();
};
