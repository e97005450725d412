#include "ChangeText.h"

#include "data/GeneralDate.h"

#include <QMap>
#include <QStringList>

namespace {

// "Description=Fish; Cost=75.00" -> {Description: Fish, Cost: 75.00}. A value holding
// "; " itself is cut there; the sentence then shows the start of it.
QMap<QString, QString> fields(const QString& details)
{
    QMap<QString, QString> out;
    for (const QString& part : details.split(QStringLiteral("; "))) {
        const qsizetype equals = part.indexOf(QLatin1Char('='));
        if (equals > 0)
            out.insert(part.left(equals), part.mid(equals + 1));
    }
    return out;
}

QString status(const QString& code)
{
    return code == QLatin1String("1") ? QStringLiteral("active") : QStringLiteral("inactive");
}

QString verb(const QString& action)
{
    return action == QLatin1String("INSERT") ? QStringLiteral("added") : QStringLiteral("changed");
}

QString what(const ChangeText::Change& c)
{
    const auto f = fields(c.details);
    if (c.table == QLatin1String("tbTALOEmployeeDistributedMeals"))
        return QStringLiteral("revoked meal %1 of %2")
            .arg(c.key, f.value(QStringLiteral("EmpNum")));
    if (c.table == QLatin1String("tbcoMeal"))
        return QStringLiteral("%1 meal %2 \"%3\" (cost %4, type %5, %6)")
            .arg(verb(c.action), c.key, f.value(QStringLiteral("Description")),
                 f.value(QStringLiteral("Cost")), f.value(QStringLiteral("MealType")),
                 status(f.value(QStringLiteral("Status"))));
    if (c.table == QLatin1String("tbcoMealType"))
        return QStringLiteral("%1 meal type %2 \"%3\" (%4)")
            .arg(verb(c.action), c.key, f.value(QStringLiteral("Description")),
                 status(f.value(QStringLiteral("Status"))));
    if (c.table == QLatin1String("tbTALOEmployeeMeal")) {
        const QString employee = c.key.section(QLatin1Char('/'), 0, 0);
        const QString type = c.key.section(QLatin1Char('/'), 1);
        return c.action == QLatin1String("UNTAG")
                   ? QStringLiteral("removed meal type %1 from %2").arg(type, employee)
                   : QStringLiteral("tagged meal type %1 to %2").arg(type, employee);
    }
    if (c.table == QLatin1String("tbTALOUserRights")) {
        const QStringList rights = c.details.split(QStringLiteral(" -> "));
        return QStringLiteral("changed the rights of %1 from %2 to %3")
            .arg(c.key, rights.value(0), rights.value(1));
    }
    return QStringLiteral("%1 %2 %3: %4").arg(c.action, c.table, c.key, c.details);
}

} // namespace

QString ChangeText::describe(const Change& change)
{
    const auto at = GeneralDate::fromText(change.changedAt);
    const QString time = at ? at->time().toString(QStringLiteral("HH:mm")) : change.changedAt;
    return QStringLiteral("%1 %2 at %3").arg(change.user, what(change), time);
}
