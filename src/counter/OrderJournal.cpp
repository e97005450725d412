#include "OrderJournal.h"

#include "LocalStatement.h"
#include "data/GeneralDate.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <sqlite3.h>

namespace {

const QString Owner = QStringLiteral("The workstation's order journal");

class Statement : public LocalStatement
{
public:
    Statement(sqlite3* db, const char* sql) : LocalStatement(db, sql, Owner) {}
};

QString linesText(const QList<OrderLine>& lines)
{
    QJsonArray array;
    for (const OrderLine& line : lines)
        array.append(QJsonArray{line.mealCode, line.description, line.mealMode, line.remarks});
    return QString::fromUtf8(QJsonDocument(array).toJson(QJsonDocument::Compact));
}

QList<OrderLine> linesFrom(const QString& text)
{
    QList<OrderLine> lines;
    for (const QJsonValue& value : QJsonDocument::fromJson(text.toUtf8()).array()) {
        const QJsonArray line = value.toArray();
        lines.append({line.at(0).toString(), line.at(1).toString(), line.at(2).toString(),
                      line.at(3).toString()});
    }
    return lines;
}

// The file keeps the served time in ISO form, so that an order still reads as the time it
// was served after the workstation's date format changed while it waited; it is given
// back as the workstation writes dates now, the form the server reads. A text that is
// not a date-time (a file of an older version in another format) is kept as it is.
QString storedServed(const QString& served)
{
    const std::optional<QDateTime> at = GeneralDate::fromText(served);
    return at ? at->toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) : served;
}

QString servedFrom(const QString& stored)
{
    const std::optional<QDateTime> at = GeneralDate::fromText(stored);
    return at ? GeneralDate::toText(*at) : stored;
}

} // namespace

OrderJournal::OrderJournal(const QString& path)
{
    if (sqlite3_open_v2(path.toUtf8().constData(), &m_db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_FULLMUTEX,
                        nullptr) != SQLITE_OK) {
        const DbError error =
            LocalStatement::error(m_db, Owner, QStringLiteral("cannot be opened"));
        sqlite3_close(m_db);
        m_db = nullptr;
        throw error;
    }
    sqlite3_busy_timeout(m_db, 5000);
    // Synced in full at every commit: an order the clerk was told is saved is on the
    // disk, whatever happens to the program or the PC next. Write-ahead, a commit is one
    // sync of the log instead of several of a rollback journal and the file.
    run("PRAGMA journal_mode = WAL");
    run("PRAGMA synchronous = FULL");
    run("CREATE TABLE IF NOT EXISTS JournalOrder ("
        " Seq INTEGER PRIMARY KEY AUTOINCREMENT,"
        " OrderKey TEXT NOT NULL UNIQUE,"
        " EmpNum TEXT NOT NULL,"
        " Served TEXT NOT NULL,"
        " ClerkID TEXT NOT NULL,"
        " Lines TEXT NOT NULL,"
        " Refusal TEXT NULL)");
}

OrderJournal::~OrderJournal()
{
    sqlite3_close(m_db);
}

void OrderJournal::run(const char* sql) const
{
    LocalStatement::run(m_db, sql, Owner);
}

void OrderJournal::add(const Order& order)
{
    Statement insert(m_db, "INSERT INTO JournalOrder(OrderKey, EmpNum, Served, ClerkID, Lines) "
                           "VALUES (?1, ?2, ?3, ?4, ?5)");
    insert.bind(1, order.key);
    insert.bind(2, order.empNum);
    insert.bind(3, storedServed(order.served));
    insert.bind(4, order.clerk);
    insert.bind(5, linesText(order.lines));
    insert.step();
}

QList<OrderJournal::Order> OrderJournal::orders(bool refusedOnes) const
{
    Statement select(m_db, refusedOnes
                               ? "SELECT Seq, OrderKey, EmpNum, Served, ClerkID, Lines, Refusal "
                                 "FROM JournalOrder WHERE Refusal IS NOT NULL ORDER BY Seq"
                               : "SELECT Seq, OrderKey, EmpNum, Served, ClerkID, Lines, '' "
                                 "FROM JournalOrder WHERE Refusal IS NULL ORDER BY Seq");
    QList<Order> out;
    while (select.step()) {
        out.append({select.integer(0), select.text(1), select.text(2), servedFrom(select.text(3)),
                    select.text(4), linesFrom(select.text(5)), select.text(6)});
    }
    return out;
}

QList<OrderJournal::Order> OrderJournal::waiting() const
{
    return orders(false);
}

QList<OrderJournal::Order> OrderJournal::refused() const
{
    return orders(true);
}

int OrderJournal::waitingCount() const
{
    return count(false);
}

int OrderJournal::refusedCount() const
{
    return count(true);
}

int OrderJournal::count(bool refusedOnes) const
{
    Statement count(m_db, refusedOnes
                              ? "SELECT COUNT(*) FROM JournalOrder WHERE Refusal IS NOT NULL"
                              : "SELECT COUNT(*) FROM JournalOrder WHERE Refusal IS NULL");
    count.step();
    return int(count.integer(0));
}

void OrderJournal::stored(qint64 id)
{
    Statement remove(m_db, "DELETE FROM JournalOrder WHERE Seq = ?1");
    remove.bind(1, id);
    remove.step();
}

void OrderJournal::refuse(qint64 id, const QString& text)
{
    Statement update(m_db, "UPDATE JournalOrder SET Refusal = ?2 WHERE Seq = ?1");
    update.bind(1, id);
    update.bind(2, text);
    update.step();
}
