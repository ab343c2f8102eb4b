// The one-window rule over a Unix socket in a folder only the user may write in (their runtime
// folder, else the program's folder in their cache: PrivateRuntimeFolder), so no one else can take
// the name first. The window holds a lock beside the socket for as long as it runs: a socket file
// left by a crashed window is replaced by the next one to take the lock. Without such a folder
// there is no name that is the user's alone, and each window opens on its own. Both ends check
// that the other runs as the same user.
#include "platform/SingleInstance.h"
#include "platform/unix/PrivateFolder.h"
#include "store/FileDescriptor.h"

#include <QSocketNotifier>
#include <QTimer>
#include <cerrno>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <optional>
#include <poll.h>
#include <string>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace lanvex::platform {

namespace {

constexpr int kAnswerWaitMs = 3000;

// The socket file for `name` in the user's private folder, when there is one and the path fits a
// socket address.
std::optional<std::string> RuntimeSocketPath(const QString& name)
{
    const std::optional<std::string> folder = PrivateRuntimeFolder(true);
    if (!folder)
        return std::nullopt;
    std::string path = *folder + "/" + name.toStdString();
    if (path.size() + 1 > sizeof(sockaddr_un {}.sun_path))
        return std::nullopt;
    return path;
}

socklen_t SocketAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
}

// Takes the lock that makes this process the one window, where the name is a file: then the socket
// file at `path` is ours to replace. Invalid when another window holds it.
store::FileDescriptor LockRuntimeName(const std::string& path)
{
    const std::string lockPath = path + ".lock";
    store::FileDescriptor lock(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!lock.valid() || ::flock(lock.get(), LOCK_EX | LOCK_NB) != 0)
        return store::FileDescriptor();
    ::unlink(path.c_str()); // left by a window that ended without removing it
    return lock;
}

bool PeerIsThisUser(int fd)
{
    ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

int NewSocket()
{
    return ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
}

// Waits until `fd` is ready for `events`, for as long as a running window may take to answer.
bool WaitFor(int fd, short events)
{
    pollfd ready { fd, events, 0 };
    int result = 0;
    do
        result = ::poll(&ready, 1, kAnswerWaitMs);
    while (result < 0 && errno == EINTR);
    return result == 1 && (ready.revents & events) != 0;
}

// One caller of a later start. It is read as its bytes arrive, so a caller that stays silent
// never holds up the window.
class Caller : public QObject
{
public:
    Caller(int fd, QObject& owner, std::function<QByteArray(const QByteArray&)> answer)
        : QObject(&owner)
        , m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
        , m_answer(std::move(answer))
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Caller::read);
        QTimer::singleShot(kCallerWaitMs, this, [this] {
            m_notifier.setEnabled(false);
            deleteLater();
        });
    }

private:
    void read()
    {
        char chunk[kMaxRequest];
        const ssize_t got = ::recv(m_fd.get(), chunk, sizeof chunk, 0);
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            return;
        if (got > 0)
            m_request.append(chunk, got);
        if (ReadCallerRequest(m_request, got <= 0) == CallerRequest::Incomplete)
            return;
        m_notifier.setEnabled(false);
        deleteLater();
        const QByteArray answer = m_answer(m_request);
        // A few bytes into an empty socket buffer: this does not block.
        if (!answer.isEmpty())
            ::send(m_fd.get(), answer.constData(), static_cast<std::size_t>(answer.size()), MSG_NOSIGNAL);
    }

    store::FileDescriptor m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_request;
    std::function<QByteArray(const QByteArray&)> m_answer;
};

} // namespace

class SingleInstance::Listener
{
public:
    Listener(int fd, SingleInstance& owner, std::string path, store::FileDescriptor lock)
        : m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
        , m_owner(owner)
        , m_path(std::move(path))
        , m_lock(std::move(lock))
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &owner, [this] { acceptCallers(); });
    }
    ~Listener()
    {
        // Removed while the lock is still held: no later window has put its own socket there yet.
        if (!m_path.empty())
            ::unlink(m_path.c_str());
    }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

private:
    void acceptCallers()
    {
        for (;;) {
            const int caller = ::accept4(m_fd.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (caller < 0) {
                if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
                    restAWhile();
                return;
            }
            if (PeerIsThisUser(caller))
                new Caller(caller, m_owner, [this](const QByteArray& request) { return m_owner.answer(request); });
            else
                ::close(caller);
        }
    }

    // Out of descriptors or memory: the pending callers stay queued until some are freed, and the
    // window does not spin on a socket that keeps saying it is ready.
    void restAWhile()
    {
        m_notifier.setEnabled(false);
        QTimer::singleShot(kAcceptPauseMs, &m_owner, [this] { m_notifier.setEnabled(true); });
    }

    store::FileDescriptor m_fd;
    QSocketNotifier m_notifier;
    SingleInstance& m_owner;
    std::string m_path; // the socket file
    store::FileDescriptor m_lock;
};

void SingleInstance::ListenerDeleter::operator()(Listener* listener) const
{
    delete listener;
}

bool SingleInstance::listen()
{
    const std::optional<std::string> path = RuntimeSocketPath(m_name);
    if (!path)
        return true; // no name of the user's own: this window stands alone
    store::FileDescriptor lock = LockRuntimeName(*path);
    if (!lock.valid())
        return false;
    sockaddr_un address {};
    const socklen_t length = SocketAddress(*path, address);
    store::FileDescriptor fd(NewSocket());
    if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0
        || ::listen(fd.get(), SOMAXCONN) != 0)
        return false;
    m_listener.reset(new Listener(fd.release(), *this, *path, std::move(lock)));
    return true;
}

std::optional<QByteArray> SingleInstance::askRunning(const QByteArray& request)
{
    const std::optional<std::string> path = RuntimeSocketPath(m_name);
    if (!path)
        return std::nullopt; // no name of the user's own: no running window can be found
    sockaddr_un address {};
    const socklen_t length = SocketAddress(*path, address);
    store::FileDescriptor fd(NewSocket());
    if (!fd.valid())
        return std::nullopt;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0
        && !(errno == EINPROGRESS && WaitFor(fd.get(), POLLOUT)))
        return std::nullopt;
    // A name taken by another user is no window of ours.
    if (!PeerIsThisUser(fd.get()))
        return std::nullopt;
    const auto size = static_cast<ssize_t>(request.size());
    if (::send(fd.get(), request.constData(), static_cast<std::size_t>(size), MSG_NOSIGNAL) != size)
        return std::nullopt;
    // The running window answers once it has acted on the request: one short line.
    char answer[16] = {};
    if (!WaitFor(fd.get(), POLLIN))
        return std::nullopt;
    const ssize_t got = ::recv(fd.get(), answer, sizeof answer - 1, 0);
    if (got <= 0)
        return std::nullopt;
    return QByteArray(answer, got);
}

QString SingleInstance::UserId()
{
    return QString::number(::getuid());
}

} // namespace lanvex::platform
