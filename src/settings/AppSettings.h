#pragma once

#include <QDate>
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
    // Enter moves an order on from box to box, Alt keys on Save and Cancel, Enter and the
    // arrow keys choose on the lists. Off: the counter's keys are only typing.
    bool keyboardEntry = false;
    // The tagging window offers bulk tagging (a department, a list or every active
    // employee at once). Off: it tags one employee at a time.
    bool bulkTagging = false;
    // The counter keeps serving when the server cannot be reached: every order carries
    // its key, so an order sent again after a dropped link is stored once. Off: the
    // counter sends and says exactly what it always has.
    bool keepServingOffline = false;
    // Every list fits its columns to their contents: never narrower than their header
    // text, the last one filling the list. Off: the lists show their designed widths.
    bool fittedColumns = false;
    // How many seconds a statement of the program may wait for its answer before the user
    // sees why and nothing of it is kept: a statement held behind a lock (an import in
    // progress) must not freeze the counter.
    int statementTimeout = kDefaultStatementTimeout;
    static constexpr int kDefaultStatementTimeout = 10;
    static constexpr int kMaxStatementTimeout = 600;
    Qt::DayOfWeek firstDayOfWeek = Qt::Monday;
    QString siteName; // as stored; empty = show the hospital name
    // The meals on or before this day are closed (sent to payroll): the store records and
    // revokes none of them. Null: nothing is closed.
    QDate closedThrough;

    // What a site has before anyone saved: the listed modes, no limits, no windows.
    static AppSettings defaults();

    // The mode whose serving window holds `time`; empty when none does.
    QString modeServedAt(const QTime& time) const;
    // Whether two modes' serving windows share more than the minute where one ends and
    // the other begins (the counter could not tell which mode is served then).
    static bool servingOverlaps(const MealModeSetting& a, const MealModeSetting& b);
    // Whether any mode has a daily limit: then a typed mode must be one of the site's.
    bool anyLimit() const;
    // The setting of that mode, or nullptr. Names match ignoring case, character width
    // (a full-width "Ｌｕｎｃｈ" is "Lunch") and blanks around them.
    const MealModeSetting* mode(const QString& name) const;
    MealModeSetting* mode(const QString& name);
    // Every mode name in order (for the counter's mode list).
    QStringList modeNames() const;

    bool operator==(const AppSettings&) const = default;

    // A mode name as the comparison sees it: width and compatibility forms folded, case
    // folded, blanks around dropped.
    static QString foldedName(const QString& name);
};

// A meal mode of an order that would pass the employee's daily limit in warn mode.
struct LimitWarning
{
    QString mealMode;
    int receivedToday = 0; // not revoked, same server day
    int limit = 0;
    int ordered = 0; // lines of this mode in the order
};
