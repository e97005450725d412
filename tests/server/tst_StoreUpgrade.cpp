#include "data/DbError.h"
#include "server/EmbeddedConnection.h"
#include "server/EmbeddedStore.h"
#include "server/FourFileUpgrade.h"
#include "server/ServerErrors.h"
#include "server/StoreMaintenance.h"
#include "support/FourFileStore.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sqlite3.h>

#ifdef Q_OS_LINUX
#include <csignal>
#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

// The child counts every write, fsync, rename and removal of a file (SQLite's, Qt's and
// the upgrade's own, as they reach the C library) and kills itself just before the one
// it was told to: a kill at every step the disk sees, without a timer.
namespace {

int armedAt = -1; // 0 counts only
int done = 0;
QList<QByteArray> trace;

QByteArray nameOf(const QByteArray& path)
{
    return path.mid(path.lastIndexOf('/') + 1);
}

void step(const char* kind, const QByteArray& path)
{
    if (armedAt < 0)
        return;
    if (++done == armedAt)
        ::raise(SIGKILL);
    if (armedAt == 0)
        trace << QByteArray(kind) + '\t' + nameOf(path);
}

// Steps on a file or folder only, not on the pipes to the parent.
void fileStep(const char* kind, int fd)
{
    struct stat st;
    char path[4096];
    if (armedAt < 0 || ::fstat(fd, &st) != 0 || !(S_ISREG(st.st_mode) || S_ISDIR(st.st_mode)))
        return;
    const ssize_t n =
        ::readlink(("/proc/self/fd/" + QByteArray::number(fd)).constData(), path, sizeof path);
    step(kind, QByteArray(path, int(qMax<ssize_t>(n, 0))));
}

template <typename R, typename... A> R real(const char* name, A... args)
{
    return reinterpret_cast<R (*)(A...)>(::dlsym(RTLD_NEXT, name))(args...);
}

} // namespace

extern "C" {
ssize_t write(int fd, const void* buf, size_t n)
{
    fileStep("write", fd);
    return real<ssize_t>("write", fd, buf, n);
}
ssize_t pwrite(int fd, const void* buf, size_t n, off_t at)
{
    fileStep("write", fd);
    return real<ssize_t>("pwrite", fd, buf, n, at);
}
ssize_t pwrite64(int fd, const void* buf, size_t n, off64_t at)
{
    fileStep("write", fd);
    return real<ssize_t>("pwrite64", fd, buf, n, at);
}
int fsync(int fd)
{
    fileStep("fsync", fd);
    return real<int>("fsync", fd);
}
int fdatasync(int fd)
{
    fileStep("fsync", fd);
    return real<int>("fdatasync", fd);
}
int rename(const char* from, const char* to)
{
    step("rename", from);
    return real<int>("rename", from, to);
}
int unlink(const char* path)
{
    step("remove", path);
    return real<int>("unlink", path);
}
}
#endif

namespace {

void copyFolder(const QString& from, const QString& to)
{
    QDir(to).removeRecursively();
    QDir().mkpath(to);
    for (const QString& name : QDir(from).entryList(QDir::Files))
        if (!QFile::copy(from + "/" + name, to + "/" + name))
            qFatal("cannot copy %s", qPrintable(name));
}

void addTable(const QString& file, const char* sql)
{
    sqlite3* db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    char* message = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &message) != SQLITE_OK)
        qFatal("%s", message);
    sqlite3_close(db);
}

} // namespace

// The upgrade from an earlier version's four files: it keeps every row wherever it is
// stopped and finishes on the next start, and it refuses, changing nothing, what it
// cannot carry over whole.
class tst_StoreUpgrade : public QObject
{
    Q_OBJECT

    static constexpr int Employees = 2000;

    QTemporaryDir m_dir;
    QString m_template;
    QMap<QString, QStringList> m_rows;

