#include "net/AdapterQuery.h"

#include "net/AdapterConfiguration.h"
#include "net/ExtraSettings.h"
#include "net/ServiceValues.h"
#include "printer/PrinterSource.h"

#include <exception>
#include <functional>
#include <optional>
#include <unordered_map>

namespace lanvex::net {

namespace {

// A global or unique-local IPv6 address in the canonical form; nothing for link-local ones, which
// every interface has, and for anything else.
std::optional<std::string> routableIPv6(const std::string& text)
{
    const auto address = ParseIPv6(text);
    if (!address || ((*address)[0] & 0xFFC0) == 0xFE80)
        return std::nullopt;
    return FormatIPv6(*address);
}

// Every address of one configuration. The adapter configuration class lists IPv6 addresses and
// gateways among the IPv4 ones; they go to the IPv6 lists unless the service gives those itself.
AdapterAddresses readAddresses(const ManagementObject& item)
{
    AdapterAddresses addresses;
    const Value ownIPv6 = ReadProperty(item, "IPv6Address");
    const Value ownIPv6Gateway = ReadProperty(item, "IPv6Gateway");
    const std::vector<std::string> all = TextsOf(ReadProperty(item, "IPAddress"));
    const std::vector<std::string> subnets = TextsOf(ReadProperty(item, "IPSubnet"));
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string subnet = i < subnets.size() ? subnets[i] : std::string();
        if (ParseIPv4(all[i])) {
            addresses.IPAddress.push_back(all[i]);
            addresses.IPSubnet.push_back(subnet);
        } else if (const auto ipv6 = routableIPv6(all[i]); ipv6 && std::holds_alternative<std::monostate>(ownIPv6)) {
            addresses.IPv6Address.push_back(*ipv6 + "/" + subnet);
        }
    }
    const std::vector<std::string> gateways = TextsOf(ReadProperty(item, "DefaultIPGateway"));
    const std::vector<std::int64_t> metrics = IntegersOf(ReadProperty(item, "GatewayCostMetric"));
    for (std::size_t i = 0; i < gateways.size(); ++i) {
        if (ParseIPv4(gateways[i])) {
            addresses.DefaultIPGateway.push_back(gateways[i]);
            if (i < metrics.size())
                addresses.GatewayCostMetric.push_back(metrics[i]);
        } else if (const auto ipv6 = ParseIPv6(gateways[i]);
                   ipv6 && std::holds_alternative<std::monostate>(ownIPv6Gateway)) {
            addresses.IPv6Gateway.push_back(FormatIPv6(*ipv6));
        }
    }
    ReadText(item, "DNSDomain", addresses.DNSDomain);
    ReadText(item, "IPv6Mode", addresses.IPv6Mode);
    if (!std::holds_alternative<std::monostate>(ownIPv6))
        addresses.IPv6Address = TextsOf(ownIPv6);
    if (!std::holds_alternative<std::monostate>(ownIPv6Gateway))
        addresses.IPv6Gateway = TextsOf(ownIPv6Gateway);
    addresses.IPv6DNS = TextsOf(ReadProperty(item, "IPv6DNS"));
    return addresses;
}

// The network the configuration is on: the first IPv4 default gateway, and what the service adds
// beside the class's own properties ("GatewayMAC", "SSID", "DHCPDNSDomain"). A service that cannot
// tell the DHCP server's domain apart gives only "DNSDomain", the best it knows.
NetworkFingerprint readFingerprint(const ManagementObject& item, const AdapterAddresses& addresses)
{
    NetworkFingerprint network;
    for (const std::string& gateway : addresses.DefaultIPGateway) {
        if (ParseIPv4(gateway)) {
            network.Gateway = gateway;
            break;
        }
    }
    ReadText(item, "GatewayMAC", network.GatewayMAC);
    ReadText(item, "SSID", network.SSID);
    const Value dhcpDomain = ReadProperty(item, "DHCPDNSDomain");
    if (std::holds_alternative<std::monostate>(dhcpDomain))
        network.DNSDomain = addresses.DNSDomain;
    else
        ReadText(item, "DHCPDNSDomain", network.DNSDomain);
    return network;
}

std::string joined(const std::vector<std::string>& items, std::size_t from = 0)
{
    std::string text;
    for (std::size_t i = from; i < items.size(); ++i)
        text.append(i > from ? "," : "").append(items[i]);
    return text;
}

// The optional keys of the current-settings entry: what the site's own fields leave out. The
// first address and gateway are the record's own; a metric of 1 is the default and not shown.
store::SiteExtras extrasOf(const AdapterAddresses& live, bool dhcp)
{
    store::SiteExtras extras;
    if (!dhcp) {
        for (std::size_t i = 1; i < live.IPAddress.size(); ++i)
            extras.MoreIP.append(i > 1 ? "," : "").append(live.IPAddress[i] + "/" + live.IPSubnet[i]);
        const auto metric = [&live](std::size_t i) {
            return i < live.GatewayCostMetric.size() ? live.GatewayCostMetric[i] : std::int64_t(1);
        };
        if (!live.DefaultIPGateway.empty() && metric(0) != 1)
            extras.GatewayMetric = std::to_string(metric(0));
        for (std::size_t i = 1; i < live.DefaultIPGateway.size(); ++i)
            extras.MoreGateways.append(i > 1 ? "," : "")
                .append(live.DefaultIPGateway[i] + ":" + std::to_string(metric(i)));
        extras.DNSSuffix = live.DNSDomain;
    }
    extras.IPv6Mode = live.IPv6Mode;
    extras.IPv6Address = joined(live.IPv6Address);
    extras.IPv6Gateway = live.IPv6Gateway.empty() ? std::string() : live.IPv6Gateway.front();
    extras.IPv6DNS = joined(live.IPv6DNS);
    return extras;
}

// The record GetAdapterInfo gives for one configuration; `defaultPrinter` reads the printer's name.
store::SiteProfile readAdapterInfo(const ManagementObject& item, const std::function<std::string()>& defaultPrinter)
{
    store::SiteProfile info;
    ReadText(item, "Description", info.Description);
    if (const auto dhcp = BooleanOf(ReadProperty(item, "DHCPEnabled")))
        info.DHCPEnabled = *dhcp;
    info.Extras = extrasOf(readAddresses(item), info.DHCPEnabled);
    if (info.DHCPEnabled) {
        ReadElement(item, "MACAddress", 0, info.MACAddress);
        return info;
    }
    ReadElement(item, "IpAddress", 0, info.IP);
    ReadElement(item, "IPSubnet", 0, info.SubNetMask);
    ReadElement(item, "DefaultIPGateway", 0, info.DefaultGateway);
    ReadElement(item, "DNSServerSearchOrder", 0, info.DNS);
    ReadElement(item, "DNSServerSearchOrder", 1, info.AuxDNS);
    ReadText(item, "WINSPrimaryServer", info.WINS);
    ReadText(item, "WINSSecondaryServer", info.AuxWINS);
    ReadElement(item, "MACAddress", 0, info.MACAddress);
    try {
        info.PrinterName = defaultPrinter();
    } catch (const std::exception&) {
        info.PrinterName.clear();
    }
    return info;
}

} // namespace

