#pragma once

#include "net/IPInfo.h"
#include "net/ProxyStore.h"
#include "store/SiteProfile.h"

#include <cstdint>
#include <optional>
#include <string>

namespace lanvex::printer {
class PrinterSource;
}

// What a site changes beyond the adapter, once the adapter has taken it: the user's proxy and
// default printer.
namespace lanvex::net {

// Where the desktop's steps go. A missing proxy store counts as none found.
struct DesktopTargets
{
    const printer::PrinterSource* printers = nullptr;
    ProxyStore* proxy = nullptr;
    // [Common] ApplyPrinter: the site's printer becomes the default only when the user asked.
    bool applyPrinter = false;
};

// The proxy a site asks for: its four proxy keys checked. Keep when it has none; nothing when
// their values don't make a proxy.
std::optional<ProxySettings> SiteProxy(const store::SiteProfile& site);

// The desktop's steps, each with its status text: the proxy (when the site sets one), then the
// default printer (when ApplyPrinter is on and the site's printer switch is set). The bits of
// ApplyResultCode they add.
std::int32_t ApplyDesktopSteps(const DesktopTargets& targets, const store::SiteProfile& site,
                               const StatusSink& showStatus);

// ApplyIPSettings, then, when the adapter took the site, the desktop's steps.
std::int32_t ApplySite(ServiceConnector& connector, const DesktopTargets& targets, std::int32_t adapterNumber,
                       const store::SiteProfile& site, const StatusSink& showStatus);

// The summary lines of the desktop's steps that ran, each after "\r\n".
std::string DesktopSummaryLines(std::int32_t applyResult, const store::SiteProfile& site);

} // namespace lanvex::net
