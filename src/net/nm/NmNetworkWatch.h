#pragma once

#include "net/NetworkWatch.h"

#include <QDBusConnection>
#include <chrono>
#include <memory>

namespace lanvex::net::nm {

// Whether NetworkManager owns its name on `bus`; asks the bus alone, never NetworkManager, and
// gives up after a second.
bool NetworkManagerOnBus(const QDBusConnection& bus);

// How soon the watch tells: a burst of NetworkManager's signals and the kernel's routing messages
// is told once, `settle` after its first one.
struct WatchTiming
{
    std::chrono::milliseconds settle { 500 };
};

// Tells of NetworkManager's changes on `bus`: devices coming, going or changing state, another
// connection, address, gateway, DHCP lease or access point, and NetworkManager restarting. The
// gateway's MAC address has no signal there: the kernel's routing messages tell it
// (KernelRouteMessages), and a route or address changed behind NetworkManager's back with it.
std::unique_ptr<NetworkWatch> MakeNmNetworkWatch(const QDBusConnection& bus, WatchTiming timing = {});

} // namespace lanvex::net::nm
