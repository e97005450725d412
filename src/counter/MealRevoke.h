#pragma once

#include <QString>

class AppContext;

// Revoking one distributed meal, as the counter and the history window both do it: the
// clerk confirms, the store revokes the meal named by its transaction number in the
// clerk's name, and "Done." says so. Whether the clerk may revoke at all (right "8")
// is checked by the window before.
class MealRevoke
{
public:
    explicit MealRevoke(AppContext& context) : m_context(context) {}

    // True when the meal was revoked; false when the clerk answered No. Throws DbError
    // when the store refuses (nothing is then reported as done).
    bool confirmAndRevoke(const QString& empNum, const QString& transNum);

private:
    AppContext& m_context;
};
