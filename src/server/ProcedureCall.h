#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// A stored procedure call as the program writes it: "Station..Name 'a', 'b'" (also
// with EXEC or EXECUTE, "Station.dbo.Name", and "','" without a blank).
struct ProcedureCall
{
    QString database; // empty when the call names no database
    QString name;
    QStringList arguments;

    // nullopt when the text is not a procedure call (a SELECT, for instance). Throws
    // DbError when it is a call with malformed arguments.
    static std::optional<ProcedureCall> parse(const QString& sql);
};
