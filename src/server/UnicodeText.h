#pragma once

#include <QString>
#include <QStringView>

// Text comparison as the database server does it by default: case-insensitive for
// every script (not only ASCII), trailing blanks ignored in comparisons.
namespace UnicodeText {

// Sort order and equality of keys and names: <0, 0, >0.
int compare(QStringView a, QStringView b);

// Pattern match with the server's LIKE rules: % any run, _ one character, [abc] [a-f]
// one of a set, [^abc] none of a set; an unclosed [ stands for itself. Case-insensitive.
bool like(QStringView text, QStringView pattern);
// LIKE with an escape character that makes the next pattern character literal.
bool like(QStringView text, QStringView pattern, QChar escape);

// Case-insensitive "begins with" and "contains" of plain text (no wildcards).
bool startsWith(QStringView text, QStringView prefix);
bool contains(QStringView text, QStringView part);

} // namespace UnicodeText
