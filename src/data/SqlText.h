#pragma once

#include <QString>

namespace SqlText {

// The one quoting function for values placed between single quotes in statement
// text: doubles every single quote, so a typed value always stays inside its literal.
// Ordinary values come back unchanged, so the statement text is the described text.
QString quote(const QString& value);

// The statement as a connection sends it: every '…' literal that holds a character
// outside plain ASCII becomes N'…', so SQL Server keeps it as Unicode instead of
// turning what its code page lacks into '?'. Nothing else changes: a statement of
// plain ASCII text comes back byte for byte, and N'…' literals stay as they are.
QString national(const QString& sql);

} // namespace SqlText
