#include "ReportTable.h"

#include "data/Recordset.h"

#include <QHash>
#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <cmath>

namespace {

QString groupCaption(const QString& key)
{
    for (const ReportGrouping& grouping : ReportGroupings) {
        if (key.compare(QLatin1String(grouping.key), Qt::CaseInsensitive) == 0)
            return QString::fromLatin1(grouping.caption);
    }
    return key;
}

// A group as a reader knows it: the code and its description, or the one when both are
// the same or the description is missing.
QString groupText(const QString& key, const QString& label)
{
    if (label.isEmpty() || label == key)
        return key.isEmpty() ? QStringLiteral("(none)") : key;
    if (key.isEmpty())
        return label;
    return key + QLatin1Char(' ') + label;
}

// The rows in the order the report shows them: as the database sorted them, except that
// a meal-time level follows the site's list of meal modes.
QList<int> rowOrder(const ReportRequest& request, const Recordset& rows)
{
    QList<int> order;
    for (int r = 0; r < rows.recordCount(); ++r)
        order << r;
    const auto isMealTime = [](const QString& grouping) {
        return grouping.compare(QLatin1String("MEALTIME"), Qt::CaseInsensitive) == 0;
    };
    const bool first = isMealTime(request.group1);
    const bool second = isMealTime(request.group2);
    if (!first && !second)
        return order;
    QHash<QString, int> modes; // case-folded mode -> its place in the list
    for (int i = int(request.mealModeOrder.size()) - 1; i >= 0; --i)
        modes.insert(request.mealModeOrder.at(i).toCaseFolded(), i);
    const auto mode = [&](const QString& key) {
        return modes.value(key.toCaseFolded(), int(request.mealModeOrder.size()));
    };
    QHash<QString, int> seen; // first-level keys in the order they come
    QList<std::pair<int, int>> ranks;
    ranks.reserve(rows.recordCount());
    for (int r = 0; r < rows.recordCount(); ++r) {
        const QString key1 = rows.value(r, QStringLiteral("KEY1"));
        const int level1 = first ? mode(key1) : int(seen.size());
        if (!first && !seen.contains(key1))
            seen.insert(key1, level1);
        ranks.append({first ? level1 : seen.value(key1),
                      second ? mode(rows.value(r, QStringLiteral("KEY2"))) : 0});
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](int a, int b) { return ranks.at(a) < ranks.at(b); });
    return order;
}

} // namespace

ReportTable::ReportTable(const ReportRequest& request, const Recordset& rows)
{
    switch (request.layout) {
    case ReportRequest::Layout::Payroll:
        buildPayroll(rows);
        break;
    case ReportRequest::Layout::Revoked:
        buildRevoked(rows);
        break;
    case ReportRequest::Layout::Summary:
        buildSummary(request, rows);
        break;
    }
}

QString ReportTable::title(ReportRequest::Layout layout)
{
    switch (layout) {
    case ReportRequest::Layout::Payroll:
        return QStringLiteral("Meal Deductions for Payroll");
    case ReportRequest::Layout::Revoked:
        return QStringLiteral("Revoked Meals");
    case ReportRequest::Layout::Summary:
        break;
    }
    return QStringLiteral("Meal Distribution Report");
}

QString ReportTable::money(qint64 cents)
{
    const QString sign = cents < 0 ? QStringLiteral("-") : QString();
    const qint64 whole = std::llabs(cents);
    return sign + QString::number(whole / 100) + QLatin1Char('.') +
           QStringLiteral("%1").arg(whole % 100, 2, 10, QLatin1Char('0'));
}

QString ReportTable::shownCell(const Line& line, int column) const
{
    const QString cell = line.cells.value(column);
    return m_numberColumns.contains(column) ? grouped(cell) : cell;
}

QString ReportTable::grouped(const QString& plain)
{
    static const QRegularExpression number(QStringLiteral("^(-?)(\\d+)(?:\\.(\\d+))?$"));
    const QRegularExpressionMatch match = number.match(plain);
    if (!match.hasMatch())
        return plain;
    const QLocale locale;
    QString text = match.captured(1) + locale.toString(match.captured(2).toLongLong());
    if (match.hasCaptured(3))
        text += locale.decimalPoint() + match.captured(3);
    return text;
}

qint64 ReportTable::cents(const QString& text)
{
    return std::llround(text.trimmed().toDouble() * 100.0);
}

QString ReportTable::note(qint64 pricedNow, qint64 noCost)
{
    QStringList parts;
    if (pricedNow > 0)
        parts << QStringLiteral("%1 at today's price").arg(pricedNow);
    if (noCost > 0)
        parts << QStringLiteral("%1 without a cost").arg(noCost);
    return parts.join(QLatin1String("; "));
}

