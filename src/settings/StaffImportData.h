#pragma once

#include "settings/StaffImportPlan.h"
#include "settings/StaffMaster.h"

#include <QList>
#include <functional>

class AppContext;

// The database side of the staff import: reads the personnel master for the preview and
// applies a plan through Station..Save_TALO_StaffImport, in slices, all in one transaction.
// Failures are thrown as DbError.
class StaffImportData
{
public:
    // Rows sent per procedure call.
    static constexpr int sliceSize = 1000;

    explicit StaffImportData(AppContext& context) : m_context(context) {}

    // Every employee and department as stored.
    StaffMaster readMaster();

    // Told how many rows are done and the total after each slice; returning false cancels.
    using Progress = std::function<bool(int done, int total)>;
    // Writes the rows in one transaction: all of them, or (on a failure or a cancel)
    // nothing. Returns false when cancelled. Every slice carries one batch key and the
    // name of the file (`fileName`, without its folder), so the changes log shows the
    // import as one.
    bool apply(const QList<StaffImportPlan::Row>& rows, const Progress& progress,
               const QString& fileName = {});

    // The procedure call for one slice of rows.
    QString sliceStatement(const QList<StaffImportPlan::Row>& rows, qsizetype from, qsizetype count,
                           const QString& batch = {}, const QString& fileName = {}) const;

private:
    AppContext& m_context;
};
