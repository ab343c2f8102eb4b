#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace lanvex::app {

// One window per user and settings file. The first window listens on a local socket named after
// both; a later start finds it there, asks it to come to the front and ends.
class SingleInstance : public QObject
{
    Q_OBJECT
public:
    explicit SingleInstance(const QString& settingsPath, QObject* parent = nullptr);

    // True when this process is now the one window for the settings file. False when another
    // window runs; it has then been asked to show itself.
    bool Claim();

    // The socket's name: the user and the settings file's full path, hashed.
    static QString ServerName(const QString& settingsPath);

Q_SIGNALS:
    // A later start asked this window to come to the front.
    void activationRequested();

private:
    bool askRunningToShow();
    void answer();

    QString m_name;
    QLocalServer* m_server = nullptr;
};

} // namespace lanvex::app
