#include "StaffImportPlan.h"

namespace {

using Field = StaffColumns::Field;

QString quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

} // namespace

QString StaffImportPlan::activeFlag(const QString& text)
{
    static const QStringList yes{"", "1", "y", "yes", "true", "a", "active"};
    static const QStringList no{"0", "n", "no", "false", "i", "inactive"};
    const QString flag = text.trimmed().toLower();
    if (yes.contains(flag))
        return QStringLiteral("1");
    if (no.contains(flag))
        return QStringLiteral("0");
    return {};
}

StaffImportPlan::StaffImportPlan(const QList<CsvReader::Record>& records, int headerFields,
                                 const StaffColumns& columns, const StaffMaster& master,
                                 bool wholeList)
{
    collectDepartmentNames(records, columns);
    for (const CsvReader::Record& record : records) {
        const QString number = columns.value(record.fields, StaffColumns::Number);
        const QString reason = rejection(record, headerFields, columns, master);
        // A number seen on any line, even a rejected one, is not "missing from the file":
        // a typo on one line must not deactivate that employee.
        if (!number.isEmpty() && !m_seenNumbers.contains(StaffMaster::key(number)))
            m_seenNumbers.insert(StaffMaster::key(number), record.line);
        if (!record.error.isEmpty() && m_unreadableLine == 0)
            m_unreadableLine = record.line;
        if (!reason.isEmpty())
            m_rejected.append({record.line, number, reason});
        else
            classify(record, columns, master);
    }
    for (const StaffMaster::Employee& employee : master.employees()) {
        if (employee.active != QLatin1String("1"))
            continue;
        ++m_activeStaff;
        if (wholeList && !m_seenNumbers.contains(StaffMaster::key(employee.number)))
            m_missing.append(employee);
    }
}

void StaffImportPlan::collectDepartmentNames(const QList<CsvReader::Record>& records,
                                             const StaffColumns& columns)
{
    for (const CsvReader::Record& record : records) {
        const QString code = columns.value(record.fields, StaffColumns::DeptCode);
        const QString name = columns.value(record.fields, StaffColumns::DeptName);
        if (!code.isEmpty() && !name.isEmpty() && record.error.isEmpty() &&
            !m_fileDepartments.contains(StaffMaster::key(code)))
            m_fileDepartments.insert(StaffMaster::key(code), {record.line, name});
    }
}

QString StaffImportPlan::rejection(const CsvReader::Record& record, int headerFields,
                                   const StaffColumns& columns, const StaffMaster& master)
{
    if (!record.error.isEmpty())
        return QStringLiteral("The line cannot be read: %1.").arg(record.error);
    if (record.fields.size() > headerFields)
        return QStringLiteral("The line has %1 fields, the header %2.")
            .arg(record.fields.size())
            .arg(headerFields);
    const QString number = columns.value(record.fields, StaffColumns::Number);
    if (number.isEmpty())
        return QStringLiteral("No employee number.");
    const auto first = m_seenNumbers.constFind(StaffMaster::key(number));
    if (first != m_seenNumbers.constEnd())
        return QStringLiteral("Duplicate employee number %1 (first on line %2).")
            .arg(number)
            .arg(*first);
    for (int field = 0; field < StaffColumns::FieldCount; ++field) {
        const int limit = StaffColumns::maxLength(Field(field));
        if (limit > 0 && columns.value(record.fields, Field(field)).size() > limit)
            return QStringLiteral("%1 is longer than %2 characters.")
                .arg(StaffColumns::label(Field(field)))
                .arg(limit);
    }
    const QString active = columns.value(record.fields, StaffColumns::Active);
    if (activeFlag(active).isEmpty())
        return QStringLiteral("Bad active flag %1 (use 1/0, Y/N, Yes/No, True/False or A/I).")
            .arg(quoted(active));
    const QString code = columns.value(record.fields, StaffColumns::DeptCode);
    const QString name = columns.value(record.fields, StaffColumns::DeptName);
    const auto named = m_fileDepartments.constFind(StaffMaster::key(code));
    if (!code.isEmpty() && !master.hasDepartment(code) && named == m_fileDepartments.constEnd())
        return QStringLiteral("Unknown department %1 and no department name given.").arg(code);
    if (!name.isEmpty() && named != m_fileDepartments.constEnd() && named->second != name)
        return QStringLiteral("Department %1 is named %2 on line %3, %4 here.")
            .arg(code, quoted(named->second))
            .arg(named->first)
            .arg(quoted(name));
    return {};
}

