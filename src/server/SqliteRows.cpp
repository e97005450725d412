#include "SqliteRows.h"

#include "UnicodeText.h"
#include "data/DbError.h"

#include <sqlite3.h>

QList<QStringList> SqliteRows::of(sqlite3* db, const QString& sql)
{
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr);
    if (rc != SQLITE_OK)
        throw DbError(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
    QList<QStringList> out;
    while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        QStringList row;
        for (int c = 0; c < sqlite3_column_count(stmt); ++c) {
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt, c));
            row << (text ? UnicodeText::fromUtf8({text, sqlite3_column_bytes(stmt, c)})
                         : QString());
        }
        out << row;
    }
    sqlite3_finalize(stmt);
    if (rc != SQLITE_DONE)
        throw DbError(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
    return out;
}
