#include "net/IPInfo.h"

#include "i18n/Translatable.h"
#include "net/AdapterConfiguration.h"
#include "net/DesktopSteps.h"
#include "net/ExtraSettings.h"
#include "printer/PrinterSource.h"

#include <algorithm>
#include <exception>
#include <functional>
#include <optional>
#include <string_view>
#include <unordered_map>

namespace lanvex::net {

namespace {

// The adapter query reads from the default namespace; the apply addresses cimv2 explicitly. Each
// sends its own query text unchanged, because a backend may see the difference.
constexpr std::string_view kQueryMoniker = "winmgmts:";
constexpr std::string_view kQueryText = "Select * From Win32_NetworkAdapterConfiguration Where IPEnabled=TRUE";
constexpr std::string_view kApplyMoniker = "winmgmts:\\\\.\\root\\cimv2";
constexpr std::string_view kApplyQueryText = "SELECT * FROM Win32_NetworkAdapterConfiguration WHERE IPEnabled = True";
constexpr std::string_view kQueryLanguage = "WQL";
constexpr std::int32_t kReturnImmediately = 16;
constexpr std::string_view kPathPrefix = "Win32_NetworkAdapterConfiguration.Index=";

// A property value as text, the way the service's scripting layer converts it. Arrays and nulls
// have no text.
std::optional<std::string> textOf(const Value& value)
{
    if (const auto* text = std::get_if<std::string>(&value))
        return *text;
    if (const auto* flag = std::get_if<bool>(&value))
        return std::string(*flag ? "True" : "False");
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return std::to_string(*number);
    return std::nullopt;
}

// One element of an array property as text; nothing when the value is no array or too short.
// A plain text counts as holding itself at element 0, so MACAddress reads either way.
std::optional<std::string> elementOf(const Value& value, std::size_t index)
{
    if (const auto* texts = std::get_if<std::vector<std::string>>(&value))
        return index < texts->size() ? std::optional<std::string>((*texts)[index]) : std::nullopt;
    if (const auto* numbers = std::get_if<std::vector<std::int64_t>>(&value))
        return index < numbers->size() ? std::optional<std::string>(std::to_string((*numbers)[index])) : std::nullopt;
    if (index == 0)
        return textOf(value);
    return std::nullopt;
}

std::optional<bool> booleanOf(const Value& value)
{
    if (const auto* flag = std::get_if<bool>(&value))
        return *flag;
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return *number != 0;
    if (const auto* text = std::get_if<std::string>(&value)) {
        if (*text == "True" || *text == "true" || *text == "TRUE")
            return true;
        if (*text == "False" || *text == "false" || *text == "FALSE")
            return false;
    }
    return std::nullopt;
}

std::optional<std::int64_t> integerOf(const Value& value)
{
    if (const auto* number = std::get_if<std::int64_t>(&value))
        return *number;
    return std::nullopt;
}

// Reads a property; a failing read gives null, so the step is skipped and its target stays as it was.
Value readProperty(const ManagementObject& object, std::string_view name)
{
    try {
        return object.Property(name);
    } catch (const std::exception&) {
        return {};
    }
}

void readText(const ManagementObject& object, std::string_view name, std::string& target)
{
    if (auto text = textOf(readProperty(object, name)))
        target = std::move(*text);
}

void readElement(const ManagementObject& object, std::string_view name, std::size_t index, std::string& target)
{
    if (auto text = elementOf(readProperty(object, name), index))
        target = std::move(*text);
}

bool hasIndex(const ManagementObject& object, std::int32_t adapterNumber)
{
    const auto index = integerOf(readProperty(object, "Index"));
    return index && *index == adapterNumber;
}

struct ApplyState
{
    ManagementService& WmiService;
    std::vector<ObjectRef>& AdapterSet;
    const StatusSink& showStatus;
    bool authorizationNeeded = false;
    std::int32_t ApplyResult = kApplyOk;
    bool changeStarted = false;

    void ShowStatus(const std::string& text) const
    {
        if (showStatus)
            showStatus(text);
    }

