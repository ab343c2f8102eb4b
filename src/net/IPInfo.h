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
};

// Descriptions of the IP-enabled adapter configurations, in the service's order.
std::vector<std::string> ListAdapters(ServiceConnector& connector);

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
