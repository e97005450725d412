// Speed of bulk tagging at 100,000 employees (four departments) and three meal types: the
// preview's counts and the tagging itself, each one call of Save_TALO_EmployeeMealBulk sent
// through EmbeddedConnection as the window sends it, for every active employee, for one
// department and for a list of all 100,000 numbers (the import's new employees at their
// largest). The tagging writes 300,000 tags and 300,000 audit rows in one transaction;
// beside it the floor: two plain INSERT ... SELECT statements that write the same rows on
// the same connection, and the program's time for every active employee over it.
// The tags are removed (untimed) before every tagging run. Medians in milliseconds.
//
//   bench_bulktag [--data DIR] [--runs N] [--cpu]

#include "BenchMeals.h"
#include "BenchTiming.h"
#include "BenchUser.h"
#include "SilentMessages.h"
#include "context/AppContext.h"
#include "data/DbError.h"
#include "server/EmbeddedConnection.h"
#include "server/EmbeddedStore.h"
#include "tagging/BulkTagData.h"
#include "widgets/MessageService.h"
#include "widgets/ModalRunner.h"

#include <QCoreApplication>
#include <QTextStream>
#include <cstdio>

namespace {

void clearTags(sqlite3* db)
{
    BenchMeals::run(db, "DELETE FROM Station.tbTALOEmployeeMeal");
    BenchMeals::run(db, "DELETE FROM Station.tbTALOAuditLog");
}

// The same rows written by hand, in one transaction.
int rawTagging(sqlite3* db)
{
    BenchMeals::run(db, "BEGIN IMMEDIATE");
    BenchMeals::run(db,
                    "INSERT INTO Station.tbTALOAuditLog(TableName, RecordKey, Action, Details, "
                    "UserID, ChangedAt, LoginName) SELECT 'tbTALOEmployeeMeal', e.EmpNum || '/' "
                    "|| mt.Code, 'TAG', '', 'BENCH', '2026-12-08 11:30:15', 'bench' FROM "
                    "Payroll.tbcmaster e CROSS JOIN Station.tbcoMealType mt WHERE e.Active = '1' "
                    "ORDER BY mt.Code, e.EmpNum");
    BenchMeals::run(db, "INSERT INTO Station.tbTALOEmployeeMeal(EmpNum, MealTypeCode, TaggedBy, "
                        "TaggedAt) SELECT e.EmpNum, mt.Code, 'BENCH', '2026-12-08 11:30:15' FROM "
                        "Payroll.tbcmaster e CROSS JOIN Station.tbcoMealType mt WHERE e.Active "
                        "= '1'");
    BenchMeals::run(db, "COMMIT");
    return sqlite3_changes(db);
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const BenchTiming::Options options = BenchTiming::options(
        app.arguments(), 3,
        "Usage: bench_bulktag [--data DIR] [--runs N] [--cpu]\n"
        "DIR keeps the generated store for later runs; N runs per timing (default 3).\n");
    QTextStream out(stdout);
    try {
        BenchMeals::GeneratedStore<EmbeddedConnection> generated(options.folder, 0, 1, out);
        EmbeddedConnection& store = generated.store;
        sqlite3* db = generated.handle();
        SilentMessages messages;
        ExecModalRunner modal;
        AppContext context(messages, modal);
        BenchUser user(&store, QStringLiteral("BENCH"));
        context.objUser = &user;
        context.cnMain = &store;
        BulkTagData data(context);

        const QStringList types{QStringLiteral("T0"), QStringLiteral("T1"), QStringLiteral("T2")};
        BulkTagData::Selection all{BulkTagData::Scope::AllActive, {}, {}, types};
        BulkTagData::Selection department{
            BulkTagData::Scope::Department, QStringLiteral("D1"), {}, types};
        BulkTagData::Selection list{BulkTagData::Scope::List, {}, {}, types};
        for (int i = 0; i < BenchMeals::Employees; ++i)
            list.employees << QStringLiteral("%1").arg(i, 6, 10, QLatin1Char('0'));

        // Counts the tags the call reports as added (or to be added).
        const auto tagged = [](const Recordset& counts) {
            int sum = 0;
            for (const Recordset::Row& row : counts.rows())
                sum += row.at(3).toInt();
            return sum;
        };
        struct Case
        {
            const char* name;
            const BulkTagData::Selection* selection;
            bool apply;
        };
        const Case cases[] = {{"preview, every active employee", &all, false},
                              {"preview, one department", &department, false},
                              {"tag every active employee", &all, true},
                              {"tag one department", &department, true},
                              {"tag a list of 100,000", &list, true}};
        out << "Bulk tagging, " << BenchMeals::Employees << " employees x " << types.size()
            << " meal types, median of " << options.runs << " runs" << Qt::endl;
        clearTags(db);
        double everyActiveMs = 0;
        for (const Case& c : cases) {
            std::vector<qint64> times;
            int rows = 0;
            for (int run = 0; run < options.runs; ++run) {
                if (c.apply)
                    clearTags(db);
                const qint64 start = BenchTiming::nowNs();
                rows = tagged(data.tag(*c.selection, c.apply));
                times.push_back(BenchTiming::nowNs() - start);
            }
            std::sort(times.begin(), times.end());
            const double ms = double(times[times.size() / 2]) / 1e6;
            if (c.apply && c.selection == &all)
                everyActiveMs = ms;
            std::printf("  %-34s %8.0f ms  (%d tags)\n", c.name, ms, rows);
        }
        std::vector<qint64> rawTimes;
        int rawRows = 0;
        for (int run = 0; run < options.runs; ++run) {
            clearTags(db);
            const qint64 start = BenchTiming::nowNs();
            rawRows = rawTagging(db);
            rawTimes.push_back(BenchTiming::nowNs() - start);
        }
        std::sort(rawTimes.begin(), rawTimes.end());
        const double floorMs = double(rawTimes[rawTimes.size() / 2]) / 1e6;
        std::printf("  %-34s %8.0f ms  (%d tags); the program takes %s\n",
                    "floor, every active employee", floorMs, rawRows,
                    qPrintable(BenchTiming::ratio(everyActiveMs, floorMs)));
    } catch (const DbError& error) {
        std::fprintf(stderr, "error %d: %s\n", error.number(), qPrintable(error.message()));
        return 1;
    }
    return 0;
}
