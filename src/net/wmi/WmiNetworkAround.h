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
// AdapterConfiguration.h) for the adapter whose interface GUID is `adapterGuid` ("{...}", the form
// of SettingID). Returns 0, a result code
// of the class, or the failure of a system call as an HRESULT.
std::uint32_t RunNetworkAroundMethod(AdapterMethod method, const std::vector<Value>& args,
                                     std::string_view adapterGuid);

// The category of each connected network's adapter, as a zone name ("public", "private" or
// "domain"), keyed by the adapter's GUID in upper case with braces (the form of SettingID). One
// walk of the network list serves every adapter; empty where the list cannot be read.
std::map<std::string, std::string> FirewallZones();

// The computer's DNS host name as the system uses it now (a new one waits for the restart); for a
// class that does not give its DNSHostName (Wine's).
std::string ComputerName();

// The form FirewallZones keys an adapter's SettingID by.
std::string ZoneKey(std::string_view settingId);

// An IPv4 address the adapter holds, and its subnet's prefix length.
struct OwnAddress
{
    std::string address;
    int prefix = 0;
};

// Asks the link who holds the IPv4 `address`: an ARP request from the interface that holds
// `source`. Free when no host answers within `timeout`. NotChecked when it cannot ask: no source
// address, or `address` outside the source's subnet (the request would not stay on the link: some
// systems answer for such an address with the gateway's MAC).
AddressAnswer ProbeAddressFrom(const OwnAddress& source, std::string_view address, std::chrono::milliseconds timeout);

} // namespace lanvex::net::wmi
