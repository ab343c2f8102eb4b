#include "net/nm/KernelRouteMessages.h"

#include "net/nm/NeighbourTable.h"

#include <QTimer>
#include <cerrno>
#include <linux/netlink.h>
#include <linux/rtnetlink.h>
#include <sys/socket.h>
#include <unistd.h>

namespace lanvex::net::nm {

namespace {

// What a batch of messages says.
struct Heard
{
    bool network = false; // a route or an address
    bool neighbour = false;
};

Heard Classify(const char* data, std::size_t size, Heard heard)
{
    auto length = static_cast<unsigned int>(size);
    for (auto* message = reinterpret_cast<const nlmsghdr*>(data); NLMSG_OK(message, length);
         message = NLMSG_NEXT(message, length)) {
        switch (message->nlmsg_type) {
        case RTM_NEWNEIGH:
        case RTM_DELNEIGH:
            heard.neighbour = true;
            break;
        case RTM_NEWROUTE:
        case RTM_DELROUTE:
        case RTM_NEWADDR:
        case RTM_DELADDR:
            heard.network = true;
            break;
        default:
            break;
        }
    }
    return heard;
}

class KernelNetworkWatch : public NetworkWatch
{
public:
    explicit KernelNetworkWatch(std::chrono::milliseconds settle)
        : m_settleTime(settle)
    { }

    void Start(std::function<void()> changed) override
    {
        m_settle.setSingleShot(true);
        m_settle.setInterval(m_settleTime);
        QObject::connect(&m_settle, &QTimer::timeout, &m_settle, std::move(changed));
        m_messages = std::make_unique<KernelRouteMessages>([this] {
            if (!m_settle.isActive())
                m_settle.start();
        });
    }

private:
    std::chrono::milliseconds m_settleTime;
    QTimer m_settle;
    std::unique_ptr<KernelRouteMessages> m_messages;
};

} // namespace

KernelRouteMessages::KernelRouteMessages(std::function<void()> changed)
    : m_changed(std::move(changed))
    , m_neighbours(ReadGatewayNeighbours())
{
    m_socket = ::socket(AF_NETLINK, SOCK_RAW | SOCK_CLOEXEC | SOCK_NONBLOCK, NETLINK_ROUTE);
    if (m_socket < 0) {
        PollInstead();
        return;
    }
    sockaddr_nl address {};
    address.nl_family = AF_NETLINK;
    // Not the links' group: a Wi-Fi driver's scans arrive there as a stream of link messages, and a
    // link that comes or goes changes its routes and addresses anyway.
    address.nl_groups = RTMGRP_NEIGH | RTMGRP_IPV4_IFADDR | RTMGRP_IPV4_ROUTE;
    if (::bind(m_socket, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(m_socket);
        m_socket = -1;
        PollInstead();
        return;
    }
    m_notifier = std::make_unique<QSocketNotifier>(m_socket, QSocketNotifier::Read);
    QObject::connect(m_notifier.get(), &QSocketNotifier::activated, this, &KernelRouteMessages::Read);
}

KernelRouteMessages::~KernelRouteMessages()
{
    m_notifier.reset();
    if (m_socket >= 0)
        ::close(m_socket);
}

void KernelRouteMessages::Read()
{
    alignas(nlmsghdr) char buffer[16384];
    Heard heard;
    for (;;) {
        const ssize_t size = ::recv(m_socket, buffer, sizeof buffer, 0);
        if (size > 0) {
            heard = Classify(buffer, static_cast<std::size_t>(size), heard);
            continue;
        }
        // Messages lost to a full buffer may have said anything.
        if (size < 0 && errno == ENOBUFS) {
            heard.network = true;
            continue;
        }
        if (size < 0 && errno == EINTR)
            continue;
        break;
    }
    if (heard.neighbour || heard.network)
        Compare(heard.network);
}

void KernelRouteMessages::Compare(bool changed)
{
    std::string now = ReadGatewayNeighbours();
    changed = changed || now != m_neighbours;
    m_neighbours = std::move(now);
    if (changed)
        m_changed();
}

// Where the kernel refuses the socket (a sandbox without netlink), the gateways' neighbours are read
// every three seconds, as before the messages were heard.
void KernelRouteMessages::PollInstead()
{
    m_poll = std::make_unique<QTimer>();
    QObject::connect(m_poll.get(), &QTimer::timeout, this, [this] { Compare(false); });
    m_poll->start(std::chrono::seconds(3));
}

std::unique_ptr<NetworkWatch> MakeKernelNetworkWatch(std::chrono::milliseconds settle)
{
    return std::make_unique<KernelNetworkWatch>(settle);
}

} // namespace lanvex::net::nm
