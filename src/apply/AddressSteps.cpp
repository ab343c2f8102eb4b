#include "apply/AddressSteps.h"

#include "apply/ApplyResult.h"
#include "i18n/Translatable.h"
#include "net/AdapterConfiguration.h"
#include "net/ServiceValues.h"

#include <exception>

namespace lanvex::apply {

namespace {

// The outcome of an apply whose first change was refused or left in doubt; nothing for any other.
std::optional<std::int32_t> firstChangeOutcome(std::uint32_t methodResult)
{
    if (methodResult == net::kAccessDenied)
        return kNotPermitted;
    if (methodResult == net::kResultUnknown)
        return kOutcomeUnknown;
    return std::nullopt;
}

// A first change that failed: nothing after it runs.
StepOutcome failedFirstChange(const char* step, std::uint32_t methodResult, std::int32_t failedBit, const char* line)
{
    StepOutcome outcome = MakeOutcome(step, false);
    outcome.wholeResult = firstChangeOutcome(methodResult);
    if (!outcome.wholeResult)
        outcome.bits = failedBit | SavedFlag(methodResult);
    outcome.stops = true;
    outcome.lines = { line };
    return outcome;
}

StepOutcome adapterNotFound(const char* step)
{
    StepOutcome outcome = MakeOutcome(step, false);
    outcome.wholeResult = kAdapterNotFound;
    return outcome;
}

// EnableStatic's arguments: the site's address and mask, then those of MoreIP.
std::vector<net::Value> staticArguments(const store::SiteProfile& site, const net::ExtraSettings& extras)
{
    std::vector<std::string> addresses { site.IP }, masks { site.SubNetMask };
    addresses.insert(addresses.end(), extras.MoreAddresses.begin(), extras.MoreAddresses.end());
    masks.insert(masks.end(), extras.MoreMasks.begin(), extras.MoreMasks.end());
    return { std::move(addresses), std::move(masks) };
}

// SetGateways' arguments: DefaultGateway with its metric, then MoreGateways. A site without a
// default gateway but with more gateways sends those alone, as an empty text is no gateway.
std::vector<net::Value> gatewayArguments(const store::SiteProfile& site, const net::ExtraSettings& extras)
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

// The DHCP switch reads the configurations strictly: a failing read ends the apply, which reports
// it on its own.
StepOutcome switchToDhcp(StepContext& context)
{
    for (const net::ObjectRef& adapter : context.AdapterSet()) {
        if (!adapter)
            continue;
        const auto index = net::IntegerOf(adapter->Property("Index"));
        if (!index || *index != context.AdapterNumber())
            continue;
        if (net::BooleanOf(adapter->Property("DHCPEnabled")) == true) {
            context.ShowStatus(LANVEX_TR_NOOP("net", "当前已经工作在DHCP方式!"));
            return MakeOutcome("DHCP", true, kAlreadyDhcp, { LANVEX_TR_NOOP("net", "已经是DHCP工作方式。") });
        }
        context.BeforeFirstChange();
        const std::uint32_t result = adapter->ExecMethod("EnableDHCP", {});
        if (result != 0) {
            context.ShowStatus(LANVEX_TR_NOOP("net", "设置DHCP工作方式时发生错误!"));
            return failedFirstChange("DHCP", result, kDhcpFailed, LANVEX_TR_NOOP("net", "设定为DHCP工作方式失败。"));
        }
        context.ShowStatus(LANVEX_TR_NOOP("net", "设置DHCP工作方式成功!"));
        return MakeOutcome("DHCP", true, 0, { LANVEX_TR_NOOP("net", "设定为DHCP工作方式成功。") });
    }
    return adapterNotFound("DHCP");
}

} // namespace

std::optional<StepOutcome> DhcpStep::Run(StepContext& context)
{
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在准备设置DHCP工作方式，请稍候..."));
    try {
        return switchToDhcp(context);
    } catch (const std::exception&) {
        StepOutcome outcome = MakeOutcome("DHCP", false);
        outcome.wholeResult = kDhcpSwitchRaised;
        return outcome;
    }
}

std::optional<StepOutcome> StaticAddressStep::Run(StepContext& context)
{
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在准备设置静态IP，请稍候..."));
    const net::ObjectRef adapter = context.Adapter();
    if (!adapter)
        return adapterNotFound("Address");
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置IP地址及子网掩码，请稍候..."));
    context.BeforeFirstChange();
    const std::uint32_t result
        = CallSkippingFailure(adapter, "EnableStatic", staticArguments(context.Site(), context.Extras()));
    if (result != 0) {
        context.ShowStatus(LANVEX_TR_NOOP("net", "设置IP地址及子网掩码失败!"));
        return failedFirstChange("Address", result, kStaticFailed, LANVEX_TR_NOOP("net", "更新IP及子网掩码失败。"));
    }
    context.ShowStatus(LANVEX_TR_NOOP("net", "设置IP地址及子网掩码成功!"));
    return MakeOutcome("Address", true, 0, { LANVEX_TR_NOOP("net", "更新IP及子网掩码成功。") });
}

std::optional<StepOutcome> GatewayStep::Run(StepContext& context)
{
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置IP网关，请稍候..."));
    const std::uint32_t result = CallSkippingFailure(context.AdapterByPath(), "SetGateways",
                                                     gatewayArguments(context.Site(), context.Extras()));
    return ChangeOutcome("Gateway", result, kGatewayFailed, LANVEX_TR_NOOP("net", "更新网关成功。"),
                         LANVEX_TR_NOOP("net", "更新网关失败。"));
}

std::optional<StepOutcome> DnsStep::Run(StepContext& context)
{
    const store::SiteProfile& site = context.Site();
    std::uint32_t result = 0;
    if (site.ChangeDNS) {
        context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置DNS，请稍候..."));
        result = CallSkippingFailure(context.AdapterByPath(), "SetDNSServerSearchOrder",
                                     { std::vector<std::string> { site.DNS, site.AuxDNS } });
    }
    return ChangeOutcome("DNS", result, kDnsFailed, LANVEX_TR_NOOP("net", "更新DNS成功。"),
                         LANVEX_TR_NOOP("net", "更新DNS失败。"));
}

std::optional<StepOutcome> WinsStep::Run(StepContext& context)
{
    const store::SiteProfile& site = context.Site();
    std::uint32_t result = 0;
    if (site.ChangeWINS) {
        context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置WINS服务器，请稍候..."));
        result = CallSkippingFailure(context.Adapter(), "SetWINSServer", { site.WINS, site.AuxWINS });
    }
    return ChangeOutcome("WINS", result, kWinsFailed, LANVEX_TR_NOOP("net", "更新WINS服务器成功。"),
                         LANVEX_TR_NOOP("net", "更新WINS服务器失败。"));
}

} // namespace lanvex::apply

