#pragma once

#include <QString>
#include <QVariant>

class Connection;
class QWidget;

// The contract of the user object: sign-in and the one database connection.
// The program uses exactly these members, in this order at start-up, and nothing else.
// clsCurrentUser is the production implementation; tests may supply their own.
class UserObject
{
public:
    virtual ~UserObject() = default;

    // The application's code; the signed-in person must have access to it ("TALO").
    virtual void setPasswordDeptCode(const QString& code) = 0;
    // Owner window of the sign-in dialog.
    virtual void sethwndParentForm(QWidget* parent) = 0;
    // Runs the whole sign-in; returns when it is accepted or given up.
    virtual void ShowMain() = 0;
    // True only after a successful sign-in; an invalid (null) value counts as False.
    virtual QVariant Connected() const = 0;
    // The open connection on which Station.., Patient_Data.., Password.. and Payroll..
    // resolve; the same object at every call.
    virtual Connection* SQLConnection() const = 0;
    virtual QString EmployeeCode() const = 0;
    virtual QString EmployeeName() const = 0;
    virtual QString ServerName() const = 0;
};
