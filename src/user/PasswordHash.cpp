#include "PasswordHash.h"

#include "server/HashEncoding.h"

#include <QByteArray>
#include <sodium.h>

bool PasswordHash::ready()
{
    // sodium_init is safe to call again; it answers 1 once the library is set up.
    return sodium_init() >= 0;
}

QString PasswordHash::make(const QString& password)
{
    if (!ready())
        return {};
    const QByteArray secret = password.toUtf8();
    char hash[crypto_pwhash_STRBYTES];
    if (crypto_pwhash_str(hash, secret.constData(), static_cast<unsigned long long>(secret.size()),
                          crypto_pwhash_OPSLIMIT_INTERACTIVE,
                          crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
        return {};
    return QString::fromLatin1(hash);
}

bool PasswordHash::verify(const QString& storedHash, const QString& password)
{
    if (!ready())
        return false;
    // A fixed-width column on SQL Server pads the text with blanks.
    const QByteArray hash = storedHash.trimmed().toLatin1();
    // libsodium reads the hash as a C string of bounded size; anything longer is not
    // one of its hashes.
    if (hash.isEmpty() || hash.size() >= crypto_pwhash_STRBYTES)
        return false;
    const QByteArray secret = password.toUtf8();
    return crypto_pwhash_str_verify(hash.constData(), secret.constData(),
                                    static_cast<unsigned long long>(secret.size())) == 0;
}

bool PasswordHash::wellFormed(const QString& hash)
{
    return HashEncoding::wellFormed(hash.trimmed());
}
