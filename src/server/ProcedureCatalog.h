#pragma once

#include "EmbeddedStore.h"

#include <QHash>
#include <QString>
#include <QStringList>

// The store's stored procedures: one resource :/server/procedures/<Name>.sql each. The
// file starts with header lines "-- parameters: a, b, c" (bound in order to :a, :b,
// :c; a name in brackets, "[d]", may be left off the end of a call and is then NULL),
// "-- access: read" or "-- access: write", and for the parameters that carry JSON text
// "-- json: b, c" (their escapes are checked before the body runs); the rest is the
// SQLite body. A body line "-- shared: Name" stands for shared/<Name>.sql of the same
// folder: a piece of SQL two procedures must agree on (the rows a page and its count
// read), written once.
class ProcedureCatalog
{
public:
    struct Procedure
    {
        QString name;
        QStringList parameters;
        QStringList jsonParameters;
        // How many of the parameters, from the first, every call must supply.
        qsizetype required = 0;
        EmbeddedStore::Access access = EmbeddedStore::Access::Write;
        QString body;
    };

    // The catalog of the built-in resources, read once.
    static const ProcedureCatalog& builtIn();

    // Reads every .sql file of a resource or file-system folder.
    explicit ProcedureCatalog(const QString& folder);

    // By name, ignoring case; nullptr when there is no such procedure.
    const Procedure* find(const QString& name) const;
    QStringList names() const;

    static Procedure parse(const QString& name, const QString& text);

private:
    static QString withSharedParts(const QString& folder, const QString& text);

    QHash<QString, Procedure> m_procedures;
};
