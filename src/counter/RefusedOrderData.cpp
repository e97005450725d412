#include "RefusedOrderData.h"

#include "OfflineCopy.h"
#include "context/AppContext.h"
#include "data/Connection.h"
#include "data/SqlText.h"

RefusedOrderData::RefusedOrderData(AppContext& context, const QString& journalPath)
    : m_context(context), m_journalPath(journalPath)
{}

RefusedOrderData::~RefusedOrderData() = default;

OrderJournal& RefusedOrderData::journal()
{
    if (!m_journal)
        m_journal = std::make_unique<OrderJournal>(m_journalPath);
    return *m_journal;
}

QList<OrderJournal::Order> RefusedOrderData::orders()
{
    return journal().refused();
}

Recordset RefusedOrderData::ordersList()
{
    // The journal keeps the employee's number only; the name, from the counter's copy,
    // tells the supervisor whose order it was. An employee the copy does not know (one no
    // longer on the payroll, or no copy taken yet) shows his number alone.
    const OfflineCopy copy = OfflineCopy::read(OfflineCopy::pathBeside(m_journalPath));
    QList<Recordset::Row> rows;
    for (const OrderJournal::Order& order : orders()) {
        const OfflineCopy::Employee* employee = copy.employee(order.empNum);
        rows.append({order.served, order.empNum, employee ? employee->name() : QString(),
                     order.clerk, mealsText(order.lines), order.refusal, order.key});
    }
    // The list's captions: the grid shows a recordset's field names as its headings. The
    // key's has none, so that its column stays hidden even where lists fit their columns.
    return Recordset({QStringLiteral("Served"), QStringLiteral("Employee"), QStringLiteral("Name"),
                      QStringLiteral("Clerk"), QStringLiteral("Meals"),
                      QStringLiteral("Refused because"), QString()},
                     std::move(rows));
}

std::optional<OrderJournal::Order> RefusedOrderData::order(const QString& key)
{
    for (const OrderJournal::Order& order : orders()) {
        if (order.key == key)
            return order;
    }
    return std::nullopt;
}

void RefusedOrderData::saveAnyway(const OrderJournal::Order& order, const QString& remark)
{
    const QString supervisor = m_context.userCode();
    m_context.transaction([&] {
        for (int i = 0; i < order.lines.size(); ++i)
            m_context.execute(saveAnywayText(order, i + 1, supervisor, remark));
    });
    journal().stored(order.id);
}

void RefusedOrderData::discard(const OrderJournal::Order& order, const QString& reason)
{
    m_context.execute(discardText(order, m_context.userCode(), reason));
    journal().stored(order.id);
}

QString RefusedOrderData::saveAnywayText(const OrderJournal::Order& order, int line,
                                         const QString& supervisor, const QString& remark)
{
    const OrderLine& meal = order.lines.at(line - 1);
    // The counter's own save, with the order's key and line, then who overrules and why.
    return SqlText::call(QStringLiteral("Station..Save_TALO_EmployeeDistributedMeals"),
                         {order.empNum, meal.mealCode, meal.mealMode, order.served, meal.remarks,
                          order.clerk, QStringLiteral("S"), order.key, QString::number(line),
                          supervisor, remark});
}

QString RefusedOrderData::discardText(const OrderJournal::Order& order, const QString& supervisor,
                                      const QString& reason)
{
    return SqlText::call(QStringLiteral("Station..Save_TALO_DiscardedOrder"),
                         {order.key, order.empNum, order.served, order.clerk,
                          mealsText(order.lines), order.refusal, reason, supervisor});
}

QString RefusedOrderData::mealsText(const QList<OrderLine>& lines)
{
    QStringList meals;
    for (const OrderLine& line : lines) {
        QStringList about = {line.mealMode};
        if (!line.remarks.isEmpty())
            about << line.remarks;
        meals << QStringLiteral("%1 %2 (%3)")
                     .arg(line.mealCode, line.description, about.join(QStringLiteral("; ")))
                     .simplified();
    }
    return meals.join(QStringLiteral(", "));
}
