#include "support/BuiltProgram.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

// The program's command line, run as the real executable. Every case here stops before a
// window would be needed, so the program is started with no display at all: a case that
// reached the windowing system would fail instead of passing by luck.
class tst_SignInCommandLine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void helpAndVersionNeedNoDisplay();
    void refusesWrongCombinations_data();
    void refusesWrongCombinations();

private:
    struct Run
    {
        int exitCode = -1;
        QString out;
        QString err;
    };
    Run run(const QStringList& arguments);

    QString m_program;
    QTemporaryDir m_dir;
};

void tst_SignInCommandLine::initTestCase()
{
    m_program = builtProgram(QStringLiteral("talodesk"));
    QVERIFY2(QFileInfo(m_program).isExecutable(),
             qPrintable(QStringLiteral("build the talodesk target first: ") + m_program));
}

tst_SignInCommandLine::Run tst_SignInCommandLine::run(const QStringList& arguments)
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("DISPLAY"));
    environment.remove(QStringLiteral("WAYLAND_DISPLAY"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    environment.insert(QStringLiteral("HOME"), m_dir.path());
    environment.insert(QStringLiteral("XDG_DATA_HOME"), m_dir.filePath(QStringLiteral("data")));
    process.setProcessEnvironment(environment);
    process.start(m_program, arguments);
    if (!process.waitForFinished(30000)) {
        process.kill();
        process.waitForFinished();
        return {};
    }
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

void tst_SignInCommandLine::helpAndVersionNeedNoDisplay()
{
    const Run help = run({QStringLiteral("--help")});
    QCOMPARE(help.exitCode, 0);
    for (const char* option : {"--data <DIR>", "--config <FILE>", "--demo", "--version"})
        QVERIFY2(help.out.contains(QLatin1String(option)), qPrintable(help.out));
    // The usage line names the program, not Qt's placeholder.
    QVERIFY2(help.out.startsWith(QStringLiteral("Usage: talodesk ")), qPrintable(help.out));

    const Run version = run({QStringLiteral("--version")});
    QCOMPARE(version.exitCode, 0);
    QVERIFY2(version.out.startsWith(QStringLiteral("talodesk 0.")), qPrintable(version.out));
    QVERIFY(version.err.isEmpty());
}

void tst_SignInCommandLine::refusesWrongCombinations_data()
{
    QFile config(m_dir.filePath(QStringLiteral("with-password.ini")));
    QVERIFY(config.open(QIODevice::WriteOnly));
    config.write("[database]\nodbc=DSN=talo;UID=sa;PWD=secret\n");
    config.close();

    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("data and config") << QStringList{"--data", m_dir.path(), "--config", "x.ini"}
                                     << "--data and --config cannot be used together";
    QTest::newRow("demo with a SQL Server")
        << QStringList{"--config", config.fileName(), "--demo"} << "--demo";
    QTest::newRow("password in the configuration")
        << QStringList{"--config", config.fileName()} << "must not hold a database password";
    QTest::newRow("missing configuration")
        << QStringList{"--config", m_dir.filePath(QStringLiteral("none.ini"))} << "none.ini";
    QTest::newRow("unknown option") << QStringList{"--server", "db1"} << "server";
    QTest::newRow("stray argument") << QStringList{"talodesk.db"} << "talodesk.db";
    QTest::newRow("data without a folder") << QStringList{"--data"} << "data";
}

void tst_SignInCommandLine::refusesWrongCombinations()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    const Run result = run(arguments);
    QCOMPARE(result.exitCode, 1);
    QVERIFY2(result.err.contains(reason), qPrintable(result.err));
    QVERIFY(result.err.contains(QStringLiteral("talodesk")));
    // Nothing was created in the default data folder.
    QVERIFY(!QFileInfo::exists(m_dir.filePath(QStringLiteral("data/Talodesk"))));
}

QTEST_MAIN(tst_SignInCommandLine)
#include "tst_SignInCommandLine.moc"
