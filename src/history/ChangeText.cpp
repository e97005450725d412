#include "ChangeText.h"

#include "ChangeDetails.h"
#include "data/GeneralDate.h"

#include <QStringList>

namespace {

const QString None = QStringLiteral("(none)");

struct FieldWords
{
    const char* table; // nullptr: every table
    const char* field;
    const char* label;
};

// How the log's fields read in a sentence.
constexpr FieldWords Labels[] = {
    {"tbcoMeal", "Description", "name"},
    {"tbcoMealType", "Description", "name"},
    {"tbcDepartment", "Description", "name"},
    {"tbTALOMealModeSetting", "MealMode", "name"},
    {nullptr, "Cost", "cost"},
    {nullptr, "MealType", "meal type"},
    {nullptr, "Status", "status"},
    {nullptr, "Active", "status"},
    {nullptr, "Lastname", "last name"},
    {nullptr, "Firstname", "first name"},
    {nullptr, "Middlename", "middle name"},
    {nullptr, "Name", "name"},
    {nullptr, "DeptCode", "department"},
    // The site's settings in the words App Settings shows them by.
    {nullptr, "ScanMode", "scan mode"},
    {nullptr, "KeyboardEntry", "keyboard order entry"},
    {nullptr, "BulkTagging", "bulk tagging in the tagging window"},
    {nullptr, "FittedColumns", "fit list columns to their contents"},
    {nullptr, "StatementTimeout", "give up on a statement after (seconds)"},
    {nullptr, "ClosedThrough", "meals closed through"},
    {nullptr, "FirstDayOfWeek", "first day of the week"},
    {nullptr, "SiteName", "site name on reports"},
    {nullptr, "DailyLimit", "daily limit"},
    {nullptr, "KeepServingOffline", "keep serving when the server cannot be reached"},
    {nullptr, "LimitAction", "past the limit"},
    {nullptr, "ServeFrom", "serving from"},
    {nullptr, "ServeTo", "serving to"},
};

QString label(const QString& table, const QString& field)
{
    for (const FieldWords& words : Labels) {
        if ((!words.table || table == QLatin1String(words.table)) &&
            field == QLatin1String(words.field))
            return QString::fromLatin1(words.label);
    }
    return field;
}

// A stored value as a reader knows it: "active" for status 1, "Monday" for day 1.
QString word(const QString& field, const QString& value)
{
    if (field == QLatin1String("Status") || field == QLatin1String("Active"))
        return value == QLatin1String("1") ? QStringLiteral("active") : QStringLiteral("inactive");
    if (field == QLatin1String("ScanMode") || field == QLatin1String("KeyboardEntry") ||
        field == QLatin1String("BulkTagging") || field == QLatin1String("KeepServingOffline") ||
        field == QLatin1String("FittedColumns"))
        return value == QLatin1String("1") ? QStringLiteral("on") : QStringLiteral("off");
    if (field == QLatin1String("LimitAction"))
        return value.compare(QLatin1String("B"), Qt::CaseInsensitive) == 0 ? QStringLiteral("block")
                                                                           : QStringLiteral("warn");
    if (field == QLatin1String("FirstDayOfWeek")) {
        const int day = value.toInt();
        if (day >= 1 && day <= 7)
            return QLocale(QLocale::English).dayName(day);
    }
    return value.isEmpty() ? None : value;
}

QString joined(const QStringList& parts)
{
    return parts.join(QLatin1String(", "));
}

QString withName(const QString& code, const QString& name)
{
    return name.isEmpty() || name == code ? code : code + QLatin1Char(' ') + name;
}

// "Reyes, Ana B" from the three name fields, as the lists show a name.
QString personName(const ChangeDetails& d, bool before)
{
    const QString last = d.value(QStringLiteral("Lastname"), before);
    if (last.isEmpty())
        return {};
    return (last + QStringLiteral(", ") + d.value(QStringLiteral("Firstname"), before) +
            QLatin1Char(' ') + d.value(QStringLiteral("Middlename"), before))
        .trimmed();
}

bool isTable(const ChangeText::Change& c, const char* table)
{
    return c.table == QLatin1String(table);
}

// The fields that name the row: they make up its subject, not its attributes.
bool namesTheRow(const ChangeText::Change& c, const QString& field)
{
    if (field == QLatin1String("Description"))
        return isTable(c, "tbcoMeal") || isTable(c, "tbcoMealType") || isTable(c, "tbcDepartment");
    if (isTable(c, "tbcmaster") || isTable(c, "tbPasswordMain"))
        return field == QLatin1String("Lastname") || field == QLatin1String("Firstname") ||
               field == QLatin1String("Middlename") || field == QLatin1String("EmployeeName");
    return false;
}

// What the row is about: "L01 Lunch Plate", "employee 100001 Reyes, Ana", "the site".
// A name that the change itself renames is left out (the change says both).
QString subject(const ChangeText::Change& c, const ChangeDetails& d)
{
    const auto name = [&](const QString& field) {
        for (const ChangeDetails::Change& change : d.changes()) {
            if (change.field == field)
                return QString();
        }
        return d.value(field);
    };
    const QString description = name(QStringLiteral("Description"));
    if (isTable(c, "tbcoMeal"))
        return withName(c.key, description);
    if (isTable(c, "tbcoMealType"))
        return QStringLiteral("meal type ") + withName(c.key, description);
    if (isTable(c, "tbcDepartment"))
        return QStringLiteral("department ") + withName(c.key, description);
    // An import's update names the employee as he was (older rows: only a name change).
    if (isTable(c, "tbcmaster"))
        return QStringLiteral("employee ") +
               withName(c.key, d.has(QStringLiteral("EmployeeName"))
                                   ? d.value(QStringLiteral("EmployeeName"))
                                   : personName(d, true));
    if (isTable(c, "tbPasswordMain") || isTable(c, "tbPasswordAppAccess"))
        return QStringLiteral("user ") + withName(c.key, c.action == QLatin1String("INSERT")
                                                             ? personName(d, false)
                                                             : QString());
    if (isTable(c, "tbTALOSiteSetting"))
        return QStringLiteral("the site");
    if (isTable(c, "tbTALOMealModeSetting"))
        return QStringLiteral("meal mode ") + c.key;
    return c.table + QLatin1Char(' ') + c.key;
}

// A value the row holds as a phrase: "cost 85.00", "active", "no meal type".
QString attribute(const ChangeText::Change& c, const QString& field, const QString& value)
{
    if (field == QLatin1String("Status") || field == QLatin1String("Active") ||
        field == QLatin1String("LimitAction"))
        return word(field, value);
    const QString what = label(c.table, field);
    if (value.isEmpty())
        return QStringLiteral("no ") + what;
    return what + QLatin1Char(' ') + word(field, value);
}

QStringList attributes(const ChangeText::Change& c, const ChangeDetails& d)
{
    QStringList out;
    for (const QString& field : d.fields()) {
        const QString value = d.value(field);
        if (namesTheRow(c, field) || field == QLatin1String("ServeTo"))
            continue;
        // A serving window reads as one: "served from 23:00 to 01:00"; none, nothing.
        if (field == QLatin1String("ServeFrom")) {
            if (!value.isEmpty())
                out << QStringLiteral("served from %1 to %2")
                           .arg(value, d.value(QStringLiteral("ServeTo")));
            continue;
        }
        out << attribute(c, field, value);
    }
    return out;
}

QString inParentheses(const QStringList& parts)
{
    return parts.isEmpty() ? QString() : QStringLiteral(" (") + joined(parts) + QLatin1Char(')');
}

QString changeList(const ChangeText::Change& c, const ChangeDetails& d)
{
    const QList<ChangeDetails::Change>& changes = d.changes();
    const QString what = subject(c, d);
    const auto fromTo = [&](const ChangeDetails::Change& change) {
        return QStringLiteral("from %1 to %2")
            .arg(word(change.field, change.from), word(change.field, change.to));
    };
    // The site's settings belong to no one row: "changed the scan mode from off to on".
    const bool site = isTable(c, "tbTALOSiteSetting");
    if (changes.size() == 1)
        return QStringLiteral("changed the %1%2 %3")
            .arg(label(c.table, changes.first().field),
                 site ? QString() : QStringLiteral(" of ") + what, fromTo(changes.first()));
    if (!changes.isEmpty()) {
        QStringList parts;
        for (const ChangeDetails::Change& change : changes)
            parts << label(c.table, change.field) + QLatin1Char(' ') + fromTo(change);
        return QStringLiteral("changed %1: %2")
            .arg(site ? QStringLiteral("the site settings") : what, joined(parts));
    }
    // Rows written before old values were recorded hold the new values only.
    if (isTable(c, "tbPasswordMain") && d.has(QStringLiteral("Lastname")))
        return QStringLiteral("changed the name of %1 to %2").arg(what, personName(d, false));
    const QStringList now = attributes(c, d);
    if (now.isEmpty())
        return QStringLiteral("saved %1 without a change").arg(what);
    return QStringLiteral("changed %1 (now %2)").arg(what, joined(now));
}

// "|1|0|3" -> {"1", "3"}: the codes granted.
QStringList granted(const QString& rights)
{
    QStringList out;
    for (const QString& part : rights.split(QLatin1Char('|'), Qt::SkipEmptyParts)) {
        if (part != QLatin1String("0") && part != None)
            out << part;
    }
    return out;
}

QString rightsSentence(const ChangeText::Change& c, const ChangeDetails& d,
                       const ChangeText::RightNames& names)
{
    QString before, after;
    if (d.has(QStringLiteral("Rights"))) {
        before = d.value(QStringLiteral("Rights"), true);
        after = d.value(QStringLiteral("Rights"));
    } else {
        const qsizetype arrow = c.details.indexOf(QStringLiteral(" -> "));
        before = c.details.left(arrow);
        after = arrow >= 0 ? c.details.mid(arrow + 4) : QString();
    }
    const QStringList had = granted(before);
    const QStringList has = granted(after);
    const auto named = [&](const QStringList& codes) {
        QStringList out;
        for (const QString& code : codes)
            out << names.value(code, QStringLiteral("right ") + code);
        return joined(out);
    };
    QStringList gained, lost;
    for (const QString& code : has) {
        if (!had.contains(code))
            gained << code;
    }
    for (const QString& code : had) {
        if (!has.contains(code))
            lost << code;
    }
    QStringList parts;
    if (!gained.isEmpty())
        parts << QStringLiteral("granted ") + named(gained);
    if (!lost.isEmpty())
        parts << QStringLiteral("withdrew ") + named(lost);
    if (parts.isEmpty())
        return QStringLiteral("saved the rights of %1 without a change").arg(c.key);
    return QStringLiteral("changed the rights of %1: %2")
        .arg(c.key, parts.join(QLatin1String("; ")));
}

// " on 8 Dec 2026 at 11:30", the day left out when the change was made that day; empty
// when the row holds no meal date.
QString whenServed(const ChangeText::Change& c, const ChangeDetails& d)
{
    const auto given = GeneralDate::fromText(d.value(QStringLiteral("MealDate")));
    if (!given)
        return {};
    QString when;
    const auto changed = GeneralDate::fromText(c.changedAt);
    if (!changed || changed->date() != given->date())
        when += QStringLiteral(" on ") + given->date().toString(GeneralDate::dayFormat());
    return when + QStringLiteral(" at ") + given->time().toString(QStringLiteral("HH:mm"));
}

QString employeeOf(const ChangeDetails& d)
{
    return withName(d.value(QStringLiteral("EmpNum")), d.value(QStringLiteral("EmployeeName")));
}

QString mealOf(const ChangeDetails& d)
{
    return withName(d.value(QStringLiteral("MealCode")), d.value(QStringLiteral("MealName")));
}

// A text the user or the server wrote, which may hold "; " itself: everything from the
// field to the next one named (or to the end).
QString freeText(const QString& details, const QString& field, const QString& next = {})
{
    const QString start = QStringLiteral("; ") + field + QLatin1Char('=');
    qsizetype from = details.indexOf(start);
    if (from < 0)
        return {};
    from += start.size();
    const qsizetype to =
        next.isEmpty() ? -1 : details.indexOf(QStringLiteral("; ") + next + QLatin1Char('='), from);
    return details.mid(from, to < 0 ? -1 : to - from);
}

QString revokeSentence(const ChangeText::Change& c, const ChangeDetails& d)
{
    const QString sentence = QStringLiteral("revoked %1 given to %2").arg(mealOf(d), employeeOf(d));
    const QString when = whenServed(c, d);
    return sentence +
           (when.isEmpty() ? QStringLiteral(" (meal ") + c.key + QLatin1Char(')') : when);
}

// A meal a counter served while the server could not be reached, refused when it was sent
// later, and saved by a supervisor past the refusal.
QString overrideSentence(const ChangeText::Change& c, const ChangeDetails& d)
{
    return QStringLiteral("saved %1 given to %2%3 by %4 past the server's refusal: %5")
        .arg(mealOf(d), employeeOf(d), whenServed(c, d), d.value(QStringLiteral("ClerkID")),
             freeText(c.details, QStringLiteral("Reason")));
}

// Such an order a supervisor discarded instead: no meal of it was stored.
QString discardSentence(const ChangeText::Change& c, const ChangeDetails& d)
{
    return QStringLiteral("discarded the order served to %1%2 by %3 (%4), which the server refused "
                          "(%5): %6")
        .arg(employeeOf(d), whenServed(c, d), d.value(QStringLiteral("ClerkID")),
             freeText(c.details, QStringLiteral("Meals"), QStringLiteral("Refusal")),
             freeText(c.details, QStringLiteral("Refusal"), QStringLiteral("Reason")),
             freeText(c.details, QStringLiteral("Reason")));
}

QString tagSentence(const ChangeText::Change& c, const ChangeDetails& d)
{
    const QString employee =
        withName(c.key.section(QLatin1Char('/'), 0, 0), d.value(QStringLiteral("EmployeeName")));
    const QString type =
        withName(c.key.section(QLatin1Char('/'), 1), d.value(QStringLiteral("TypeName")));
    return c.action == QLatin1String("UNTAG")
               ? QStringLiteral("removed meal type %1 from %2").arg(type, employee)
               : QStringLiteral("tagged meal type %1 to %2").arg(type, employee);
}

QString what(const ChangeText::Change& c, const ChangeText::RightNames& rights)
{
    const ChangeDetails d(c.details);
    if (c.action == QLatin1String("REVOKE"))
        return revokeSentence(c, d);
    if (c.action == QLatin1String("OVERRIDE"))
        return overrideSentence(c, d);
    if (c.action == QLatin1String("DISCARD"))
        return discardSentence(c, d);
    if (c.action == QLatin1String("TAG") || c.action == QLatin1String("UNTAG"))
        return tagSentence(c, d);
    if (c.action == QLatin1String("RIGHTS"))
        return rightsSentence(c, d, rights);
    if (c.action == QLatin1String("PASSWORD"))
        // The log never holds a password or its hash; only that it was set.
        return (c.details.contains(QLatin1String("reset")) ? QStringLiteral("reset")
                                                           : QStringLiteral("set")) +
               QStringLiteral(" the password of ") + subject(c, d);
    if (c.action == QLatin1String("ACCESS"))
        return c.details.contains(QLatin1String("withdrawn"))
                   ? QStringLiteral("withdrew the use of Talodesk from ") + subject(c, d)
                   : QStringLiteral("let ") + subject(c, d) + QStringLiteral(" use Talodesk");
    // A meal is named by its code and name alone, except where it comes or goes.
    const QString kind = isTable(c, "tbcoMeal") ? QStringLiteral("meal ") : QString();
    if (c.action == QLatin1String("INSERT"))
        return QStringLiteral("added ") + kind + subject(c, d) + inParentheses(attributes(c, d));
    if (c.action == QLatin1String("DELETE"))
        return QStringLiteral("removed ") + kind + subject(c, d) + inParentheses(attributes(c, d));
    if (c.action == QLatin1String("UPDATE"))
        return changeList(c, d);
    return QStringLiteral("%1 %2 %3: %4").arg(c.action, c.table, c.key, c.details);
}

QString failedSignIn(const ChangeText::Change& c)
{
    const QString prefix = QStringLiteral("Workstation: ");
    const QString station =
        c.details.startsWith(prefix) ? c.details.mid(prefix.size()).trimmed() : QString();
    QString sentence = QStringLiteral("Failed sign-in as ") + c.key;
    if (!station.isEmpty())
        sentence += QStringLiteral(" at workstation ") + station;
    return sentence;
}

} // namespace

