#pragma once

#include <QString>

// A password hash text that stands for a real one where no sign-in is tried: the shape
// the program makes, and base64 that libsodium reads back (the last character of salt
// and hash carries no bits past the value). Making a real one costs 64 MiB and ~0.2 s.
inline QString standInHash(QChar fill = QLatin1Char('s'))
{
    return QStringLiteral("$argon2id$v=19$m=65536,t=2,p=1$") + QString(21, fill) +
           QStringLiteral("A$") + QString(42, fill) + QLatin1Char('A');
}
