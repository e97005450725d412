#include "HashEncoding.h"

#include <QByteArray>
#include <QRegularExpression>
#include <sodium.h>

namespace HashEncoding {

// The shape alone would take base64 whose last character carries bits past the value:
// libsodium refuses to decode it, so its own parser has the last word.
bool wellFormed(const QString& hash)
{
    static const QRegularExpression encoding(QStringLiteral(
        "\\A\\$argon2id\\$v=19\\$m=65536,t=2,p=1\\$[A-Za-z0-9+/]{22}\\$[A-Za-z0-9+/]{43}\\z"));
    if (!encoding.match(hash).hasMatch() || sodium_init() < 0)
        return false;
    const QByteArray text = hash.toLatin1();
    return crypto_pwhash_argon2id_str_needs_rehash(text.constData(),
                                                   crypto_pwhash_OPSLIMIT_INTERACTIVE,
                                                   crypto_pwhash_MEMLIMIT_INTERACTIVE) == 0;
}

} // namespace HashEncoding
