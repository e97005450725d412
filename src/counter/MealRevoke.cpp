#include "MealRevoke.h"

#include "CounterData.h"
#include "context/AppContext.h"
#include "widgets/MessageService.h"

bool MealRevoke::confirmAndRevoke(const QString& empNum, const QString& transNum)
{
    if (!m_context.messages().ask(
            QStringLiteral("Are you sure you want to revoke the selected items?"),
            QStringLiteral("Confirmation")))
        return false;
    CounterData(m_context).revoke(empNum, transNum);
    m_context.messages().info(QStringLiteral("Done."));
    return true;
}
