#pragma once

#include <QStringList>

// The meal modes a meal is handed out under, in the order the counter offers them. A
// mode typed by hand is allowed too, so the history filters on any text.
namespace MealModes {
inline QStringList all()
{
    return {QStringLiteral("Breakfast"),  QStringLiteral("Lunch"),      QStringLiteral("Dinner"),
            QStringLiteral("AM Snack"),   QStringLiteral("PM Snack"),   QStringLiteral("MN Snack"),
            QStringLiteral("Extra Meal"), QStringLiteral("Extra Snack")};
}
} // namespace MealModes
