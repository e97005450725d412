#include "CounterData.h"

#include "OfflineLimits.h"
#include "context/AppContext.h"
#include "context/GlobalLookups.h"
#include "context/Rights.h"
#include "data/Connection.h"
#include "data/DbError.h"
#include "data/GeneralDate.h"
#include "data/SqlText.h"

#include <QDir>
#include <QFileInfo>
#include <QLocale>
#include <QLockFile>
#include <QStandardPaths>
#include <algorithm>

Recordset CounterData::loadEmployees(const QString& searchText)
{
    if (!settings().keepServingOffline)
        return searchServer(searchText);
    if (!resting() || !copy().usable()) {
        try {
            Recordset found = searchServer(searchText);
            m_searchedCopy = QDateTime();
            return found;
        } catch (const DbError& error) {
            if (!servedOffline(error) || !copy().usable())
                throw;
        }
    }
    // Nobody mistakes the copy for the server: copyNote() tells its time.
    m_searchDay = serverNow().date();
    m_searchedCopy = copy().takenAt();
    return copy().employees(m_searchDay, searchText);
}

Recordset CounterData::searchServer(const QString& searchText)
{
    const QString date = freshServerDateText();
    m_searchDay = m_context.dtServerDate.date();
    if (m_settings.refresh(m_context.dtServerDate))
        applyStatementTimeout();
    return m_context.open(loadEmployeesText(date, searchText));
}

QString CounterData::copyNote() const
{
    return m_searchedCopy.isValid() ? QStringLiteral("Offline: searching the copy of %1")
                                          .arg(m_searchedCopy.toString(QStringLiteral("HH:mm")))
                                    : QString();
}

Recordset CounterData::allowedMealsOffline(const QString& empNum, const QString& text,
                                           const DbError& unreached)
{
    if (!settings().keepServingOffline || !copy().usable())
        throw unreached;
    return copy().allowedMeals(empNum, text);
}

QDateTime CounterData::serverNow() const
{
    return QDateTime::currentDateTime().addSecs(m_clockOffset);
}

const OfflineCopy& CounterData::copy()
{
    // A refresh puts a new file in place: read it once, then again only when it changed.
    const QDateTime changed = QFileInfo(copyPath()).lastModified();
    if (changed != m_copyFileTime) {
        m_copy = OfflineCopy::read(copyPath());
        m_copyFileTime = changed;
    }
    return m_copy;
}

void CounterData::useSettings(const AppSettings& settings)
{
    m_settings.use(settings);
    applyStatementTimeout();
}

void CounterData::applyStatementTimeout()
{
    if (m_context.cnMain)
        m_context.cnMain->setStatementTimeout(settings().statementTimeout);
}

QList<LimitWarning> CounterData::limitWarnings(const QString& empNum, const QList<OrderLine>& lines)
{
    const bool warned = std::any_of(lines.begin(), lines.end(), [this](const OrderLine& line) {
        const MealModeSetting* mode = settings().mode(line.mealMode);
        return mode && mode->dailyLimit && mode->limitAction == LimitAction::Warn;
    });
    if (!warned)
        return {};
    QStringList modes;
    for (const OrderLine& line : lines)
        modes.append(line.mealMode);
    if (!resting()) {
        try {
            return m_settingsData.warnings(empNum, modes);
        } catch (const DbError& error) {
            if (!servedOffline(error))
                throw;
        }
    }
    return OfflineLimits::warnings(settings(), receivedModesOffline(empNum, serverNow().date()),
                                   lines);
}

bool CounterData::dayChangedSinceSearch()
{
    if (resting())
        return false;
    try {
        freshServerDateText();
    } catch (const DbError& error) {
        if (!servedOffline(error))
            throw;
        return false;
    }
    return m_context.dtServerDate.date() != m_searchDay;
}

