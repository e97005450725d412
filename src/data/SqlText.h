#pragma once

#include <QString>
#include <QStringList>

namespace SqlText {

// The one quoting function for values placed between single quotes in statement
// text: doubles every single quote, so a typed value always stays inside its literal.
// Ordinary values come back unchanged, so the statement text is the described text.
QString quote(const QString& value);

// A procedure call's text, the one way every call is built: the procedure, a blank, then
// each argument quoted between single quotes, ", " between them:
// call("Station..P", {"a", "O'Neil"}) is "Station..P 'a', 'O''Neil'". No arguments: the
// procedure's name alone.
QString call(const QString& procedure, const QStringList& arguments);
// The same with the signed-in user's code last after "," with no blank, as the designed
// texts of the saves of rights, meals, meal types and meal tags send it.
QString callByUser(const QString& procedure, const QStringList& arguments, const QString& user);

// The statement as a connection sends it: every '…' literal that holds a character
// outside plain ASCII becomes N'…', so SQL Server keeps it as Unicode instead of
// turning what its code page lacks into '?'. Nothing else changes: a statement of
// plain ASCII text comes back byte for byte, and N'…' literals stay as they are.
QString national(const QString& sql);

} // namespace SqlText
