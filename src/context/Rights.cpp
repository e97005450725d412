#include "Rights.h"

#include "AppContext.h"
#include "GlobalLookups.h"
#include "widgets/MessageService.h"

namespace Rights {

QString code(Right right)
{
    return QString::number(int(right));
}

bool held(AppContext& context, Right right)
{
    return CheckUserRights(context, code(right));
}

bool heldOrRefused(AppContext& context, Right right)
{
    if (held(context, right))
        return true;
    refuse(context);
    return false;
}

void refuse(AppContext& context)
{
    context.messages().info(QStringLiteral("No Access."));
}

} // namespace Rights