    // The first change opens the system's authorization prompt; the user is told what the wait is for.
    void BeforeFirstChange()
    {
        if (authorizationNeeded && !changeStarted)
            ShowStatus(LANVEX_TR_NOOP("net", "正在等待系统授权..."));
        changeStarted = true;
    }
};

// What a failed change adds to the result: whether it is saved to take effect later.
std::int32_t savedFlag(std::uint32_t methodResult)
{
    return methodResult == kResultSavedNotLive ? kSavedNotLive : 0;
}

// The result of an apply whose first change was refused or left in doubt; nothing for any other.
std::optional<std::int32_t> firstChangeOutcome(std::uint32_t methodResult)
{
    if (methodResult == kAccessDenied)
        return kNotPermitted;
    if (methodResult == kResultUnknown)
        return kOutcomeUnknown;
    return std::nullopt;
}

// Result of a static step that could not run at all: the call raised, or the object to run it on
// could not be fetched. Such a step is skipped, and it counts as failed, never as done.
constexpr std::uint32_t kStepNotRun = 0xFFFFFFFFu;

// Runs a method of the static path; a call that raises is skipped and reported as failed.
std::uint32_t callSkippingFailure(const ObjectRef& object, std::string_view method, const std::vector<Value>& args)
{
    if (!object)
        return kStepNotRun;
    try {
        return object->ExecMethod(method, args);
    } catch (const std::exception&) {
        return kStepNotRun;
    }
}

// EnableStatic's arguments: the site's address and mask, then those of MoreIP, all in one change.
std::vector<Value> staticArguments(const store::SiteProfile& site, const ExtraSettings& extras)
{
    std::vector<std::string> addresses { site.IP }, masks { site.SubNetMask };
    addresses.insert(addresses.end(), extras.MoreAddresses.begin(), extras.MoreAddresses.end());
    masks.insert(masks.end(), extras.MoreMasks.begin(), extras.MoreMasks.end());
    return { std::move(addresses), std::move(masks) };
}

// SetGateways' arguments: DefaultGateway with its metric, then MoreGateways. A site without a
// default gateway but with more gateways sends those alone, as an empty text is no gateway.
std::vector<Value> gatewayArguments(const store::SiteProfile& site, const ExtraSettings& extras)
{
    std::vector<std::string> gateways;
    std::vector<std::int64_t> metrics;
    if (!site.DefaultGateway.empty() || extras.MoreGateways.empty()) {
        gateways.push_back(site.DefaultGateway);
        metrics.push_back(extras.GatewayMetric);
    }
    gateways.insert(gateways.end(), extras.MoreGateways.begin(), extras.MoreGateways.end());
    metrics.insert(metrics.end(), extras.MoreMetrics.begin(), extras.MoreMetrics.end());
    return { std::move(gateways), std::move(metrics) };
}

// Whether the IPv4 steps left the adapter in a state the later steps build on.
bool ReachedExtraSteps(std::int32_t ipv4Result)
{
    const std::int32_t result = ipv4Result & ~kSavedNotLive;
    return result == kApplyOk || result == kAlreadyDhcp || (result > kApplyOk && result < kStaticFailed);
}

// The IPv6 calls of a mode, in order; the step stops at the first that fails.
std::vector<std::pair<AdapterMethod, std::vector<Value>>> ipv6Calls(const ExtraSettings& extras)
{
    switch (extras.Mode) {
    case IPv6Mode::Off:
        return { { AdapterMethod::DisableIPv6, {} } };
    case IPv6Mode::Auto:
        return { { AdapterMethod::EnableIPv6, {} } };
    case IPv6Mode::Static:
        return { { AdapterMethod::SetIPv6Addresses, { extras.IPv6Addresses } },
                 { AdapterMethod::SetIPv6Gateway, { extras.IPv6Gateway } },
                 { AdapterMethod::SetIPv6DNSServers, { extras.IPv6DNS } } };
    case IPv6Mode::Keep:
        break;
    }
    return {};
}

// The steps of the optional keys, after the IPv4 ones: the DNS suffix, then IPv6. A site without
// the keys takes none of them.
void SetExtraSteps(ApplyState& state, const ObjectRef& adapter, const ExtraSettings& extras)
{
    if (!extras.InvalidKeys.empty())
        state.ApplyResult |= kExtraValueSkipped;
    std::uint32_t suffixResult = 0;
    if (!extras.DNSSuffix.empty()) {
        state.ShowStatus(LANVEX_TR_NOOP("net", "正在设置DNS后缀，请稍候..."));
        state.BeforeFirstChange();
        suffixResult = callSkippingFailure(adapter, MethodName(AdapterMethod::SetDNSDomain), { extras.DNSSuffix });
    }
    std::uint32_t ipv6Result = 0;
    if (extras.Mode != IPv6Mode::Keep) {
        state.ShowStatus(LANVEX_TR_NOOP("net", "正在设置IPv6，请稍候..."));
        state.BeforeFirstChange();
        for (const auto& [method, args] : ipv6Calls(extras)) {
            ipv6Result = callSkippingFailure(adapter, MethodName(method), args);
            if (ipv6Result != 0)
                break;
        }
    }
    if (suffixResult == kResultUnknown || ipv6Result == kResultUnknown) {
        state.ApplyResult = kOutcomeUnknown;
        return;
    }
    state.ApplyResult |= savedFlag(suffixResult) | savedFlag(ipv6Result);
    if (suffixResult != 0)
        state.ApplyResult |= kDnsSuffixFailed;
    if (ipv6Result != 0)
        state.ApplyResult |= kIPv6Failed;
}

ObjectRef findAdapter(const std::vector<ObjectRef>& adapters, std::int32_t adapterNumber)
{
    for (const ObjectRef& adapter : adapters)
        if (adapter && hasIndex(*adapter, adapterNumber))
            return adapter;
    return nullptr;
}

// Failures raised here are not caught: they end the apply, which reports them on its own.
void SetDHCPMode(ApplyState& state, std::int32_t adapterNumber)
{
    for (const ObjectRef& AdapterItem : state.AdapterSet) {
        if (!AdapterItem)
            continue;
        const auto index = integerOf(AdapterItem->Property("Index"));
        if (!index || *index != adapterNumber)
            continue;
        if (booleanOf(AdapterItem->Property("DHCPEnabled")) != true) {
            state.BeforeFirstChange();
            const std::uint32_t dhcpResult = AdapterItem->ExecMethod("EnableDHCP", {});
            if (dhcpResult != 0) {
                state.ShowStatus(LANVEX_TR_NOOP("net", "设置DHCP工作方式时发生错误!"));
                state.ApplyResult = firstChangeOutcome(dhcpResult).value_or(kDhcpFailed | savedFlag(dhcpResult));
            } else {
                state.ShowStatus(LANVEX_TR_NOOP("net", "设置DHCP工作方式成功!"));
            }
        } else {
            state.ApplyResult = kAlreadyDhcp;
            state.ShowStatus(LANVEX_TR_NOOP("net", "当前已经工作在DHCP方式!"));
        }
        return;
    }
    state.ApplyResult = kAdapterNotFound;
}

// Every step is attempted; one that raises is skipped and counts as failed.
void SetStaticMode(ApplyState& state, std::int32_t adapterNumber, const store::SiteProfile& site,
                   const ExtraSettings& extras)
{
    for (const ObjectRef& AdapterItem : state.AdapterSet) {
        if (!AdapterItem || !hasIndex(*AdapterItem, adapterNumber))
            continue;
        state.ShowStatus(LANVEX_TR_NOOP("net", "正在设置IP地址及子网掩码，请稍候..."));
        state.BeforeFirstChange();
        const std::uint32_t staticResult
            = callSkippingFailure(AdapterItem, "EnableStatic", staticArguments(site, extras));
        if (staticResult != 0) {
            state.ShowStatus(LANVEX_TR_NOOP("net", "设置IP地址及子网掩码失败!"));
            state.ApplyResult = firstChangeOutcome(staticResult).value_or(kStaticFailed | savedFlag(staticResult));
            return;
        }
        state.ShowStatus(LANVEX_TR_NOOP("net", "设置IP地址及子网掩码成功!"));
        state.ShowStatus(LANVEX_TR_NOOP("net", "正在设置IP网关，请稍候..."));

        ObjectRef AdapterByPath;
        if (const auto index = elementOf(readProperty(*AdapterItem, "Index"), 0)) {
            try {
                AdapterByPath = state.WmiService.Get(std::string(kPathPrefix) + *index, 0);
            } catch (const std::exception&) {
                AdapterByPath.reset();
            }
        }
        const std::uint32_t gatewayResult
            = callSkippingFailure(AdapterByPath, "SetGateways", gatewayArguments(site, extras));

        std::uint32_t dnsResult = 0;
        if (site.ChangeDNS) {
            state.ShowStatus(LANVEX_TR_NOOP("net", "正在设置DNS，请稍候..."));
            dnsResult = callSkippingFailure(AdapterByPath, "SetDNSServerSearchOrder",
                                            { std::vector<std::string> { site.DNS, site.AuxDNS } });
        }
        std::uint32_t winsResult = 0;
        if (site.ChangeWINS) {
            state.ShowStatus(LANVEX_TR_NOOP("net", "正在设置WINS服务器，请稍候..."));
            winsResult = callSkippingFailure(AdapterItem, "SetWINSServer", { site.WINS, site.AuxWINS });
        }
        // A later step left in doubt puts the whole outcome in doubt.
        for (const std::uint32_t result : { gatewayResult, dnsResult, winsResult }) {
            if (result == kResultUnknown) {
                state.ApplyResult = kOutcomeUnknown;
                return;
            }
        }
        state.ApplyResult |= savedFlag(gatewayResult) | savedFlag(dnsResult) | savedFlag(winsResult);
        if (gatewayResult != 0)
            state.ApplyResult += kGatewayFailed;
        if (dnsResult != 0)
            state.ApplyResult += kDnsFailed;
        if (winsResult != 0)
            state.ApplyResult += kWinsFailed;
        return;
    }
    state.ApplyResult = kAdapterNotFound;
}

std::vector<std::string> textsOf(const Value& value)
{
    if (const auto* texts = std::get_if<std::vector<std::string>>(&value))
        return *texts;
    if (const auto text = elementOf(value, 0))
        return { *text };
    return {};
}

std::vector<std::int64_t> integersOf(const Value& value)
{
    if (const auto* numbers = std::get_if<std::vector<std::int64_t>>(&value))
        return *numbers;
    if (const auto number = integerOf(value))
        return { *number };
    return {};
}

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
    const Value ownIPv6 = readProperty(item, "IPv6Address");
    const Value ownIPv6Gateway = readProperty(item, "IPv6Gateway");
    const std::vector<std::string> all = textsOf(readProperty(item, "IPAddress"));
    const std::vector<std::string> subnets = textsOf(readProperty(item, "IPSubnet"));
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string subnet = i < subnets.size() ? subnets[i] : std::string();
        if (ParseIPv4(all[i])) {
            addresses.IPAddress.push_back(all[i]);
            addresses.IPSubnet.push_back(subnet);
        } else if (const auto ipv6 = routableIPv6(all[i]); ipv6 && std::holds_alternative<std::monostate>(ownIPv6)) {
            addresses.IPv6Address.push_back(*ipv6 + "/" + subnet);
        }
    }
    const std::vector<std::string> gateways = textsOf(readProperty(item, "DefaultIPGateway"));
    const std::vector<std::int64_t> metrics = integersOf(readProperty(item, "GatewayCostMetric"));
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
    readText(item, "DNSDomain", addresses.DNSDomain);
    readText(item, "IPv6Mode", addresses.IPv6Mode);
    if (!std::holds_alternative<std::monostate>(ownIPv6))
        addresses.IPv6Address = textsOf(ownIPv6);
    if (!std::holds_alternative<std::monostate>(ownIPv6Gateway))
        addresses.IPv6Gateway = textsOf(ownIPv6Gateway);
    addresses.IPv6DNS = textsOf(readProperty(item, "IPv6DNS"));
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
    readText(item, "GatewayMAC", network.GatewayMAC);
    readText(item, "SSID", network.SSID);
    const Value dhcpDomain = readProperty(item, "DHCPDNSDomain");
    if (std::holds_alternative<std::monostate>(dhcpDomain))
        network.DNSDomain = addresses.DNSDomain;
    else
        readText(item, "DHCPDNSDomain", network.DNSDomain);
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
    readText(item, "Description", info.Description);
    if (const auto dhcp = booleanOf(readProperty(item, "DHCPEnabled")))
        info.DHCPEnabled = *dhcp;
    info.Extras = extrasOf(readAddresses(item), info.DHCPEnabled);
    if (info.DHCPEnabled) {
        readElement(item, "MACAddress", 0, info.MACAddress);
        return info;
    }
    readElement(item, "IpAddress", 0, info.IP);
    readElement(item, "IPSubnet", 0, info.SubNetMask);
    readElement(item, "DefaultIPGateway", 0, info.DefaultGateway);
    readElement(item, "DNSServerSearchOrder", 0, info.DNS);
    readElement(item, "DNSServerSearchOrder", 1, info.AuxDNS);
    readText(item, "WINSPrimaryServer", info.WINS);
    readText(item, "WINSSecondaryServer", info.AuxWINS);
    readElement(item, "MACAddress", 0, info.MACAddress);
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
            if (auto text = textOf(readProperty(*AdapterItem, "Description")))
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
        if (const auto index = integerOf(readProperty(*AdapterItem, "Index")))
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
        if (!AdapterItem || !(description = textOf(readProperty(*AdapterItem, "Description"))))
            continue;
        AdapterEntry entry;
        entry.Index = static_cast<std::int32_t>(entries.size() + 1);
        entry.Description = std::move(*description);
        if (const auto found = byIndex.find(entry.Index); found != byIndex.end()) {
            readText(*found->second, "InterfaceName", entry.InterfaceName);
            readText(*found->second, "SettingID", entry.SettingID);
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
        if (AdapterItem && hasIndex(*AdapterItem, adapterNumber))
            return readAdapterInfo(*AdapterItem, [&printers] { return printer::GetDefaultPrinter(printers); });
    }
    return {};
}

