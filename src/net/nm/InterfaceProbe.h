#pragma once

#include "net/ManagementService.h"

#include <chrono>
#include <string>
#include <string_view>

namespace lanvex::net::nm {

// Asks the network through one interface whether a check's target answers: a TCP connection to
// "host:port", a name resolved by the system's resolver, or an ICMP echo from the gateway (where
// the system allows no echo socket, a TCP connection attempt, which a refusal answers as well).
// Sockets are bound to the interface where the system lets this user bind them.
bool ProbeThroughInterface(const std::string& interfaceName, ProbeKind kind, std::string_view target,
                           std::chrono::milliseconds timeout);

} // namespace lanvex::net::nm
