#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

// The kernel's IPv4 neighbour and routing tables, as /proc/net/arp and /proc/net/route give them.
// NetworkManager publishes neither the gateway's MAC address nor a signal when it changes, so the
// backend reads them itself. Plain file reads: no program runs, nothing is sent on the network.
namespace lanvex::net::nm {

// The MAC address ("AA:BB:CC:DD:EE:FF") the table `arpTable` holds for `address` on the interface
// `interfaceName`; empty while the entry is not complete (still resolving, or failed).
std::string NeighbourMACIn(std::string_view arpTable, std::string_view interfaceName, std::string_view address);

// The IPv4 default routes of `routeTable`, as (interface, gateway) pairs in the table's order.
std::vector<std::pair<std::string, std::string>> DefaultGatewaysIn(std::string_view routeTable);

// NeighbourMACIn over the running system's table; empty when it cannot be read.
std::string ReadNeighbourMAC(std::string_view interfaceName, std::string_view address);

// Every default route with its gateway's MAC address, one line each: what tells that the network
// behind a gateway changed when nothing else did.
std::string ReadGatewayNeighbours();

} // namespace lanvex::net::nm
