#pragma once

#include "net/NetworkWatch.h"

#include <QDBusConnection>
#include <chrono>
#include <memory>

namespace lanvex::net::nm {

// Whether NetworkManager owns its name on `bus`; asks the bus alone, never NetworkManager, and
// gives up after a second.
bool NetworkManagerOnBus(const QDBusConnection& bus);

// How soon the watch tells: a burst of NetworkManager's signals is told once, `settle` after its
// first signal; the kernel's gateway neighbours are read every `neighbourPoll`.
struct WatchTiming
{
    std::chrono::milliseconds settle { 500 };
    std::chrono::milliseconds neighbourPoll { 3000 };
};

// Tells of NetworkManager's changes on `bus`: devices coming, going or changing state, another
// connection, address, gateway, DHCP lease or access point, and NetworkManager restarting. The
// gateway's MAC address has no signal: the kernel's table is read for it, which also catches a
// gateway changed behind NetworkManager's back.
std::unique_ptr<NetworkWatch> MakeNmNetworkWatch(const QDBusConnection& bus, WatchTiming timing = {});

} // namespace lanvex::net::nm
