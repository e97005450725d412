#pragma once

#include "user/UserObject.h"

#include <QStringList>

// A signed-in user object for tests: no dialog, a fixed staff code and name, and the
// connection the test gives it.
class TestUser : public UserObject
{
public:
    TestUser(Connection* connection, QString employeeCode, QString employeeName = {})
        : connection(connection), employeeCode(std::move(employeeCode)),
          employeeName(std::move(employeeName))
    {}

    void setPasswordDeptCode(const QString& code) override
    {
        used.append(QStringLiteral("PasswordDeptCode"));
        deptCode = code;
    }
    void sethwndParentForm(QWidget* parent) override
    {
        used.append(QStringLiteral("hwndParentForm"));
        parentForm = parent;
    }
    void ShowMain() override
    {
        used.append(QStringLiteral("ShowMain"));
        ++showMainCalls;
    }
    QVariant Connected() const override
    {
        used.append(QStringLiteral("Connected"));
        return connected;
    }
    Connection* SQLConnection() const override
    {
        used.append(QStringLiteral("SQLConnection"));
        return connection;
    }
    QString EmployeeCode() const override
    {
        used.append(QStringLiteral("EmployeeCode"));
        return employeeCode;
    }
    QString EmployeeName() const override
    {
        used.append(QStringLiteral("EmployeeName"));
        return employeeName;
    }
    QString ServerName() const override
    {
        used.append(QStringLiteral("ServerName"));
        return serverName;
    }

    Connection* connection;
    QString employeeCode;
    QString employeeName;
    QString serverName = QStringLiteral("TESTSERVER");
    QVariant connected = true;
    QString deptCode;
    QWidget* parentForm = nullptr;
    int showMainCalls = 0;
    // Every member the program used, in order of use.
    mutable QStringList used;
};
