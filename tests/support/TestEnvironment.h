#pragma once

#include "ScriptedMessageService.h"
#include "ScriptedModalRunner.h"
#include "TestUser.h"
#include "context/AppContext.h"
#include "data/RecordingConnection.h"
#include "server/EmbeddedConnection.h"

#include <QTemporaryDir>
#include <memory>

// A fresh embedded store in a temporary folder, a signed-in test user on it, and an
// AppContext wired with scripted messages and modal runner: what a window test needs.
// Every statement the program sends is recorded (statements()).
class TestEnvironment
{
public:
    // `userCode` is the signed-in staff code; `rights` its rights string ("" = no row).
    explicit TestEnvironment(const QString& userCode = QStringLiteral("CLERK01"),
                             const QString& rights = QStringLiteral("|1|2|3|4|5|6|7|8"));
    ~TestEnvironment();

    AppContext& context() { return *m_context; }
    ScriptedMessageService& messages() { return m_messages; }
    ScriptedModalRunner& modal() { return m_modal; }
    TestUser& user() { return *m_user; }
    EmbeddedConnection& store() { return *m_store; }
    RecordingConnection& recorder() { return *m_recorder; }
    QString folder() const { return m_dir.path(); }

    // The store's clock (what GetDate() answers); starts at 8 December 2026, 11:30:15,
    // the date-time the context holds as read at start-up.
    void setServerClock(const QDateTime& now) { m_serverClock = now; }

    // Native SQLite on the store, for seeding and for checking stored rows.
    void sqlite(const QString& nativeSql);
    Recordset query(const QString& nativeSql);
    // First column of the first row of a native query ("" when there is none).
    QString scalar(const QString& nativeSql);

    // Statements sent through the program's connection since the last clear.
    QStringList statements() const { return m_recorder->statements(); }
    void clearStatements()
    {
        appendStatementLog();
        m_recorder->clear();
    }

    // Seeding helpers for the common rows (names as in the schema).
    void addEmployee(const QString& empNum, const QString& lastName, const QString& firstName,
                     const QString& middleName = {}, const QString& department = {});
    void addMealType(const QString& code, const QString& description, bool active = true);
    void addMeal(const QString& code, const QString& description, const QString& mealType,
                 const QString& cost = QStringLiteral("0.00"), bool active = true);
    void tag(const QString& empNum, const QString& mealTypeCode);
    void setRights(const QString& userId, const QString& rights);

private:
    // With TALODESK_STATEMENT_LOG set: appends the recorded statements to
    // <that folder>/<test executable>.txt, one a line.
    void appendStatementLog() const;

    QTemporaryDir m_dir;
    QDateTime m_serverClock;
    ScriptedMessageService m_messages;
    ScriptedModalRunner m_modal;
    std::unique_ptr<EmbeddedConnection> m_store;
    std::unique_ptr<RecordingConnection> m_recorder;
    std::unique_ptr<TestUser> m_user;
    std::unique_ptr<AppContext> m_context;
};
