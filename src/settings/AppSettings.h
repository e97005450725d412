#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <QTime>
#include <optional>

enum class LimitAction
{
    Warn,
    Block
};

// What the site decides for one meal mode.
struct MealModeSetting
{
    QString mealMode;
    std::optional<int> dailyLimit; // most meals of this mode per employee a day; empty = no limit
    LimitAction limitAction = LimitAction::Warn;
    QTime serveFrom; // both null = no serving window; from > to wraps past midnight
    QTime serveTo;

    bool operator==(const MealModeSetting&) const = default;
};

// The site's settings, shared by every counter through the Station database.
struct AppSettings
{
    // The eight listed modes first (always present), then modes the site added.
    QList<MealModeSetting> mealModes;
    bool scanMode = false;
    Qt::DayOfWeek firstDayOfWeek = Qt::Monday;
    QString siteName; // as stored; empty = show the hospital name

    // What a site has before anyone saved: the listed modes, no limits, no windows.
    static AppSettings defaults();

    // The mode whose serving window holds `time`; empty when none does.
    QString modeServedAt(const QTime& time) const;
    // The setting of that mode (case-insensitive name), or nullptr.
    const MealModeSetting* mode(const QString& name) const;
    MealModeSetting* mode(const QString& name);
    // Every mode name in order (for the counter's mode list).
    QStringList modeNames() const;

    bool operator==(const AppSettings&) const = default;
};

// A meal mode of an order that would pass the employee's daily limit in warn mode.
struct LimitWarning
{
    QString mealMode;
    int receivedToday = 0; // not revoked, same server day
    int limit = 0;
    int ordered = 0; // lines of this mode in the order
};
