#include "apply/OptionSteps.h"

#include "apply/ApplyResult.h"
#include "i18n/Translatable.h"
#include "net/AdapterConfiguration.h"

#include <algorithm>
#include <string_view>
#include <utility>

namespace lanvex::apply {

namespace {

// The IPv6 calls of a mode, in order.
std::vector<std::pair<net::AdapterMethod, std::vector<net::Value>>> ipv6Calls(const net::ExtraSettings& extras)
{
    using net::AdapterMethod;
    switch (extras.Mode) {
    case net::IPv6Mode::Off:
        return { { AdapterMethod::DisableIPv6, {} } };
    case net::IPv6Mode::Auto:
        return { { AdapterMethod::EnableIPv6, {} } };
    case net::IPv6Mode::Static:
        return { { AdapterMethod::SetIPv6Addresses, { extras.IPv6Addresses } },
                 { AdapterMethod::SetIPv6Gateway, { extras.IPv6Gateway } },
                 { AdapterMethod::SetIPv6DNSServers, { extras.IPv6DNS } } };
    case net::IPv6Mode::Keep:
        break;
    }
    return {};
}

} // namespace

std::optional<StepOutcome> DnsSuffixStep::Run(StepContext& context)
{
    const std::string& suffix = context.Extras().DNSSuffix;
    if (suffix.empty())
        return std::nullopt;
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置DNS后缀，请稍候..."));
    context.BeforeFirstChange();
    const std::uint32_t result
        = CallSkippingFailure(context.Adapter(), net::MethodName(net::AdapterMethod::SetDNSDomain), { suffix });
    return ChangeOutcome("DNSSuffix", result, kDnsSuffixFailed, LANVEX_TR_NOOP("net", "更新DNS后缀成功。"),
                         LANVEX_TR_NOOP("net", "更新DNS后缀失败。"));
}

std::optional<StepOutcome> IPv6Step::Run(StepContext& context)
{
    if (context.Extras().Mode == net::IPv6Mode::Keep)
        return std::nullopt;
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在设置IPv6，请稍候..."));
    context.BeforeFirstChange();
    const net::ObjectRef adapter = context.Adapter();
    std::uint32_t result = 0;
    for (const auto& [method, args] : ipv6Calls(context.Extras())) {
        result = CallSkippingFailure(adapter, net::MethodName(method), args);
        if (result != 0)
            break;
    }
    return ChangeOutcome("IPv6", result, kIPv6Failed, LANVEX_TR_NOOP("net", "更新IPv6设置成功。"),
                         LANVEX_TR_NOOP("net", "更新IPv6设置失败。"));
}

std::optional<StepOutcome> SkippedValuesStep::Run(StepContext& context)
{
    const std::vector<std::string>& invalid = context.Extras().InvalidKeys;
    const std::vector<std::string>& skippedProbes = context.Extras().SkippedProbes;
    if (invalid.empty() && skippedProbes.empty())
        return std::nullopt;
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
        { "RunTimeout", LANVEX_TR_NOOP("net", "程序时限有误，按60秒计。") },
        { "VerifyGateway", LANVEX_TR_NOOP("net", "核对网关的设置有误，未核对网关。") },
        { "VerifyTimeout", LANVEX_TR_NOOP("net", "核对时限有误，按10秒计。") },
    };
    const auto isInvalid
        = [&invalid](std::string_view key) { return std::find(invalid.begin(), invalid.end(), key) != invalid.end(); };
    StepOutcome outcome = MakeOutcome("SkippedValues", false, kExtraValueSkipped);
    for (const Skipped& skipped : kSkipped)
        if (isInvalid(skipped.key))
            outcome.lines.push_back(skipped.text);
    if (isInvalid("IPv6Mode") || isInvalid("IPv6Address") || isInvalid("IPv6Gateway") || isInvalid("IPv6DNS"))
        outcome.lines.push_back(LANVEX_TR_NOOP("net", "IPv6设置有误，未应用。"));
    for (const std::string& target : skippedProbes)
        outcome.lines.push_back({ LANVEX_TR_NOOP("net", "核对项“%1”有误，未核对。"), { target } });
    return outcome;
}

} // namespace lanvex::apply

namespace lanvex::apply {

std::vector<SettingChange> DnsSuffixStep::Preview(const PreviewContext& context) const
{
    if (context.extras.DNSSuffix.empty())
        return {};
    return { { "DNSDomain", context.adapter.Addresses.DNSDomain, context.extras.DNSSuffix } };
}

std::vector<SettingChange> IPv6Step::Preview(const PreviewContext& context) const
{
    const net::ExtraSettings& extras = context.extras;
    if (extras.Mode == net::IPv6Mode::Keep)
        return {};
    const net::AdapterAddresses& now = context.adapter.Addresses;
    std::vector<SettingChange> changes { { "IPv6Mode", now.IPv6Mode, std::string(net::IPv6ModeName(extras.Mode)) } };
    if (extras.Mode == net::IPv6Mode::Static) {
        changes.push_back({ "IPv6Address", JoinValues(now.IPv6Address), JoinValues(extras.IPv6Addresses) });
        changes.push_back({ "IPv6Gateway", JoinValues(now.IPv6Gateway), extras.IPv6Gateway });
        changes.push_back({ "IPv6DNS", JoinValues(now.IPv6DNS), JoinValues(extras.IPv6DNS) });
    }
    return changes;
}

std::vector<SettingChange> SkippedValuesStep::Preview(const PreviewContext& context) const
{
    std::vector<SettingChange> skipped;
    for (const std::string& key : context.extras.InvalidKeys)
        for (const store::ExtraKey& extra : store::kExtraKeys)
            if (key == extra.name)
                skipped.push_back({ key, std::nullopt, context.site.Extras.*extra.member,
                                    LANVEX_TR_NOOP("net", "此值有误，不会应用。") });
    return skipped;
}

} // namespace lanvex::apply
