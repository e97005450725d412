#pragma once

#include <QString>

// The one rule for a password hash text, shared by the store's procedures and the
// sign-in: the argon2id encoding the program makes (libsodium crypto_pwhash_str at its
// interactive limits: version 19, 64 MiB, two passes, one lane, a 16-byte salt and a
// 32-byte hash in unpadded base64) that libsodium itself can read back. Anything else
// may be a password typed in clear, or a text nobody could ever sign in with.
namespace HashEncoding {

bool wellFormed(const QString& hash);

} // namespace HashEncoding