namespace lanvex::apply {

namespace {

std::string flag(bool on)
{
    return on ? "true" : "false";
}

// Gateways with their metrics, as "address (metric N)".
std::string gatewaysWithMetrics(const std::vector<std::string>& gateways, const std::vector<std::int64_t>& metrics)
{
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < gateways.size(); ++i)
        if (!gateways[i].empty())
            shown.push_back(i < metrics.size() ? gateways[i] + " (metric " + std::to_string(metrics[i]) + ")"
                                               : gateways[i]);
    return JoinValues(shown);
}

} // namespace

std::vector<SettingChange> DhcpStep::Preview(const PreviewContext& context) const
{
    const bool already = context.adapter.Info.DHCPEnabled;
    return { { "DHCPEnabled", flag(already), flag(true),
               already ? LANVEX_TR_NOOP("net", "已经是DHCP工作方式。") : nullptr } };
}

std::vector<SettingChange> StaticAddressStep::Preview(const PreviewContext& context) const
{
    const net::AdapterAddresses& now = context.adapter.Addresses;
    std::vector<std::string> addresses { context.site.IP }, masks { context.site.SubNetMask };
    addresses.insert(addresses.end(), context.extras.MoreAddresses.begin(), context.extras.MoreAddresses.end());
    masks.insert(masks.end(), context.extras.MoreMasks.begin(), context.extras.MoreMasks.end());
    std::vector<SettingChange> changes;
    if (context.adapter.Info.DHCPEnabled)
        changes.push_back({ "DHCPEnabled", flag(true), flag(false) });
    changes.push_back({ "IPAddress", JoinValues(now.IPAddress), JoinValues(addresses) });
    changes.push_back({ "IPSubnet", JoinValues(now.IPSubnet), JoinValues(masks) });
    return changes;
}

std::vector<SettingChange> GatewayStep::Preview(const PreviewContext& context) const
{
    const std::vector<net::Value> args = gatewayArguments(context.site, context.extras);
    const net::AdapterAddresses& now = context.adapter.Addresses;
    return { { "DefaultIPGateway", gatewaysWithMetrics(now.DefaultIPGateway, now.GatewayCostMetric),
               gatewaysWithMetrics(std::get<std::vector<std::string>>(args[0]),
                                   std::get<std::vector<std::int64_t>>(args[1])) } };
}

std::vector<SettingChange> DnsStep::Preview(const PreviewContext& context) const
{
    if (!context.site.ChangeDNS)
        return {};
    const store::SiteProfile& now = context.adapter.Info;
    return { { "DNSServerSearchOrder", JoinValues({ now.DNS, now.AuxDNS }),
               JoinValues({ context.site.DNS, context.site.AuxDNS }) } };
}

std::vector<SettingChange> WinsStep::Preview(const PreviewContext& context) const
{
    if (!context.site.ChangeWINS)
        return {};
    const store::SiteProfile& now = context.adapter.Info;
    return { { "WINS", JoinValues({ now.WINS, now.AuxWINS }),
               JoinValues({ context.site.WINS, context.site.AuxWINS }) } };
}

} // namespace lanvex::apply
