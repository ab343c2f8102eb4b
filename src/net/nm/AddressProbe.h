#pragma once

#include "net/ManagementService.h"

#include <chrono>
#include <string>
#include <string_view>

namespace lanvex::net::nm {

// Asks the link of one interface whether another host holds `address`: ARP probes from no address
// (which no host takes for a claim), two or three spread over `timeout`. Any ARP packet whose sender
// is the address, a reply or that host's own claim, means it is taken, by the sender's hardware
// address. Not checked when the interface is missing or down. Where raw ARP sockets are not allowed,
// the kernel's own resolution answers instead (NeighbourProbe.h).
AddressAnswer ProbeAddressOnInterface(const std::string& interfaceName, std::string_view address,
                                      std::chrono::milliseconds timeout);

} // namespace lanvex::net::nm
