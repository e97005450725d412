#include "FileSetReplacement.h"

#include "ServerErrors.h"
#include "data/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

fs::path pathOf(const QString& path)
{
    return fs::path(QFile::encodeName(path).toStdString());
}

DbError failure(const QString& what, const std::error_code& error)
{
    return DbError(ServerErrors::Maintenance,
                   QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(error.message())));
}

// A leftover of an earlier attempt that stopped half-way is not kept.
void removeLeftover(const QString& path)
{
    std::error_code error;
    fs::remove(pathOf(path), error);
    if (error)
        throw failure(QStringLiteral("Cannot remove %1").arg(path), error);
}

// Flushes a file or a folder's entries to disk, so that what was written or renamed
// survives a power cut.
void flushToDisk(const QString& path)
{
#ifdef Q_OS_UNIX
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0 || ::fsync(fd) != 0) {
        const std::error_code error(errno, std::generic_category());
        if (fd >= 0)
            ::close(fd);
        throw failure(QStringLiteral("Cannot write %1 to disk").arg(path), error);
    }
    ::close(fd);
#else
    Q_UNUSED(path);
#endif
}

} // namespace

FileSetReplacement::~FileSetReplacement()
{
    if (!m_committed)
        discard();
}

QString FileSetReplacement::temporaryPath(const QString& target)
{
    return target + QLatin1String(".restoring");
}

QString FileSetReplacement::keptPath(const QString& target)
{
    return target + QLatin1String(".before-restore");
}

void FileSetReplacement::stage(const QString& target,
                               const std::function<void(const QString& path)>& write)
{
    const QString temporary = temporaryPath(target);
    removeLeftover(temporary);
    m_targets << target;
    write(temporary);
    flushToDisk(temporary);
}

void FileSetReplacement::commit()
{
    qsizetype replaced = 0;
    try {
        for (const QString& target : std::as_const(m_targets)) {
            // The old file stays reachable under a second name (a link, or a copy where
            // the file system has none) until every new file is in place.
            const QString kept = keptPath(target);
            removeLeftover(kept);
            if (QFileInfo::exists(target)) {
                std::error_code error;
                fs::create_hard_link(pathOf(target), pathOf(kept), error);
                if (error)
                    fs::copy_file(pathOf(target), pathOf(kept), error);
                if (error)
                    throw failure(QStringLiteral("Cannot keep %1").arg(target), error);
            }
            std::error_code error;
            fs::rename(pathOf(temporaryPath(target)), pathOf(target), error);
            if (error)
                throw failure(QStringLiteral("Cannot replace %1").arg(target), error);
            ++replaced;
        }
    } catch (const DbError& error) {
        QStringList notBack;
        for (qsizetype i = 0; i < replaced; ++i) {
            const QString& target = m_targets.at(i);
            std::error_code undo;
            if (QFileInfo::exists(keptPath(target)))
                fs::rename(pathOf(keptPath(target)), pathOf(target), undo);
            else
                fs::remove(pathOf(target), undo);
            if (undo)
                notBack << target;
        }
        discard();
        for (const QString& target : std::as_const(m_targets)) {
            std::error_code ignored;
            if (!notBack.contains(target))
                fs::remove(pathOf(keptPath(target)), ignored);
        }
        m_committed = true;
        if (!notBack.isEmpty())
            throw DbError(
                ServerErrors::Maintenance,
                error.message() +
                    QStringLiteral("\nThese files could not be put back: %1; their "
                                   "earlier content is in %2.")
                        .arg(notBack.join(QLatin1String(", ")), keptPath(notBack.first())));
        throw;
    }
    m_committed = true;
    for (const QString& target : std::as_const(m_targets)) {
        std::error_code ignored;
        fs::remove(pathOf(keptPath(target)), ignored);
    }
    if (!m_targets.isEmpty())
        flushToDisk(QFileInfo(m_targets.first()).absolutePath());
}

void FileSetReplacement::discard() noexcept
{
    for (const QString& target : std::as_const(m_targets)) {
        std::error_code ignored;
        fs::remove(pathOf(temporaryPath(target)), ignored);
    }
}
