#pragma once

#include "settings/AppSettingsData.h"

#include <QDateTime>
#include <QString>

class AppContext;

// The site's settings as the counter holds them. They are read when the window loads
// and then, at a search, only once the server's clock has moved a minute on since the
// last reading, so a search sends little more than the search itself; settings saved
// on this workstation count at once. A reading that fails (a server without the
// settings procedure yet, a refused permission) never stops the counter: the defaults
// stand in (no limits, no serving windows, scan mode and keyboard entry off) and
// fault() says why; a site that keeps serving keeps the settings last read while the
// server cannot be reached.
class CounterSettings
{
public:
    explicit CounterSettings(AppContext& context)
        : m_data(context), m_settings(AppSettings::defaults())
    {}

    // Reads the settings if they may have changed by `serverNow`. True when a reading
    // was made (whether or not it succeeded).
    bool refresh(const QDateTime& serverNow);
    // The next refresh reads, whatever the clock says (the window's Load).
    void expire() { m_readAt = QDateTime(); }
    // Settings saved on this workstation: no reading needed.
    void use(const AppSettings& settings);

    const AppSettings& settings() const { return m_settings; }
    // Empty when the last reading succeeded; otherwise the line the counter shows.
    const QString& fault() const { return m_fault; }

    // How long settings read count before a search reads them again.
    static constexpr int kFreshSeconds = 60;

private:
    AppSettingsData m_data;
    AppSettings m_settings;
    QDateTime m_readAt;
    QString m_fault;
    // Whether a reading ever succeeded (or settings were saved here).
    bool m_read = false;
};
