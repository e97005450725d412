#include "AppSettings.h"

#include "settings/MealModes.h"

#include <algorithm>
#include <utility>

namespace {

int minuteOfDay(const QTime& time)
{
    return time.hour() * 60 + time.minute();
}

// A serving window as one or two ranges of minutes, both ends included.
QList<std::pair<int, int>> servingRanges(const MealModeSetting& setting)
{
    if (!setting.serveFrom.isValid() || !setting.serveTo.isValid())
        return {};
    const int from = minuteOfDay(setting.serveFrom);
    const int to = minuteOfDay(setting.serveTo);
    if (from <= to)
        return {{from, to}};
    return {{from, 24 * 60 - 1}, {0, to}};
}

} // namespace

bool AppSettings::servingOverlaps(const MealModeSetting& a, const MealModeSetting& b)
{
    for (const auto& [aFrom, aTo] : servingRanges(a)) {
        for (const auto& [bFrom, bTo] : servingRanges(b)) {
            if (std::max(aFrom, bFrom) < std::min(aTo, bTo))
                return true;
        }
    }
    return false;
}

AppSettings AppSettings::defaults()
{
    AppSettings settings;
    for (const QString& name : MealModes::all())
        settings.mealModes.append({name, std::nullopt, LimitAction::Warn, {}, {}});
    return settings;
}

QString AppSettings::modeServedAt(const QTime& time) const
{
    if (!time.isValid())
        return {};
    // Windows are whole minutes, both ends included; one whose start is after its end
    // runs past midnight (a night snack from 23:00 to 01:00).
    const int now = minuteOfDay(time);
    for (const MealModeSetting& setting : mealModes) {
        if (!setting.serveFrom.isValid() || !setting.serveTo.isValid())
            continue;
        const int from = minuteOfDay(setting.serveFrom);
        const int to = minuteOfDay(setting.serveTo);
        const bool inside = from <= to ? (now >= from && now <= to) : (now >= from || now <= to);
        if (inside)
            return setting.mealMode;
    }
    return {};
}

QString AppSettings::foldedName(const QString& name)
{
    return name.normalized(QString::NormalizationForm_KC).toCaseFolded().trimmed();
}

const MealModeSetting* AppSettings::mode(const QString& name) const
{
    const QString folded = foldedName(name);
    for (const MealModeSetting& setting : mealModes) {
        if (foldedName(setting.mealMode) == folded)
            return &setting;
    }
    return nullptr;
}

bool AppSettings::anyLimit() const
{
    return std::any_of(mealModes.begin(), mealModes.end(), [](const MealModeSetting& setting) {
        return setting.dailyLimit.has_value();
    });
}

MealModeSetting* AppSettings::mode(const QString& name)
{
    return const_cast<MealModeSetting*>(std::as_const(*this).mode(name));
}

QStringList AppSettings::modeNames() const
{
    QStringList names;
    for (const MealModeSetting& setting : mealModes)
        names << setting.mealMode;
    return names;
}
