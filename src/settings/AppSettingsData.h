#pragma once

#include "data/Recordset.h"
#include "settings/AppSettings.h"

#include <QList>
#include <QString>
#include <QStringList>

class AppContext;

// The database side of App Settings, through Station procedures. Throws DbError.
class AppSettingsData
{
public:
    explicit AppSettingsData(AppContext& context) : m_context(context) {}

    // Station..Load_TALO_AppSettings; the defaults where nothing is stored.
    AppSettings load();
    // Station..Save_TALO_AppSettings: one call replaces every setting and writes the audit rows.
    // The closed day is not among them: see closeThrough.
    void save(const AppSettings& settings);
    // Station..Save_TALO_ClosedThrough: the meals on or before `day` are closed; a null
    // day closes nothing.
    void closeThrough(const QDate& day);
    // The warn-mode limits this order would pass for the employee today (server day);
    // block-mode limits are enforced by Save_TALO_EmployeeDistributedMeals itself.
    // One entry in `mealModes` per line of the order.
    QList<LimitWarning> warnings(const QString& empNum, const QStringList& mealModes);

    // The settings in the rows Load_TALO_AppSettings answers (the defaults for none).
    static AppSettings settingsFrom(const Recordset& rows);
    // The statement texts the calls send.
    static QString loadText();
    static QString saveText(const AppSettings& settings, const QString& user);
    static QString checkText(const QString& empNum, const QStringList& mealModes);
    static QString closeThroughText(const QDate& day, const QString& user);
    // The hospital's name, which stands in for an empty site name.
    static QString hospitalNameText();
    static QString hospitalName(const Recordset& info);

private:
    AppContext& m_context;
};
