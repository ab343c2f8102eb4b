#pragma once

#include "net/NetworkWatch.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

// The kernel's own word on the network: its routing messages (rtnetlink), heard in the Qt event
// loop. They carry what NetworkManager does not publish, the gateway's MAC address, and what it does
// not know, a route or address changed behind its back, without reading a table on a timer.
namespace lanvex::net::nm {

class KernelRouteMessages : public QObject
{
public:
    // `changed` runs when an IPv4 route or address changed, or when a default gateway's
    // neighbour entry names another MAC address (the entry's other changes of state tell nothing).
    explicit KernelRouteMessages(std::function<void()> changed);
    ~KernelRouteMessages() override;

    // Whether the kernel's messages are heard; false where the socket cannot be opened, and the
    // gateways' neighbours are read on a timer instead.
    bool Listening() const { return m_notifier != nullptr; }

private:
    void Read();
    // Reads the gateways' neighbours; tells when they differ or `changed` says so.
    void Compare(bool changed);
    void PollInstead();

    int m_socket = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
    std::unique_ptr<QTimer> m_poll;
    std::function<void()> m_changed;
    std::string m_neighbours; // the default gateways' neighbour entries as last read
};

// The kernel's messages alone, for a system without NetworkManager: a burst of them is told once,
// `settle` after its first message.
std::unique_ptr<NetworkWatch> MakeKernelNetworkWatch(std::chrono::milliseconds settle = std::chrono::milliseconds(500));

} // namespace lanvex::net::nm
