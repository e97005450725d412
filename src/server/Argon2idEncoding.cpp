#include "Argon2idEncoding.h"

#include <QByteArray>
#include <QRegularExpression>
#include <sodium.h>

bool Argon2idEncoding::matches(const QString& hash)
{
    static const QRegularExpression shape(QStringLiteral(
        "\\A\\$argon2id\\$v=19\\$m=65536,t=2,p=1\\$[A-Za-z0-9+/]{22}\\$[A-Za-z0-9+/]{43}\\z"));
    if (!shape.match(hash).hasMatch() || sodium_init() < 0)
        return false;
    // needs_rehash parses the whole text with libsodium's own decoder: -1 when it cannot
    // read it, 0 when it reads it at exactly these limits.
    const QByteArray text = hash.toLatin1();
    return crypto_pwhash_argon2id_str_needs_rehash(
               text.constData(), crypto_pwhash_argon2id_OPSLIMIT_INTERACTIVE,
               crypto_pwhash_argon2id_MEMLIMIT_INTERACTIVE) == 0;
}
