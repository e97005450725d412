#pragma once

#include "CounterSettings.h"
#include "OfflineCopy.h"
#include "OrderJournal.h"
#include "OrderLine.h"
#include "data/Recordset.h"
#include "settings/AppSettingsData.h"

#include <QDate>
#include <QDateTime>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <memory>
#include <optional>

class AppContext;
class Connection;
class DbError;

// The meal counter's conversation with the database server: the statement texts it
// sends and how they are sent. Every call throws DbError when the server refuses.
class CounterData
{
public:
    explicit CounterData(AppContext& context)
        : m_context(context), m_settingsData(context), m_settings(context)
    {}

    // Employees matching the search text, for the day the server's clock shows now. The
    // site's settings are read again first when they may have changed since (a change
    // saved on another workstation counts within a minute). Where the site keeps serving,
    // a server that cannot be reached is answered from the workstation's copy (when it
    // has one), and copyNote() says so.
    Recordset loadEmployees(const QString& searchText);
    // "Offline: searching the copy of 10:42" when the last search was answered from the
    // copy; empty when the server answered it.
    QString copyNote() const;
    // The meals the employee may take, for the counter's meal look-up, from the copy: the
    // server could not be reached. Throws the server's error `unreached` when there is no
    // copy to answer.
    Recordset allowedMealsOffline(const QString& empNum, const QString& text,
                                  const DbError& unreached);
    // The server's time now: as its clock was last read, moved on by the workstation's.
    QDateTime serverNow() const;
    // Where the copy lives, beside the journal.
    QString copyPath() const;
    // Where the site keeps serving, a statement that got no answer in its time makes the
    // counter serve from what it knows for `RestSeconds`, instead of the clerk waiting out
    // the timeout again at each step; the counter's background work keeps asking the
    // server, and tells serverAnswered() when it did.
    void serverAnswered() { m_unanswered.invalidate(); }
    static constexpr int RestSeconds = 30;
    // The site's settings as last read, or as saved on this workstation since.
    const AppSettings& settings() const { return m_settings.settings(); }
    // Why the defaults stand in for the site's settings; empty when they were read.
    const QString& settingsFault() const { return m_settings.fault(); }
    // Settings saved on this workstation; the statement timeout counts at once too.
    void useSettings(const AppSettings& settings);
    // The next search reads the settings again (the window's Load).
    void expireSettings() { m_settings.expire(); }
    // The warn-mode limits the order would pass. The server is asked only when a mode of
    // the order has such a limit; where the site keeps serving and it cannot be reached,
    // the counter counts what it knows (the copy, its orders since, its journal).
    QList<LimitWarning> limitWarnings(const QString& empNum, const QList<OrderLine>& lines);
    // Reads the server's clock afresh; true when its day is no longer the day of the
    // last employee search (midnight has passed since).
    // Where the site keeps serving, a server that cannot be reached leaves the day as it
    // was (false).
    bool dayChangedSinceSearch();
    // The meals an employee has received (not revoked) on the given day. Where the site
    // keeps serving, the journal's orders of that employee and day follow, marked as
    // waiting, and a server that cannot be reached is answered with what the counter knows
    // (the fresher of the server's last answer and the copy, with the orders saved since).
    Recordset loadDistributedMeals(const QString& empNum, const QString& empCol3);
    // The remark a meal waiting in the journal shows in the meals received.
    static QString waitingRemark(const QString& remarks);
    // Records every line as a distributed meal of `empNum`, all or nothing. With a
    // `key` (the site keeps serving offline) each line carries the key and its number,
    // and a link that drops before the answer arrives is opened again and the order sent
    // again: the server stores a keyed order once, so the second send answers whether the
    // first one arrived and saves it when it did not.
    // When the server cannot be reached even so, or orders already wait in the journal
    // (they go to the server first, in the order they were served), the order is kept
    // in the journal with the time it was served and the answer is Journaled; an order
    // past a block-mode limit by what the counter knows is refused as the server would.
    enum class Outcome
    {
        Saved,
        Journaled
    };
    Outcome saveOrder(const QString& empNum, const QList<OrderLine>& lines,
                      const QString& key = {});
    // Sends the journal's waiting orders, oldest first, each with its key, its time and
    // its clerk, in a transaction of its own, until the server cannot be reached. An order
    // the server refuses stays in the journal as refused, with the server's text. Another
    // program replaying the same journal just now is left to it. Answers how many wait.
    int replayJournal();
    // The same over any connection to the server and an open journal (a replay on a thread
    // of its own): `journalPath` names the lock that keeps two replays apart.
    static int replay(Connection& server, OrderJournal& journal, const QString& journalPath);
    int waitingOrders();
    // How many orders the server refused on replay wait for a supervisor.
    int refusedOrders();
    // The journal's waiting orders, oldest first (empty when none or no journal is used).
    QList<OrderJournal::Order> waitingOrderList();
    QString journalPath() const;
    // Cancels one distributed meal, named by its transaction number.
    void revoke(const QString& empNum, const QString& transNum) const;
    // Whether the clerk holds the right to serve (a fresh reading). Where the site keeps
    // serving, a server that cannot be reached is answered with this counter's last
    // reading; with none, its error stands.
    bool mayServe();
    // True when the number belongs to an employee marked inactive: the counter's search
    // leaves such employees out, and the clerk must hear why the badge found nobody.
    // A failing read counts as false (the plain "nobody" note stands), unless the site
    // keeps serving and the copy knows the employee.
    bool isInactiveEmployee(const QString& empNum);

