#include "DbError.h"

DbError::DbError(int number, QString message, bool linkLost)
    : m_number(number), m_message(std::move(message)),
      m_what(QStringLiteral("error %1: %2").arg(m_number).arg(m_message).toStdString()),
      m_linkLost(linkLost)
{}

DbError DbError::timeout(int seconds)
{
    return DbError(
        timeoutNumber,
        QStringLiteral("Query timeout expired: the database server gave no answer within "
                       "%1 seconds (it may be busy, or another user holds the rows). "
                       "Nothing of it was kept; try again in a moment.")
            .arg(seconds));
}
