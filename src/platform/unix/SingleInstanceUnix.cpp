// The one-window rule over a socket in Linux's abstract namespace: the name vanishes with the
// process that holds it, and no file is left behind. Anyone on the machine may connect to such a
// name, so both ends check that the other runs as the same user.
#include "platform/SingleInstance.h"
#include "store/FileDescriptor.h"

#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <cstddef>
#include <cstring>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>

namespace lanvex::platform {

namespace {

constexpr int kAnswerWaitMs = 3000;
// A request longer than this is not ours.
constexpr std::size_t kMaxRequest = 64;

// The address of `name` in the abstract namespace: a leading zero byte, then the name, unterminated.
socklen_t AbstractAddress(const QString& name, sockaddr_un& address)
{
    const QByteArray bytes = name.toUtf8();
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::size_t length
        = std::min<std::size_t>(static_cast<std::size_t>(bytes.size()), sizeof address.sun_path - 1);
    std::memcpy(address.sun_path + 1, bytes.constData(), length);
    return static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + 1 + length);
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
    Caller(int fd, SingleInstance& owner)
        : QObject(&owner)
        , m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
        , m_owner(owner)
    {
        connect(&m_notifier, &QSocketNotifier::activated, this, &Caller::read);
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
        if (got > 0 && !m_request.contains('\n') && static_cast<std::size_t>(m_request.size()) < kMaxRequest)
            return;
        if (m_request == kShowRequest) {
            Q_EMIT m_owner.activationRequested();
            // A few bytes into an empty socket buffer: this does not block.
            ::send(m_fd.get(), kShowAnswer, sizeof kShowAnswer - 1, MSG_NOSIGNAL);
        }
        m_notifier.setEnabled(false);
        deleteLater();
    }

    store::FileDescriptor m_fd;
    QSocketNotifier m_notifier;
    QByteArray m_request;
    SingleInstance& m_owner;
};

} // namespace

class SingleInstance::Listener
{
public:
    Listener(int fd, SingleInstance& owner)
        : m_fd(fd)
        , m_notifier(fd, QSocketNotifier::Read)
        , m_owner(owner)
    {
        QObject::connect(&m_notifier, &QSocketNotifier::activated, &owner, [this] { acceptCallers(); });
    }

private:
    void acceptCallers()
    {
        for (;;) {
            const int caller = ::accept4(m_fd.get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
            if (caller < 0)
                return;
            if (PeerIsThisUser(caller))
                new Caller(caller, m_owner);
            else
                ::close(caller);
        }
    }

    store::FileDescriptor m_fd;
    QSocketNotifier m_notifier;
    SingleInstance& m_owner;
};

void SingleInstance::ListenerDeleter::operator()(Listener* listener) const
{
    delete listener;
}

bool SingleInstance::listen()
{
    sockaddr_un address {};
    const socklen_t length = AbstractAddress(m_name, address);
    store::FileDescriptor fd(NewSocket());
    if (!fd.valid() || ::bind(fd.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0
        || ::listen(fd.get(), SOMAXCONN) != 0)
        return false;
    m_listener.reset(new Listener(fd.release(), *this));
    return true;
}

bool SingleInstance::askRunningToShow()
{
    sockaddr_un address {};
    const socklen_t length = AbstractAddress(m_name, address);
    store::FileDescriptor fd(NewSocket());
    if (!fd.valid())
        return false;
    if (::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), length) != 0
        && !(errno == EINPROGRESS && WaitFor(fd.get(), POLLOUT)))
        return false;
    // A name taken by another user is no window of ours.
    if (!PeerIsThisUser(fd.get()))
        return false;
    if (::send(fd.get(), kShowRequest, sizeof kShowRequest - 1, MSG_NOSIGNAL) != sizeof kShowRequest - 1)
        return false;
    // The running window answers once it has acted on the request.
    char answer[sizeof kShowAnswer] = {};
    if (!WaitFor(fd.get(), POLLIN))
        return false;
    return ::recv(fd.get(), answer, sizeof answer - 1, 0) == sizeof kShowAnswer - 1
        && std::strcmp(answer, kShowAnswer) == 0;
}

QString SingleInstance::UserId()
{
    return QString::number(::getuid());
}

} // namespace lanvex::platform
