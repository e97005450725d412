#pragma once

#include "SignInDialog.h"
#include "UserObject.h"

#include <memory>

class DatabaseOpener;
class MessageService;
class ModalRunner;

// The program's user object: opens the database through the opener it is given, sets up
// a new store with its first administrator, and signs the user in against the password
// register. Dialogs go through the ModalRunner, messages through the MessageService.
class clsCurrentUser : public UserObject
{
public:
    clsCurrentUser(DatabaseOpener& opener, ModalRunner& modal, MessageService& messages);
    ~clsCurrentUser() override;

    void setPasswordDeptCode(const QString& code) override;
    void sethwndParentForm(QWidget* parent) override;
    void ShowMain() override;
    QVariant Connected() const override;
    Connection* SQLConnection() const override;
    QString EmployeeCode() const override;
    QString EmployeeName() const override;
    QString ServerName() const override;

private:
    bool openConnection(const QString& login, const QString& password);
    // Returns false when the store still has nobody who may sign in.
    bool ensureAdministrator(QString& newStaffId);
    SignInDialog::Verdict signInVerdict(const SignInDialog& typed);

    DatabaseOpener& m_opener;
    ModalRunner& m_modal;
    MessageService& m_messages;
    QString m_deptCode;
    QWidget* m_parent = nullptr;
    std::unique_ptr<Connection> m_connection;
    bool m_connected = false;
    QString m_employeeCode;
    QString m_employeeName;
    QString m_serverName;
};
