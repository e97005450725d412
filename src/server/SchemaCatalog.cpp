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

void SchemaCatalog::load(sqlite3* db, const QList<SchemaMigrator::Table>& homes)
{
    m_tables.clear();
    m_home.clear();
    for (const SchemaMigrator::Table& table : homes)
        m_home.insert(table.name.toLower(), table.database.toLower());
    const QStringList tables =
        column0(db, QStringLiteral("SELECT name FROM main.sqlite_master WHERE type = 'table'"));
    for (const QString& table : tables) {
        // A site's own table may have any name, quotes included.
        const QString info =
            QStringLiteral("PRAGMA main.table_info(\"%1\")")
                .arg(QString(table).replace(QLatin1Char('"'), QLatin1String("\"\"")));
        const QStringList names = column0(db, info, 1);
        const QStringList types = column0(db, info, 2);
        QHash<QString, Column>& columns = m_tables[table.toLower()];
        for (int i = 0; i < names.size(); ++i) {
            const char* collation = nullptr;
            sqlite3_table_column_metadata(db, "main", table.toUtf8().constData(),
                                          names.at(i).toUtf8().constData(), nullptr, &collation,
                                          nullptr, nullptr, nullptr);
            columns.insert(
                names.at(i).toLower(),
                {isTextType(types.value(i)), collation && qstricmp(collation, "UNICODE_CI") == 0});
        }
    }
}

const QHash<QString, SchemaCatalog::Column>* SchemaCatalog::columns(const QString& database,
                                                                    const QString& table) const
{
    const QString name = table.toLower();
    const auto t = m_tables.constFind(name);
    if (t == m_tables.cend())
        return nullptr;
    const auto home = m_home.constFind(name);
    if (!database.isEmpty() && home != m_home.cend() && *home != database.toLower())
        return nullptr;
    return &*t;
}

bool SchemaCatalog::hasTable(const QString& database, const QString& table) const
{
    return columns(database, table) != nullptr;
}

std::optional<bool> SchemaCatalog::columnIsText(const QString& database, const QString& table,
                                                const QString& column) const
{
    const auto* t = columns(database, table);
    if (!t)
        return std::nullopt;
    const auto c = t->constFind(column.toLower());
    if (c == t->cend())
        return std::nullopt;
    return c->text;
}

bool SchemaCatalog::columnIgnoresCase(const QString& database, const QString& table,
                                      const QString& column) const
{
    const auto* t = columns(database, table);
    if (!t)
        return false;
    const auto c = t->constFind(column.toLower());
    return c != t->cend() && c->ignoresCase;
}
