#pragma once

#include <QString>

// How an ODBC connection prepares and speaks to its server session.
struct OdbcSession
{
    // Run on every new link before anything else, also after a dropped link was reopened.
    QString setup;
    // Send literals with non-ASCII text as N'…' (SqlText::national).
    bool nationalLiterals = false;

    // A SQL Server session: the workstation's date order, the ANSI options every
    // session must hold, and Unicode literals. A link whose setup fails is refused.
    static OdbcSession sqlServer();
    // "SET ANSI_NULLS, … ON": the options part of the SQL Server setup.
    static QString sqlServerOptions();
};
