#include "SchemaCatalog.h"

#include "data/DbError.h"

#include <QByteArray>
#include <QStringList>
#include <sqlite3.h>

namespace {

QStringList column0(sqlite3* db, const QString& sql, int column = 0)
{
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &stmt, nullptr) != SQLITE_OK)
        throw DbError(sqlite3_extended_errcode(db), QString::fromUtf8(sqlite3_errmsg(db)));
    QStringList out;
    while (sqlite3_step(stmt) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(stmt, column)));
    sqlite3_finalize(stmt);
    return out;
}

bool isTextType(const QString& declared)
{
    const QString t = declared.toUpper();
    return t.contains(QLatin1String("TEXT")) || t.contains(QLatin1String("CHAR")) ||
           t.contains(QLatin1String("CLOB"));
}

} // namespace

void SchemaCatalog::load(sqlite3* db, const QStringList& databases)
{
    m_tables.clear();
    for (const QString& database : databases) {
        const QStringList tables =
            column0(db, QStringLiteral("SELECT name FROM \"%1\".sqlite_master WHERE type = 'table'")
                            .arg(database));
        for (const QString& table : tables) {
            const QString info =
                QStringLiteral("PRAGMA \"%1\".table_info(\"%2\")").arg(database, table);
            const QStringList names = column0(db, info, 1);
            const QStringList types = column0(db, info, 2);
            QHash<QString, Column>& columns = m_tables[key(database, table)];
            for (int i = 0; i < names.size(); ++i) {
                const char* collation = nullptr;
                sqlite3_table_column_metadata(db, database.toUtf8().constData(),
                                              table.toUtf8().constData(),
                                              names.at(i).toUtf8().constData(), nullptr, &collation,
                                              nullptr, nullptr, nullptr);
                columns.insert(names.at(i).toLower(),
                               {isTextType(types.value(i)),
                                collation && qstricmp(collation, "UNICODE_CI") == 0});
            }
        }
    }
}

bool SchemaCatalog::hasTable(const QString& database, const QString& table) const
{
    return m_tables.contains(key(database, table));
}

std::optional<bool> SchemaCatalog::columnIsText(const QString& database, const QString& table,
                                                const QString& column) const
{
    const auto t = m_tables.constFind(key(database, table));
    if (t == m_tables.cend())
        return std::nullopt;
    const auto c = t->constFind(column.toLower());
    if (c == t->cend())
        return std::nullopt;
    return c->text;
}

bool SchemaCatalog::columnIgnoresCase(const QString& database, const QString& table,
                                      const QString& column) const
{
    const auto t = m_tables.constFind(key(database, table));
    if (t == m_tables.cend())
        return false;
    const auto c = t->constFind(column.toLower());
    return c != t->cend() && c->ignoresCase;
}

QString SchemaCatalog::key(const QString& database, const QString& table)
{
    return database.toLower() + QLatin1Char('.') + table.toLower();
}
