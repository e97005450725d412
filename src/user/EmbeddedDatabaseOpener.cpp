#include "EmbeddedDatabaseOpener.h"

#include "PasswordHash.h"
#include "data/DbError.h"
#include "data/SqlText.h"
#include "server/EmbeddedConnection.h"
#include "server/StoreFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>

namespace {
QString literal(const QString& value)
{
    return QLatin1Char('\'') + SqlText::quote(value) + QLatin1Char('\'');
}
} // namespace

EmbeddedDatabaseOpener::EmbeddedDatabaseOpener(QString folder, Filler fillNewStore)
    : m_folder(std::move(folder)), m_fillNewStore(std::move(fillNewStore))
{}

bool EmbeddedDatabaseOpener::holdsStore(const QString& folder)
{
    const StoreFiles files(folder);
    return QFileInfo::exists(files.store()) || files.holdsLegacyStore();
}

std::unique_ptr<Connection> EmbeddedDatabaseOpener::open(const QString&, const QString&)
{
    if (!QDir().mkpath(m_folder))
        throw DbError(0, QStringLiteral("Cannot create the data folder %1.").arg(m_folder));
    const bool fill = m_fillNewStore && !holdsStore(m_folder);
    auto connection = std::make_unique<EmbeddedConnection>(m_folder);
    if (fill)
        m_fillNewStore(*connection);
    m_store = connection.get();
    return connection;
}

EmbeddedConnection& EmbeddedDatabaseOpener::store()
{
    if (!m_store)
        throw DbError(3709, QStringLiteral("The store is not open."));
    return *m_store;
}

bool EmbeddedDatabaseOpener::needsFirstAdministrator(const QString& appCode)
{
    // Anyone registered for the application, active or not, closes this door: a store
    // whose administrator was deactivated must not hand out a new administrator to
    // whoever starts the program next.
    const Recordset people = store().nativeQuery(
        QStringLiteral("SELECT COUNT(*) FROM Password.tbPasswordAppAccess WHERE AppCode = ") +
        literal(appCode));
    return people.value(0, 0).toInt() == 0;
}

void EmbeddedDatabaseOpener::createFirstAdministrator(const NewAdministrator& person,
                                                      const QString& appCode)
{
    const QString hash = PasswordHash::make(person.password);
    if (hash.isEmpty())
        throw DbError(0, QStringLiteral("The password could not be protected (out of memory)."));
    EmbeddedConnection& embedded = store();
    const QString id = literal(person.staffId);
    // Each step is in the changes log as the Users and User Access windows record it,
    // by the administrator himself.
    const auto audit = [&](const char* table, const char* action, const QString& details,
                           const QJsonObject& fields) {
        embedded.nativeExecute(
            QStringLiteral("INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, "
                           "Details, UserID, ChangedAt, LoginName, Fields) VALUES('%1', %2, "
                           "'%3', %4, %2, talo_now(), talo_login(), %5)")
                .arg(QLatin1String(table), id, QLatin1String(action), literal(details),
                     literal(
                         QString::fromUtf8(QJsonDocument(fields).toJson(QJsonDocument::Compact)))));
    };
    const auto added = [](const QString& value) {
        return QJsonObject{{QStringLiteral("new"), value}};
    };

    // The rights row goes first: if storing the person fails, the next start asks again
    // and simply rewrites it; the other order could leave an administrator without rights
    // whom no later start would ever ask about.
    embedded.transaction([&] {
        embedded.nativeExecute(
            QStringLiteral("DELETE FROM Station.tbTALOUserRights WHERE UserID = ") + id);
        embedded.nativeExecute(
            QStringLiteral("INSERT INTO Station.tbTALOUserRights(UserID, UserRights, ModifiedBy, "
                           "ModifiedAt) VALUES(%1, %2, %1, datetime('now', 'localtime'))")
                .arg(id, literal(allRights())));
        audit("tbTALOUserRights", "RIGHTS", QStringLiteral("(none) -> ") + allRights(),
              {{QStringLiteral("UserRights"), added(allRights())}});
    });
    embedded.transaction([&] {
        embedded.nativeExecute(
            QStringLiteral("INSERT INTO Password.tbPasswordMain(EmployeeID, Lastname, Firstname, "
                           "Middlename, PasswordHash, Active) VALUES(%1, %2, %3, '', %4, '1')")
                .arg(id, literal(person.lastName), literal(person.firstName), literal(hash)));
        embedded.nativeExecute(
            QStringLiteral(
                "INSERT INTO Password.tbPasswordAppAccess(EmployeeID, AppCode) VALUES(%1, %2)")
                .arg(id, literal(appCode)));
        audit("tbPasswordMain", "INSERT",
              QStringLiteral("Lastname=%1; Firstname=%2; Middlename=")
                  .arg(person.lastName, person.firstName),
              {{QStringLiteral("Lastname"), added(person.lastName)},
               {QStringLiteral("Firstname"), added(person.firstName)},
               {QStringLiteral("Middlename"), added(QString())}});
        audit("tbPasswordMain", "PASSWORD", QStringLiteral("password set"),
              {{QStringLiteral("PasswordHash"), QJsonObject()}});
        audit("tbPasswordAppAccess", "ACCESS", appCode + QStringLiteral(" granted"),
              {{appCode, QJsonObject{{QStringLiteral("old"), QStringLiteral("0")},
                                     {QStringLiteral("new"), QStringLiteral("1")}}}});
    });
}
