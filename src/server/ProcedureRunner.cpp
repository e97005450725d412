#include "ProcedureRunner.h"

#include "EmbeddedStore.h"
#include "ProcedureCatalog.h"
#include "ServerErrors.h"
#include "data/DbError.h"

namespace {

// True when a string of the JSON text holds the escape \u0000: SQLite's text functions
// would cut the value there ("HN" of a longer number, an employee "10002" of
// "10002\u0000zzz", a limit "\u0000 1" read as none).
bool hasEscapedNul(QStringView json)
{
    for (qsizetype i = 0; i + 1 < json.size(); ++i) {
        if (json.at(i) != QLatin1Char('\\'))
            continue;
        if (json.at(i + 1) == QLatin1Char('u') && json.sliced(i + 2).startsWith(u"0000"))
            return true;
        ++i; // the escaped character is not itself an escape
    }
    return false;
}

} // namespace

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
    // SQLite's text functions stop at a NUL, so a value holding one (or a JSON argument
    // whose text escapes one) would be checked and stored as only its first part.
    for (qsizetype i = 0; i < call.arguments.size(); ++i) {
        const QString& argument = call.arguments.at(i);
        if (argument.contains(QChar(0)) ||
            (procedure->jsonParameters.contains(procedure->parameters.at(i), Qt::CaseInsensitive) &&
             hasEscapedNul(argument)))
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
