#include "CounterRules.h"

#include "settings/MealModes.h"

namespace CounterRules {

QString limitQuestion(const LimitWarning& warning, const QString& name)
{
    if (warning.receivedToday == 0)
        return QStringLiteral("The order holds %1 %2 for %3; the site allows %4 a day. "
                              "Record them all?")
            .arg(warning.ordered)
            .arg(warning.mealMode, name)
            .arg(warning.limit);
    if (warning.ordered > 1)
        return QStringLiteral("%1 has already received %2 %3 today. Record %4 more?")
            .arg(name)
            .arg(warning.receivedToday)
            .arg(warning.mealMode)
            .arg(warning.ordered);
    return QStringLiteral("%1 has already received %2 %3 today. Record another?")
        .arg(name)
        .arg(warning.receivedToday)
        .arg(warning.mealMode);
}

ModeCheck checkMealMode(const AppSettings& settings, const QString& typed)
{
    if (!settings.anyLimit())
        return {true, typed, {}};
    const MealModeSetting* mode = settings.mode(typed);
    if (!mode)
        return {false,
                {},
                QStringLiteral("Meal mode %1 is not one of the site's meal modes. While the site "
                               "limits meals a day, choose a meal mode from the list.")
                    .arg(typed.trimmed())};
    // The site's own spelling, so the reports count "lunch" and "Lunch" as one.
    return {true, mode->mealMode, {}};
}

QStringList offeredModes(const AppSettings& settings)
{
    const QStringList modes = settings.modeNames();
    return modes.isEmpty() ? MealModes::all() : modes;
}

int scannedRow(const QStringList& numbers, const QString& scanned)
{
    const QString number = scanned.trimmed();
    if (number.isEmpty())
        return 0;
    int found = 0;
    for (int i = 0; i < numbers.size(); ++i) {
        if (numbers.at(i).compare(number, Qt::CaseInsensitive) != 0)
            continue;
        if (found)
            return 0; // two employees answer to it: the clerk chooses
        found = i + 1;
    }
    return found;
}

QString noEmployeeNote(const QString& number)
{
    return QStringLiteral("No employee has the number %1.").arg(number);
}

QString inactiveEmployeeNote(const QString& number)
{
    return QStringLiteral("Employee %1 is inactive.").arg(number);
}

QString chosenEmployeeText(const QString& empNum, const QString& name)
{
    return empNum.isEmpty() ? QString() : empNum + QStringLiteral("  ") + name.trimmed();
}

QString statusNote(const QStringList& notes)
{
    QStringList lines;
    for (const QString& line : notes) {
        if (!line.isEmpty())
            lines << line;
    }
    return lines.join(QStringLiteral("  "));
}

QString dropOrderQuestion(const QString& name)
{
    return QStringLiteral("The order for %1 is not saved. Close the counter and drop the order?")
        .arg(name);
}

QString saveBeforeBadgeQuestion(const QString& name, const QString& badge)
{
    return QStringLiteral("Badge %1 was scanned. Save the order for %2 first?").arg(badge, name);
}

QString dropBeforeBadgeQuestion(const QString& name, const QString& badge)
{
    return QStringLiteral("Drop the order for %1 and serve badge %2?").arg(name, badge);
}

} // namespace CounterRules
