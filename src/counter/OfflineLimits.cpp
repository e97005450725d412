#include "OfflineLimits.h"

#include "server/UnicodeText.h"

#include <algorithm>

namespace OfflineLimits {

namespace {

// Modes match as the server's limits match them: case, width, blanks around and
// look-alike letters folded.
QString matchKey(const QString& mode)
{
    return UnicodeText::lookAlikeForm(mode);
}

int countOf(const QStringList& modes, const QString& key)
{
    return int(std::count_if(modes.begin(), modes.end(),
                             [&key](const QString& mode) { return matchKey(mode) == key; }));
}

} // namespace

QList<LimitWarning> warnings(const AppSettings& settings, const QStringList& receivedModes,
                             const QList<OrderLine>& lines)
{
    QStringList ordered;
    for (const OrderLine& line : lines)
        ordered.append(line.mealMode);
    QList<LimitWarning> out;
    for (const MealModeSetting& mode : settings.mealModes) {
        if (!mode.dailyLimit || mode.limitAction != LimitAction::Warn)
            continue;
        const QString key = matchKey(mode.mealMode);
        const int inOrder = countOf(ordered, key);
        const int received = countOf(receivedModes, key);
        if (inOrder > 0 && received + inOrder > *mode.dailyLimit)
            out.append({mode.mealMode, received, *mode.dailyLimit, inOrder});
    }
    return out;
}

QString refusal(const AppSettings& settings, const QStringList& receivedModes,
                const QList<OrderLine>& lines, const QString& name, const QString& empNum)
{
    QStringList ordered;
    for (const OrderLine& line : lines) {
        ordered.append(line.mealMode);
        const QString key = matchKey(line.mealMode);
        const auto mode = std::find_if(
            settings.mealModes.begin(), settings.mealModes.end(), [&key](const MealModeSetting& m) {
                return m.dailyLimit && m.limitAction == LimitAction::Block &&
                       matchKey(m.mealMode) == key;
            });
        if (mode == settings.mealModes.end())
            continue;
        const int before = countOf(receivedModes, key);
        const int holds = countOf(ordered, key);
        if (before + holds - 1 >= *mode->dailyLimit)
            return QStringLiteral("%1 (%2) has received %3 %4 today and this order holds %5; the "
                                  "site allows %6 a day.")
                .arg(name.trimmed(), empNum)
                .arg(before)
                .arg(mode->mealMode)
                .arg(holds)
                .arg(*mode->dailyLimit);
    }
    return {};
}

} // namespace OfflineLimits
