#include "net/wmi/WmiProbe.h"

#include "net/ExtraSettings.h"

#include <algorithm>
#include <vector>
#include <winsock2.h>
#include <ws2tcpip.h>

// After the socket headers, which these need, in this order.
// clang-format off
#include <iphlpapi.h>
#include <icmpapi.h>
// clang-format on

namespace lanvex::net::wmi {

namespace {

using Clock = std::chrono::steady_clock;

class WinsockSession
{
public:
    WinsockSession() { m_started = WSAStartup(MAKEWORD(2, 2), &m_data) == 0; }
    ~WinsockSession()
    {
        if (m_started)
            WSACleanup();
    }
    bool started() const { return m_started; }

private:
    WSADATA m_data {};
    bool m_started = false;
};

DWORD millisecondsLeft(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return left > 0 ? static_cast<DWORD>(std::min<long long>(left, 120'000)) : 0;
}

std::vector<sockaddr_storage> resolve(const std::string& host)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    std::vector<sockaddr_storage> addresses;
    if (getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0)
        return addresses;
    for (const addrinfo* entry = found; entry; entry = entry->ai_next) {
        sockaddr_storage address {};
        memcpy(&address, entry->ai_addr, std::min<std::size_t>(entry->ai_addrlen, sizeof(address)));
        addresses.push_back(address);
    }
    freeaddrinfo(found);
    return addresses;
}

bool connects(const std::string& source, sockaddr_storage address, std::uint16_t port, Clock::time_point deadline)
{
    SOCKET socket = ::socket(address.ss_family, SOCK_STREAM, IPPROTO_TCP);
    if (socket == INVALID_SOCKET)
        return false;
    if (address.ss_family == AF_INET && !source.empty()) {
        sockaddr_in from {};
        from.sin_family = AF_INET;
        if (inet_pton(AF_INET, source.c_str(), &from.sin_addr) == 1)
            bind(socket, reinterpret_cast<const sockaddr*>(&from), sizeof(from));
    }
    u_long nonBlocking = 1;
    ioctlsocket(socket, FIONBIO, &nonBlocking);
    int length = sizeof(sockaddr_in);
    if (address.ss_family == AF_INET6) {
        reinterpret_cast<sockaddr_in6&>(address).sin6_port = htons(port);
        length = sizeof(sockaddr_in6);
    } else {
        reinterpret_cast<sockaddr_in&>(address).sin_port = htons(port);
    }
    bool connected = connect(socket, reinterpret_cast<const sockaddr*>(&address), length) == 0;
    if (!connected && WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(socket, &writable);
        FD_SET(socket, &failed);
        const DWORD left = millisecondsLeft(deadline);
        timeval wait { static_cast<long>(left / 1000), static_cast<long>((left % 1000) * 1000) };
        connected = select(0, nullptr, &writable, &failed, &wait) > 0 && FD_ISSET(socket, &writable);
    }
    closesocket(socket);
    return connected;
}

bool probeTcp(const std::string& source, std::string_view target, Clock::time_point deadline)
{
    const auto hostPort = ParseHostPort(target);
    if (!hostPort)
        return false;
    for (const sockaddr_storage& address : resolve(hostPort->host))
        if (connects(source, address, hostPort->port, deadline))
            return true;
    return false;
}

bool probeName(std::string_view target)
{
    const auto check = ParseNameCheck(target);
    if (!check)
        return false;
    for (const sockaddr_storage& address : resolve(check->name)) {
        if (check->address.empty())
            return true;
        char text[INET6_ADDRSTRLEN] = {};
        const void* raw = address.ss_family == AF_INET6
            ? static_cast<const void*>(&reinterpret_cast<const sockaddr_in6&>(address).sin6_addr)
            : static_cast<const void*>(&reinterpret_cast<const sockaddr_in&>(address).sin_addr);
        if (inet_ntop(address.ss_family, raw, text, sizeof(text)) && check->address == text)
            return true;
    }
    return false;
}

// The gateway is on the adapter's own link, so the echo leaves through the adapter.
bool probeGateway(std::string_view target, Clock::time_point deadline)
{
    IN_ADDR gateway {};
    if (inet_pton(AF_INET, std::string(target).c_str(), &gateway) != 1)
        return false;
    HANDLE icmp = IcmpCreateFile();
    if (icmp == INVALID_HANDLE_VALUE)
        return false;
    char payload[8] = "lanvex";
    std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + sizeof(payload) + 8);
    const DWORD replies
        = IcmpSendEcho(icmp, gateway.S_un.S_addr, payload, sizeof(payload), nullptr, reply.data(),
                       static_cast<DWORD>(reply.size()), std::max<DWORD>(millisecondsLeft(deadline), 1));
    IcmpCloseHandle(icmp);
    return replies > 0 && reinterpret_cast<const ICMP_ECHO_REPLY*>(reply.data())->Status == IP_SUCCESS;
}

} // namespace

bool ProbeFromAddress(const std::string& source, ProbeKind kind, std::string_view target,
                      std::chrono::milliseconds timeout)
{
    const WinsockSession session;
    if (!session.started())
        return false;
    const Clock::time_point deadline = Clock::now() + timeout;
    switch (kind) {
    case ProbeKind::Tcp:
        return probeTcp(source, target, deadline);
    case ProbeKind::Dns:
        return probeName(target);
    case ProbeKind::Gateway:
        return probeGateway(target, deadline);
    }
    return false;
}

} // namespace lanvex::net::wmi
