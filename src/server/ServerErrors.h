#pragma once

// Error numbers the embedded store answers with, chosen to match what a SQL Server
// would report for the same mistake where one exists.
namespace ServerErrors {

// A procedure refused its input (raised by the procedure body).
constexpr int Raised = 50000;
// Statement text the store does not run (not a SELECT or a procedure call, several
// statements, or syntax it does not know).
constexpr int Unsupported = 50001;
// Incorrect syntax (unterminated literal, unbalanced brackets).
constexpr int Syntax = 102;
// Could not find stored procedure.
constexpr int UnknownProcedure = 2812;
// Procedure has too many arguments specified.
constexpr int TooManyArguments = 8144;
// Procedure expects a parameter which was not supplied.
constexpr int MissingArgument = 201;
// The store's files were written by a newer program version, or cannot be opened.
constexpr int StoreVersion = 50002;
// A check, backup or restore of the store's files that cannot be done.
constexpr int Maintenance = 50004;

} // namespace ServerErrors
