#pragma once

#include "CenteredDialog.h"

#include <functional>

class MessageService;
class QLineEdit;

// The sign-in window: staff ID and password, OK and Cancel, and, for a SQL Server that
// takes a database login, that login too. The check itself is handed in; the window only
// collects what was typed, tells a refused person so, and gives up after too many
// refusals in a row.
class SignInDialog : public CenteredDialog
{
    Q_OBJECT

public:
    enum class Verdict
    {
        Accepted, // signed in: the window closes
        Refused,  // wrong ID, password or access: counted, the window stays
        Failed    // the check could not run (already shown to the user): not counted
    };
    using Check = std::function<Verdict(const SignInDialog&)>;

    static constexpr int maxFailures = 5;

    SignInDialog(MessageService& messages, bool asksForDatabaseLogin, Check check,
                 QWidget* parent = nullptr);

    QString staffId() const;
    QString password() const;
    QString databaseLogin() const;
    QString databasePassword() const;
    void setStaffId(const QString& staffId);

    int failures() const { return m_failures; }

    static QString refusalText();

    QLineEdit* txtStaffID = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLineEdit* txtDatabaseLogin = nullptr;    // only when a database login is asked for
    QLineEdit* txtDatabasePassword = nullptr; // idem

private:
    void cmdOK_Click();

    MessageService& m_messages;
    Check m_check;
    int m_failures = 0;
};
