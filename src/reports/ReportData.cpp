#include "ReportData.h"

#include "data/Connection.h"
#include "data/SqlText.h"
#include "settings/AppSettingsData.h"

namespace {

QString layoutName(ReportRequest::Layout layout)
{
    switch (layout) {
    case ReportRequest::Layout::Payroll:
        return QStringLiteral("PAYROLL");
    case ReportRequest::Layout::Revoked:
        return QStringLiteral("REVOKED");
    case ReportRequest::Layout::Summary:
        break;
    }
    return QStringLiteral("SUMMARY");
}

} // namespace

Recordset ReportData::rows(Connection& connection, const ReportRequest& request)
{
    return connection.open(rowsText(request));
}

QString ReportData::hospitalName(Connection& connection)
{
    return AppSettingsData::hospitalName(connection.open(AppSettingsData::hospitalNameText()));
}

QString ReportData::siteName(Connection& connection)
{
    const QString site =
        AppSettingsData::settingsFrom(connection.open(AppSettingsData::loadText())).siteName;
    return site.trimmed().isEmpty() ? hospitalName(connection) : site;
}

QStringList ReportData::mealModeOrder(Connection& connection)
{
    return AppSettingsData::settingsFrom(connection.open(AppSettingsData::loadText())).modeNames();
}

QString ReportData::rowsText(const ReportRequest& request)
{
    return SqlText::call(QStringLiteral("Station..Report_TALO_MealDistribution"),
                         {request.period.fromArgument(), request.period.toArgument(),
                          request.group1, request.group2, layoutName(request.layout)});
}
