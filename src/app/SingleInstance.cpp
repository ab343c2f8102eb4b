#include "app/SingleInstance.h"

#include <QCryptographicHash>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#ifdef _WIN32
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace lanvex::app {

namespace {

constexpr int kAnswerWaitMs = 3000;
const QByteArray kShowRequest = QByteArrayLiteral("show\n");

// The user the name belongs to: Windows' pipe names are shared by all the machine's sessions.
QString UserId()
{
#ifdef _WIN32
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(name, &size))
        return QString();
    const QByteArray hash
        = QCryptographicHash::hash(QString::fromWCharArray(name).toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(hash.toHex().left(12));
#else
    return QString::number(::getuid());
#endif
}

} // namespace

SingleInstance::SingleInstance(const QString& settingsPath, QObject* parent)
    : QObject(parent)
    , m_name(ServerName(settingsPath))
{ }

QString SingleInstance::ServerName(const QString& settingsPath)
{
    const QString path = QFileInfo(settingsPath).absoluteFilePath();
    const QByteArray hash = QCryptographicHash::hash(path.toUtf8(), QCryptographicHash::Sha256).toHex().left(24);
    return QStringLiteral("lanvex-%1-%2").arg(UserId()).arg(QString::fromLatin1(hash));
}

bool SingleInstance::Claim()
{
    // A name in the abstract namespace is held exactly as long as its process lives, so a crashed
    // window leaves nothing behind, and of two windows starting together only one can bind it.
    for (int attempt = 0; attempt < 2; ++attempt) {
        auto* server = new QLocalServer(this);
        server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
        if (server->listen(m_name)) {
            m_server = server;
            connect(m_server, &QLocalServer::newConnection, this, &SingleInstance::answer);
            return true;
        }
        delete server;
        if (askRunningToShow())
            return false;
        // The other window ended between our attempts; try to take its place.
    }
    // Neither listening nor reaching the other: open the window rather than nothing.
    return true;
}

bool SingleInstance::askRunningToShow()
{
    QLocalSocket socket;
    socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kAnswerWaitMs))
        return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(kAnswerWaitMs))
        return false;
    // The running window answers once it has acted on the request.
    return socket.waitForReadyRead(kAnswerWaitMs) && socket.readAll().startsWith("ok");
}

void SingleInstance::answer()
{
    while (QLocalSocket* socket = m_server->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine())
                return;
            if (socket->readLine() == kShowRequest) {
                Q_EMIT activationRequested();
                socket->write("ok\n");
                socket->flush();
            }
            socket->disconnectFromServer();
        });
    }
}

} // namespace lanvex::app
