#pragma once

#include "DatabaseOpener.h"

#include <QString>
#include <functional>

class EmbeddedConnection;

// Opens the embedded store in a folder (creating it when the folder holds none, and then
// filling it when a filler is given: the demo data), and gives a new store its first
// administrator.
class EmbeddedDatabaseOpener : public DatabaseOpener
{
public:
    using Filler = std::function<void(EmbeddedConnection&)>;

    explicit EmbeddedDatabaseOpener(QString folder, Filler fillNewStore = {});

    bool asksForDatabaseLogin() const override { return false; }
    std::unique_ptr<Connection> open(const QString& login, const QString& password) override;
    bool needsFirstAdministrator(const QString& appCode) override;
    void createFirstAdministrator(const NewAdministrator& person, const QString& appCode) override;

    // Whether `folder` already holds a store (of any content).
    static bool holdsStore(const QString& folder);
    // The rights string of the first administrator: every right of the program.
    static QString allRights() { return QStringLiteral("|1|2|3|4|5|6|7|8"); }

protected:
    // The store behind the connection open() returned last; valid while that
    // connection lives.
    EmbeddedConnection& store();

private:
    QString m_folder;
    Filler m_fillNewStore;
    EmbeddedConnection* m_store = nullptr;
};
