#include "StaffRows.h"

#include "server/EmbeddedConnection.h"

#include <algorithm>

QString StaffRows::number(int n)
{
    return QStringLiteral("E%1").arg(n, 6, 10, QLatin1Char('0'));
}

QString StaffRows::json(int first, int count, const QString& dept, const QString& suffix)
{
    QString out = QStringLiteral("[");
    for (int n = first; n < first + count; ++n) {
        if (n > first)
            out += QLatin1Char(',');
        out += QStringLiteral("[\"%1\",\"Name%2%3\",\"First\",\"\",\"%4\",\"%4 unit\",\"1\"]")
                   .arg(number(n))
                   .arg(n)
                   .arg(suffix, dept);
    }
    return out + QLatin1Char(']');
}

void StaffRows::import(EmbeddedConnection& store, int first, int count, const QString& dept,
                       const QString& suffix, void (*beforeCommit)())
{
    store.transaction([&] {
        for (int n = first; n < first + count; n += 1000) {
            const int part = std::min(1000, first + count - n);
            store.execute(QStringLiteral("Station..Save_TALO_StaffImport '%1', 'ADMIN'")
                              .arg(json(n, part, dept, suffix)));
        }
        if (beforeCommit)
            beforeCommit();
    });
}
