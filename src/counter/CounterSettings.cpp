#include "CounterSettings.h"

#include "data/DbError.h"
#include "widgets/MessageService.h"

#include <cstdlib>

bool CounterSettings::refresh(const QDateTime& serverNow)
{
    // A clock set back counts as moved on too.
    if (m_readAt.isValid() && std::llabs(m_readAt.secsTo(serverNow)) < kFreshSeconds)
        return false;
    m_readAt = serverNow;
    try {
        m_settings = m_data.load();
        m_fault.clear();
        m_read = true;
    } catch (const DbError& error) {
        // A site that keeps serving keeps its limits while the server cannot be reached.
        if (m_read && m_settings.keepServingOffline && error.isUnavailable())
            return true;
        m_settings = AppSettings::defaults();
        m_fault = QStringLiteral("Default settings are in use: the site's settings could not "
                                 "be read (%1).")
                      .arg(MessageService::errorText(error));
    }
    return true;
}

void CounterSettings::use(const AppSettings& settings)
{
    m_settings = settings;
    m_fault.clear();
    m_read = true;
}
