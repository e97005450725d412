#include "DbError.h"

DbError::DbError(int number, QString message, bool linkLost)
    : m_number(number), m_message(std::move(message)),
      m_what(QStringLiteral("error %1: %2").arg(m_number).arg(m_message).toStdString()),
      m_linkLost(linkLost)
{}
