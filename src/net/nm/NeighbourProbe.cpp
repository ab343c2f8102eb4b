#include "net/nm/NeighbourProbe.h"

#include "net/AdapterConfiguration.h"
#include "net/nm/NeighbourTable.h"

#include <arpa/inet.h>
#include <ifaddrs.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace lanvex::net::nm {

namespace {

using Clock = std::chrono::steady_clock;

enum class OnLink
{
    Own, // the interface holds the address itself
    Yes,
    No,
};

// Where `target` (host byte order) lies for the interface's IPv4 addresses.
OnLink placeOf(const std::string& interfaceName, std::uint32_t target)
{
    ifaddrs* all = nullptr;
    if (::getifaddrs(&all) != 0)
        return OnLink::No;
    OnLink place = OnLink::No;
    for (const ifaddrs* entry = all; entry && place != OnLink::Own; entry = entry->ifa_next) {
        if (!entry->ifa_addr || !entry->ifa_netmask || entry->ifa_addr->sa_family != AF_INET
            || interfaceName != entry->ifa_name)
            continue;
        const std::uint32_t own = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_addr)->sin_addr.s_addr);
        const std::uint32_t mask = ntohl(reinterpret_cast<const sockaddr_in*>(entry->ifa_netmask)->sin_addr.s_addr);
        if (own == target)
            place = OnLink::Own;
        else if ((own & mask) == (target & mask))
            place = OnLink::Yes;
    }
    ::freeifaddrs(all);
    return place;
}

// One datagram to the discard port: the kernel resolves the address before it can send it.
bool nudge(const std::string& interfaceName, std::uint32_t target)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    // Allowed to any user since Linux 5.7; before, the route to an on-link address picks it anyway.
    ::setsockopt(fd, SOL_SOCKET, SO_BINDTODEVICE, interfaceName.c_str(), static_cast<socklen_t>(interfaceName.size()));
    sockaddr_in to {};
    to.sin_family = AF_INET;
    to.sin_port = htons(9);
    to.sin_addr.s_addr = htonl(target);
    const char byte = 0;
    const bool sent = ::sendto(fd, &byte, 1, MSG_DONTWAIT, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 1;
    ::close(fd);
    return sent;
}

} // namespace

AddressAnswer ProbeThroughNeighbourTable(const std::string& interfaceName, std::string_view address,
                                         std::chrono::milliseconds timeout)
{
    const auto target = ParseIPv4(address);
    if (!target)
        return {};
    switch (placeOf(interfaceName, *target)) {
    case OnLink::Own:
        return { AddressAnswer::State::Free, {} };
    case OnLink::No:
        return {};
    case OnLink::Yes:
        break;
    }
    // A host the kernel knows already answered a moment ago.
    if (std::string holder = ReadNeighbourMAC(interfaceName, address); !holder.empty())
        return { AddressAnswer::State::Taken, std::move(holder) };
    if (!nudge(interfaceName, *target))
        return {};
    const Clock::time_point until = Clock::now() + timeout;
    while (Clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        if (std::string holder = ReadNeighbourMAC(interfaceName, address); !holder.empty())
            return { AddressAnswer::State::Taken, std::move(holder) };
    }
    return { AddressAnswer::State::Free, {} };
}

} // namespace lanvex::net::nm
