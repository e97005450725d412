#pragma once

struct sqlite3;

// Counting rows per distinct combination of values without sorting them. SQLite's
// GROUP BY sorts every row first, which for a month of meals is most of a report's
// time; a hash table counts them in one pass.
//
// talo_tally(a, b, c, d), an aggregate, counts its rows per combination of its four
// values, compared byte for byte as GROUP BY ... COLLATE BINARY compares texts, NULL
// being a value of its own. Its result, a blob, is read back as rows by the
// table-valued function talo_tally_rows(tally): columns K1, K2, K3, K4 (the values) and
// N (the rows counted), one row per combination, in the order each was first met. The
// values may be texts, blobs or NULL; a number is refused, as numbers of different
// types would compare equal in a GROUP BY and not here.
class GroupTally
{
public:
    // Throws DbError when SQLite refuses the function or the module.
    static void registerOn(sqlite3* db);
};
