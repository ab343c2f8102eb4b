#pragma once

#include "net/ManagementService.h"

#include <chrono>
#include <string>
#include <string_view>

namespace lanvex::net::wmi {

// Asks the network whether a check's target answers, from the adapter's own IPv4 address
// (`source`, empty: as the routes choose): a TCP connection to "host:port", a name resolved by the
// system's resolver, an ICMP echo from the gateway.
bool ProbeFromAddress(const std::string& source, ProbeKind kind, std::string_view target,
                      std::chrono::milliseconds timeout);

} // namespace lanvex::net::wmi
