#pragma once

#include <QLocale>
#include <QString>

// The order of day, month and year in the workstation's short date, as SQL Server's
// SET DATEFORMAT names it ("mdy", "dmy", "ymd"). The program sends dates as general
// date text; a server session reads such text in its own language's order unless told,
// and FreeTDS logs in with its own language, so the order is set on every connection.
class SessionDateFormat
{
public:
    static QString order(const QLocale& locale = QLocale());
    // "SET DATEFORMAT mdy": the statement run after each connect.
    static QString statement(const QLocale& locale = QLocale());
};