QString ChangeText::describe(const Change& change, const RightNames& rights)
{
    if (change.table == QLatin1String("SignIn") && change.action == QLatin1String("FAILED"))
        return failedSignIn(change);
    const QString sentence = what(change, rights);
    if (change.user.isEmpty())
        return sentence.left(1).toUpper() + sentence.mid(1);
    return change.user + QLatin1Char(' ') + sentence;
}

QString ChangeText::summary(const Batch& batch)
{
    const auto employees = [](int count) {
        return QString::number(count) +
               (count == 1 ? QStringLiteral(" employee") : QStringLiteral(" employees"));
    };
    if (batch.kind == QLatin1String("BULKTAG"))
        return QStringLiteral("Bulk tagging: %1 for %2").arg(batch.title, employees(batch.added));
    QStringList parts;
    if (batch.added > 0)
        parts << QStringLiteral("%1 added").arg(batch.added);
    if (batch.changed > 0)
        parts << QStringLiteral("%1 changed").arg(batch.changed);
    if (batch.deactivated > 0)
        parts << QStringLiteral("%1 deactivated").arg(batch.deactivated);
    // An import that renamed or added departments only changed no employee.
    if (parts.isEmpty())
        parts << QStringLiteral("departments only");
    const QString file = batch.title.isEmpty() ? QStringLiteral("a staff file") : batch.title;
    return QStringLiteral("Imported %1: %2").arg(file, joined(parts));
}
