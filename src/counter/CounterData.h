#pragma once

#include "CounterSettings.h"
#include "OrderLine.h"
#include "data/Recordset.h"
#include "settings/AppSettingsData.h"

#include <QDate>
#include <QList>
#include <QString>

class AppContext;

// The meal counter's conversation with the database server: the statement texts it
// sends and how they are sent. Every call throws DbError when the server refuses.
class CounterData
{
public:
    explicit CounterData(AppContext& context)
        : m_context(context), m_settingsData(context), m_settings(context)
    {}

    // Employees matching the search text, for the day the server's clock shows now. The
    // site's settings are read again first when they may have changed since (a change
    // saved on another workstation counts within a minute).
    Recordset loadEmployees(const QString& searchText);
    // The site's settings as last read, or as saved on this workstation since.
    const AppSettings& settings() const { return m_settings.settings(); }
    // Why the defaults stand in for the site's settings; empty when they were read.
    const QString& settingsFault() const { return m_settings.fault(); }
    void useSettings(const AppSettings& settings) { m_settings.use(settings); }
    // The next search reads the settings again (the window's Load).
    void expireSettings() { m_settings.expire(); }
    // The warn-mode limits the order would pass. The server is asked only when a mode of
    // the order has such a limit.
    QList<LimitWarning> limitWarnings(const QString& empNum, const QList<OrderLine>& lines);
    // Reads the server's clock afresh; true when its day is no longer the day of the
    // last employee search (midnight has passed since).
    bool dayChangedSinceSearch();
    // The meals an employee has received (not revoked) on the given day.
    Recordset loadDistributedMeals(const QString& empNum, const QString& empCol3) const;
    // Records every line as a distributed meal of `empNum`, all or nothing.
    void saveOrder(const QString& empNum, const QList<OrderLine>& lines);
    // Cancels one distributed meal, named by its transaction number.
    void revoke(const QString& empNum, const QString& transNum) const;
    // True when the number belongs to an employee marked inactive: the counter's search
    // leaves such employees out, and the clerk must hear why the badge found nobody.
    // A failing read counts as false (the plain "nobody" note stands).
    bool isInactiveEmployee(const QString& empNum) const;

    static QString loadEmployeesText(const QString& date, const QString& searchText);
    static QString loadDistributedMealsText(const QString& empNum, const QString& empCol3);
    static QString saveText(const QString& empNum, const OrderLine& line, const QString& date,
                            const QString& clerk);
    static QString revokeText(const QString& empNum, const QString& transNum, const QString& clerk);

private:
    // The server's date-time read now, as general date text.
    QString freshServerDateText();
    QString clerk() const;

    AppContext& m_context;
    AppSettingsData m_settingsData;
    CounterSettings m_settings;
    QDate m_searchDay;
};
