#pragma once

#include "OrderJournal.h"
#include "data/Recordset.h"

#include <QList>
#include <QString>
#include <memory>
#include <optional>

class AppContext;

// Settles the orders this workstation's journal kept because the server refused them
// when they were sent late: saved anyway, past the refusal, or discarded; the server
// audits both under the signed-in supervisor. The journal forgets an order only once the
// server has answered, so a program that dies in between sends it again, and the server
// stores or audits it once. Every call throws DbError.
class RefusedOrderData
{
public:
    RefusedOrderData(AppContext& context, const QString& journalPath);
    ~RefusedOrderData();

    // The refused orders, in the order they were served.
    QList<OrderJournal::Order> orders();
    // One row an order: served, employee, his name, clerk, meals, the server's refusal,
    // its key.
    Recordset ordersList();
    // The refused order of that key; none when it was settled meanwhile.
    std::optional<OrderJournal::Order> order(const QString& key);
    // All the order's meals, in one transaction, with its key, line numbers, served time
    // and clerk; then it leaves the journal.
    void saveAnyway(const OrderJournal::Order& order, const QString& remark);
    // The server audits the discard first; then it leaves the journal.
    void discard(const OrderJournal::Order& order, const QString& reason);

    static QString saveAnywayText(const OrderJournal::Order& order, int line,
                                  const QString& supervisor, const QString& remark);
    static QString discardText(const OrderJournal::Order& order, const QString& supervisor,
                               const QString& reason);
    // "M02 Fish fillet (Lunch; no rice), M03 Fruit cup (Lunch)".
    static QString mealsText(const QList<OrderLine>& lines);

private:
    OrderJournal& journal();

    AppContext& m_context;
    QString m_journalPath;
    std::unique_ptr<OrderJournal> m_journal;
};
