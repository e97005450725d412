#pragma once

#include <QString>

class AppContext;

// The database side of the meal master and the meal type master: one save procedure
// call each, the same call for a new entry and for an edit. Every value placed between
// quotes goes through SqlText::quote. The signed-in user is recorded as the author.
// Failures are thrown as DbError.
class MealMasterData
{
public:
    explicit MealMasterData(AppContext& context) : m_context(context) {}

    void saveMeal(const QString& code, const QString& name, const QString& cost,
                  const QString& type, bool active) const;
    void saveMealType(const QString& code, const QString& name, bool active) const;

    static QString saveMealText(const QString& code, const QString& name, const QString& cost,
                                const QString& type, bool active, const QString& user);
    static QString saveMealTypeText(const QString& code, const QString& name, bool active,
                                    const QString& user);

private:
    QString user() const;

    AppContext& m_context;
};
