#pragma once

#include <QCoreApplication>
#include <QDir>
#include <QString>

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
