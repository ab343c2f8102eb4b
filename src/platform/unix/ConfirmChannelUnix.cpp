// The confirm channel over a Unix socket in a folder only the user may write in: their runtime
// folder, else the program's folder in their own cache (PrivateRuntimeFolder). The
// waiting apply holds a lock beside the socket, so a second one is refused and a socket file left
// by a killed one is replaced. Both ends check that the other runs as the same user.
#include "platform/ConfirmChannel.h"
#include "platform/unix/PrivateFolder.h"
#include "store/FileDescriptor.h"

#include <cerrno>
#include <csignal>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace lanvex::platform {

namespace {

constexpr char kSocketName[] = "lanvex-confirm";
// How long the waiting end gives a caller to send its request.
constexpr int kRequestWaitMs = 2000;
// How long `--confirm` waits for the answer: keeping may ask the network service, which may take
// a while.
constexpr int kAnswerWaitMs = 60000;
constexpr int kEndSignals[] = { SIGINT, SIGTERM, SIGHUP };

// Written by the signal handler, so that a wait in poll() ends at once.
int g_signalPipe[2] = { -1, -1 };

extern "C" void onEndSignal(int)
{
    const int saved = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(g_signalPipe[1], &byte, 1);
    errno = saved;
}

bool SocketAddress(const std::string& path, sockaddr_un& address)
{
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (path.size() + 1 > sizeof address.sun_path)
        return false;
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return true;
}

bool PeerIsThisUser(int fd)
{
    ucred peer {};
    socklen_t size = sizeof peer;
    return ::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &peer, &size) == 0 && peer.uid == ::getuid();
}

// Waits until `fd` is ready for `events`; false on timeout.
bool WaitFor(int fd, short events, int timeoutMs)
{
    pollfd ready { fd, events, 0 };
    int result = 0;
    do
        result = ::poll(&ready, 1, timeoutMs);
    while (result < 0 && errno == EINTR);
    return result == 1 && (ready.revents & events) != 0;
}

// Reads one short line; empty when none came in time.
std::string ReadLine(int fd, int timeoutMs)
{
    std::string line;
    char chunk[32];
    while (line.find('\n') == std::string::npos && line.size() < sizeof chunk && WaitFor(fd, POLLIN, timeoutMs)) {
        const ssize_t got = ::recv(fd, chunk, sizeof chunk, 0);
        if (got <= 0)
            break;
        line.append(chunk, static_cast<std::size_t>(got));
    }
    return line;
}

void SendText(int fd, const char* text)
{
    // A few bytes into an empty socket buffer: this does not block.
    [[maybe_unused]] const ssize_t sent = ::send(fd, text, std::strlen(text), MSG_NOSIGNAL);
}

} // namespace

struct ConfirmWait::Impl
{
    store::FileDescriptor lock;
    store::FileDescriptor listener;
    store::FileDescriptor signalRead, signalWrite;
    std::string path;
    struct sigaction previous[std::size(kEndSignals)] = {};
    bool signalsCaught = false;

    ~Impl()
    {
        if (signalsCaught) {
            for (std::size_t i = 0; i < std::size(kEndSignals); ++i)
                ::sigaction(kEndSignals[i], &previous[i], nullptr);
            g_signalPipe[0] = g_signalPipe[1] = -1;
        }
        // Removed while the lock is still held: no later apply has put its own socket there yet.
        listener.reset();
        ::unlink(path.c_str());
    }

    void catchEndSignals()
    {
        int fds[2];
        if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
            return;
        signalRead.reset(fds[0]);
        signalWrite.reset(fds[1]);
        g_signalPipe[0] = fds[0];
        g_signalPipe[1] = fds[1];
        struct sigaction action = {};
        action.sa_handler = onEndSignal;
        sigemptyset(&action.sa_mask);
        for (std::size_t i = 0; i < std::size(kEndSignals); ++i)
            ::sigaction(kEndSignals[i], &action, &previous[i]);
        signalsCaught = true;
    }

