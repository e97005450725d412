#pragma once

#include <QString>

class AppContext;

// The rights a user may hold, by their code in the stored rights text ("1" to "8"), and
// the one way a window asks for one before an action.
namespace Rights {

enum class Right
{
    Reports = 1,
    Tagging = 2,
    Meals = 3,
    MealTypes = 4,
    UserAccess = 5,
    Counter = 6,
    AppSettings = 7,
    Revoke = 8
};

// The right's code as the rights text holds it ("1" to "8").
QString code(Right right);

// Whether the signed-in user holds the right (a fresh reading, see CheckUserRights).
// Throws DbError.
bool held(AppContext& context, Right right);

// Held, or "No Access." is shown and the answer is false. Throws DbError, which shows
// nothing here: the caller's attempt shows the failed check instead.
bool heldOrRefused(AppContext& context, Right right);

// The user hears "No Access.": a right checked otherwise is not held.
void refuse(AppContext& context);

} // namespace Rights
