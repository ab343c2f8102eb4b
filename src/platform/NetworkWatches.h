#pragma once

#include "net/NetworkWatch.h"

#include <chrono>
#include <memory>
#include <optional>
#include <string>

namespace lanvex::platform {

// The watch of the services MakeServices gives: a change of the simulation file when
// `simulateFile` is given, else the system's own (MakeSystemNetworkWatch).
std::unique_ptr<net::NetworkWatch> MakeNetworkWatch(const std::optional<std::string>& simulateFile);

// The system's own watch of its network service, one per OS.
std::unique_ptr<net::NetworkWatch> MakeSystemNetworkWatch();

// A watch for a service that says nothing by itself: it tells at every `interval`.
std::unique_ptr<net::NetworkWatch> MakePollingNetworkWatch(std::chrono::milliseconds interval);

} // namespace lanvex::platform
