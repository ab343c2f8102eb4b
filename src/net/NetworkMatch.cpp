#include "net/NetworkMatch.h"

#include "net/AdapterConfiguration.h"

#include <optional>
#include <string>

namespace lanvex::net {

namespace {

std::optional<std::string> macOf(std::string_view text)
{
    return text.empty() ? std::nullopt : FormatMACAddress(text);
}

bool sameMAC(std::string_view a, std::string_view b)
{
    const auto first = macOf(a);
    return first && first == macOf(b);
}

// A GUID without its braces; letter case is left to the comparison.
std::string_view bareGuid(std::string_view text)
{
    if (text.size() >= 2 && text.front() == '{' && text.back() == '}')
        return text.substr(1, text.size() - 2);
    return text;
}

} // namespace

bool HasMatchKeys(const store::SiteProfile& site)
{
    const store::SiteExtras& keys = site.Extras;
    return !keys.MatchGateway.empty() || !keys.MatchGatewayMAC.empty() || !keys.MatchSSID.empty()
        || !keys.MatchDNSDomain.empty();
}

bool SiteMatches(const store::SiteProfile& site, const NetworkFingerprint& network)
{
    const store::SiteExtras& keys = site.Extras;
    if (!HasMatchKeys(site))
        return false;
    return (keys.MatchGateway.empty() || keys.MatchGateway == network.Gateway)
        && (keys.MatchGatewayMAC.empty() || sameMAC(keys.MatchGatewayMAC, network.GatewayMAC))
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

bool NamesAdapter(std::string_view binding, const AdapterEntry& adapter)
{
    if (binding.empty())
        return false;
    if (sameMAC(binding, adapter.Info.MACAddress))
        return true;
    if (!adapter.InterfaceName.empty() && binding == adapter.InterfaceName)
        return true;
    return !adapter.SettingID.empty() && EqualsNoCase(bareGuid(binding), bareGuid(adapter.SettingID));
}

std::string AdapterBinding(const AdapterEntry& adapter)
{
    if (!adapter.SettingID.empty())
        return adapter.SettingID;
    if (const auto mac = macOf(adapter.Info.MACAddress))
        return *mac;
    return adapter.InterfaceName;
}

std::optional<std::size_t> FindAdapter(std::string_view binding, const std::vector<AdapterEntry>& adapters)
{
    for (std::size_t i = 0; i < adapters.size(); ++i) {
        if (NamesAdapter(binding, adapters[i]))
            return i;
    }
    return std::nullopt;
}

SitesOnNetwork FindSitesOnNetwork(const std::vector<store::SiteProfile>& sites, const AdapterEntry& adapter)
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

} // namespace lanvex::net
