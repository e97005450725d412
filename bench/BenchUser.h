#pragma once

#include "data/Connection.h"
#include "user/UserObject.h"

// A signed-in user object for the benchmarks: no dialog, a fixed staff code, the
// benchmark's connection.
class BenchUser : public UserObject
{
public:
    BenchUser(Connection* connection, QString employeeCode)
        : m_connection(connection), m_employeeCode(std::move(employeeCode))
    {}
    void setPasswordDeptCode(const QString&) override {}
    void sethwndParentForm(QWidget*) override {}
    void ShowMain() override {}
    QVariant Connected() const override { return true; }
    Connection* SQLConnection() const override { return m_connection; }
    QString EmployeeCode() const override { return m_employeeCode; }
    QString EmployeeName() const override { return QStringLiteral("Bench ") + m_employeeCode; }
    QString ServerName() const override { return m_connection->serverName(); }

private:
    Connection* m_connection;
    QString m_employeeCode;
};
