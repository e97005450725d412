#include "StoreFiles.h"

#include "EmbeddedStore.h"
#include "ServerErrors.h"
#include "data/DbError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif
#ifdef Q_OS_WIN
#include <qt_windows.h>
#endif

namespace fs = std::filesystem;

const char* const StoreFiles::StoreName = "talodesk.db";
const char* const StoreFiles::BackupMarkerName = "BACKUP-COMPLETE.txt";

namespace {

fs::path pathOf(const QString& path)
{
#ifdef Q_OS_WIN
    // Windows' narrow file names are in the ANSI code page, which cannot hold every name.
    return fs::path(QDir::toNativeSeparators(path).toStdWString());
#else
    return fs::path(QFile::encodeName(path).toStdString());
#endif
}

#ifdef Q_OS_WIN
std::error_code lastWindowsError()
{
    return std::error_code(int(GetLastError()), std::system_category());
}
#endif

DbError failure(const QString& what, const std::error_code& error)
{
    return DbError(ServerErrors::Maintenance,
                   QStringLiteral("%1: %2").arg(what, QString::fromLocal8Bit(error.message())));
}

} // namespace

StoreFiles::StoreFiles(const QString& folder) : m_folder(QDir(folder).absolutePath()) {}

QString StoreFiles::path(const QString& name) const
{
    return QDir(m_folder).filePath(name);
}

QString StoreFiles::store() const
{
    return path(QLatin1String(StoreName));
}

QString StoreFiles::partial() const
{
    return store() + QLatin1String(".partial");
}

QString StoreFiles::restoreMarker() const
{
    return store() + QLatin1String(".restore-not-finished");
}

QString StoreFiles::backupMarker() const
{
    return path(QLatin1String(BackupMarkerName));
}

QString StoreFiles::legacy(const QString& file) const
{
    return path(file);
}

QString StoreFiles::keptLegacy(const QString& file) const
{
    return path(file) + QLatin1String(".before-one-file-upgrade");
}

QString StoreFiles::unfinishedUpgrade() const
{
    return store() + QLatin1String(".upgrade-not-finished");
}

bool StoreFiles::holdsLegacyStore() const
{
    return QFileInfo::exists(unfinishedUpgrade()) || !legacyFiles().isEmpty();
}

QStringList StoreFiles::legacyFiles() const
{
    QStringList names;
    for (const auto& database : EmbeddedStore::databases()) {
        if (QFileInfo::exists(legacy(database.file)))
            names << database.file;
    }
    return names;
}

QString StoreFiles::unfinishedRestore() const
{
    QFile marker(restoreMarker());
    if (!marker.exists())
        return {};
    QString source = QStringLiteral("BACKUP");
    if (marker.open(QIODevice::ReadOnly)) {
        const QString written = QString::fromUtf8(marker.readAll()).trimmed();
        if (!written.isEmpty())
            source = written;
    }
    return QStringLiteral("A restore into the store in %1 was stopped before it finished, so "
                          "the store may hold the old data or the backup's. Run "
                          "\"talodesk-sql --data %1 --restore %2\" again before the store is "
                          "used.")
        .arg(m_folder, source);
}

QString StoreFiles::runningRestore() const
{
    return QStringLiteral("A restore into the store in %1 is running. Start the program again "
                          "once it has finished.")
        .arg(m_folder);
}

void StoreFiles::flush(const QString& path)
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
#elif defined(Q_OS_WIN)
    // A folder is not flushed on Windows: NTFS logs its entries itself, and every rename
    // is made with MOVEFILE_WRITE_THROUGH, which returns once the move is on disk.
    if (QFileInfo(path).isDir())
        return;
    // Only a handle that may write can flush; the others' sharing is left as it is.
    const HANDLE file = CreateFileW(pathOf(path).c_str(), GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE || !FlushFileBuffers(file)) {
        const std::error_code error = lastWindowsError();
        if (file != INVALID_HANDLE_VALUE)
            CloseHandle(file);
        throw failure(QStringLiteral("Cannot write %1 to disk").arg(path), error);
    }
    CloseHandle(file);
#else
    Q_UNUSED(path);
#endif
}

void StoreFiles::writeDurably(const QString& path, const QByteArray& content)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(content) < 0 ||
        !file.flush())
        throw DbError(ServerErrors::Maintenance,
                      QStringLiteral("Cannot write %1: %2").arg(path, file.errorString()));
    file.close();
    flush(path);
    flush(QFileInfo(path).absolutePath());
}

void StoreFiles::rename(const QString& from, const QString& to)
{
    std::error_code error;
#ifdef Q_OS_WIN
    // Replacing a file that exists needs the flag, and the rename must be on disk before
    // the caller goes on, as rename(2) followed by the flushes is on Linux.
    if (!MoveFileExW(pathOf(from).c_str(), pathOf(to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        error = lastWindowsError();
#else
    fs::rename(pathOf(from), pathOf(to), error);
#endif
    if (error)
        throw failure(QStringLiteral("Cannot rename %1 to %2").arg(from, to), error);
}

void StoreFiles::remove(const QString& path)
{
    std::error_code error;
    fs::remove(pathOf(path), error);
    if (error)
        throw failure(QStringLiteral("Cannot remove %1").arg(path), error);
}

QByteArray StoreFiles::sqliteName(const QString& path)
{
#ifdef Q_OS_WIN
    return path.toUtf8();
#else
    return QFile::encodeName(path);
#endif
}
