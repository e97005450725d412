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
    // `question` replaces the counter's own question where the window can name the meal.
    bool confirmAndRevoke(const QString& empNum, const QString& transNum,
                          const QString& question = {});
    // "Revoke L01 Chicken Adobo with Rice given to 100702 Ortega, Ben on 12/8/2026 at
    // 12:04?": what a window listing meals of many employees and days asks, so that the
    // clerk sees which meal the Yes revokes.
    static QString namedQuestion(const QString& meal, const QString& mealName,
                                 const QString& empNum, const QString& empName,
                                 const QString& givenAt);

private:
    AppContext& m_context;
};
