#include "OdbcSession.h"

#include "SessionDateFormat.h"

OdbcSession OdbcSession::sqlServer()
{
    return {SessionDateFormat::statement(), true};
}
