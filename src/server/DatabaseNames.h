#pragma once

#include <QString>

// The four server databases (Station, Patient_Data, Password, Payroll) live in one
// SQLite file, the connection's main database: their table names do not collide. The
// store's own SQL (schema steps, procedures) and the rewritten T-SQL still name each
// object with its database, as a SQL Server needs; this turns every such qualifier into
// `main`, so that one file answers for all four and one commit covers them all.
class DatabaseNames
{
public:
    // `Station.tbcoMeal` -> `main.tbcoMeal` (also "Station" and [Station] quoted),
    // outside string literals and comments; any other text is left as it is.
    static QString toMain(const QString& sql);
    // Whether `name` (any letter case) is one of the four databases.
    static bool isDatabase(const QString& name);
};
