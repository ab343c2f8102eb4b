#include "net/nm/AddressProbe.h"

#include "net/AdapterConfiguration.h"
#include "net/nm/NeighbourProbe.h"

#include <algorithm>
#include <arpa/inet.h>
#include <array>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <linux/if_packet.h>
#include <net/ethernet.h>
#include <net/if.h>
#include <net/if_arp.h>
#include <optional>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lanvex::net::nm {

namespace {

using Clock = std::chrono::steady_clock;
using HardwareAddress = std::array<std::uint8_t, ETH_ALEN>;

constexpr int kProbeCount = 3;

// An ARP packet for IPv4 over Ethernet, as it goes on the wire after the Ethernet header.
struct ArpPacket
{
    std::uint16_t hardwareType;
    std::uint16_t protocolType;
    std::uint8_t hardwareLength;
    std::uint8_t protocolLength;
    std::uint16_t operation;
    HardwareAddress senderMAC;
    std::array<std::uint8_t, 4> senderIP;
    HardwareAddress targetMAC;
    std::array<std::uint8_t, 4> targetIP;
} __attribute__((packed));

class PacketSocket
{
public:
    PacketSocket()
        : m_fd(::socket(AF_PACKET, SOCK_DGRAM | SOCK_CLOEXEC, htons(ETH_P_ARP)))
        , m_error(m_fd < 0 ? errno : 0)
    { }
    ~PacketSocket()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    PacketSocket(const PacketSocket&) = delete;
    PacketSocket& operator=(const PacketSocket&) = delete;
    int get() const { return m_fd; }
    bool valid() const { return m_fd >= 0; }
    // Whether the system refused the socket to this program: it lacks CAP_NET_RAW.
    bool refused() const { return m_error == EPERM || m_error == EACCES; }

private:
    int m_fd;
    int m_error;
};

// The interface's index and hardware address; nothing when it is missing, down, without a link or
// no Ethernet.
struct InterfaceInfo
{
    int index = 0;
    HardwareAddress mac {};
};

std::optional<InterfaceInfo> ReadUpInterface(int fd, const std::string& interfaceName)
{
    if (interfaceName.empty() || interfaceName.size() >= IFNAMSIZ)
        return std::nullopt;
    ifreq request {};
    std::memcpy(request.ifr_name, interfaceName.data(), interfaceName.size());
    // Without a link the probes would go nowhere, and silence would pass for a free address.
    const auto linked = IFF_UP | IFF_RUNNING;
    if (::ioctl(fd, SIOCGIFFLAGS, &request) != 0 || (request.ifr_flags & linked) != linked)
        return std::nullopt;
    if (::ioctl(fd, SIOCGIFHWADDR, &request) != 0 || request.ifr_hwaddr.sa_family != ARPHRD_ETHER)
        return std::nullopt;
    InterfaceInfo info;
    std::memcpy(info.mac.data(), request.ifr_hwaddr.sa_data, ETH_ALEN);
    if (::ioctl(fd, SIOCGIFINDEX, &request) != 0)
        return std::nullopt;
    info.index = request.ifr_ifindex;
    return info;
}

bool BindToInterface(int fd, int index)
{
    sockaddr_ll link {};
    link.sll_family = AF_PACKET;
    link.sll_protocol = htons(ETH_P_ARP);
    link.sll_ifindex = index;
    return ::bind(fd, reinterpret_cast<const sockaddr*>(&link), sizeof link) == 0;
}

ArpPacket MakeProbe(const HardwareAddress& ownMAC, std::uint32_t target)
{
    ArpPacket probe {};
    probe.hardwareType = htons(ARPHRD_ETHER);
    probe.protocolType = htons(ETH_P_IP);
    probe.hardwareLength = ETH_ALEN;
    probe.protocolLength = 4;
    probe.operation = htons(ARPOP_REQUEST);
    probe.senderMAC = ownMAC;
    const std::uint32_t networkOrder = htonl(target);
    std::memcpy(probe.targetIP.data(), &networkOrder, 4);
    return probe; // sender address 0.0.0.0, target hardware address zero
}

bool SendProbe(int fd, int index, const ArpPacket& probe)
{
    sockaddr_ll to {};
    to.sll_family = AF_PACKET;
    to.sll_protocol = htons(ETH_P_ARP);
    to.sll_ifindex = index;
    to.sll_halen = ETH_ALEN;
    std::fill_n(to.sll_addr, ETH_ALEN, 0xff);
    return ::sendto(fd, &probe, sizeof probe, 0, reinterpret_cast<const sockaddr*>(&to), sizeof to)
        == static_cast<ssize_t>(sizeof probe);
}

// The hardware address of the packet's sender when it is an ARP packet from `target` that came in
// from the link (not one of our own going out).
std::optional<std::string> HolderOf(const ArpPacket& packet, ssize_t size, const sockaddr_ll& from,
                                    std::uint32_t target)
{
    if (size < static_cast<ssize_t>(sizeof packet) || from.sll_pkttype == PACKET_OUTGOING)
        return std::nullopt;
    if (packet.protocolType != htons(ETH_P_IP) || packet.hardwareLength != ETH_ALEN || packet.protocolLength != 4)
        return std::nullopt;
    std::uint32_t sender = 0;
    std::memcpy(&sender, packet.senderIP.data(), 4);
    if (ntohl(sender) != target)
        return std::nullopt;
    char text[3 * ETH_ALEN] = {};
    const auto& m = packet.senderMAC;
    std::snprintf(text, sizeof text, "%02x:%02x:%02x:%02x:%02x:%02x", m[0], m[1], m[2], m[3], m[4], m[5]);
    return FormatMACAddress(text).value_or(text);
}

int MillisecondsUntil(Clock::time_point when)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(when - Clock::now()).count();
    return left > 0 ? static_cast<int>(std::min<std::int64_t>(left, 60'000)) : 0;
}

// Waits for a holder's packet until `until`; nothing when none came.
std::optional<std::string> ListenUntil(int fd, std::uint32_t target, Clock::time_point until)
{
    for (;;) {
        pollfd entry { fd, POLLIN, 0 };
        const int ready = ::poll(&entry, 1, MillisecondsUntil(until));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            return std::nullopt;
        ArpPacket packet {};
        sockaddr_ll from {};
        socklen_t fromSize = sizeof from;
        const ssize_t size
            = ::recvfrom(fd, &packet, sizeof packet, MSG_DONTWAIT, reinterpret_cast<sockaddr*>(&from), &fromSize);
        // A socket error (the interface went away) ends this wait; the next probe finds out more.
        if (size < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR)
            return std::nullopt;
        if (auto holder = HolderOf(packet, size, from, target))
            return holder;
    }
}

} // namespace

AddressAnswer ProbeAddressOnInterface(const std::string& interfaceName, std::string_view address,
                                      std::chrono::milliseconds timeout)
{
    const auto target = ParseIPv4(address);
    PacketSocket socket;
    // Refused without CAP_NET_RAW, as for most users: the kernel asks the link on their behalf.
    if (socket.refused())
        return ProbeThroughNeighbourTable(interfaceName, address, timeout);
    if (!target || !socket.valid())
        return {};
    const auto info = ReadUpInterface(socket.get(), interfaceName);
    if (!info || !BindToInterface(socket.get(), info->index))
        return {};
    const ArpPacket probe = MakeProbe(info->mac, *target);
    const Clock::time_point start = Clock::now();
    for (int sent = 0; sent < kProbeCount; ++sent) {
        if (!SendProbe(socket.get(), info->index, probe))
            return {};
        // The probes go out at the start and spread over the time; the last waits for the rest of it.
        if (auto holder = ListenUntil(socket.get(), *target, start + timeout * (sent + 1) / kProbeCount))
            return { AddressAnswer::State::Taken, *holder };
    }
    return { AddressAnswer::State::Free, {} };
}

} // namespace lanvex::net::nm