Recordset CounterData::loadDistributedMeals(const QString& empNum, const QString& empCol3)
{
    if (!settings().keepServingOffline)
        return m_context.open(loadDistributedMealsText(empNum, empCol3));
    static const QStringList columns = {QStringLiteral("MEAL"),    QStringLiteral("DESCRIPTION"),
                                        QStringLiteral("TIME"),    QStringLiteral("REMARKS"),
                                        QStringLiteral("CLERKID"), QStringLiteral("TRANSNUM"),
                                        QStringLiteral("MEALMODE")};
    const QDate day = QDate::fromString(empCol3.trimmed(), Qt::ISODate);
    std::optional<QList<Recordset::Row>> rows;
    if (!resting()) {
        try {
            const Recordset received = m_context.open(loadDistributedMealsText(empNum, empCol3));
            m_lastReceived.insert(empNum + QLatin1Char('\n') + day.toString(Qt::ISODate),
                                  {received, QDateTime::currentDateTime()});
            rows = received.rows();
        } catch (const DbError& error) {
            if (!servedOffline(error))
                throw;
        }
    }
    if (!rows)
        rows = knownMeals(empNum, day);
    *rows += waitingMeals(empNum, day);
    return Recordset(columns, std::move(*rows));
}

QList<Recordset::Row> CounterData::knownMeals(const QString& empNum, const QDate& day)
{
    // The fresher of the server's last answer and the copy, then this counter's orders the
    // server stored after it.
    const Answer answer =
        m_lastReceived.value(empNum + QLatin1Char('\n') + day.toString(Qt::ISODate));
    QList<Recordset::Row> rows;
    QDateTime at = answer.at;
    if (copy().usable() && (!at.isValid() || copy().takenHere() > at)) {
        at = copy().takenHere();
        for (const OfflineCopy::Received& meal : copy().received(empNum, day))
            rows.append({meal.meal, meal.description, shortTime(meal.served), meal.remarks,
                         meal.clerk, meal.transNum, meal.mealMode});
    } else {
        rows = answer.rows.rows();
    }
    for (const SavedOrder& order : std::as_const(m_savedOnline)) {
        if (order.empNum != empNum || order.served.date() != day ||
            (at.isValid() && order.savedHere < at))
            continue;
        for (const OrderLine& line : order.lines)
            rows.append({line.mealCode, line.description, shortTime(order.served), line.remarks,
                         order.clerk, QString(), line.mealMode});
    }
    return rows;
}

QList<Recordset::Row> CounterData::waitingMeals(const QString& empNum, const QDate& day)
{
    QList<Recordset::Row> rows;
    for (const OrderJournal::Order& order : journal().waiting()) {
        const std::optional<QDateTime> served = GeneralDate::fromText(order.served);
        if (order.empNum != empNum || !served || served->date() != day)
            continue;
        // No transaction number: the server has not given it one yet.
        for (const OrderLine& line : order.lines)
            rows.append({line.mealCode, line.description, shortTime(*served),
                         waitingRemark(line.remarks), order.clerk, QString(), line.mealMode});
    }
    return rows;
}

QStringList CounterData::receivedModesOffline(const QString& empNum, const QDate& day)
{
    constexpr int ModeColumn = 6;
    QStringList modes;
    for (const Recordset::Row& row : knownMeals(empNum, day) + waitingMeals(empNum, day))
        modes.append(row.value(ModeColumn));
    return modes;
}

void CounterData::checkBlockLimitsOffline(const QString& empNum, const QList<OrderLine>& lines,
                                          const QDate& day)
{
    const OfflineCopy::Employee* employee = copy().usable() ? copy().employee(empNum) : nullptr;
    const QString name = employee ? employee->name() : QString();
    const QString refusal =
        OfflineLimits::refusal(settings(), receivedModesOffline(empNum, day), lines, name, empNum);
    if (!refusal.isEmpty())
        throw DbError(DbError::refusalNumber, refusal);
}

QString CounterData::shortTime(const QDateTime& value)
{
    QString time = QLocale().toString(value.time(), QLocale::ShortFormat);
    return time.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0x00A0), QLatin1Char(' '));
}

