#include "apply/NetworkMatch.h"

#include "net/AdapterConfiguration.h"
#include "net/ExtraSettings.h"

namespace lanvex::apply {

bool HasMatchKeys(const store::SiteProfile& site)
{
    const store::SiteExtras& keys = site.Extras;
    return !keys.MatchGateway.empty() || !keys.MatchGatewayMAC.empty() || !keys.MatchSSID.empty()
        || !keys.MatchDNSDomain.empty();
}

namespace {

bool lowersProtection(const net::ExtraSettings& extras)
{
    return !extras.DisconnectOnApply.empty() || net::IsTrustingZone(extras.FirewallZone);
}

} // namespace

bool LowersProtection(const store::SiteProfile& site)
{
    return lowersProtection(net::ReadExtraSettings(site));
}

bool MayApplyUnasked(const store::SiteProfile& site)
{
    if (site.Extras.AutoApply != "1")
        return false;
    const net::ExtraSettings extras = net::ReadExtraSettings(site);
    if (!lowersProtection(extras))
        return true;
    const store::SiteExtras& keys = site.Extras;
    const int matchKeys = !keys.MatchGateway.empty() + !keys.MatchGatewayMAC.empty() + !keys.MatchSSID.empty()
        + !keys.MatchDNSDomain.empty();
    return matchKeys >= 2 || extras.Verifies();
}

bool SiteMatches(const store::SiteProfile& site, const net::NetworkFingerprint& network)
{
    const store::SiteExtras& keys = site.Extras;
    if (!HasMatchKeys(site))
        return false;
    return (keys.MatchGateway.empty() || keys.MatchGateway == network.Gateway)
        && (keys.MatchGatewayMAC.empty() || net::SameMACAddress(keys.MatchGatewayMAC, network.GatewayMAC))
        && (keys.MatchSSID.empty() || keys.MatchSSID == network.SSID)
        && (keys.MatchDNSDomain.empty() || keys.MatchDNSDomain == network.DNSDomain);
}

bool SiteIsLive(const store::SiteProfile& site, const store::SiteProfile& adapterSettings)
{
    if (site.DHCPEnabled)
        return adapterSettings.DHCPEnabled;
    if (adapterSettings.DHCPEnabled || site.IP != adapterSettings.IP || site.SubNetMask != adapterSettings.SubNetMask
        || site.DefaultGateway != adapterSettings.DefaultGateway)
        return false;
    return !site.ChangeDNS || (site.DNS == adapterSettings.DNS && site.AuxDNS == adapterSettings.AuxDNS);
}

SitesOnNetwork FindSitesOnNetwork(const std::vector<store::SiteProfile>& sites, const net::AdapterEntry& adapter)
{
    SitesOnNetwork found;
    for (std::size_t i = 1; i < sites.size(); ++i) {
        if (SiteMatches(sites[i], adapter.Network))
            found.matches.push_back(i);
        if (!found.live && SiteIsLive(sites[i], adapter.Info))
            found.live = i;
    }
    return found;
}

} // namespace lanvex::apply
