#pragma once

#include <QHash>
#include <QList>
#include <QString>

// The personnel master as it stands in the store: employees and departments, found by
// their codes the way the store compares them (case ignored, outer blanks ignored).
class StaffMaster
{
public:
    struct Employee
    {
        QString number;
        QString lastname;
        QString firstname;
        QString middlename;
        QString deptCode; // empty: no department
        QString active;   // "1" or "0"
    };

    void addEmployee(const Employee& employee);
    void addDepartment(const QString& code, const QString& name);

    const Employee* employee(const QString& number) const;
    bool hasDepartment(const QString& code) const;
    QString departmentName(const QString& code) const;
    // Every employee, in the order added.
    const QList<Employee>& employees() const { return m_employees; }

    // The comparison key of a code: equal keys are the same code to the store.
    static QString key(const QString& code);

private:
    QList<Employee> m_employees;
    QHash<QString, qsizetype> m_byNumber;
    QHash<QString, QString> m_departments;
};
