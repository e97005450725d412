#include "StaffImportData.h"

#include "context/AppContext.h"
#include "data/ColumnLengths.h"
#include "data/LongStatements.h"
#include "data/SqlText.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QUuid>

namespace {

// Thrown inside the transaction to roll it back when the user cancels.
struct Cancelled
{};

} // namespace

StaffMaster StaffImportData::readMaster()
{
    StaffMaster master;
    const Recordset departments =
        m_context.open(QStringLiteral("Select DeptCode, Description from Payroll..tbcDepartment"));
    for (const Recordset::Row& row : departments.rows())
        master.addDepartment(row.at(0), row.at(1));
    const Recordset employees =
        m_context.open(QStringLiteral("Select EmpNum, Lastname, Firstname, Middlename, DeptCode, "
                                      "Active from Payroll..tbcmaster"));
    for (const Recordset::Row& row : employees.rows())
        master.addEmployee({row.at(0), row.at(1), row.at(2), row.at(3), row.at(4), row.at(5)});
    return master;
}

QString StaffImportData::sliceStatement(const QList<StaffImportPlan::Row>& rows, qsizetype from,
                                        qsizetype count, const QString& batch,
                                        const QString& fileName) const
{
    QJsonArray slice;
    for (qsizetype i = from; i < from + count && i < rows.size(); ++i) {
        const StaffImportPlan::Row& row = rows.at(i);
        const StaffMaster::Employee& e = row.employee;
        slice.append(QJsonArray{e.number, e.lastname, e.firstname, e.middlename, e.deptCode,
                                row.deptName, e.active});
    }
    const QString user = m_context.userCode();
    return SqlText::call(QStringLiteral("Station..Save_TALO_StaffImport"),
                         {QString::fromUtf8(QJsonDocument(slice).toJson(QJsonDocument::Compact)),
                          user, batch, fileName.left(ColumnLengths::FileName)});
}

bool StaffImportData::apply(const QList<StaffImportPlan::Row>& rows, const Progress& progress,
                            const QString& fileName)
{
    const int total = int(rows.size());
    const QString batch = QUuid::createUuid().toString(QUuid::WithoutBraces);
    // Its slices run as long as a report's statements: the import is atomic, so a slice
    // given up would undo the whole import.
    const LongStatements longer(m_context.cnMain);
    try {
        m_context.transaction([&] {
            for (int from = 0; from < total; from += sliceSize) {
                m_context.execute(sliceStatement(rows, from, sliceSize, batch, fileName));
                if (progress && !progress(std::min(from + sliceSize, total), total))
                    throw Cancelled{};
            }
        });
    } catch (const Cancelled&) {
        return false;
    }
    return true;
}
