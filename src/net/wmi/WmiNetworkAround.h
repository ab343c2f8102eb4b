#pragma once

#include "net/AdapterConfiguration.h"
#include "net/ManagementService.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

// The network around an adapter, which Windows keeps outside its adapter configuration class: the
// link's neighbours (IP helper), Wi-Fi profiles (WLAN service), VPN connections (the remote access
// phone book), the network's category (network list manager) and the computer's name.
namespace lanvex::net::wmi {

// Whether the adapter object hands `method` to RunNetworkAroundMethod.
bool IsNetworkAroundMethod(AdapterMethod method);

// Runs ConnectWiFi, ActivateConnection, DeactivateConnection, SetFirewallZone or SetHostname (see
// AdapterConfiguration.h) for the adapter whose SettingID is `settingId`. Returns 0, a result code
// of the class, or the failure of a system call as an HRESULT.
std::uint32_t RunNetworkAroundMethod(AdapterMethod method, const std::vector<Value>& args, std::string_view settingId);

// The category of each connected network's adapter, as a zone name ("public", "private" or
// "domain"), keyed by the adapter's GUID in upper case with braces (the form of SettingID). One
// walk of the network list serves every adapter; empty where the list cannot be read.
std::map<std::string, std::string> FirewallZones();

// The form FirewallZones keys an adapter's SettingID by.
std::string ZoneKey(std::string_view settingId);

// Asks the link of the interface `interfaceIndex` who holds the IPv4 `address` (an ARP request
// through the IP helper). NotChecked when it cannot ask.
AddressAnswer ProbeAddressOn(std::int64_t interfaceIndex, std::string_view address, std::chrono::milliseconds timeout);

} // namespace lanvex::net::wmi