    // Answers one caller; true when it was a confirmation.
    bool answer(int caller, const std::function<bool()>& keep)
    {
        store::FileDescriptor fd(caller);
        if (!PeerIsThisUser(fd.get()) || ReadLine(fd.get(), kRequestWaitMs) != kConfirmRequest)
            return false;
        SendText(fd.get(), keep() ? kKeptAnswer : kNotKeptAnswer);
        return true;
    }
};

ConfirmWait::ConfirmWait(std::unique_ptr<Impl> impl)
    : m_impl(std::move(impl))
{ }

ConfirmWait::~ConfirmWait() = default;

std::unique_ptr<ConfirmWait> ConfirmWait::Open(std::string& error)
{
    const std::optional<std::string> folder = PrivateRuntimeFolder(true);
    if (!folder) {
        error = "no private folder for the confirmation (XDG_RUNTIME_DIR, or lanvex in the user's cache folder, "
                "owned by this user alone)";
        return nullptr;
    }
    auto impl = std::make_unique<Impl>();
    impl->path = *folder + "/" + kSocketName;
    sockaddr_un address {};
    if (!SocketAddress(impl->path, address)) {
        impl->path.clear(); // not ours to remove
        error = "the runtime folder's path is too long for a socket: " + *folder;
        return nullptr;
    }
    const std::string lockPath = impl->path + ".lock";
    impl->lock.reset(::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600));
    if (!impl->lock.valid() || ::flock(impl->lock.get(), LOCK_EX | LOCK_NB) != 0) {
        error = errno == EWOULDBLOCK ? "another change is waiting for its confirmation already"
                                     : "cannot lock " + lockPath + ": " + std::strerror(errno);
        impl->path.clear();
        return nullptr;
    }
    ::unlink(impl->path.c_str()); // left by an apply that was killed
    impl->listener.reset(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
    if (!impl->listener.valid()
        || ::bind(impl->listener.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0
        || ::listen(impl->listener.get(), 8) != 0) {
        error = "cannot listen on " + impl->path + ": " + std::strerror(errno);
        return nullptr;
    }
    impl->catchEndSignals();
    return std::unique_ptr<ConfirmWait>(new ConfirmWait(std::move(impl)));
}

ConfirmWait::Outcome ConfirmWait::Wait(std::chrono::milliseconds timeout, const std::function<bool()>& keep)
{
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0)
            return Outcome::TimedOut;
        pollfd ready[2] = { { m_impl->listener.get(), POLLIN, 0 }, { m_impl->signalRead.get(), POLLIN, 0 } };
        const int result = ::poll(ready, m_impl->signalRead.valid() ? 2 : 1, static_cast<int>(left));
        if (result < 0 && errno != EINTR)
            return Outcome::TimedOut;
        if (result > 0 && (ready[1].revents & POLLIN) != 0)
            return Outcome::Interrupted;
        if (result <= 0 || (ready[0].revents & POLLIN) == 0)
            continue;
        const int caller = ::accept4(m_impl->listener.get(), nullptr, nullptr, SOCK_CLOEXEC);
        if (caller >= 0 && m_impl->answer(caller, keep))
            return Outcome::Confirmed;
    }
}

ConfirmReply SendConfirm()
{
    const std::optional<std::string> folder = PrivateRuntimeFolder(false);
    sockaddr_un address {};
    if (!folder || !SocketAddress(*folder + "/" + kSocketName, address))
        return ConfirmReply::NonePending;
    store::FileDescriptor fd(::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0));
    if (!fd.valid() || ::connect(fd.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return ConfirmReply::NonePending;
    if (!PeerIsThisUser(fd.get()))
        return ConfirmReply::NonePending;
    SendText(fd.get(), kConfirmRequest);
    const std::string answer = ReadLine(fd.get(), kAnswerWaitMs);
    if (answer == kKeptAnswer)
        return ConfirmReply::Kept;
    // A socket whose apply came to its end before it read the request: too late.
    return ConfirmReply::NotKept;
}

} // namespace lanvex::platform
