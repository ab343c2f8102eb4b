#include "apply/ApplyProcedure.h"

#include "apply/AddressSteps.h"
#include "apply/ApplyResult.h"
#include "apply/DesktopSteps.h"
#include "apply/NetworkAroundSteps.h"
#include "apply/OptionSteps.h"
#include "apply/SitePrograms.h"
#include "apply/VerifyStep.h"
#include "i18n/Translate.h"
#include "net/ServiceValues.h"

#include <exception>
#include <memory>

namespace lanvex::apply {

namespace {

using StepList = std::vector<std::unique_ptr<ApplyStep>>;

constexpr StepGroup kGroupOrder[]
    = { StepGroup::Leave,   StepGroup::Join,    StepGroup::Check,  StepGroup::Address, StepGroup::Routing,
        StepGroup::Options, StepGroup::Desktop, StepGroup::Around, StepGroup::Verify,  StepGroup::Arrive };

constexpr const char* kSavedNotLiveText = LANVEX_TR_NOOP("net", "新设置已保存，网卡接通网络后生效。");

StepList stepsFor(const store::SiteProfile& site, bool desktop, bool surroundings)
{
    StepList steps;
    if (surroundings) {
        steps.push_back(std::make_unique<LeaveProgramStep>());
        steps.push_back(std::make_unique<DisconnectStep>());
        steps.push_back(std::make_unique<WiFiStep>());
        steps.push_back(std::make_unique<AddressCheckStep>());
    }
    if (site.DHCPEnabled) {
        steps.push_back(std::make_unique<DhcpStep>());
    } else {
        steps.push_back(std::make_unique<StaticAddressStep>());
        steps.push_back(std::make_unique<GatewayStep>());
        steps.push_back(std::make_unique<DnsStep>());
        steps.push_back(std::make_unique<WinsStep>());
    }
    steps.push_back(std::make_unique<DnsSuffixStep>());
    steps.push_back(std::make_unique<IPv6Step>());
    steps.push_back(std::make_unique<SkippedValuesStep>());
    if (desktop) {
        steps.push_back(std::make_unique<ProxyStep>());
        steps.push_back(std::make_unique<PrinterStep>());
    }
    if (surroundings) {
        steps.push_back(std::make_unique<FirewallZoneStep>());
        steps.push_back(std::make_unique<HostnameStep>());
        steps.push_back(std::make_unique<ConnectStep>());
        steps.push_back(std::make_unique<VerifyStep>());
        steps.push_back(std::make_unique<ArrivalProgramStep>());
    }
    return steps;
}

// Runs every step of one group; false when the apply goes no further.
bool runGroup(StepGroup group, const StepList& steps, StepContext& context, ApplyOutcome& outcome)
{
    context.SetResultSoFar(outcome.Result);
    const std::size_t first = outcome.Steps.size();
    for (const auto& step : steps)
        if (step->Group() == group)
            if (std::optional<StepOutcome> done = step->Run(context)) {
                done->group = group;
                outcome.Steps.push_back(std::move(*done));
            }
    bool goesOn = true;
    for (std::size_t i = first; i < outcome.Steps.size(); ++i) {
        const StepOutcome& step = outcome.Steps[i];
        if (step.wholeResult) {
            outcome.Result = *step.wholeResult;
            return false;
        }
        outcome.Result |= step.bits;
        goesOn = goesOn && !step.stops;
    }
    return goesOn;
}

// The summaries that stand alone: nothing was changed, or the outcome is not known.
const char* wholeResultLine(std::int32_t result)
{
    switch (result) {
    case kServiceUnavailable:
        return LANVEX_TR_NOOP("net", "无法连接系统的网络管理服务，设置未生效。");
    case kAdapterNotFound:
        return LANVEX_TR_NOOP("net", "未找到所选网卡，设置未生效。");
    case kDhcpSwitchRaised:
        return LANVEX_TR_NOOP("net", "设定为DHCP工作方式失败。");
    case kNotPermitted:
        return LANVEX_TR_NOOP("net", "没有更改网络设置的权限，设置未生效。");
    case kEarlierChangePending:
        return LANVEX_TR_NOOP("net", "网卡上一次的更改还在等待确认或恢复，设置未生效。");
    case kOutcomeUnknown:
        return LANVEX_TR_NOOP("net", "网络管理服务没有及时回应，无法确定设置是否已生效。");
    default:
        return nullptr;
    }
}

// The lines of the steps in order; those of the gateway, DNS and WINS steps that worked come
// before those that failed.
std::vector<SummaryLine> stepLines(const std::vector<StepOutcome>& steps)
{
    std::vector<SummaryLine> lines;
    std::vector<SummaryLine> failedRouting;
    for (const StepOutcome& step : steps) {
        const bool routing = step.group == StepGroup::Routing;
        if (routing && !step.ok) {
            failedRouting.insert(failedRouting.end(), step.lines.begin(), step.lines.end());
            continue;
        }
        if (!routing && !failedRouting.empty()) {
            lines.insert(lines.end(), failedRouting.begin(), failedRouting.end());
            failedRouting.clear();
        }
        lines.insert(lines.end(), step.lines.begin(), step.lines.end());
    }
    lines.insert(lines.end(), failedRouting.begin(), failedRouting.end());
    return lines;
}

} // namespace

ApplyOutcome NothingApplied(std::int32_t result)
{
    return { result, {} };
}

ApplyOutcome ApplySteps(net::ServiceConnector& connector, std::int32_t adapterNumber, const store::SiteProfile& site,
                        const DesktopTargets* desktop, const StatusSink& showStatus,
                        const ApplySurroundings* surroundings)
{
    std::unique_ptr<net::ManagementService> service;
    std::vector<net::ObjectRef> adapterSet;
    net::ChangePermission permission = net::ChangePermission::Granted;
    try {
        service = connector.Connect(net::kApplyMoniker);
        if (!service)
            return NothingApplied(kServiceUnavailable);
        adapterSet = service->ExecQuery(net::kApplyQueryText, net::kQueryLanguage, net::kReturnImmediately);
        permission = service->MayChange();
    } catch (const std::exception&) {
        return NothingApplied(kServiceUnavailable);
    }
    if (permission == net::ChangePermission::Denied)
        return NothingApplied(kNotPermitted);

    StepContext context(*service, std::move(adapterSet), adapterNumber, site, desktop,
                        permission == net::ChangePermission::NeedsAuthorization, showStatus, surroundings);
    const StepList steps = stepsFor(site, desktop != nullptr, surroundings != nullptr);
    ApplyOutcome outcome;
    for (const StepGroup group : kGroupOrder)
        if (!runGroup(group, steps, context, outcome))
            break;
    return outcome;
}

std::vector<SettingChange> PreviewSteps(const net::AdapterEntry& adapter, const store::SiteProfile& site,
                                        const DesktopTargets* desktop)
{
    const net::ExtraSettings extras = net::ReadExtraSettings(site);
    const PreviewContext context { site, extras, adapter, desktop };
    const StepList steps = stepsFor(site, desktop != nullptr, true);
    std::vector<SettingChange> changes;
    for (const StepGroup group : kGroupOrder)
        for (const auto& step : steps)
            if (step->Group() == group)
                for (SettingChange& change : step->Preview(context))
                    changes.push_back(std::move(change));
    return changes;
}

std::string ApplySummaryText(const ApplyOutcome& outcome)
{
    if (const char* line = wholeResultLine(outcome.Result))
        return i18n::Translate("net", line);
    std::string summary;
    for (const SummaryLine& line : stepLines(outcome.Steps))
        summary.append(summary.empty() ? "" : "\r\n").append(TranslatedLine(line));
    if ((outcome.Result & kSavedNotLive) != 0 && !summary.empty())
        summary.append("\r\n").append(i18n::Translate("net", kSavedNotLiveText));
    return summary;
}

} // namespace lanvex::apply