void ReportTable::buildSummary(const ReportRequest& request, const Recordset& rows)
{
    const bool twoLevels = !request.group2.isEmpty();
    m_headers << groupCaption(request.group1);
    if (twoLevels)
        m_headers << groupCaption(request.group2);
    m_headers << QStringLiteral("Meals") << QStringLiteral("Cost") << QStringLiteral("Note");
    const int countAt = twoLevels ? 2 : 1;
    m_numberColumns = {countAt, countAt + 1};

    QString groupKey;
    QString groupName;
    qint64 groupMeals = 0, groupCents = 0, groupPriced = 0, groupNoCost = 0;
    const auto closeGroup = [&] {
        if (groupName.isEmpty())
            return;
        m_groupMeals.append({groupKey.isEmpty() ? groupName : groupKey, groupName, groupMeals});
        if (!twoLevels)
            return;
        m_lines.append(
            {LineKind::Subtotal,
             {QStringLiteral("Subtotal ") + groupName, QString(), QString::number(groupMeals),
              money(groupCents), note(groupPriced, groupNoCost)}});
    };
    bool firstRow = true;
    for (const int r : rowOrder(request, rows)) {
        const QString key = rows.value(r, QStringLiteral("KEY1"));
        if (firstRow || key != groupKey) {
            firstRow = false;
            closeGroup();
            groupKey = key;
            groupName = groupText(key, rows.value(r, QStringLiteral("LABEL1")));
            groupMeals = groupCents = groupPriced = groupNoCost = 0;
        }
        const qint64 meals = rows.value(r, QStringLiteral("MEALS")).toLongLong();
        const qint64 cost = cents(rows.value(r, QStringLiteral("COST")));
        const qint64 priced = rows.value(r, QStringLiteral("PRICEDNOW")).toLongLong();
        const qint64 noCost = rows.value(r, QStringLiteral("NOCOST")).toLongLong();
        QStringList cells{groupName};
        if (twoLevels)
            cells << groupText(rows.value(r, QStringLiteral("KEY2")),
                               rows.value(r, QStringLiteral("LABEL2")));
        cells << QString::number(meals) << money(cost) << note(priced, noCost);
        m_lines.append({LineKind::Detail, cells});
        groupMeals += meals;
        groupCents += cost;
        groupPriced += priced;
        groupNoCost += noCost;
        m_meals += meals;
        m_cents += cost;
        m_pricedNow += priced;
        m_noCost += noCost;
    }
    closeGroup();
    QStringList total{QStringLiteral("Grand total")};
    if (twoLevels)
        total << QString();
    total << QString::number(m_meals) << money(m_cents) << note(m_pricedNow, m_noCost);
    m_lines.append({LineKind::Total, total});
}

void ReportTable::buildPayroll(const Recordset& rows)
{
    m_headers = {QStringLiteral("Employee No."), QStringLiteral("Name"),
                 QStringLiteral("Department"),   QStringLiteral("Meals"),
                 QStringLiteral("Cost"),         QStringLiteral("Note")};
    m_numberColumns = {3, 4};
    for (int r = 0; r < rows.recordCount(); ++r) {
        const qint64 meals = rows.value(r, QStringLiteral("MEALS")).toLongLong();
        const qint64 cost = cents(rows.value(r, QStringLiteral("COST")));
        const qint64 priced = rows.value(r, QStringLiteral("PRICEDNOW")).toLongLong();
        const qint64 noCost = rows.value(r, QStringLiteral("NOCOST")).toLongLong();
        m_lines.append(
            {LineKind::Detail,
             {rows.value(r, QStringLiteral("KEY1")), rows.value(r, QStringLiteral("LABEL1")),
              rows.value(r, QStringLiteral("LABEL2")), QString::number(meals), money(cost),
              note(priced, noCost)}});
        m_groupMeals.append({rows.value(r, QStringLiteral("KEY1")),
                             rows.value(r, QStringLiteral("LABEL1")), meals});
        m_meals += meals;
        m_cents += cost;
        m_pricedNow += priced;
        m_noCost += noCost;
    }
    m_lines.append({LineKind::Total,
                    {QStringLiteral("Grand total"), QString(), QString(), QString::number(m_meals),
                     money(m_cents), note(m_pricedNow, m_noCost)}});
}

void ReportTable::buildRevoked(const Recordset& rows)
{
    m_headers = {QStringLiteral("Meal Date"),  QStringLiteral("Employee No."),
                 QStringLiteral("Name"),       QStringLiteral("Meal"),
                 QStringLiteral("Cost"),       QStringLiteral("Recorded By"),
                 QStringLiteral("Revoked By"), QStringLiteral("Revoked At")};
    m_numberColumns = {4};
    for (int r = 0; r < rows.recordCount(); ++r) {
        const qint64 cost = cents(rows.value(r, QStringLiteral("COST")));
        m_lines.append(
            {LineKind::Detail,
             {rows.value(r, QStringLiteral("MEALDATE")), rows.value(r, QStringLiteral("KEY1")),
              rows.value(r, QStringLiteral("LABEL1")),
              groupText(rows.value(r, QStringLiteral("KEY2")),
                        rows.value(r, QStringLiteral("LABEL2"))),
              money(cost), rows.value(r, QStringLiteral("CLERKID")),
              rows.value(r, QStringLiteral("REVOKEDBY")),
              rows.value(r, QStringLiteral("REVOKEDAT"))}});
        m_meals += rows.value(r, QStringLiteral("MEALS")).toLongLong();
        m_cents += cost;
    }
    m_lines.append({LineKind::Total,
                    {QStringLiteral("Grand total: %1 revoked meals").arg(m_meals), QString(),
                     QString(), QString(), money(m_cents), QString(), QString(), QString()}});
}
