#pragma once

#include "net/ManagementService.h"

#include <chrono>
#include <string>
#include <string_view>

namespace lanvex::net::nm {

// The address check without raw sockets, as any user may make it: for an address in a subnet the
// interface is on now, a datagram to it makes the kernel ask the link by ARP, and the neighbour table
// then tells whether a host answered, and with which hardware address. The interface's own address
// is free; an address outside its subnets is not checked.
AddressAnswer ProbeThroughNeighbourTable(const std::string& interfaceName, std::string_view address,
                                         std::chrono::milliseconds timeout);

} // namespace lanvex::net::nm
