#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// What tells the network an adapter is on, where the adapter configuration class does not say:
// the IP helper's neighbour table, the WLAN service and the TCP/IP parameters of the interface.
// Each is a read of what the system already knows; nothing is sent on the network.
namespace lanvex::net::wmi {

// The MAC address ("AA:BB:CC:DD:EE:FF") the neighbour table holds for the IPv4 address `gateway`
// on the interface `interfaceIndex`; empty while it is not resolved.
std::string NeighbourMAC(std::int64_t interfaceIndex, std::string_view gateway);

// The index of the interface whose hardware address is `macAddress`, for a class that does not
// give its InterfaceIndex (Wine); 0 when none or more than one has it.
std::int64_t InterfaceIndexOf(std::string_view macAddress);

// The GUID ("{...}", upper case) of the interface `interfaceIndex`; empty when there is none.
std::string InterfaceGuidText(std::int64_t interfaceIndex);

// The name of the Wi-Fi network the interface `settingId` ("{GUID}") is connected to. Empty for a
// wired adapter, and where the WLAN service or its library is missing.
std::string ConnectedSsid(std::string_view settingId);

// The DNS domain the DHCP server gave the interface `settingId`; nothing when the system keeps no
// TCP/IP parameters for it.
std::optional<std::string> DhcpDomain(std::string_view settingId);

} // namespace lanvex::net::wmi
