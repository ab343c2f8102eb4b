#include "apply/NetworkAroundSteps.h"

#include "apply/ApplyResult.h"
#include "i18n/Translatable.h"
#include "net/AdapterConfiguration.h"
#include "net/ServiceValues.h"

#include <exception>

namespace lanvex::apply {

namespace {

constexpr const char* kConnectionUnknownText = LANVEX_TR_NOOP("net", "未找到连接“%1”。");

// Each step runs on the adapter; where it is missing they leave the address steps to say so.

// One call on the adapter object with a text argument, as a change.
std::uint32_t changeWith(StepContext& context, net::AdapterMethod method, const std::string& value)
{
    context.BeforeFirstChange();
    return CallSkippingFailure(context.Adapter(), net::MethodName(method), { value });
}

// The texts a step gives for each of its results.
struct ResultTexts
{
    const char* done;
    const char* failed;
    const char* unknownName = nullptr; // the system knows no profile of that name
};

SummaryLine lineFor(std::uint32_t result, const ResultTexts& texts, const std::string& value)
{
    if (result == 0)
        return { texts.done, { value } };
    if (result == net::kProfileNotFound && texts.unknownName)
        return { texts.unknownName, { value } };
    return { texts.failed, { value } };
}

// Brings each connection up or down; every one is tried, whatever became of the one before.
StepOutcome switchConnections(StepContext& context, const char* step, net::AdapterMethod method,
                              const std::vector<std::string>& names, const ResultTexts& texts)
{
    StepOutcome outcome = MakeOutcome(step, true);
    for (const std::string& name : names) {
        const std::uint32_t result = changeWith(context, method, name);
        outcome.lines.push_back(lineFor(result, texts, name));
        if (result != 0) {
            outcome.ok = false;
            outcome.bits = kConnectionFailed;
        }
    }
    return outcome;
}

// A property of the adapter as text; empty when it cannot be read.
std::string adapterText(const StepContext& context, std::string_view property)
{
    const net::ObjectRef adapter = context.Adapter();
    if (!adapter)
        return {};
    try {
        return net::TextOf(net::ReadProperty(*adapter, property)).value_or("");
    } catch (const std::exception&) {
        return {};
    }
}

std::vector<std::string> staticAddresses(const store::SiteProfile& site, const net::ExtraSettings& extras)
{
    std::vector<std::string> addresses { site.IP };
    addresses.insert(addresses.end(), extras.MoreAddresses.begin(), extras.MoreAddresses.end());
    return addresses;
}

// What the link says of one address. The adapter's own hardware address answering is no other host:
// some services answer for an address the adapter holds already.
net::AddressAnswer probeAddress(StepContext& context, const std::string& address, const std::string& ownMAC)
{
    net::AddressAnswer answer;
    try {
        answer = context.Service().ProbeAddress(context.AdapterNumber(), address, kAddressProbeTime);
    } catch (const std::exception&) {
        return {};
    }
    if (answer.state == net::AddressAnswer::State::Taken && net::SameMACAddress(answer.holderMAC, ownMAC))
        return { net::AddressAnswer::State::Free, {} };
    return answer;
}

} // namespace

std::optional<StepOutcome> DisconnectStep::Run(StepContext& context)
{
    const std::vector<std::string>& names = context.Extras().DisconnectOnApply;
    if (names.empty() || !context.Adapter())
        return std::nullopt;
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在断开系统连接，请稍候..."));
    return switchConnections(context, "DisconnectOnApply", net::AdapterMethod::DeactivateConnection, names,
                             { LANVEX_TR_NOOP("net", "已断开连接“%1”。"), LANVEX_TR_NOOP("net", "断开连接“%1”失败。"),
                               kConnectionUnknownText });
}

std::vector<SettingChange> DisconnectStep::Preview(const PreviewContext& context) const
{
    if (context.extras.DisconnectOnApply.empty())
        return {};
    return { { "DisconnectOnApply", std::nullopt, JoinValues(context.extras.DisconnectOnApply) } };
}

std::optional<StepOutcome> WiFiStep::Run(StepContext& context)
{
    const std::string& ssid = context.Extras().WiFi;
    if (ssid.empty() || !context.Adapter())
        return std::nullopt;
    constexpr const char* kJoinedText = LANVEX_TR_NOOP("net", "已连接Wi-Fi网络“%1”。");
    // Joined already: joining again would only drop the link for a moment.
    if (adapterText(context, "SSID") == ssid)
        return MakeOutcome("WiFi", true, 0, { { kJoinedText, { ssid } } });
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在连接Wi-Fi网络，请稍候..."));
    const std::uint32_t result = changeWith(context, net::AdapterMethod::ConnectWiFi, ssid);
    if (result == 0)
        return MakeOutcome("WiFi", true, 0, { { kJoinedText, { ssid } } });
    if (result == net::kProfileNotFound || result == net::kNetworkNotInRange) {
        StepOutcome stopped
            = MakeOutcome("WiFi", false, kWiFiUnavailable,
                          { { result == net::kProfileNotFound
                                  ? LANVEX_TR_NOOP("net", "系统中没有Wi-Fi网络“%1”的已保存配置，设置未生效。")
                                  : LANVEX_TR_NOOP("net", "找不到Wi-Fi网络“%1”，它不在范围内，设置未生效。"),
                              { ssid } } });
        stopped.stops = true;
        return stopped;
    }
    return MakeOutcome("WiFi", false, kWiFiFailed, { { LANVEX_TR_NOOP("net", "连接Wi-Fi网络“%1”失败。"), { ssid } } });
}

std::vector<SettingChange> WiFiStep::Preview(const PreviewContext& context) const
{
    if (context.extras.WiFi.empty())
        return {};
    return { { "WiFi", context.adapter.Network.SSID, context.extras.WiFi } };
}

std::optional<StepOutcome> AddressCheckStep::Run(StepContext& context)
{
    if (!context.Extras().CheckAddress || !context.Adapter())
        return std::nullopt;
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在检查IP地址是否已被占用，请稍候..."));
    const std::string ownMAC = adapterText(context, "MACAddress");
    StepOutcome outcome = MakeOutcome("CheckAddress", true);
    for (const std::string& address : staticAddresses(context.Site(), context.Extras())) {
        const net::AddressAnswer answer = probeAddress(context, address, ownMAC);
        if (answer.state == net::AddressAnswer::State::Taken) {
            StepOutcome taken
                = MakeOutcome("CheckAddress", false, kAddressTaken,
                              { { LANVEX_TR_NOOP("net", "IP地址%1已被网卡地址为%2的另一台主机使用，设置未生效。"),
                                  { address, answer.holderMAC } } });
            taken.stops = true;
            return taken;
        }
        if (answer.state == net::AddressAnswer::State::NotChecked)
            outcome.lines.push_back({ LANVEX_TR_NOOP("net", "未能检查IP地址%1是否已被占用。"), { address } });
    }
    return outcome;
}

std::vector<SettingChange> AddressCheckStep::Preview(const PreviewContext& context) const
{
    if (!context.extras.CheckAddress)
        return {};
    return { { "CheckAddress", std::nullopt, JoinValues(staticAddresses(context.site, context.extras)) } };
}

std::optional<StepOutcome> FirewallZoneStep::Run(StepContext& context)
{
    const std::string& zone = context.Extras().FirewallZone;
    if (zone.empty())
        return std::nullopt;
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置防火墙区域，请稍候..."));
    const std::uint32_t result = changeWith(context, net::AdapterMethod::SetFirewallZone, zone);
    return MakeOutcome("FirewallZone", result == 0, result == 0 ? 0 : kFirewallZoneFailed,
                       { lineFor(result,
                                 { LANVEX_TR_NOOP("net", "防火墙区域已设为“%1”。"),
                                   LANVEX_TR_NOOP("net", "设置防火墙区域“%1”失败。") },
                                 zone) });
}

std::vector<SettingChange> FirewallZoneStep::Preview(const PreviewContext& context) const
{
    if (context.extras.FirewallZone.empty())
        return {};
    return { { "FirewallZone", context.adapter.FirewallZone, context.extras.FirewallZone } };
}

std::optional<StepOutcome> HostnameStep::Run(StepContext& context)
{
    const std::string& name = context.Extras().Hostname;
    if (name.empty())
        return std::nullopt;
    constexpr const char* kNamedText = LANVEX_TR_NOOP("net", "计算机名已设为“%1”。");
    if (net::EqualsNoCase(adapterText(context, "DNSHostName"), name))
        return MakeOutcome("Hostname", true, 0, { { kNamedText, { name } } });
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置计算机名，请稍候..."));
    const std::uint32_t result = changeWith(context, net::AdapterMethod::SetHostname, name);
    if (result == net::kResultAfterRestart)
        return MakeOutcome("Hostname", true, 0,
                           { { LANVEX_TR_NOOP("net", "计算机名已设为“%1”，重新启动后生效。"), { name } } });
    return MakeOutcome("Hostname", result == 0, result == 0 ? 0 : kHostnameFailed,
                       { lineFor(result, { kNamedText, LANVEX_TR_NOOP("net", "设置计算机名“%1”失败。") }, name) });
}

std::vector<SettingChange> HostnameStep::Preview(const PreviewContext& context) const
{
    if (context.extras.Hostname.empty())
        return {};
    return { { "Hostname", context.adapter.HostName, context.extras.Hostname } };
}

std::optional<StepOutcome> ConnectStep::Run(StepContext& context)
{
    const std::vector<std::string>& names = context.Extras().ConnectOnApply;
    if (names.empty())
        return std::nullopt;
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在建立系统连接，请稍候..."));
    return switchConnections(
        context, "ConnectOnApply", net::AdapterMethod::ActivateConnection, names,
        { LANVEX_TR_NOOP("net", "已连接“%1”。"), LANVEX_TR_NOOP("net", "连接“%1”失败。"), kConnectionUnknownText });
}

std::vector<SettingChange> ConnectStep::Preview(const PreviewContext& context) const
{
    if (context.extras.ConnectOnApply.empty())
        return {};
    return { { "ConnectOnApply", std::nullopt, JoinValues(context.extras.ConnectOnApply) } };
}

} // namespace lanvex::apply
