#pragma once

#include "data/UserObject.h"

// A signed-in user object for tests: no dialog, a fixed staff code and name, and the
// connection the test gives it.
class TestUser : public UserObject
{
public:
    TestUser(Connection* connection, QString employeeCode, QString employeeName = {})
        : connection(connection), employeeCode(std::move(employeeCode)),
          employeeName(std::move(employeeName))
    {
    }

    void setPasswordDeptCode(const QString& code) override { deptCode = code; }
    void sethwndParentForm(QWidget* parent) override { parentForm = parent; }
    void ShowMain() override { ++showMainCalls; }
    QVariant Connected() const override { return connected; }
    Connection* SQLConnection() const override { return connection; }
    QString EmployeeCode() const override { return employeeCode; }
    QString EmployeeName() const override { return employeeName; }
    QString ServerName() const override { return serverName; }

    Connection* connection;
    QString employeeCode;
    QString employeeName;
    QString serverName = QStringLiteral("TESTSERVER");
    QVariant connected = true;
    QString deptCode;
    QWidget* parentForm = nullptr;
    int showMainCalls = 0;
};