    // The store opened as the program opens it: every row the four files held, in the
    // one file and in the kept old files, and nothing of the upgrade left behind.
    void verifyUpgraded(const QString& folder, const QString& what)
    {
        EmbeddedConnection c(folder);
        QCOMPARE(c.nativeQuery("SELECT count(*) FROM Payroll.tbcmaster").value(0, 0),
                 QString::number(Employees));
        for (const auto& database : EmbeddedStore::databases()) {
            const QString& file = database.file;
            const QString kept = folder + "/" + file + ".before-one-file-upgrade";
            QVERIFY2(!QFileInfo::exists(folder + "/" + file), qPrintable(what + ": " + file));
            QVERIFY2(QFileInfo::exists(kept), qPrintable(what + ": " + kept));
            sqlite3* db = c.store().handle();
            const QByteArray attach = ("ATTACH '" + kept + "' AS kept").toUtf8();
            QCOMPARE(sqlite3_exec(db, attach.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
            const QMap<QString, QStringList> held = FourFileStore::allRows(db, "kept");
            const QMap<QString, QStringList> now = FourFileStore::allRows(db, "kept", "main");
            sqlite3_exec(db, "DETACH kept", nullptr, nullptr, nullptr);
            for (auto it = held.cbegin(); it != held.cend(); ++it) {
                QVERIFY2(it.value() == m_rows.value(it.key()), qPrintable(what + ": " + it.key()));
                QVERIFY2(now.value(it.key()) == m_rows.value(it.key()),
                         qPrintable(what + ": " + it.key()));
            }
        }
        QStringList leftBehind = {"*.partial*", "*-mj*", "*.upgrade-not-finished"};
        for (const auto& database : EmbeddedStore::databases())
            leftBehind << database.file + "-*";
        const QStringList left = QDir(folder).entryList(leftBehind);
        QVERIFY2(left.isEmpty(), qPrintable(what + ": " + left.join(", ")));
    }

private slots:
    void initTestCase()
    {
        m_template = m_dir.filePath("template");
        FourFileStore::make(m_template, false, &m_rows, Employees);
    }

    // What the upgrade cannot carry over whole it refuses, naming the files, and the
    // folder stays as it was; a talodesk.db that holds nothing of its own gives way.
    void foldersItCannotJoinAreRefused_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QStringList>("named");
        QTest::newRow("a site table in two old files")
            << "notes" << QStringList{"notes of station.db", "Notes of payroll.db"};
        QTest::newRow("a store with rows beside the old files")
            << "store with rows" << QStringList{"talodesk.db", "station.db", "payroll.db"};
        QTest::newRow("an empty store beside the old files") << "empty store" << QStringList{};
    }

    void foldersItCannotJoinAreRefused()
    {
        QFETCH(QString, setup);
        QFETCH(QStringList, named);
        QTemporaryDir dir;
        const QString folder = dir.filePath("store");
        if (setup != "notes") {
            EmbeddedConnection c(folder);
            if (setup == "store with rows")
                c.nativeExecute("INSERT INTO Payroll.tbcDepartment VALUES('ER', 'Emergency')");
        }
        copyFolder(m_template, folder + "/old");
        for (const auto& database : EmbeddedStore::databases())
            QVERIFY(QFile::rename(folder + "/old/" + database.file, folder + "/" + database.file));
        if (setup == "notes") {
            addTable(folder + "/station.db",
                     "CREATE TABLE notes(n TEXT); INSERT INTO notes VALUES('kitchen'), ('ward')");
            addTable(folder + "/payroll.db",
                     "CREATE TABLE Notes(n TEXT); INSERT INTO Notes VALUES('pay')");
        }
        const QStringList before = QDir(folder).entryList(QDir::Files);
        try {
            verifyUpgraded(folder, setup);
            QVERIFY2(named.isEmpty(), "the folder was upgraded");
        } catch (const DbError& error) {
            QVERIFY2(!named.isEmpty(), qPrintable(error.message()));
            QCOMPARE(error.number(), ServerErrors::StoreVersion);
            for (const QString& name : named)
                QVERIFY2(error.message().contains(name), qPrintable(error.message()));
            QVERIFY2(error.message().contains("Nothing was changed"), qPrintable(error.message()));
            QCOMPARE(QDir(folder).entryList(QDir::Files), before);
            if (setup == "store with rows") {
                sqlite3* db = nullptr;
                sqlite3_open((folder + "/talodesk.db").toUtf8().constData(), &db);
                QCOMPARE(FourFileStore::allRows(db, "main").value("tbcdepartment"),
                         QStringList{"ER\tEmergency"});
                sqlite3_close(db);
                // The check, which never writes, says the folder is not one store.
                bool sound = true;
                const QStringList report = StoreMaintenance(folder).check(&sound);
                QVERIFY2(!sound && report.join('\n').contains("station.db"),
                         qPrintable(report.join('\n')));
            }
        }
    }

    // The upgrade killed at every step that reaches the disk (every write of a file,
    // fsync, rename and removal): the next start finishes it with every row.
    void killedUpgradeFinishesOnNextStart()
    {
#ifndef Q_OS_LINUX
        QSKIP("the kill points are counted through the C library of Linux");
#else
        const QString folder = m_dir.filePath("killed");
        copyFolder(m_template, folder);
        QProcess counting;
        counting.start(QCoreApplication::applicationFilePath(), {"--upgrade-child", folder, "0"});
        QVERIFY(counting.waitForFinished(120000));
        QVERIFY2(counting.exitCode() == 0, counting.readAllStandardError().constData());
        const QList<QByteArray> steps = counting.readAllStandardOutput().trimmed().split('\n');
        verifyUpgraded(folder, "not killed");

        QHash<QByteArray, int> kinds;
        for (const QByteArray& step : steps)
            ++kinds[step.left(step.indexOf('\t'))];
        qInfo("killed at each of %lld steps: %d writes, %d fsyncs, %d renames, %d removals",
              qlonglong(steps.size()), kinds.value("write"), kinds.value("fsync"),
              kinds.value("rename"), kinds.value("remove"));
        QVERIFY(kinds.value("rename") >= 5 && kinds.value("fsync") > 0);

        for (int point = 1; point <= steps.size(); ++point) {
            copyFolder(m_template, folder);
            QProcess child;
            child.start(QCoreApplication::applicationFilePath(),
                        {"--upgrade-child", folder, QString::number(point)});
            QVERIFY(child.waitForFinished(120000));
            const QString what = QString("killed before step %1 (%2)")
                                     .arg(point)
                                     .arg(QString::fromLocal8Bit(steps[point - 1]));
            QVERIFY2(child.exitStatus() == QProcess::CrashExit,
                     qPrintable(what + ": " + child.readAllStandardError()));
            try {
                verifyUpgraded(folder, what);
            } catch (const DbError& error) {
                QFAIL(qPrintable(what + ": " + error.message()));
            }
            if (QTest::currentTestFailed())
                return;
        }
#endif
    }
};

// The child: the upgrade alone, killed before its `killAt`th step, or (0) run whole and
// its steps listed.
static int upgradeChild(const QString& folder, [[maybe_unused]] int killAt)
{
#ifdef Q_OS_LINUX
    armedAt = killAt;
#endif
    try {
        FourFileUpgrade(folder).run();
    } catch (const DbError& error) {
        std::fprintf(stderr, "%s\n", qPrintable(error.message()));
        return 1;
    }
#ifdef Q_OS_LINUX
    armedAt = -1;
    for (const QByteArray& line : trace)
        std::printf("%s\n", line.constData());
#endif
    return 0;
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 4 && std::strcmp(argv[1], "--upgrade-child") == 0)
        return upgradeChild(QString::fromLocal8Bit(argv[2]), std::atoi(argv[3]));
    tst_StoreUpgrade test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_StoreUpgrade.moc"
