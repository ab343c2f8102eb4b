#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QString>
#include <QTimer>

namespace lanvex::platform {

// Tells when a file (the settings file, the simulation file) may have changed on disk. A save replaces the file, so the
// folder is watched as well as the file; a burst of changes (a writer's temporary file, the rename) is told once, after
// it has settled. The receiver compares the file with what it knows before it reads anything.
class FileWatcher : public QObject
{
    Q_OBJECT
public:
    explicit FileWatcher(const QString& path, QObject* parent = nullptr);

    // Tells again a little later: for a receiver that cannot take a change right now.
    void RetryLater();

Q_SIGNALS:
    void changed();

private:
    void Watch();
    void Noticed();

    QString m_path;
    QFileSystemWatcher m_watcher;
    QTimer m_settle;
};

} // namespace lanvex::platform
