#pragma once

#include "net/IPInfo.h"
#include "store/SiteProfile.h"

#include <string_view>

// Sites that know their network: which site a network is, which site an adapter holds now, and
// which adapter a site is for.
namespace lanvex::net {

// Whether the site has at least one match key (MatchGateway, MatchGatewayMAC, MatchSSID,
// MatchDNSDomain).
bool HasMatchKeys(const store::SiteProfile& site);

// A site matches a network when it has at least one match key and every key it has equals the
// network's value: MAC addresses with letter case and ":" or "-" ignored, the rest exactly.
bool SiteMatches(const store::SiteProfile& site, const NetworkFingerprint& network);

// Whether the adapter's settings are the site's: DHCP, or the same address, mask and gateway, and
// the same DNS servers where the site changes DNS.
bool SiteIsLive(const store::SiteProfile& site, const store::SiteProfile& adapterSettings);

// Whether `binding` (a site's Adapter key) names the adapter: its MAC address (letter case and
// separators ignored), its interface name, or its Windows GUID (braces and letter case ignored).
bool NamesAdapter(std::string_view binding, const AdapterEntry& adapter);

} // namespace lanvex::net
