#include "GlobalLookups.h"

#include "AppContext.h"
#include "data/GeneralDate.h"
#include "data/Recordset.h"
#include "data/SqlText.h"

#include <QStringList>

void LoadServerDate(AppContext& context)
{
    const Recordset recordset = context.open(
        QStringLiteral("Select GetDate() As ServerDate From Patient_Data..tbHospitalInfo"));
    if (recordset.eof())
        return;
    // A value that is not a date-time leaves the date as it was, like a missing row.
    if (const auto serverDate =
            GeneralDate::fromText(recordset.value(0, QStringLiteral("ServerDate"))))
        context.setServerDate(*serverDate);
}

bool CheckUserRights(AppContext& context, const QString& code)
{
    const Recordset recordset = context.open(userRightsText(context.userCode()));
    if (recordset.recordCount() < 1)
        return false;
    return rightsHold(recordset.value(0, QStringLiteral("Rights")), code);
}

QString userRightsText(const QString& userCode)
{
    return QStringLiteral(
               "Select UserRights [Rights] from Station..tbTALOUserRights where UserID = '") +
           SqlText::quote(userCode) + QStringLiteral("'");
}

bool rightsHold(const QString& rights, const QString& code)
{
    const QStringList parts = rights.split(QLatin1Char('|'));
    bool isNumber = false;
    const int position = code.toInt(&isNumber);
    if (!isNumber || position < 0 || position >= parts.size())
        return false;
    return parts.at(position) == code;
}
