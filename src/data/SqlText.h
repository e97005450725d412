#pragma once

#include <QString>

namespace SqlText {

// The one quoting function for values placed between single quotes in statement
// text: doubles every single quote, so a typed value always stays inside its literal.
// Ordinary values come back unchanged, so the statement text is the described text.
QString quote(const QString& value);

} // namespace SqlText
