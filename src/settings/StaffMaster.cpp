#include "StaffMaster.h"

QString StaffMaster::key(const QString& code)
{
    return code.trimmed().toCaseFolded();
}

void StaffMaster::addEmployee(const Employee& employee)
{
    m_byNumber.insert(key(employee.number), m_employees.size());
    m_employees.append(employee);
}

void StaffMaster::addDepartment(const QString& code, const QString& name)
{
    m_departments.insert(key(code), name);
}

const StaffMaster::Employee* StaffMaster::employee(const QString& number) const
{
    const auto found = m_byNumber.constFind(key(number));
    return found == m_byNumber.constEnd() ? nullptr : &m_employees.at(*found);
}

bool StaffMaster::hasDepartment(const QString& code) const
{
    return m_departments.contains(key(code));
}

QString StaffMaster::departmentName(const QString& code) const
{
    return m_departments.value(key(code));
}
