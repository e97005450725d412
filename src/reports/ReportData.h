#pragma once

#include "ReportRequest.h"
#include "data/Recordset.h"

class AppContext;

// The statements of the meal distribution report: the aggregated rows, computed by the
// database, and the name for the header. Throws DbError.
class ReportData
{
public:
    explicit ReportData(AppContext& context) : m_context(context) {}

    Recordset rows(const ReportRequest& request) const;
    QString hospitalName() const;
    // The site name of App Settings, or the hospital's name where the site has none.
    QString headerName() const;

    static QString rowsText(const ReportRequest& request);

private:
    AppContext& m_context;
};
