#pragma once

#include <QString>

// How an ODBC connection prepares and speaks to its server session.
struct OdbcSession
{
    // Run on every new link before anything else, also after a dropped link was reopened.
    QString setup;
    // Send literals with non-ASCII text as N'…' (SqlText::national).
    bool nationalLiterals = false;

    // A SQL Server session: the workstation's date order and Unicode literals.
    static OdbcSession sqlServer();
};