void StaffImportPlan::classify(const CsvReader::Record& record, const StaffColumns& columns,
                               const StaffMaster& master)
{
    const auto value = [&](Field field) { return columns.value(record.fields, field); };
    const StaffMaster::Employee* current = master.employee(value(StaffColumns::Number));

    Row row;
    row.line = record.line;
    // A field the file does not carry keeps what the store has (for a new employee:
    // empty, no department, active).
    StaffMaster::Employee& e = row.employee;
    e = current ? *current : StaffMaster::Employee{{}, {}, {}, {}, {}, QStringLiteral("1")};
    if (!current)
        e.number = value(StaffColumns::Number);
    const auto take = [&](Field field, QString& target) {
        if (columns.mapped(field))
            target = value(field);
    };
    take(StaffColumns::Lastname, e.lastname);
    take(StaffColumns::Firstname, e.firstname);
    take(StaffColumns::Middlename, e.middlename);
    take(StaffColumns::DeptCode, e.deptCode);
    if (columns.mapped(StaffColumns::Active))
        e.active = activeFlag(value(StaffColumns::Active));

    // The department is created or renamed only where the file names it differently.
    const auto named = m_fileDepartments.constFind(StaffMaster::key(e.deptCode));
    if (!e.deptCode.isEmpty() && named != m_fileDepartments.constEnd()) {
        if (!master.hasDepartment(e.deptCode)) {
            row.deptName = named->second;
            m_newDepartments.insert(StaffMaster::key(e.deptCode));
        } else if (master.departmentName(e.deptCode) != named->second) {
            row.deptName = named->second;
        }
    }

    if (!current) {
        m_added.append(row);
        return;
    }
    const auto change = [&](Field field, const QString& was, const QString& is) {
        row.changedFields.append(
            QStringLiteral("%1: %2 -> %3").arg(StaffColumns::label(field), was, is));
    };
    const auto differs = [&](const QString& was, const QString& is, Field field) {
        if (was != is)
            change(field, was, is);
    };
    differs(current->lastname, e.lastname, StaffColumns::Lastname);
    differs(current->firstname, e.firstname, StaffColumns::Firstname);
    differs(current->middlename, e.middlename, StaffColumns::Middlename);
    if (StaffMaster::key(current->deptCode) != StaffMaster::key(e.deptCode))
        change(StaffColumns::DeptCode, current->deptCode, e.deptCode);
    if (!row.deptName.isEmpty())
        change(StaffColumns::DeptName, master.departmentName(e.deptCode), row.deptName);
    differs(current->active, e.active, StaffColumns::Active);
    row.deactivates = current->active == QLatin1String("1") && e.active == QLatin1String("0");
    if (row.changedFields.isEmpty())
        ++m_unchanged;
    else
        m_changed.append(row);
}

QList<StaffImportPlan::Row> StaffImportPlan::rowsToApply(bool deactivateMissing) const
{
    QList<Row> rows = m_added + m_changed;
    if (deactivateMissing && offersDeactivation()) {
        for (const StaffMaster::Employee& employee : m_missing) {
            Row row;
            row.employee = employee;
            row.employee.active = QStringLiteral("0");
            row.deactivates = true;
            row.changedFields.append(
                QStringLiteral("%1: 1 -> 0").arg(StaffColumns::label(StaffColumns::Active)));
            rows.append(row);
        }
    }
    return rows;
}
