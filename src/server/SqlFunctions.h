#pragma once

#include <QDateTime>
#include <QSet>
#include <QString>
#include <functional>

struct sqlite3;

// The server-side functions the store's SQL relies on, registered on one connection:
// the UNICODE_CI collation, a Unicode LIKE with the server's pattern rules, the
// procedures' validation raise, the server clock, the date/time and cost texts, and
// the counting without a sort of GroupTally.
class SqlFunctions
{
public:
    SqlFunctions();

    void registerOn(sqlite3* db);

    // The server clock (local time). Tests may set a fixed one.
    void setClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }
    QDateTime now() const { return m_clock(); }

    // Who the server knows the caller as, for the audit rows: the operating-system
    // user that opened the store (SQL Server records its login instead).
    const QString& loginName() const { return m_loginName; }

    // Set by talo_raise() when a procedure refuses its input; the store turns the
    // failing statement into that error and clears it.
    bool hasRaised() const { return m_hasRaised; }
    QString takeRaised();
    void raise(const QString& message);

    // The meals (transaction numbers) saved in the open transaction; forgotten when it
    // commits or rolls back.
    void addToOrder(qint64 transNum) { m_order.insert(transNum); }
    bool inOrder(qint64 transNum) const { return m_order.contains(transNum); }
    void endOrder() { m_order.clear(); }

    // Stamps each statement the store runs (unique across the stores of the process): a
    // function that reads the workstation's formats reads them once per statement (see
    // GeneralDate::storedToUtf8).
    void statementStarts();
    quint64 statementStamp() const { return m_statementStamp; }

private:
    std::function<QDateTime()> m_clock;
    QSet<qint64> m_order;
    QString m_loginName;
    bool m_hasRaised = false;
    quint64 m_statementStamp = 0;
    QString m_raised;
};
