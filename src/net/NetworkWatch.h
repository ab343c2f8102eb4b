#pragma once

#include <functional>

namespace lanvex::net {

// Tells when an adapter's network may have changed: a link came or went, an address or a gateway
// changed, another Wi-Fi network was joined. The receiver reads the adapters again and compares
// what it knew; a call may come when nothing changed.
class NetworkWatch
{
public:
    virtual ~NetworkWatch() = default;
    // Begins watching. `changed` runs on the calling thread, from its event loop, each time the
    // network may have changed. Called once.
    virtual void Start(std::function<void()> changed) = 0;
};

} // namespace lanvex::net