QString CounterData::waitingRemark(const QString& remarks)
{
    return remarks.isEmpty() ? QStringLiteral("(waiting to be sent)")
                             : QStringLiteral("(waiting to be sent) ") + remarks;
}

CounterData::Outcome CounterData::saveOrder(const QString& empNum, const QList<OrderLine>& lines,
                                            const QString& key)
{
    // One transaction for the whole order: a line refused half-way must not leave the
    // first lines recorded, or a retry would hand those meals out twice. Every line
    // carries the same date-time: the server's clock when Save was pressed.
    if (key.isEmpty()) {
        sendOrder(empNum, lines, freshServerDateText(), clerk(), key);
        return Outcome::Saved;
    }
    bool reached = !resting() && replayJournal() == 0;
    QString date;
    if (reached) {
        try {
            date = freshServerDateText();
        } catch (const DbError& error) {
            if (!servedOffline(error))
                throw;
            reached = false;
        }
    }
    if (date.isEmpty())
        date = GeneralDate::toText(serverNow());
    // Whether a commit whose answer never came arrived is unknown; the keyed send again
    // cannot double it, and answers as a save when it did.
    for (int attempt = 0; reached && attempt < 2; ++attempt) {
        try {
            sendOrder(empNum, lines, date, clerk(), key);
            // Until a copy or an answer of the server holds it, the counter remembers it
            // for its limits offline; those of another day no longer count.
            const QDate today = serverNow().date();
            m_savedOnline.removeIf(
                [today](const SavedOrder& saved) { return saved.served.date() != today; });
            m_savedOnline.append({empNum, GeneralDate::fromText(date).value_or(QDateTime()),
                                  QDateTime::currentDateTime(), clerk(), lines});
            return Outcome::Saved;
        } catch (const DbError& error) {
            if (!servedOffline(error))
                throw;
            // No answer in time: the server rolled the order back, or never began it.
            if (error.isTimedOut())
                break;
        }
    }
    // One counter alone never passes a block-mode limit: the server would refuse the
    // order on replay, after the meal was handed out.
    checkBlockLimitsOffline(empNum, lines,
                            GeneralDate::fromText(date).value_or(serverNow()).date());
    journal().add({0, key, empNum, date, clerk(), lines, {}});
    return Outcome::Journaled;
}

void CounterData::sendOrder(const QString& empNum, const QList<OrderLine>& lines,
                            const QString& date, const QString& clerk, const QString& key)
{
    if (!m_context.cnMain)
        // The context's own words for a missing connection.
        m_context.transaction([] {});
    sendOrder(*m_context.cnMain, empNum, lines, date, clerk, key);
}

void CounterData::sendOrder(Connection& server, const QString& empNum,
                            const QList<OrderLine>& lines, const QString& date,
                            const QString& clerk, const QString& key)
{
    server.transaction([&] {
        for (int i = 0; i < lines.size(); ++i)
            server.execute(saveText(empNum, lines.at(i), date, clerk, key, i + 1));
    });
}

int CounterData::replayJournal()
{
    if (!m_context.cnMain)
        return waitingOrders();
    return replay(*m_context.cnMain, journal(), journalPath());
}

int CounterData::replay(Connection& server, OrderJournal& journal, const QString& journalPath)
{
    QLockFile lock(journalPath + QStringLiteral(".lock"));
    // A replay may outlast any age a lock could be given: only a holder that is no longer
    // running leaves a stale lock.
    lock.setStaleLockTime(0);
    if (!lock.tryLock(0))
        return journal.waitingCount();
    for (const OrderJournal::Order& order : journal.waiting()) {
        try {
            sendOrder(server, order.empNum, order.lines, order.served, order.clerk, order.key);
        } catch (const DbError& error) {
            if (!error.isRefusal())
                break;
            journal.refuse(order.id, error.message());
            continue;
        }
        journal.stored(order.id);
    }
    return journal.waitingCount();
}

QList<OrderJournal::Order> CounterData::waitingOrderList()
{
    return journal().waiting();
}

int CounterData::waitingOrders()
{
    return journal().waitingCount();
}

