#pragma once

// What the management service says of the adapters: the list, each with its live settings, its
// addresses and the network it is on.
#include "net/ManagementService.h"
#include "store/SiteProfile.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lanvex::printer {
class PrinterSource;
}

namespace lanvex::net {

// Every address of an adapter, as the service lists them: what the site record's single fields
// and optional keys give in short.
struct AdapterAddresses
{
    std::vector<std::string> IPAddress, IPSubnet; // IPv4 only, in the service's order
    std::vector<std::string> DefaultIPGateway;
    std::vector<std::int64_t> GatewayCostMetric;
    std::string DNSDomain;
    std::string IPv6Mode; // auto, static, off, or empty where the service does not say
    std::vector<std::string> IPv6Address; // "address/prefix"
    std::vector<std::string> IPv6Gateway;
    std::vector<std::string> IPv6DNS;
};

// One line of the adapter list with the live configuration of its adapter.
// What tells the network an adapter is on: its default gateway's address, that gateway's MAC address
// (from the neighbour table), the Wi-Fi network's name and the DNS domain DHCP gave. Empty where
// not known.
struct NetworkFingerprint
{
    std::string Gateway;
    std::string GatewayMAC;
    std::string SSID;
    std::string DNSDomain;
    bool operator==(const NetworkFingerprint&) const = default;
};

struct AdapterEntry
{
    std::int32_t Index = 0; // the adapter number: position in the list plus one
    std::string Description; // the line of the adapter list, as ListAdapters gives it
    std::string InterfaceName; // the system's name for the adapter, where the service knows one
    std::string SettingID; // Windows' GUID of the adapter, where the service knows one
    NetworkFingerprint Network;
    std::string FirewallZone; // of the adapter's connection; empty for the system's default
    std::string HostName; // the computer's name, as the service sees it
    store::SiteProfile Info; // as GetAdapterInfo gives it
    AdapterAddresses Addresses;
};

// Descriptions of the IP-enabled adapter configurations, in the service's order.
std::vector<std::string> ListAdapters(ServiceConnector& connector);

// Every listed adapter with its configuration, from one query. Throws ServiceError when the service
// cannot be reached or queried.
std::vector<AdapterEntry> QueryAdapters(ServiceConnector& connector, const printer::PrinterSource& printers);

// The live configuration of the adapter whose Index equals adapterNumber (position in the
// adapter list plus one). An empty record when the service fails or nothing matches.
store::SiteProfile GetAdapterInfo(ServiceConnector& connector, const printer::PrinterSource& printers,
                                  std::int32_t adapterNumber);

} // namespace lanvex::net
