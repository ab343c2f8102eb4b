#include "apply/VerifyStep.h"

#include "apply/ApplyResult.h"
#include "i18n/Translatable.h"
#include "net/ServiceValues.h"

#include <chrono>
#include <exception>

namespace lanvex::apply {

namespace {

using Clock = std::chrono::steady_clock;

struct Probe
{
    net::ProbeKind kind;
    std::string target;
};

const char* failedText(net::ProbeKind kind)
{
    switch (kind) {
    case net::ProbeKind::Dns:
        return LANVEX_TR_NOOP("net", "核对失败：无法解析 %1。");
    case net::ProbeKind::Gateway:
        return LANVEX_TR_NOOP("net", "核对失败：网关 %1 没有回应。");
    case net::ProbeKind::Tcp:
        break;
    }
    return LANVEX_TR_NOOP("net", "核对失败：无法连接到 %1。");
}

// The adapter's default gateway as it is now: the site's own for a static site, what DHCP gave
// otherwise.
std::string newGateway(StepContext& context)
{
    if (!context.Site().DHCPEnabled)
        return context.Site().DefaultGateway;
    const net::ObjectRef adapter = context.AdapterByPath();
    if (!adapter)
        return {};
    try {
        return net::ElementOf(net::ReadProperty(*adapter, "DefaultIPGateway"), 0).value_or("");
    } catch (const std::exception&) {
        return {};
    }
}

std::vector<Probe> probesOf(StepContext& context)
{
    const net::ExtraSettings& extras = context.Extras();
    std::vector<Probe> probes;
    if (extras.VerifyGateway)
        probes.push_back({ net::ProbeKind::Gateway, newGateway(context) });
    for (const std::string& target : extras.VerifyTCP)
        probes.push_back({ net::ProbeKind::Tcp, target });
    for (const std::string& target : extras.VerifyDNS)
        probes.push_back({ net::ProbeKind::Dns, target });
    return probes;
}

// One probe, in the time left; a probe the service cannot make fails.
bool probeAnswers(StepContext& context, const Probe& probe, Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    if (probe.target.empty() || left.count() <= 0)
        return false;
    try {
        return context.Service().Probe(context.AdapterNumber(), probe.kind, probe.target, left);
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::optional<StepOutcome> VerifyStep::Run(StepContext& context)
{
    const ApplySurroundings* around = context.Surroundings();
    if (!around || !context.Extras().Verifies() || !SettingsApplied(context.ResultSoFar()))
        return std::nullopt;
    context.ShowStatus(LANVEX_TR_NOOP("net", "正在核对新的网络设置，请稍候..."));
    const Clock::time_point deadline = Clock::now() + std::chrono::seconds(context.Extras().VerifyTimeoutSeconds);
    for (const Probe& probe : probesOf(context)) {
        if (probeAnswers(context, probe, deadline))
            continue;
        StepOutcome failed
            = MakeOutcome("Verify", false, kVerifyFailed, { { failedText(probe.kind), { probe.target } } });
        failed.stops = true;
        return failed;
    }
    if (around->verified)
        around->verified();
    return MakeOutcome("Verify", true, 0, { LANVEX_TR_NOOP("net", "核对新的网络设置通过。") });
}

std::vector<SettingChange> VerifyStep::Preview(const PreviewContext& context) const
{
    const net::ExtraSettings& extras = context.extras;
    std::vector<SettingChange> checks;
    if (extras.VerifyGateway)
        checks.push_back({ "VerifyGateway", std::nullopt,
                           context.site.DHCPEnabled ? std::string("DHCP") : context.site.DefaultGateway });
    if (!extras.VerifyTCP.empty())
        checks.push_back({ "VerifyTCP", std::nullopt, JoinValues(extras.VerifyTCP) });
    if (!extras.VerifyDNS.empty())
        checks.push_back({ "VerifyDNS", std::nullopt, JoinValues(extras.VerifyDNS) });
    for (const std::string& target : extras.SkippedProbes)
        checks.push_back({ "Verify", std::nullopt, target, LANVEX_TR_NOOP("net", "此值有误，不会应用。") });
    return checks;
}

} // namespace lanvex::apply
