#include "net/nm/InterfaceProbe.h"

#include "net/ExtraSettings.h"

#include <arpa/inet.h>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/ip_icmp.h>
#include <optional>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace lanvex::net::nm {

namespace {

using Clock = std::chrono::steady_clock;

class Socket
{
public:
    explicit Socket(int fd)
        : m_fd(fd)
    { }
    ~Socket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Socket(const Socket&) = delete;
    Socket& operator=(const Socket&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }

private:
    int m_fd;
};

int millisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<std::int64_t>(left, 120'000)) : 0;
}

// Binding to a device needs a privilege on older kernels; without it the routes choose the way.
void bindToInterface(const Socket& socket, const std::string& interfaceName)
{
    ::setsockopt(socket.get(), SOL_SOCKET, SO_BINDTODEVICE, interfaceName.c_str(),
                 static_cast<socklen_t>(interfaceName.size()));
}

// The resolver may take longer than the time left: it runs on a thread of its own, which is left
// to finish alone when the time is up.
std::vector<sockaddr_storage> resolve(const std::string& host, int socketType, Clock::time_point deadline)
{
    struct Shared
    {
        std::mutex mutex;
        std::condition_variable done;
        bool finished = false;
        std::vector<sockaddr_storage> addresses;
    };
    auto shared = std::make_shared<Shared>();
    std::thread([shared, host, socketType] {
        addrinfo hints {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = socketType;
        addrinfo* found = nullptr;
        std::vector<sockaddr_storage> addresses;
        if (::getaddrinfo(host.c_str(), nullptr, &hints, &found) == 0) {
            for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
                sockaddr_storage address {};
                std::memcpy(&address, entry->ai_addr, std::min<std::size_t>(entry->ai_addrlen, sizeof(address)));
                addresses.push_back(address);
            }
            ::freeaddrinfo(found);
        }
        const std::lock_guard lock(shared->mutex);
        shared->addresses = std::move(addresses);
        shared->finished = true;
        shared->done.notify_all();
    }).detach();
    std::unique_lock lock(shared->mutex);
    shared->done.wait_until(lock, deadline, [&shared] { return shared->finished; });
    return shared->finished ? shared->addresses : std::vector<sockaddr_storage>();
}

socklen_t lengthOf(const sockaddr_storage& address)
{
    return address.ss_family == AF_INET6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
}

void setPort(sockaddr_storage& address, std::uint16_t port)
{
    if (address.ss_family == AF_INET6)
        reinterpret_cast<sockaddr_in6&>(address).sin6_port = htons(port);
    else
        reinterpret_cast<sockaddr_in&>(address).sin_port = htons(port);
}

// Connects without blocking; true once connected, or, with `refusalAnswers`, refused.
bool connects(const std::string& interfaceName, sockaddr_storage address, std::uint16_t port,
              Clock::time_point deadline, bool refusalAnswers)
{
    setPort(address, port);
    const Socket socket(::socket(address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    if (!socket.valid())
        return false;
    bindToInterface(socket, interfaceName);
    if (::connect(socket.get(), reinterpret_cast<const sockaddr*>(&address), lengthOf(address)) == 0)
        return true;
    if (errno == ECONNREFUSED)
        return refusalAnswers;
    if (errno != EINPROGRESS)
        return false;
    pollfd ready { socket.get(), POLLOUT, 0 };
    if (::poll(&ready, 1, millisecondsLeft(deadline)) <= 0)
        return false;
    int error = 0;
    socklen_t length = sizeof(error);
    ::getsockopt(socket.get(), SOL_SOCKET, SO_ERROR, &error, &length);
    return error == 0 || (refusalAnswers && error == ECONNREFUSED);
}

bool probeTcp(const std::string& interfaceName, std::string_view target, Clock::time_point deadline)
{
    const auto hostPort = ParseHostPort(target);
    if (!hostPort)
        return false;
    for (const sockaddr_storage& address : resolve(hostPort->host, SOCK_STREAM, deadline))
        if (connects(interfaceName, address, hostPort->port, deadline, false))
            return true;
    return false;
}

bool probeName(std::string_view target, Clock::time_point deadline)
{
    const auto check = ParseNameCheck(target);
    if (!check)
        return false;
    for (const sockaddr_storage& address : resolve(check->name, SOCK_STREAM, deadline)) {
        if (check->address.empty())
            return true;
        char text[INET6_ADDRSTRLEN] = {};
        const void* raw = address.ss_family == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6&>(address).sin6_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in&>(address).sin_addr);
        if (::inet_ntop(address.ss_family, raw, text, sizeof(text)) && check->address == text)
            return true;
    }
    return false;
}

// An ICMP echo through an unprivileged echo socket; nothing when the system offers none.
std::optional<bool> echoAnswers(const std::string& interfaceName, const sockaddr_in& gateway,
                                Clock::time_point deadline)
{
    const Socket socket(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, IPPROTO_ICMP));
    if (!socket.valid())
        return std::nullopt;
    bindToInterface(socket, interfaceName);
    icmphdr echo {};
    echo.type = ICMP_ECHO;
    echo.un.echo.sequence = htons(1);
    if (::sendto(socket.get(), &echo, sizeof(echo), 0, reinterpret_cast<const sockaddr*>(&gateway), sizeof(gateway))
        < 0)
        return false;
    while (millisecondsLeft(deadline) > 0) {
        pollfd ready { socket.get(), POLLIN, 0 };
        if (::poll(&ready, 1, millisecondsLeft(deadline)) <= 0)
            return false;
        icmphdr reply {};
        sockaddr_in from {};
        socklen_t length = sizeof(from);
        if (::recvfrom(socket.get(), &reply, sizeof(reply), 0, reinterpret_cast<sockaddr*>(&from), &length)
                >= static_cast<ssize_t>(sizeof(reply))
            && reply.type == ICMP_ECHOREPLY && from.sin_addr.s_addr == gateway.sin_addr.s_addr)
            return true;
    }
    return false;
}

bool probeGateway(const std::string& interfaceName, std::string_view target, Clock::time_point deadline)
{
    sockaddr_in gateway {};
    gateway.sin_family = AF_INET;
    if (::inet_pton(AF_INET, std::string(target).c_str(), &gateway.sin_addr) != 1)
        return false;
    if (const auto answered = echoAnswers(interfaceName, gateway, deadline))
        return *answered;
    sockaddr_storage address {};
    std::memcpy(&address, &gateway, sizeof(gateway));
    constexpr std::uint16_t kWebPort = 80;
    return connects(interfaceName, address, kWebPort, deadline, true);
}

} // namespace

bool ProbeThroughInterface(const std::string& interfaceName, ProbeKind kind, std::string_view target,
                           std::chrono::milliseconds timeout)
{
    const Clock::time_point deadline = Clock::now() + timeout;
    switch (kind) {
    case ProbeKind::Tcp:
        return probeTcp(interfaceName, target, deadline);
    case ProbeKind::Dns:
        return probeName(target, deadline);
    case ProbeKind::Gateway:
        return probeGateway(interfaceName, target, deadline);
    }
    return false;
}

} // namespace lanvex::net::nm
