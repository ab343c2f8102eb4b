// The one-window rule over a named pipe (QLocalServer).
#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>
#include <windows.h>

namespace lanvex::platform {

namespace {

constexpr int kAnswerWaitMs = 3000;

} // namespace

class SingleInstance::Listener : public QLocalServer
{
public:
    explicit Listener(SingleInstance& owner)
        : m_owner(owner)
    {
        connect(this, &QLocalServer::newConnection, this, &Listener::answer);
    }

private:
    void answer()
    {
        while (QLocalSocket* socket = nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
                if (!socket->canReadLine())
                    return;
                if (socket->readLine() == kShowRequest) {
                    Q_EMIT m_owner.activationRequested();
                    socket->write(kShowAnswer);
                    socket->flush();
                }
                socket->disconnectFromServer();
            });
        }
    }

    SingleInstance& m_owner;
};

void SingleInstance::ListenerDeleter::operator()(Listener* listener) const
{
    delete listener;
}

bool SingleInstance::listen()
{
    std::unique_ptr<Listener, ListenerDeleter> listener(new Listener(*this));
    if (!listener->listen(m_name))
        return false;
    m_listener = std::move(listener);
    return true;
}

bool SingleInstance::askRunningToShow()
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kAnswerWaitMs))
        return false;
    socket.write(kShowRequest);
    if (!socket.waitForBytesWritten(kAnswerWaitMs))
        return false;
    // The running window answers once it has acted on the request.
    return socket.waitForReadyRead(kAnswerWaitMs) && socket.readAll().startsWith("ok");
}

QString SingleInstance::UserId()
{
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(name, &size))
        return QString();
    const QByteArray hash
        = QCryptographicHash::hash(QString::fromWCharArray(name).toUtf8(), QCryptographicHash::Sha256);
    return QString::fromLatin1(hash.toHex().left(12));
}

} // namespace lanvex::platform
