#include "MessageService.h"

#include "data/DbError.h"

QString MessageService::errorText(const DbError& error)
{
    // A refusal's number is the same for every message a procedure raises: it tells
    // the user nothing, the text says it all.
    if (error.isRefusal())
        return error.message();
    return QStringLiteral("Error %1: %2").arg(error.number()).arg(error.message());
}