std::vector<std::string> ListAdapters(ServiceConnector& connector)
{
    std::vector<std::string> descriptions;
    try {
        std::unique_ptr<ManagementService> WmiService = connector.Connect(kQueryMoniker);
        if (!WmiService)
            return descriptions;
        const std::vector<ObjectRef> AdapterSet = WmiService->ExecQuery(kQueryText, kQueryLanguage, kReturnImmediately);
        for (const ObjectRef& AdapterItem : AdapterSet) {
            if (!AdapterItem)
                continue;
            // A description that cannot be read as text adds no line.
            if (auto text = TextOf(ReadProperty(*AdapterItem, "Description")))
                descriptions.push_back(std::move(*text));
        }
    } catch (const std::exception&) {
        // An unreachable service or a failed query lists what was read so far: nothing.
    }
    return descriptions;
}

std::vector<AdapterEntry> QueryAdapters(ServiceConnector& connector, const printer::PrinterSource& printers)
{
    std::vector<ObjectRef> AdapterSet;
    try {
        std::unique_ptr<ManagementService> WmiService = connector.Connect(kQueryMoniker);
        if (!WmiService)
            throw ServiceError("no connection to the management service");
        AdapterSet = WmiService->ExecQuery(kQueryText, kQueryLanguage, kReturnImmediately);
    } catch (const ServiceError&) {
        throw;
    } catch (const std::exception& error) {
        throw ServiceError(error.what());
    }
    // Each line's record is that of the configuration whose Index is its position plus one, as
    // GetAdapterInfo would read it, found without a walk per line.
    std::unordered_map<std::int64_t, const ManagementObject*> byIndex;
    for (const ObjectRef& AdapterItem : AdapterSet) {
        if (!AdapterItem)
            continue;
        if (const auto index = IntegerOf(ReadProperty(*AdapterItem, "Index")))
            byIndex.emplace(*index, AdapterItem.get());
    }
    // One printer read serves every adapter of the list.
    std::optional<std::string> printerName;
    const auto defaultPrinter = [&]() -> std::string {
        if (!printerName)
            printerName = printer::GetDefaultPrinter(printers);
        return *printerName;
    };
    std::vector<AdapterEntry> entries;
    for (const ObjectRef& AdapterItem : AdapterSet) {
        std::optional<std::string> description;
        if (!AdapterItem || !(description = TextOf(ReadProperty(*AdapterItem, "Description"))))
            continue;
        AdapterEntry entry;
        entry.Index = static_cast<std::int32_t>(entries.size() + 1);
        entry.Description = std::move(*description);
        if (const auto found = byIndex.find(entry.Index); found != byIndex.end()) {
            ReadText(*found->second, "InterfaceName", entry.InterfaceName);
            ReadText(*found->second, "SettingID", entry.SettingID);
            ReadText(*found->second, "FirewallZone", entry.FirewallZone);
            ReadText(*found->second, "DNSHostName", entry.HostName);
            entry.Info = readAdapterInfo(*found->second, defaultPrinter);
            entry.Addresses = readAddresses(*found->second);
            entry.Network = readFingerprint(*found->second, entry.Addresses);
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

store::SiteProfile GetAdapterInfo(ServiceConnector& connector, const printer::PrinterSource& printers,
                                  std::int32_t adapterNumber)
{
    std::vector<ObjectRef> AdapterSet;
    try {
        std::unique_ptr<ManagementService> WmiService = connector.Connect(kQueryMoniker);
        if (!WmiService)
            return {};
        AdapterSet = WmiService->ExecQuery(kQueryText, kQueryLanguage, kReturnImmediately);
    } catch (const std::exception&) {
        return {};
    }
    for (const ObjectRef& AdapterItem : AdapterSet) {
        if (AdapterItem && HasIndex(*AdapterItem, adapterNumber))
            return readAdapterInfo(*AdapterItem, [&printers] { return printer::GetDefaultPrinter(printers); });
    }
    return {};
}

} // namespace lanvex::net
