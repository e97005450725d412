#pragma once

#include "settings/CsvReader.h"
#include "settings/StaffColumns.h"
#include "settings/StaffMaster.h"

#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

// What importing a personnel file would change, worked out before anything is written:
// new and changed employees (with the fields that change), how many stay as they are,
// the active employees the file leaves out, and every line that cannot be imported with
// its line number and reason.
class StaffImportPlan
{
public:
    // One employee as it is to be stored, with the department name to create or rename
    // (empty when the department is left as it is).
    struct Row
    {
        int line = 0;
        StaffMaster::Employee employee;
        QString deptName;
        // Each changed field as "Label: old -> new"; empty for a new employee.
        QStringList changedFields;
        // An active employee set inactive (by the file, or as missing from it).
        bool deactivates = false;
    };
    struct Rejected
    {
        int line = 0;
        QString number; // as written, when the line has one
        QString reason;
    };

    // `wholeList`: the file lists every employee, so active employees missing from it are
    // offered for deactivation.
    StaffImportPlan(const QList<CsvReader::Record>& records, int headerFields,
                    const StaffColumns& columns, const StaffMaster& master, bool wholeList);

    const QList<Row>& added() const { return m_added; }
    const QList<Row>& changed() const { return m_changed; }
    int unchanged() const { return m_unchanged; }
    const QList<StaffMaster::Employee>& missing() const { return m_missing; }
    const QList<Rejected>& rejected() const { return m_rejected; }
    int newDepartments() const { return int(m_newDepartments.size()); }
    // How many employees the store holds as active.
    int activeStaff() const { return m_activeStaff; }
    // The first line the reader could not make sense of (0: none). Such a line may hide
    // others, so a file holding one is never taken as the whole staff list.
    int unreadableLine() const { return m_unreadableLine; }
    // Whether the missing employees may be deactivated.
    bool offersDeactivation() const { return !m_missing.isEmpty() && m_unreadableLine == 0; }

    // The rows to send: new and changed employees, and, when asked, the missing ones
    // set inactive. Empty when the store already matches the file.
    QList<Row> rowsToApply(bool deactivateMissing) const;

    // "1" or "0" for the usual ways of writing an active flag (empty counts as active);
    // empty for anything else.
    static QString activeFlag(const QString& text);

private:
    QString rejection(const CsvReader::Record& record, int headerFields,
                      const StaffColumns& columns, const StaffMaster& master);
    void collectDepartmentNames(const QList<CsvReader::Record>& records,
                                const StaffColumns& columns);
    void classify(const CsvReader::Record& record, const StaffColumns& columns,
                  const StaffMaster& master);

    QList<Row> m_added;
    QList<Row> m_changed;
    int m_unchanged = 0;
    QList<StaffMaster::Employee> m_missing;
    QList<Rejected> m_rejected;
    int m_activeStaff = 0;
    int m_unreadableLine = 0;
    QSet<QString> m_newDepartments;
    // Department key -> (first line naming it, the name given there).
    QHash<QString, std::pair<int, QString>> m_fileDepartments;
    // Employee key -> the first line that carries the number.
    QHash<QString, int> m_seenNumbers;
};
