#pragma once

#include "net/IPInfo.h"
#include "store/SiteProfile.h"

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

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

// What a site's Adapter key holds to name `adapter`: its Windows GUID where the service gives one
// (a dock's adapters can share a MAC address), else its MAC address, else its interface name.
std::string AdapterBinding(const AdapterEntry& adapter);

// The position in `adapters` of the adapter `binding` names; nothing when it is not listed.
std::optional<std::size_t> FindAdapter(std::string_view binding, const std::vector<AdapterEntry>& adapters);

// What an adapter's network says about the saved sites (entries 1.. of `sites`; entry 0 is the
// adapter's own settings): the entries that match it, in list order, and the first entry that
// is live on it.
struct SitesOnNetwork
{
    std::vector<std::size_t> matches;
    std::optional<std::size_t> live;
};
SitesOnNetwork FindSitesOnNetwork(const std::vector<store::SiteProfile>& sites, const AdapterEntry& adapter);

} // namespace lanvex::net
