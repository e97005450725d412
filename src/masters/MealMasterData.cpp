#include "MealMasterData.h"

#include "context/AppContext.h"
#include "data/SqlText.h"

namespace {

QString statusText(bool active)
{
    return active ? QStringLiteral("1") : QStringLiteral("0");
}

} // namespace

void MealMasterData::saveMeal(const QString& code, const QString& name, const QString& cost,
                              const QString& type, bool active) const
{
    m_context.execute(saveMealText(code, name, cost, type, active, user()));
}

void MealMasterData::saveMealType(const QString& code, const QString& name, bool active) const
{
    m_context.execute(saveMealTypeText(code, name, active, user()));
}

QString MealMasterData::saveMealText(const QString& code, const QString& name, const QString& cost,
                                     const QString& type, bool active, const QString& user)
{
    // Cost goes before type; the user code follows without a blank after the comma.
    return SqlText::callByUser(QStringLiteral("Station..Save_TALO_MealOnly"),
                               {code, name, cost, type, statusText(active)}, user);
}

QString MealMasterData::saveMealTypeText(const QString& code, const QString& name, bool active,
                                         const QString& user)
{
    return SqlText::callByUser(QStringLiteral("Station..Save_TALO_MealType"),
                               {code, name, statusText(active)}, user);
}

QString MealMasterData::user() const
{
    // Read at the moment of the save, as the signed-in user may change between saves.
    return m_context.userCode();
}
