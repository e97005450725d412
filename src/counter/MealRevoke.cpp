#include "MealRevoke.h"

#include "CounterData.h"
#include "context/AppContext.h"
#include "data/GeneralDate.h"
#include "widgets/MessageService.h"

namespace {

QString withName(const QString& code, const QString& name)
{
    const QString trimmed = name.trimmed();
    return trimmed.isEmpty() ? code : code + QLatin1Char(' ') + trimmed;
}

} // namespace

QString MealRevoke::namedQuestion(const QString& meal, const QString& mealName,
                                  const QString& empNum, const QString& empName,
                                  const QString& givenAt)
{
    QString when;
    if (const auto at = GeneralDate::fromText(givenAt)) {
        when = QStringLiteral(" on ") + at->date().toString(GeneralDate::dayFormat()) +
               QStringLiteral(" at ") + at->time().toString(QStringLiteral("HH:mm"));
    }
    return QStringLiteral("Revoke %1 given to %2%3?")
        .arg(withName(meal, mealName), withName(empNum, empName), when);
}

bool MealRevoke::confirmAndRevoke(const QString& empNum, const QString& transNum,
                                  const QString& question)
{
    const QString asked =
        question.isEmpty() ? QStringLiteral("Are you sure you want to revoke the selected items?")
                           : question;
    if (!m_context.messages().ask(asked, QStringLiteral("Confirmation")))
        return false;
    CounterData(m_context).revoke(empNum, transNum);
    m_context.messages().info(QStringLiteral("Done."));
    return true;
}