std::int32_t ApplyIPSettings(ServiceConnector& connector, std::int32_t adapterNumber, const store::SiteProfile& site,
                             const StatusSink& showStatus)
{
    std::unique_ptr<ManagementService> WmiService;
    std::vector<ObjectRef> AdapterSet;
    try {
        WmiService = connector.Connect(kApplyMoniker);
        if (!WmiService)
            return kServiceUnavailable;
        AdapterSet = WmiService->ExecQuery(kApplyQueryText, kQueryLanguage, kReturnImmediately);
    } catch (const std::exception&) {
        return kServiceUnavailable;
    }

    ChangePermission permission = ChangePermission::Granted;
    try {
        permission = WmiService->MayChange();
    } catch (const std::exception&) {
        return kServiceUnavailable;
    }
    if (permission == ChangePermission::Denied)
        return kNotPermitted;

    ApplyState state { *WmiService, AdapterSet, showStatus, permission == ChangePermission::NeedsAuthorization };
    const ExtraSettings extras = ReadExtraSettings(site);
    if (site.DHCPEnabled) {
        state.ShowStatus(LANVEX_TR_NOOP("net", "正在准备设置DHCP工作方式，请稍候..."));
        try {
            SetDHCPMode(state, adapterNumber);
        } catch (const std::exception&) {
            return kDhcpSwitchRaised;
        }
    } else {
        state.ShowStatus(LANVEX_TR_NOOP("net", "正在准备设置静态IP，请稍候..."));
        SetStaticMode(state, adapterNumber, site, extras);
    }
    if (ReachedExtraSteps(state.ApplyResult))
        SetExtraSteps(state, findAdapter(AdapterSet, adapterNumber), extras);
    return state.ApplyResult;
}

