#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// A program of this build (talodesk, talodesk-sql), found beside the tests' own folder;
// on Windows with its .exe, which QFileInfo needs to see it.
inline QString builtProgram(const QString& name)
{
#ifdef Q_OS_WIN
    const QString file = name + QStringLiteral(".exe");
#else
    const QString& file = name;
#endif
    return QDir(QCoreApplication::applicationDirPath())
        .absoluteFilePath(QStringLiteral("../src/") + file);
}

// How a run of a built program ended, its output read as lines: a Windows console writes
// each line break as CR LF, and the lines are what a test compares.
struct ProgramRun
{
    int exitCode;
    QString out;
    QString err;

    static QString lines(const QByteArray& output)
    {
        return QString::fromUtf8(output).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    }
};

inline ProgramRun runProgram(const QString& program, const QStringList& args, int timeoutMs)
{
    QProcess p;
    p.start(program, args);
    if (!p.waitForFinished(timeoutMs))
        qFatal("%s did not finish", qPrintable(program));
    return {p.exitCode(), ProgramRun::lines(p.readAllStandardOutput()),
            ProgramRun::lines(p.readAllStandardError())};
}
