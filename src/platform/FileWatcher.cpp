#include "platform/FileWatcher.h"

#include <QFileInfo>
#include <QStringList>

namespace lanvex::platform {

namespace {

constexpr int kSettleMs = 150;
constexpr int kRetryMs = 500;

} // namespace

FileWatcher::FileWatcher(const QString& path, QObject* parent)
    : QObject(parent)
    , m_path(path)
{
    m_settle.setSingleShot(true);
    connect(&m_settle, &QTimer::timeout, this, [this] {
        Watch();
        Q_EMIT changed();
    });
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, &FileWatcher::Noticed);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, &FileWatcher::Noticed);
    Watch();
}

void FileWatcher::RetryLater()
{
    m_settle.start(kRetryMs);
}

void FileWatcher::Noticed()
{
    m_settle.start(kSettleMs);
}

// (Re)adds the file, its folder and, for a link, its target's folder: a replaced or newly
// created file drops out of the watch and must be added again.
void FileWatcher::Watch()
{
    const QFileInfo file(m_path);
    QStringList wanted { file.absolutePath() };
    if (file.exists())
        wanted << file.absoluteFilePath();
    if (file.isSymLink()) {
        const QFileInfo target(file.symLinkTarget());
        wanted << target.absolutePath();
    }
    // A watch on a replaced file follows the old file: the file's watch is always made afresh.
    if (!m_watcher.files().isEmpty())
        m_watcher.removePaths(m_watcher.files());
    const QStringList watched = m_watcher.directories();
    for (const QString& path : wanted) {
        if (!watched.contains(path) && QFileInfo::exists(path))
            m_watcher.addPath(path);
    }
}

} // namespace lanvex::platform
