#pragma once

#include <QString>

// The one password encoding the program stores: libsodium crypto_pwhash_str text at the
// interactive limits (argon2id version 19, 64 MiB, two passes, one lane, a 16-byte salt and
// a 32-byte hash in unpadded base64). The store and the sign-in both ask this, so a text the
// store takes is one libsodium can verify, and the other way round.
class Argon2idEncoding
{
public:
    // True only for that shape and only when libsodium itself reads it back. Base64 whose
    // unused low bits are not zero has the shape but is refused by libsodium: nobody could
    // sign in with it, so it must not count as a password (a manager who cannot sign in is
    // no manager).
    static bool matches(const QString& hash);
};
