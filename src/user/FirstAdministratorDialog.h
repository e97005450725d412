#pragma once

#include "CenteredDialog.h"
#include "DatabaseOpener.h"

#include <functional>

class MessageService;
class QLineEdit;

// Shown once, on a new store that nobody may use yet: collects the administrator's staff
// ID, names and password (typed twice). Storing the person is handed in; the window
// closes only when that succeeded, so a refusal or an error leaves everything typed.
class FirstAdministratorDialog : public CenteredDialog
{
    Q_OBJECT

public:
    // Returns false when the person could not be stored (the reason already shown).
    using Create = std::function<bool(const DatabaseOpener::NewAdministrator&)>;

    FirstAdministratorDialog(MessageService& messages, Create create, QWidget* parent = nullptr);

    DatabaseOpener::NewAdministrator person() const;

    static QString incompleteText();
    static QString mismatchText();

    QLineEdit* txtStaffID = nullptr;
    QLineEdit* txtLastName = nullptr;
    QLineEdit* txtFirstName = nullptr;
    QLineEdit* txtPassword = nullptr;
    QLineEdit* txtConfirmPassword = nullptr;

private:
    void cmdOK_Click();

    MessageService& m_messages;
    Create m_create;
};
