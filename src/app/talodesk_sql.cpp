// talodesk-sql: sends one statement to an embedded store and prints the result.
//   talodesk-sql --data DIR -e "STATEMENT"         T-SQL, as the program sends it
//   talodesk-sql --data DIR --sqlite -e "SQL"      native SQLite SQL
//   talodesk-sql --data DIR --demo [-e ...]        a new store is filled with demo data
//   talodesk-sql --data DIR --check [--audit]      check the store, writing nothing
//   talodesk-sql --data DIR --backup TARGET        online backup into a new folder
//   talodesk-sql --data DIR --restore SOURCE       restore a backup (store not in use)
// A result prints its field names, then one line per row, fields separated by a tab.

#include "data/DbError.h"
#include "server/DemoData.h"
#include "server/EmbeddedConnection.h"
#include "server/StoreMaintenance.h"

#include <QCoreApplication>
#include <QStringList>
#include <QTextStream>
#include <cstdio>

namespace {

const char* const Usage =
    "Usage: talodesk-sql --data DIR [--demo] [--sqlite] [-e STATEMENT]\n"
    "       talodesk-sql --data DIR --check [--audit] | --backup TARGET | --restore SOURCE\n"
    "\n"
    "Sends one statement to the embedded store in DIR and prints the result: the field\n"
    "names, then one line per row, fields separated by a tab (NULL prints as empty).\n"
    "\n"
    "  --data DIR      the store's folder; an empty store is created when it holds none\n"
    "  --demo          fill a newly created store with the demo data\n"
    "  --sqlite        the statement is native SQLite SQL instead of T-SQL\n"
    "  -e STATEMENT    the statement to run\n"
    "  --check         check the store without writing to it: schema version, every\n"
    "                  table, integrity, foreign keys; prints \"talodesk.db: ok\" or\n"
    "                  one line per fault\n"
    "  --audit         with --check: also compare the changes log with the tables and\n"
    "                  list where they differ (a report: the exit status stays 0 for a\n"
    "                  sound store)\n"
    "  --backup TARGET copy the store into the new folder TARGET, as one consistent\n"
    "                  snapshot, while counters keep working; complete once TARGET\n"
    "                  holds BACKUP-COMPLETE.txt\n"
    "  --restore SOURCE replace the store with the complete backup in SOURCE once it\n"
    "                  passes the check; refused while any program has the store open\n"
    "  --help          this text\n"
    "\n"
    "Exit status: 0 on success, 1 when the statement or operation fails (\"error N: text\"\n"
    "on stderr) or the check finds a fault, 2 for a wrong command line.\n";

int usageError(const QString& message)
{
    QTextStream(stderr) << message << "\n" << Usage;
    return 2;
}

void print(const Recordset& result)
{
    QTextStream out(stdout);
    out.setEncoding(QStringConverter::Utf8);
    if (result.fieldCount() == 0)
        return;
    out << result.fieldNames().join(QLatin1Char('\t')) << '\n';
    for (const Recordset::Row& row : result.rows())
        out << row.join(QLatin1Char('\t')) << '\n';
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    QString folder;
    QString statement;
    bool hasStatement = false;
    bool demo = false;
    bool native = false;
    bool check = false;
    bool audit = false;
    QString backupTarget;
    QString restoreSource;
    for (int i = 1; i < args.size(); ++i) {
        const QString& arg = args.at(i);
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            QTextStream(stdout) << Usage;
            return 0;
        } else if (arg == QLatin1String("--data") && i + 1 < args.size()) {
            folder = args.at(++i);
        } else if (arg == QLatin1String("-e") && i + 1 < args.size()) {
            statement = args.at(++i);
            hasStatement = true;
        } else if (arg == QLatin1String("--demo")) {
            demo = true;
        } else if (arg == QLatin1String("--sqlite")) {
            native = true;
        } else if (arg == QLatin1String("--check")) {
            check = true;
        } else if (arg == QLatin1String("--audit")) {
            audit = true;
        } else if (arg == QLatin1String("--backup") && i + 1 < args.size()) {
            backupTarget = args.at(++i);
        } else if (arg == QLatin1String("--restore") && i + 1 < args.size()) {
            restoreSource = args.at(++i);
        } else {
            return usageError(QStringLiteral("talodesk-sql: unexpected argument '%1'").arg(arg));
        }
    }
    if (folder.isEmpty())
        return usageError(QStringLiteral("talodesk-sql: --data DIR is required"));
    const int operations = int(check) + int(!backupTarget.isEmpty()) +
                           int(!restoreSource.isEmpty()) + int(hasStatement || demo);
    if (audit && !check)
        return usageError(QStringLiteral("talodesk-sql: --audit goes with --check"));
    if (operations == 0)
        return usageError(QStringLiteral("talodesk-sql: nothing to do (give -e or --demo)"));
    if (operations > 1)
        return usageError(
            QStringLiteral("talodesk-sql: --check, --backup and --restore each run on their own"));

    try {
        const StoreMaintenance maintenance(folder);
        if (check) {
            bool sound = false;
            QTextStream out(stdout);
            out.setEncoding(QStringConverter::Utf8);
            for (const QString& line : maintenance.check(&sound, audit))
                out << line << '\n';
            return sound ? 0 : 1;
        }
        if (!backupTarget.isEmpty()) {
            maintenance.backup(backupTarget);
            return 0;
        }
        if (!restoreSource.isEmpty()) {
            maintenance.restore(restoreSource);
            return 0;
        }
        EmbeddedConnection store(folder);
        if (demo && store.createdOnOpen())
            DemoData::populate(store);
        if (hasStatement)
            print(native ? store.nativeQuery(statement) : store.open(statement));
    } catch (const DbError& error) {
        QTextStream err(stderr);
        err.setEncoding(QStringConverter::Utf8);
        err << "error " << error.number() << ": " << error.message() << '\n';
        return 1;
    }
    return 0;
}