    static QString loadEmployeesText(const QString& date, const QString& searchText);
    static QString loadDistributedMealsText(const QString& empNum, const QString& empCol3);
    static QString saveText(const QString& empNum, const OrderLine& line, const QString& date,
                            const QString& clerk, const QString& key = {}, int lineNumber = 0);
    static QString revokeText(const QString& empNum, const QString& transNum, const QString& clerk);

private:
    // What the server said of an employee's meals of a day, and when (by the
    // workstation's clock: this counter's own events are ordered by it).
    struct Answer
    {
        Recordset rows;
        QDateTime at;
    };
    // An order the server stored while this counter was online, until a copy or an answer
    // of the server holds it.
    struct SavedOrder
    {
        QString empNum;
        QDateTime served;
        QDateTime savedHere;
        QString clerk;
        QList<OrderLine> lines;
    };
    void applyStatementTimeout();
    bool resting() const;
    // Whether the counter serves on without the server after this error (the site keeps
    // serving, the server could not be reached or gave no answer).
    bool servedOffline(const DbError& error);
    // The employee search the server answers.
    Recordset searchServer(const QString& searchText);
    // The copy as its file holds it now (read again when the file changed).
    const OfflineCopy& copy();
    // The employee's meals of `day` as the counter knows them without the server (the
    // journal's waiting orders not included).
    QList<Recordset::Row> knownMeals(const QString& empNum, const QDate& day);
    // The journal's waiting orders of the employee and day, as rows of meals received.
    QList<Recordset::Row> waitingMeals(const QString& empNum, const QDate& day);
    // The meal modes the employee has received on `day`, waiting ones included.
    QStringList receivedModesOffline(const QString& empNum, const QDate& day);
    // Throws the server's refusal when the order, journaled, would pass a block-mode limit.
    void checkBlockLimitsOffline(const QString& empNum, const QList<OrderLine>& lines,
                                 const QDate& day);
    static QString shortTime(const QDateTime& value);
    void sendOrder(const QString& empNum, const QList<OrderLine>& lines, const QString& date,
                   const QString& clerk, const QString& key);
    // One order over `server` in one transaction: all its lines or none.
    static void sendOrder(Connection& server, const QString& empNum, const QList<OrderLine>& lines,
                          const QString& date, const QString& clerk, const QString& key);
    OrderJournal& journal();
    // The server's date-time read now, as general date text.
    QString freshServerDateText();
    QString clerk() const;

    AppContext& m_context;
    AppSettingsData m_settingsData;
    CounterSettings m_settings;
    QDate m_searchDay;
    std::unique_ptr<OrderJournal> m_journal;
    // The server's last answer of meals received, by employee and day.
    QHash<QString, Answer> m_lastReceived;
    QList<SavedOrder> m_savedOnline;
    OfflineCopy m_copy;
    QDateTime m_copyFileTime;
    // The time of the copy the last search was answered from; null: the server answered.
    QDateTime m_searchedCopy;
    std::optional<bool> m_mayServe;
    QElapsedTimer m_unanswered;
    // The server's clock less the workstation's at the last reading: the time an order
    // served offline is recorded with.
    qint64 m_clockOffset = 0;
};