namespace {

// The lines of the optional keys' steps that ran, after those of the IPv4 steps.
std::string extraSummaryLines(std::int32_t applyResult, const store::SiteProfile& site)
{
    const ExtraSettings extras = ReadExtraSettings(site);
    std::string lines;
    const auto line = [&lines](const char* text) { lines.append("\r\n").append(text); };
    if (!extras.DNSSuffix.empty())
        line((applyResult & kDnsSuffixFailed) != 0 ? LANVEX_TR_NOOP("net", "更新DNS后缀失败。")
                                                   : LANVEX_TR_NOOP("net", "更新DNS后缀成功。"));
    if (extras.Mode != IPv6Mode::Keep)
        line((applyResult & kIPv6Failed) != 0 ? LANVEX_TR_NOOP("net", "更新IPv6设置失败。")
                                              : LANVEX_TR_NOOP("net", "更新IPv6设置成功。"));
    if ((applyResult & kExtraValueSkipped) == 0)
        return lines;
    struct Skipped
    {
        const char* key;
        const char* text;
    };
    static constexpr Skipped kSkipped[] = {
        { "MoreIP", LANVEX_TR_NOOP("net", "更多IP地址有误，未应用。") },
        { "GatewayMetric", LANVEX_TR_NOOP("net", "网关跃点数有误，未应用。") },
        { "MoreGateways", LANVEX_TR_NOOP("net", "更多网关有误，未应用。") },
        { "DNSSuffix", LANVEX_TR_NOOP("net", "DNS后缀有误，未应用。") },
    };
    const auto invalid = [&extras](std::string_view key) {
        return std::find(extras.InvalidKeys.begin(), extras.InvalidKeys.end(), key) != extras.InvalidKeys.end();
    };
    for (const Skipped& skipped : kSkipped)
        if (invalid(skipped.key))
            line(skipped.text);
    if (invalid("IPv6Mode") || invalid("IPv6Address") || invalid("IPv6Gateway") || invalid("IPv6DNS"))
        line(LANVEX_TR_NOOP("net", "IPv6设置有误，未应用。"));
    return lines;
}

} // namespace

