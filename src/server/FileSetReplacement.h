#pragma once

#include <QString>
#include <QStringList>
#include <functional>

// Replaces a set of files all together or not at all. Each new file is first written
// next to its target under a temporary name and flushed to disk; only when every one
// is written are they renamed into place (a rename replaces a file at once). The old
// files are kept under a second name until every rename is done, so a failure on the
// way puts every file back as it was. Temporaries left behind are removed. Throws
// DbError.
class FileSetReplacement
{
public:
    FileSetReplacement() = default;
    FileSetReplacement(const FileSetReplacement&) = delete;
    FileSetReplacement& operator=(const FileSetReplacement&) = delete;
    ~FileSetReplacement();

    // Writes the new content of `target`: `write` fills the file at the path it is given.
    void stage(const QString& target, const std::function<void(const QString& path)>& write);

    // Moves every staged file into place. On failure every target is as it was before.
    void commit();

    static QString temporaryPath(const QString& target);
    static QString keptPath(const QString& target);

private:
    void discard() noexcept;

    QStringList m_targets;
    bool m_committed = false;
};
