#pragma once

#include <QString>

class EmbeddedConnection;

// Personnel lists for Save_TALO_StaffImport, numbered E000001 ...: the same numbers can
// be sent again with another department and name suffix, so that every employee changes.
class StaffRows
{
public:
    // The JSON rows of employees first .. first + count - 1, in department `dept`
    // (named "<dept> unit"), last names "Name<n><suffix>".
    static QString json(int first, int count, const QString& dept, const QString& suffix = {});
    // Sends them as the program does: calls of at most 1,000 rows, all in one transaction.
    // `beforeCommit` runs after the last call, just before the commit.
    static void import(EmbeddedConnection& store, int first, int count, const QString& dept,
                       const QString& suffix = {}, void (*beforeCommit)() = nullptr);
    static QString number(int n);
};
