#pragma once

#include "ReportRequest.h"
#include "data/Recordset.h"

class Connection;

// The statements of the meal distribution report: the aggregated rows, computed by the
// database, and the hospital's name for the header. They run on the report's own
// connection (see BackgroundReader). Throws DbError.
class ReportData
{
public:
    static Recordset rows(Connection& connection, const ReportRequest& request);
    static QString hospitalName(Connection& connection);
    // What heads the report: the site name of App Settings, or the hospital's name when
    // the site has none.
    static QString siteName(Connection& connection);
    // The site's meal modes in their list order.
    static QStringList mealModeOrder(Connection& connection);

    static QString rowsText(const ReportRequest& request);
};
