#pragma once

#include "data/Recordset.h"

#include <QDateTime>
#include <QList>
#include <QString>

// The last staff import's new employees not tagged yet, with the file and the time they
// came with: bulk tagging offers them until they are tagged, after a restart too. Read
// from the store, so every window (and every workstation) sees the same offer.
struct ImportOffer
{
    struct Employee
    {
        QString number;
        QString deptCode;
        bool active = true;
    };
    QString file;
    QDateTime appliedAt;
    QList<Employee> employees;

    // The rows of Station..Load_TALO_ImportNewcomers (EMPNUM, DEPTCODE, ACTIVE, FILENAME,
    // IMPORTEDAT). Newcomers who are all inactive leave nothing to tag: no offer.
    static ImportOffer fromRows(const Recordset& rows);

    bool isEmpty() const { return employees.isEmpty(); }
    // "staff.csv, imported 12/9/2026 6:30:15 PM"
    QString origin() const;
};
