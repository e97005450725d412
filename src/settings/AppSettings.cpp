#include "AppSettings.h"

#include "counter/MealModes.h"

#include <utility>

namespace {

int minuteOfDay(const QTime& time)
{
    return time.hour() * 60 + time.minute();
}

} // namespace

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

const MealModeSetting* AppSettings::mode(const QString& name) const
{
    for (const MealModeSetting& setting : mealModes) {
        if (setting.mealMode.compare(name.trimmed(), Qt::CaseInsensitive) == 0)
            return &setting;
    }
    return nullptr;
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
