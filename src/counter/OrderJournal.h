#pragma once

#include "OrderLine.h"

#include <QList>
#include <QString>

struct sqlite3;

// The orders this workstation served while the server could not be reached, in a SQLite
// file of its own (never the embedded store's), each written to disk before the clerk
// is told it is saved, so a killed program or a restarted PC loses none. An order stays
// until the server has stored it; one the server refuses stays as refused, with the
// server's text, for a supervisor to settle. Throws DbError when the file cannot be used.
class OrderJournal
{
public:
    struct Order
    {
        qint64 id = 0;
        QString key;
        QString empNum;
        QString served; // general date text: the time it was served
        QString clerk;
        QList<OrderLine> lines;
        QString refusal; // empty while the order waits
    };

    explicit OrderJournal(const QString& path);
    ~OrderJournal();
    OrderJournal(const OrderJournal&) = delete;
    OrderJournal& operator=(const OrderJournal&) = delete;

    void add(const Order& order);
    // The orders waiting to be sent, in the order they were served.
    QList<Order> waiting() const;
    // The orders the server refused, in the order they were served.
    QList<Order> refused() const;
    int waitingCount() const;
    int refusedCount() const;
    // The server stored it: it leaves the journal.
    void stored(qint64 id);
    void refuse(qint64 id, const QString& text);

private:
    void run(const char* sql) const;
    QList<Order> orders(bool refusedOnes) const;
    int count(bool refusedOnes) const;

    sqlite3* m_db = nullptr;
};
