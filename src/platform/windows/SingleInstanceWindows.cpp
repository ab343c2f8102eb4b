// The one-window rule over a named pipe (QLocalServer). Pipe names are shared by every user and
// session of the machine, so the name carries a secret kept in the user's own profile folder,
// which other users can neither read nor guess: they cannot take the name before the window does.
// The pipe admits only this user, both ends check that the other runs as this user, and a mutex
// of the user's session makes one process the window: a second listener of the same name would
// otherwise just add another instance of the pipe.
#include "platform/SingleInstance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QRandomGenerator>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTimer>
#include <array>
#include <memory>
#include <windows.h>

namespace lanvex::platform {

namespace {

constexpr int kAnswerWaitMs = 3000;
constexpr int kSecretBytes = 32;

struct HandleCloser
{
    void operator()(HANDLE handle) const
    {
        if (handle && handle != INVALID_HANDLE_VALUE)
            CloseHandle(handle);
    }
};
using Handle = std::unique_ptr<void, HandleCloser>;

// The user the process runs as, as its security identifier.
std::unique_ptr<BYTE[]> UserOf(HANDLE process)
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(process, TOKEN_QUERY, &token))
        return nullptr;
    const Handle owned(token);
    DWORD size = 0;
    GetTokenInformation(token, TokenUser, nullptr, 0, &size);
    auto buffer = std::make_unique<BYTE[]>(size);
    if (size == 0 || !GetTokenInformation(token, TokenUser, buffer.get(), size, &size))
        return nullptr;
    return buffer;
}

bool ProcessIsThisUser(ULONG processId)
{
    const Handle process(OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId));
    if (!process)
        return false; // another user's process is not ours to open
    const auto theirs = UserOf(process.get());
    const auto ours = UserOf(GetCurrentProcess());
    return theirs && ours
        && EqualSid(reinterpret_cast<TOKEN_USER*>(theirs.get())->User.Sid,
                    reinterpret_cast<TOKEN_USER*>(ours.get())->User.Sid);
}

// Whether the process at the other end of a connected pipe runs as this user.
bool ClientIsThisUser(const QLocalSocket& socket)
{
    ULONG processId = 0;
    return GetNamedPipeClientProcessId(reinterpret_cast<HANDLE>(socket.socketDescriptor()), &processId)
        && ProcessIsThisUser(processId);
}

bool ServerIsThisUser(const QLocalSocket& socket)
{
    ULONG processId = 0;
    return GetNamedPipeServerProcessId(reinterpret_cast<HANDLE>(socket.socketDescriptor()), &processId)
        && ProcessIsThisUser(processId);
}

// The user's secret: random bytes in a file of the user's local profile, made once. Written whole
// under another name and then moved into place unless another start was first, so two starts
// at once agree on it. Empty when it can be neither read nor made.
QByteArray UserSecret()
{
    const QString folder
        = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/lanvex");
    const QString path = folder + QStringLiteral("/instance-key");
    for (int attempt = 0; attempt < 3; ++attempt) {
        QFile existing(path);
        if (existing.open(QIODevice::ReadOnly)) {
            const QByteArray secret = existing.read(kSecretBytes + 1);
            return secret.size() == kSecretBytes ? secret : QByteArray();
        }
        if (!QDir().mkpath(folder))
            return {};
        std::array<quint32, kSecretBytes / 4> random {};
        QRandomGenerator::system()->fillRange(random.data(), random.size());
        QTemporaryFile made(path + QStringLiteral(".XXXXXX"));
        if (!made.open() || made.write(reinterpret_cast<const char*>(random.data()), kSecretBytes) != kSecretBytes
            || !made.flush())
            return {};
        made.rename(path); // fails when another start was first: its secret is read next
    }
    return {};
}

} // namespace

class SingleInstance::Listener : public QLocalServer
{
public:
    Listener(SingleInstance& owner, Handle mutex)
        : m_owner(owner)
        , m_mutex(std::move(mutex))
    {
        setSocketOptions(QLocalServer::UserAccessOption);
        connect(this, &QLocalServer::newConnection, this, &Listener::answer);
    }

private:
    void answer()
    {
        while (QLocalSocket* socket = nextPendingConnection()) {
            connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
            if (!ClientIsThisUser(*socket)) {
                socket->abort();
                socket->deleteLater();
                continue;
            }
            // A caller that says nothing is dropped in time, so silent ones cannot pile up.
            QTimer::singleShot(kCallerWaitMs, socket, [socket] {
                socket->abort();
                socket->deleteLater();
            });
            connect(socket, &QLocalSocket::readyRead, this, [this, socket] { read(*socket); });
        }
        if (!isListening())
            restAWhile();
    }

    void read(QLocalSocket& socket)
    {
        const QByteArray received = socket.peek(kMaxRequest);
        if (ReadCallerRequest(received, false) == CallerRequest::Incomplete)
            return;
        socket.skip(received.size()); // taken, so a late readyRead finds nothing to answer again
        const QByteArray answer = m_owner.answer(received);
        if (!answer.isEmpty()) {
            socket.write(answer);
            socket.flush();
        }
        socket.disconnectFromServer();
    }

    // The pipe stopped listening (no new pipe instance could be made): it listens again after a
    // pause, and not in a tight loop while the system is short of resources.
    void restAWhile()
    {
        QTimer::singleShot(kAcceptPauseMs, this, [this] {
            if (!isListening() && !listen(m_owner.m_name))
                restAWhile();
        });
    }

    SingleInstance& m_owner;
    Handle m_mutex; // held as long as this process is the window
};

void SingleInstance::ListenerDeleter::operator()(Listener* listener) const
{
    delete listener;
}

bool SingleInstance::listen()
{
    // The mutex lives in the session's own namespace and goes with the process that holds it.
    const std::wstring mutexName = L"Local\\" + m_name.toStdWString();
    Handle mutex(CreateMutexW(nullptr, FALSE, mutexName.c_str()));
    if (!mutex || GetLastError() == ERROR_ALREADY_EXISTS)
        return false;
    std::unique_ptr<Listener, ListenerDeleter> listener(new Listener(*this, std::move(mutex)));
    if (!listener->listen(m_name))
        return false;
    m_listener = std::move(listener);
    return true;
}

std::optional<QByteArray> SingleInstance::askRunning(const QByteArray& request)
{
    QLocalSocket socket;
    socket.connectToServer(m_name);
    if (!socket.waitForConnected(kAnswerWaitMs))
        return std::nullopt;
    // A pipe of that name served by another user is no window of ours.
    if (!ServerIsThisUser(socket))
        return std::nullopt;
    socket.write(request);
    if (!socket.waitForBytesWritten(kAnswerWaitMs))
        return std::nullopt;
    // The running window answers once it has acted on the request.
    if (!socket.waitForReadyRead(kAnswerWaitMs))
        return std::nullopt;
    return socket.readAll();
}

QString SingleInstance::UserId()
{
    wchar_t name[257] = {};
    DWORD size = 257;
    if (!GetUserNameW(name, &size))
        return QString();
    QCryptographicHash hash(QCryptographicHash::Sha256);
    hash.addData(QString::fromWCharArray(name).toUtf8());
    hash.addData(UserSecret());
    return QString::fromLatin1(hash.result().toHex().left(12));
}

} // namespace lanvex::platform
