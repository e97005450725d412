#include "ProcedureRunner.h"

#include "EmbeddedStore.h"
#include "ProcedureCatalog.h"
#include "ServerErrors.h"
#include "data/DbError.h"

ProcedureRunner::ProcedureRunner(EmbeddedStore& store, const ProcedureCatalog& catalog)
    : m_store(store), m_catalog(catalog)
{}

Recordset ProcedureRunner::run(const ProcedureCall& call)
{
    const ProcedureCatalog::Procedure* procedure = nullptr;
    if (call.database.isEmpty() ||
        call.database.compare(QLatin1String("Station"), Qt::CaseInsensitive) == 0)
        procedure = m_catalog.find(call.name);
    if (!procedure) {
        const QString full =
            call.database.isEmpty() ? call.name : call.database + QLatin1String("..") + call.name;
        throw DbError(ServerErrors::UnknownProcedure,
                      QStringLiteral("Could not find stored procedure '%1'.").arg(full));
    }
    if (call.arguments.size() > procedure->parameters.size())
        throw DbError(ServerErrors::TooManyArguments,
                      QStringLiteral("Procedure or function %1 has too many arguments specified.")
                          .arg(procedure->name));
    if (call.arguments.size() < procedure->required)
        throw DbError(ServerErrors::MissingArgument,
                      QStringLiteral("Procedure or function '%1' expects parameter '@%2', which "
                                     "was not supplied.")
                          .arg(procedure->name, procedure->parameters.at(call.arguments.size())));
    // SQLite's text functions stop at a NUL, so a value holding one would be checked and
    // stored as only its first part.
    for (const QString& argument : call.arguments) {
        if (argument.contains(QChar(0)))
            throw DbError(ServerErrors::Raised,
                          QStringLiteral("Text arguments must not contain the NUL character."));
    }
    SqlParameters parameters;
    for (qsizetype i = 0; i < call.arguments.size(); ++i)
        parameters.append({procedure->parameters.at(i), call.arguments.at(i)});
    Recordset result;
    m_store.transaction(procedure->access, [&] {
        result = m_store.runScript(procedure->body, parameters,
                                   QStringLiteral("procedure:") + procedure->name);
    });
    return result;
}