bool ApplySucceeded(std::int32_t applyResult)
{
    const std::int32_t result = applyResult & ~kPrinterSet;
    return result == kApplyOk || result == kAlreadyDhcp;
}

bool AddressApplied(std::int32_t applyResult)
{
    const std::int32_t ipv4Result = applyResult & ~(kExtraStepBits | kSavedNotLive);
    return ipv4Result < kStaticFailed || ipv4Result == kAlreadyDhcp;
}

namespace {

std::string ipv4Summary(std::int32_t applyResult, const store::SiteProfile& site)
{
    switch (applyResult) {
    case kStaticFailed:
        return LANVEX_TR_NOOP("net", "更新IP及子网掩码失败。");
    case kDhcpFailed:
        return LANVEX_TR_NOOP("net", "设定为DHCP工作方式失败。");
    case kAlreadyDhcp:
        return LANVEX_TR_NOOP("net", "已经是DHCP工作方式。");
    case kServiceUnavailable:
        return LANVEX_TR_NOOP("net", "无法连接系统的网络管理服务，设置未生效。");
    case kAdapterNotFound:
        return LANVEX_TR_NOOP("net", "未找到所选网卡，设置未生效。");
    case kDhcpSwitchRaised:
        return LANVEX_TR_NOOP("net", "设定为DHCP工作方式失败。");
    case kNotPermitted:
        return LANVEX_TR_NOOP("net", "没有更改网络设置的权限，设置未生效。");
    case kOutcomeUnknown:
        return LANVEX_TR_NOOP("net", "网络管理服务没有及时回应，无法确定设置是否已生效。");
    default:
        break;
    }
    if (applyResult == kApplyOk && site.DHCPEnabled)
        return LANVEX_TR_NOOP("net", "设定为DHCP工作方式成功。");
    if (applyResult < 0 || applyResult > 7)
        return {};

    struct Step
    {
        std::int32_t bit;
        const char* succeeded;
        const char* failed;
    };
    static constexpr Step kSteps[] = {
        { kGatewayFailed, LANVEX_TR_NOOP("net", "更新网关成功。"), LANVEX_TR_NOOP("net", "更新网关失败。") },
        { kDnsFailed, LANVEX_TR_NOOP("net", "更新DNS成功。"), LANVEX_TR_NOOP("net", "更新DNS失败。") },
        { kWinsFailed, LANVEX_TR_NOOP("net", "更新WINS服务器成功。"), LANVEX_TR_NOOP("net", "更新WINS服务器失败。") },
    };
    std::string summary = LANVEX_TR_NOOP("net", "更新IP及子网掩码成功。");
    for (const Step& step : kSteps)
        if ((applyResult & step.bit) == 0)
            summary.append("\r\n").append(step.succeeded);
    for (const Step& step : kSteps)
        if ((applyResult & step.bit) != 0)
            summary.append("\r\n").append(step.failed);
    return summary;
}

} // namespace

std::string ApplySummary(std::int32_t applyResult, const store::SiteProfile& site)
{
    if ((applyResult & kSavedNotLive) != 0 && applyResult != kSavedNotLive) {
        const std::string failed = ApplySummary(applyResult & ~kSavedNotLive, site);
        return failed.empty() ? failed : failed + "\r\n" + LANVEX_TR_NOOP("net", "新设置已保存，网卡接通网络后生效。");
    }
    const std::int32_t ipv4Result = applyResult & ~kExtraStepBits;
    const std::string summary = ipv4Summary(ipv4Result, site);
    if (summary.empty() || !ReachedExtraSteps(ipv4Result))
        return summary;
    return summary + extraSummaryLines(applyResult, site) + DesktopSummaryLines(applyResult, site);
}

} // namespace lanvex::net
