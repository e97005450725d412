#include "OdbcSession.h"

#include "SessionDateFormat.h"

QString OdbcSession::sqlServerOptions()
{
    // The filtered index on the meals table needs these on every session that writes
    // it (error 1934 otherwise), and FreeTDS does not always set them at login.
    return QStringLiteral("SET ANSI_NULLS, ANSI_PADDING, ANSI_WARNINGS, ARITHABORT, "
                          "CONCAT_NULL_YIELDS_NULL, QUOTED_IDENTIFIER ON");
}

OdbcSession OdbcSession::sqlServer()
{
    return {SessionDateFormat::statement() + QStringLiteral("; ") + sqlServerOptions(), true};
}
