#include "server/EmbeddedConnection.h"
#include "server/StoreMaintenance.h"
#include "support/StaffRows.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <cstring>

// A staff import of 100,000 employees killed (SIGKILL, in a child process) at random
// moments of its commit: every time the store holds all the changed employees and all
// their audit rows, or none of either. The child is this program run again.
class tst_StoreCrash : public QObject
{
    Q_OBJECT

    static constexpr int Employees = 100000;
    // Fewer where starting a process is slow (Windows programs under Wine): the build
    // sets TALODESK_CRASH_KILLS there.
    const int m_kills = qEnvironmentVariableIsSet("TALODESK_CRASH_KILLS")
                            ? qEnvironmentVariableIntValue("TALODESK_CRASH_KILLS")
                            : 50;
    static constexpr int SideBySide = 2;

    QTemporaryDir m_dir;
    QString m_template;

    static void copyStore(const QString& from, const QString& to)
    {
        QDir(to).removeRecursively();
        QDir().mkpath(to);
        if (!QFile::copy(from + "/talodesk.db", to + "/talodesk.db"))
            qFatal("cannot copy the store");
    }

    // One child: started, killed `delayMs` after it says it is about to commit.
    struct Kill
    {
        QString folder;
        int delayMs = 0;
        std::unique_ptr<QProcess> process;
        qint64 killAt = -1;
        bool done = false;
    };

    static std::unique_ptr<QProcess> start(const QString& folder)
    {
        auto p = std::make_unique<QProcess>();
        p->start(QCoreApplication::applicationFilePath(), {"--import-child", folder});
        if (!p->waitForStarted())
            qFatal("the import did not start");
        return p;
    }

    // Runs the kills side by side (the machine has more than one core) and returns when
    // every child has ended.
    static void runAll(std::vector<Kill>& kills)
    {
        QElapsedTimer clock;
        clock.start();
        for (Kill& kill : kills)
            kill.process = start(kill.folder);
        for (bool waiting = true; waiting;) {
            waiting = false;
            for (Kill& kill : kills) {
                if (kill.done)
                    continue;
                QProcess& p = *kill.process;
                if (kill.killAt < 0) {
                    p.waitForReadyRead(1);
                    if (p.canReadLine() && p.readLine().trimmed() == "commit")
                        kill.killAt = clock.elapsed() + kill.delayMs;
                    else if (p.state() == QProcess::NotRunning)
                        qFatal("the import ended before its commit: %s",
                               p.readAllStandardError().constData());
                } else if (clock.elapsed() >= kill.killAt || p.state() == QProcess::NotRunning) {
                    if (p.state() != QProcess::NotRunning) {
                        p.kill();
                        p.waitForFinished(60000);
                    }
                    kill.done = true;
                } else {
                    p.waitForFinished(1);
                }
                waiting = waiting || !kill.done;
            }
        }
    }

    struct Outcome
    {
        qint64 changed;
        qint64 audited;
        qint64 departments;
        qint64 departmentRows;
    };

    static Outcome outcome(const QString& folder)
    {
        EmbeddedConnection c(folder);
        const auto count = [&](const char* sql) {
            return c.nativeQuery(sql).value(0, 0).toLongLong();
        };
        return {count("SELECT count(*) FROM Payroll.tbcmaster WHERE DeptCode = 'KIT'"),
                count("SELECT count(*) FROM Station.tbTALOAuditLog WHERE TableName = "
                      "'tbcmaster' AND Action = 'UPDATE'"),
                count("SELECT count(*) FROM Payroll.tbcDepartment WHERE DeptCode = 'KIT'"),
                count("SELECT count(*) FROM Station.tbTALOAuditLog WHERE TableName = "
                      "'tbcDepartment' AND RecordKey = 'KIT'")};
    }

private slots:
    void initTestCase()
    {
        m_template = m_dir.filePath("template");
        EmbeddedConnection c(m_template);
        StaffRows::import(c, 1, Employees, "NUR");
    }

    void killedImportKeepsAllOrNothing()
    {
        // How long the commit takes here and now: the kills fall within it, and a
        // little after.
        std::vector<Kill> timed(1);
        timed[0].folder = m_dir.filePath("timed");
        timed[0].delayMs = 600000;
        copyStore(m_template, timed[0].folder);
        runAll(timed);
        const int commitMs = timed[0].process->readAll().trimmed().toInt();
        QVERIFY2(outcome(timed[0].folder).changed == Employees, "the import did not complete");

        const quint32 seed = QRandomGenerator::global()->generate();
        qInfo("commit takes %d ms; kill points from seed %u", commitMs, seed);
        QRandomGenerator random(seed);
        int none = 0;
        int all = 0;
        for (int k = 0; k < m_kills; k += SideBySide) {
            std::vector<Kill> kills(SideBySide);
            for (int i = 0; i < SideBySide; ++i) {
                kills[i].folder = m_dir.filePath(QString("kill%1").arg(i));
                kills[i].delayMs = int(random.bounded(commitMs * 5 / 4 + 2));
                copyStore(m_template, kills[i].folder);
            }
            runAll(kills);
            for (const Kill& kill : kills) {
                const Outcome o = outcome(kill.folder);
                if (o.changed == 0 && o.audited == 0 && o.departments == 0 &&
                    o.departmentRows == 0) {
                    ++none;
                } else {
                    QCOMPARE(o.changed, qint64(Employees));
                    QCOMPARE(o.audited, qint64(Employees));
                    QCOMPARE(o.departments, qint64(1));
                    QCOMPARE(o.departmentRows, qint64(1));
                    ++all;
                }
            }
            if (k % 10 == 0) {
                bool sound = false;
                const QStringList report = StoreMaintenance(kills[0].folder).check(&sound);
                QVERIFY2(sound, qPrintable(report.join('\n')));
            }
        }
        qInfo("%d kills: %d kept nothing, %d kept everything", m_kills, none, all);
        QVERIFY2(none > 0, "no kill fell within the commit");
    }
};

// The child: the import of every employee into another department under another
// name, in one transaction as the program sends it; it says "commit" just before the
// commit and, when it ends, how long the commit took.
static QElapsedTimer commitTimer;

static void announceCommit()
{
    std::fputs("commit\n", stdout);
    std::fflush(stdout);
    commitTimer.start();
}

static int importChild(const QString& folder)
{
    EmbeddedConnection c(folder);
    StaffRows::import(c, 1, 100000, "KIT", "x", announceCommit);
    std::printf("%lld\n", static_cast<long long>(commitTimer.elapsed()));
    return 0;
}

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    if (argc == 3 && std::strcmp(argv[1], "--import-child") == 0)
        return importChild(QString::fromLocal8Bit(argv[2]));
    tst_StoreCrash test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_StoreCrash.moc"
