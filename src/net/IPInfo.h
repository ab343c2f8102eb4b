#pragma once

#include "net/ManagementService.h"
#include "store/SiteProfile.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lanvex::printer {
class PrinterSource;
}

namespace lanvex::net {

// Receives the progress texts of an apply, in order. The window draws each one at once.
using StatusSink = std::function<void(const std::string&)>;

// Result codes of an apply. The static path adds up the three low bits.
enum ApplyResultCode : std::int32_t
{
    kApplyOk = 0,
    kGatewayFailed = 1,
    kDnsFailed = 2,
    kWinsFailed = 4,
    kStaticFailed = 8,
    kDhcpFailed = 16,
    kAlreadyDhcp = 32,
    // Cases in which nothing was applied; each has its own summary.
    kServiceUnavailable = 64,
    kAdapterNotFound = 128,
    kDhcpSwitchRaised = 256,
    // The caller may not change the settings (refused, or the authorization prompt was refused):
    // nothing was changed.
    kNotPermitted = 512,
    // The service stopped answering during a change: whether it took effect is not known.
    kOutcomeUnknown = 1024,
    // Added to a failure: the failed change is saved and takes effect later, when it can.
    kSavedNotLive = 2048,
    // The steps of the optional keys, after the IPv4 ones; each runs only for a site that has its key.
    kDnsSuffixFailed = 4096,
    kIPv6Failed = 8192,
    // An optional key held a value that cannot be used; it was skipped, the rest applied.
    kExtraValueSkipped = 16384,
    // The desktop's steps, last (DesktopSteps.h): the proxy, then the default printer.
    kProxyFailed = 32768,
    kProxyNoStore = 65536, // no desktop proxy store was found: the proxy is as it was
    kPrinterFailed = 131072, // not installed, or the system refused
    // Not a failure: the default printer step ran and the site's printer is the default now.
    kPrinterSet = 262144,
};

// The bits the optional keys' and the desktop's steps add to the result of the IPv4 steps.
constexpr std::int32_t kExtraStepBits
    = kDnsSuffixFailed | kIPv6Failed | kExtraValueSkipped | kProxyFailed | kProxyNoStore | kPrinterFailed | kPrinterSet;

// Whether every step of the apply worked (or the adapter already had DHCP).
bool ApplySucceeded(std::int32_t applyResult);

// Whether the adapter took the site's IPv4 address or DHCP, whatever became of the later steps.
bool AddressApplied(std::int32_t applyResult);

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

// Applies a site to the adapter and returns the result code.
std::int32_t ApplyIPSettings(ServiceConnector& connector, std::int32_t adapterNumber, const store::SiteProfile& site,
                             const StatusSink& showStatus);

// The summary the user is shown for an apply result, lines joined by "\r\n".
std::string ApplySummary(std::int32_t applyResult, const store::SiteProfile& site);

} // namespace lanvex::net
