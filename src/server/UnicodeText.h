#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <optional>

// Text comparison as the database server does it by default: case-insensitive for
// every script (not only ASCII), trailing blanks ignored in comparisons.
namespace UnicodeText {

// Sort order and equality of keys and names: <0, 0, >0.
int compare(QStringView a, QStringView b);

// The same order over the stored UTF-8 bytes, valid or not: trailing blanks are
// ignored, then the case-folded characters are compared one by one. A byte that is
// not part of valid UTF-8 stands for itself and sorts after every character. It is a
// total order over every text SQLite can hold, as an index needs.
int compareUtf8(QByteArrayView a, QByteArrayView b);

// Bytes whose plain byte order is that order (equal keys for equal texts): sorting by
// them is a memory comparison instead of a decoding one.
QByteArray sortKey(QByteArrayView utf8);

// The least text (as UTF-8) that sorts after every text beginning with `prefix`, so
// that "prefix <= x < end" holds exactly the texts that begin with it. None for an
// empty prefix: every text begins with it.
std::optional<QByteArray> prefixEnd(QByteArrayView prefix);

// Stored UTF-8 bytes as text. Unlike QString::fromUtf8 it keeps a leading U+FEFF; a
// byte that is not valid UTF-8 becomes U+FFFD.
QString fromUtf8(QByteArrayView utf8);

// True when the text holds a character that shows nothing or only a blank, by Unicode's
// own properties: default-ignorable code points (format characters, variation selectors,
// fillers, tags...), controls, surrogates, unassigned code points and noncharacters,
// line and paragraph separators, every blank but the plain space, and the braille blank.
// Keys and meal modes must not hold them: two keys that look the same would name
// different rows.
bool hasInvisible(QStringView text);

// The form in which two keys (user IDs, employee numbers, department, meal and meal type
// codes) are the same key: blanks around ignored, then Unicode's NFKC case folding
// (full-width and compatibility forms read as their ordinary letters, case folded,
// default-ignorable code points dropped). A new key whose form equals an existing key's
// is refused.
QString keyForm(QStringView text);

// The key form reduced to Unicode's confusable skeleton: texts that a reader cannot tell
// apart ("Lunch" in Latin or with a Cyrillic "u", "10002" and "1OOO2") share it. Staff IDs
// and meal modes are compared this way (a meal's mode is matched to its rule by it).
QString lookAlikeForm(QStringView text);

// True when the text holds a digit of another script than ASCII (full-width, Arabic-Indic
// ...): dates are read from ASCII digits only.
bool hasNonAsciiDigit(QStringView text);

// Pattern match with the server's LIKE rules: % any run, _ one character, [abc] [a-f]
// one of a set, [^abc] none of a set; an unclosed [ stands for itself. Case-insensitive.
bool like(QStringView text, QStringView pattern);
// LIKE with an escape character that makes the next pattern character literal.
bool like(QStringView text, QStringView pattern, QChar escape);

// Case-insensitive "begins with" and "contains" of plain text (no wildcards).
bool startsWith(QStringView text, QStringView prefix);
bool contains(QStringView text, QStringView part);

} // namespace UnicodeText
