// How quickly a personnel list of 100,000 employees goes into the embedded store through
// the staff import: reading the CSV, reading the personnel master, working out the
// preview, and applying it (every employee new), then the same file again (nothing to
// change) and a file in which one employee in ten has moved department; after the first
// and the last, how long bulk tagging's offer of the last import's newcomers takes to read.
//
// See Usage.

#include "BenchUser.h"
#include "SilentMessages.h"
#include "context/AppContext.h"
#include "data/DbError.h"
#include "server/EmbeddedConnection.h"
#include "settings/CsvReader.h"
#include "settings/StaffImportData.h"
#include "settings/StaffImportPlan.h"
#include "tagging/BulkTagData.h"
#include "user/UserObject.h"
#include "widgets/MessageService.h"
#include "widgets/ModalRunner.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cstdio>

namespace {

const char* const Usage =
    "Usage: bench_staffimport [EMPLOYEES]\n"
    "\n"
    "Times the staff import of a personnel list of EMPLOYEES employees (default 100000)\n"
    "into a new embedded store, on the wall clock: reading the CSV, reading the personnel\n"
    "master, working out the preview and applying it; first with every employee new, then\n"
    "the same file again (nothing to change), then with one employee in ten moved to\n"
    "another department. After the first import and the last, it times reading bulk\n"
    "tagging's offer (the last import's newcomers not tagged yet).\n"
    "\n"
    "  --help   this text\n";

// A personnel list as an HR system exports it: quoted names, some with commas, twenty
// departments, one employee in fifty inactive. `moved`: every tenth employee is in the
// next department.
QByteArray personnelFile(int employees, bool moved)
{
    QByteArray csv("\"Employee No\",\"Last Name\",\"First Name\",\"Middle Name\",\"Dept\","
                   "\"Department\",\"Active\"\r\n");
    csv.reserve(employees * 72);
    for (int i = 1; i <= employees; ++i) {
        const int dept = (i + ((moved && i % 10 == 0) ? 1 : 0)) % 20;
        csv += QStringLiteral("E%1,\"Lastname%2%3\",\"First%4\",M,D%5,\"Department %5\",%6\r\n")
                   .arg(i, 6, 10, QLatin1Char('0'))
                   .arg(i % 2000)
                   .arg(i % 97 == 0 ? QStringLiteral(", Jr.") : QString())
                   .arg(i)
                   .arg(dept)
                   .arg(i % 50 == 0 ? 'N' : 'Y')
                   .toUtf8();
    }
    return csv;
}

double ms(QElapsedTimer& t)
{
    const double elapsed = t.nsecsElapsed() / 1e6;
    t.restart();
    return elapsed;
}

void importOnce(AppContext& context, const char* what, const QByteArray& file)
{
    QElapsedTimer t;
    QElapsedTimer total;
    t.start();
    total.start();
    CsvReader csv;
    csv.parse(file);
    const double parse = ms(t);
    StaffImportData data(context);
    const StaffMaster master = data.readMaster();
    const double read = ms(t);
    const StaffImportPlan plan(csv.records(), int(csv.header().size()),
                               StaffColumns::fromHeader(csv.header()), master, true);
    const double preview = ms(t);
    const QList<StaffImportPlan::Row> rows = plan.rowsToApply(true);
    data.apply(rows, {});
    const double apply = ms(t);
    std::printf("%-28s new %6lld changed %6lld unchanged %6d | parse %6.0f ms, read master "
                "%6.0f ms, preview %5.0f ms, apply %6.0f ms | total %6.0f ms\n",
                what, qlonglong(plan.added().size()), qlonglong(plan.changed().size()),
                plan.unchanged(), parse, read, preview, apply, total.nsecsElapsed() / 1e6);
}

void readOffer(AppContext& context, const char* what)
{
    QElapsedTimer t;
    t.start();
    const ImportOffer offer = BulkTagData(context).lastImport();
    std::printf("%-28s offer of %6lld newcomers read in %6.0f ms\n", what,
                qlonglong(offer.employees.size()), t.nsecsElapsed() / 1e6);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    bool ok = true;
    const int employees = argc > 1 ? QByteArray(argv[1]).toInt(&ok) : 100000;
    if (argc > 2 || !ok || employees < 1) {
        const bool help =
            argc == 2 && (qstrcmp(argv[1], "--help") == 0 || qstrcmp(argv[1], "-h") == 0);
        std::fputs(Usage, help ? stdout : stderr);
        return help ? 0 : 2;
    }
    QTemporaryDir dir;
    try {
        EmbeddedConnection store(dir.path());
        SilentMessages messages;
        ExecModalRunner modal;
        AppContext context(messages, modal);
        BenchUser user(&store, QStringLiteral("HR01"));
        context.objUser = &user;
        context.cnMain = &store;

        importOnce(context, "first import (all new)", personnelFile(employees, false));
        readOffer(context, "after it");
        importOnce(context, "same file again", personnelFile(employees, false));
        importOnce(context, "one in ten moved department", personnelFile(employees, true));
        readOffer(context, "after it (nobody new)");
        std::printf("audit rows: %s\n",
                    qPrintable(store
                                   .open(QStringLiteral("Select count(*) [N] from "
                                                        "Station..tbTALOAuditLog"))
                                   .value(0, 0)));
    } catch (const DbError& error) {
        std::fprintf(stderr, "error %d: %s\n", error.number(), qPrintable(error.message()));
        return 1;
    }
    return 0;
}
