#include "CounterData.h"

#include "context/AppContext.h"
#include "context/GlobalLookups.h"
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
    const QString date = freshServerDateText();
    m_searchDay = m_context.dtServerDate.date();
    if (m_settings.refresh(m_context.dtServerDate))
        applyStatementTimeout();
    return m_context.open(loadEmployeesText(date, searchText));
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
    return m_settingsData.warnings(empNum, modes);
}

bool CounterData::dayChangedSinceSearch()
{
    try {
        LoadServerDate(m_context);
    } catch (const DbError& error) {
        if (!settings().keepServingOffline || !error.isUnavailable())
            throw;
        return false;
    }
    return m_context.dtServerDate.date() != m_searchDay;
}

Recordset CounterData::loadDistributedMeals(const QString& empNum, const QString& empCol3)
{
    if (!settings().keepServingOffline)
        return m_context.open(loadDistributedMealsText(empNum, empCol3));
    const QString asked = empNum + QLatin1Char('\n') + empCol3;
    Recordset received;
    try {
        received = m_context.open(loadDistributedMealsText(empNum, empCol3));
        m_lastReceived.insert(asked, received);
    } catch (const DbError& error) {
        if (!error.isUnavailable())
            throw;
        received = m_lastReceived.value(asked);
    }
    static const QStringList columns = {QStringLiteral("MEAL"),    QStringLiteral("DESCRIPTION"),
                                        QStringLiteral("TIME"),    QStringLiteral("REMARKS"),
                                        QStringLiteral("CLERKID"), QStringLiteral("TRANSNUM"),
                                        QStringLiteral("MEALMODE")};
    QList<Recordset::Row> rows = received.rows();
    const QDate day = QDate::fromString(empCol3.trimmed(), Qt::ISODate);
    for (const OrderJournal::Order& order : journal().waiting()) {
        const std::optional<QDateTime> served = GeneralDate::fromText(order.served);
        if (order.empNum != empNum || !served || served->date() != day)
            continue;
        QString time = QLocale().toString(served->time(), QLocale::ShortFormat);
        time.replace(QChar(0x202F), QLatin1Char(' ')).replace(QChar(0x00A0), QLatin1Char(' '));
        // No transaction number: the server has not given it one yet.
        for (const OrderLine& line : order.lines)
            rows.append({line.mealCode, line.description, time, waitingRemark(line.remarks),
                         order.clerk, QString(), line.mealMode});
    }
    return Recordset(received.fieldCount() ? received.fieldNames() : columns, std::move(rows));
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
    bool reached = replayJournal() == 0;
    QString date;
    if (reached) {
        try {
            date = freshServerDateText();
        } catch (const DbError& error) {
            if (!error.isUnavailable())
                throw;
            reached = false;
        }
    }
    if (date.isEmpty())
        date = GeneralDate::toText(QDateTime::currentDateTime().addSecs(m_clockOffset));
    // Whether a commit whose answer never came arrived is unknown; the keyed send again
    // cannot double it, and answers as a save when it did.
    for (int attempt = 0; reached && attempt < 2; ++attempt) {
        try {
            sendOrder(empNum, lines, date, clerk(), key);
            return Outcome::Saved;
        } catch (const DbError& error) {
            if (!error.isUnavailable())
                throw;
            // No answer in time: the server rolled the order back, or never began it.
            if (error.isTimedOut())
                break;
        }
    }
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

OrderJournal& CounterData::journal()
{
    if (!m_journal) {
        QDir().mkpath(QFileInfo(journalPath()).absolutePath());
        m_journal = std::make_unique<OrderJournal>(journalPath());
    }
    return *m_journal;
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

bool CounterData::isInactiveEmployee(const QString& empNum) const
{
    try {
        const Recordset found = m_context.open(
            QStringLiteral(
                "Select EmpNum from Payroll..tbcmaster where Active = '0' and EmpNum = '") +
            SqlText::quote(empNum) + QStringLiteral("'"));
        return !found.eof();
    } catch (const DbError&) {
        return false;
    }
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
