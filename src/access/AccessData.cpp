#include "AccessData.h"

#include "context/AppContext.h"
#include "data/SqlText.h"

using SqlText::quote;

Recordset AccessData::searchPersonnel(const QString& text)
{
    const QString t = quote(text);
    return m_context.open(QStringLiteral("Select Distinct EmployeeID [STAFF ID], "
                                         "Lastname+', '+Firstname+' '+Middlename[NAME] "
                                         "from Password..tbPasswordMain where EmployeeID = '") +
                          t + QStringLiteral("' or Lastname like '") + t +
                          QStringLiteral("' + '%'"));
}

Recordset AccessData::accessList()
{
    return m_context.open(QStringLiteral("Select Code [CODE], Description [DESCRIPTION], "
                                         "'' [ACCESS] from Station..tbTALOUserSetUp"));
}

Recordset AccessData::userRights(const QString& staffId)
{
    return m_context.open(
        QStringLiteral(
            "Select UserRights [Rights] from Station..tbTALOUserRights where UserID = '") +
        quote(staffId) + QStringLiteral("'"));
}

void AccessData::saveUserRights(const QString& staffId, const QString& rights)
{
    const QString user = m_context.userCode();
    m_context.execute(SqlText::callByUser(QStringLiteral("Station..Save_TALO_User_Rights"),
                                          {staffId, rights}, user));
}
