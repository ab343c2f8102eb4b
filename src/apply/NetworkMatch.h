#pragma once

#include "net/AdapterQuery.h"
#include "store/SiteProfile.h"

#include <cstddef>
#include <optional>
#include <vector>

// Sites that know their network: which site a network is, which site an adapter holds now, and
// which adapter a site is for (AdapterChoice.h).
namespace lanvex::apply {

// Whether the site has at least one match key (MatchGateway, MatchGatewayMAC, MatchSSID,
// MatchDNSDomain).
bool HasMatchKeys(const store::SiteProfile& site);

// Whether the site lowers the computer's protection: it brings a system connection (a VPN) down,
// or puts the adapter in a firewall zone that trusts the network (trusted, home, work, private).
bool LowersProtection(const store::SiteProfile& site);

// Whether switching by itself may apply the site without asking: it has AutoApply, and, when it
// lowers the protection, it knows its network by two match keys or checks it after the apply.
bool MayApplyUnasked(const store::SiteProfile& site);

// A site matches a network when it has at least one match key and every key it has equals the
// network's value: MAC addresses with letter case and ":" or "-" ignored, the rest exactly.
bool SiteMatches(const store::SiteProfile& site, const net::NetworkFingerprint& network);

// Whether the adapter's settings are the site's: DHCP, or the same address, mask and gateway, and
// the same DNS servers where the site changes DNS.
bool SiteIsLive(const store::SiteProfile& site, const store::SiteProfile& adapterSettings);

// What an adapter's network says about the saved sites (entries 1.. of `sites`; entry 0 is the
// adapter's own settings): the entries that match it, in list order, and the first entry that
// is live on it.
struct SitesOnNetwork
{
    std::vector<std::size_t> matches;
    std::optional<std::size_t> live;
};
SitesOnNetwork FindSitesOnNetwork(const std::vector<store::SiteProfile>& sites, const net::AdapterEntry& adapter);

} // namespace lanvex::apply
