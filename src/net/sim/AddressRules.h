#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace lanvex::net::sim {

// An IPv4 dotted quad ("a.b.c.d", each part 1 to 3 decimal digits up to 255) as a number.
std::optional<std::uint32_t> ParseDottedQuad(std::string_view text);

// A subnet mask the service accepts: a dotted quad of contiguous leading one bits, not all zero.
std::optional<std::uint32_t> ParseSubnetMask(std::string_view text);

// An address a host may carry: a dotted quad outside 0.0.0.0/8, the loopback net and the multicast
// and reserved range. With a mask of /30 or wider it must also not be the net's own address or
// its broadcast address.
bool IsUsableHostAddress(std::string_view text, std::optional<std::uint32_t> mask);

} // namespace lanvex::net::sim
