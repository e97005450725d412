#pragma once

#include "ProcedureCall.h"
#include "data/Recordset.h"

class EmbeddedStore;
class ProcedureCatalog;

// Runs a procedure call on the store: finds the body in the catalog, binds the
// arguments to its parameters in order, runs it in one transaction (a savepoint inside
// an outer one) and returns the rows of its final SELECT.
class ProcedureRunner
{
public:
    ProcedureRunner(EmbeddedStore& store, const ProcedureCatalog& catalog);

    // Throws DbError: unknown procedure, wrong number of arguments, or the body's own
    // refusal (number 50000) or failure; nothing is left half done.
    Recordset run(const ProcedureCall& call);

private:
    EmbeddedStore& m_store;
    const ProcedureCatalog& m_catalog;
};