int CounterData::refusedOrders()
{
    return journal().refusedCount();
}

OrderJournal& CounterData::journal()
{
    if (!m_journal) {
        QDir().mkpath(QFileInfo(journalPath()).absolutePath());
        m_journal = std::make_unique<OrderJournal>(journalPath());
    }
    return *m_journal;
}

QString CounterData::copyPath() const
{
    return OfflineCopy::pathBeside(journalPath());
}

QString CounterData::journalPath() const
{
    const QString folder =
        m_context.workstationFolder.isEmpty()
            ? QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation)
            : m_context.workstationFolder;
    return QDir(folder).filePath(QStringLiteral("counter-journal.sqlite"));
}

void CounterData::revoke(const QString& empNum, const QString& transNum) const
{
    m_context.execute(revokeText(empNum, transNum, clerk()));
}

bool CounterData::mayServe()
{
    if (!resting() || (!m_mayServe && !copy().usable())) {
        try {
            m_mayServe = Rights::held(m_context, Rights::Right::Counter);
            return *m_mayServe;
        } catch (const DbError& error) {
            // This counter's last reading, else the copy's (taken for this clerk).
            if (!servedOffline(error) || (!m_mayServe && !copy().usable()))
                throw;
        }
    }
    return m_mayServe ? *m_mayServe
                      : copy().clerkHolds(clerk(), Rights::code(Rights::Right::Counter));
}

bool CounterData::resting() const
{
    return settings().keepServingOffline && m_unanswered.isValid() &&
           !m_unanswered.hasExpired(RestSeconds * 1000);
}

bool CounterData::servedOffline(const DbError& error)
{
    if (!settings().keepServingOffline || !error.isUnavailable())
        return false;
    if (error.isTimedOut())
        m_unanswered.start();
    return true;
}

bool CounterData::isInactiveEmployee(const QString& empNum)
{
    if (!resting()) {
        try {
            const Recordset found = m_context.open(
                QStringLiteral(
                    "Select EmpNum from Payroll..tbcmaster where Active = '0' and EmpNum = '") +
                SqlText::quote(empNum) + QStringLiteral("'"));
            return !found.eof();
        } catch (const DbError& error) {
            if (!servedOffline(error))
                return false;
        }
    }
    const OfflineCopy::Employee* employee = copy().usable() ? copy().employee(empNum) : nullptr;
    return employee && !employee->active;
}

QString CounterData::loadEmployeesText(const QString& date, const QString& searchText)
{
    return SqlText::call(QStringLiteral("Station..Load_Employee_for_Meal"), {date, searchText});
}

QString CounterData::loadDistributedMealsText(const QString& empNum, const QString& empCol3)
{
    return SqlText::call(QStringLiteral("Station..Load_TALO_EmployeeDistributedMeals"),
                         {empNum, empCol3});
}

QString CounterData::saveText(const QString& empNum, const OrderLine& line, const QString& date,
                              const QString& clerk, const QString& key, int lineNumber)
{
    QStringList arguments = {empNum,       line.mealCode, line.mealMode,      date,
                             line.remarks, clerk,         QStringLiteral("S")};
    if (!key.isEmpty())
        arguments << key << QString::number(lineNumber);
    return SqlText::call(QStringLiteral("Station..Save_TALO_EmployeeDistributedMeals"), arguments);
}

QString CounterData::revokeText(const QString& empNum, const QString& transNum,
                                const QString& clerk)
{
    return SqlText::call(QStringLiteral("Station..Revoke_TALO_EmployeeDistributedMeals"),
                         {empNum, transNum, clerk});
}

QString CounterData::freshServerDateText()
{
    // Not the date-time of the sign-in: a meal is recorded when it is served, and a
    // counter left open past midnight works on the new day.
    LoadServerDate(m_context);
    m_clockOffset = QDateTime::currentDateTime().secsTo(m_context.dtServerDate);
    return GeneralDate::toText(m_context.dtServerDate);
}

QString CounterData::clerk() const
{
    return m_context.userCode();
}
