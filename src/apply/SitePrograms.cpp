#include "apply/SitePrograms.h"

#include "apply/ApplyResult.h"
#include "apply/NetworkMatch.h"
#include "apply/ProgramLauncher.h"
#include "i18n/Translatable.h"
#include "net/CommandText.h"
#include "net/ServiceValues.h"
#include "store/ManagedSites.h"

#include <algorithm>
#include <filesystem>

namespace lanvex::apply {

namespace {

constexpr const char* kRunningText = LANVEX_TR_NOOP("net", "正在运行程序，请稍候...");
constexpr const char* kRanText = LANVEX_TR_NOOP("net", "运行程序“%1”成功。");
constexpr const char* kExitedText = LANVEX_TR_NOOP("net", "程序“%1”运行失败，退出码为%2。");
constexpr const char* kNotStartedText = LANVEX_TR_NOOP("net", "无法启动程序“%1”：%2");
constexpr const char* kTimedOutText = LANVEX_TR_NOOP("net", "程序“%1”超过%2秒仍未结束，已被终止。");
constexpr const char* kUnprotectedText
    = LANVEX_TR_NOOP("net", "未运行程序“%1”：组织的设置文件并非只有管理员可以修改。");
constexpr const char* kRelativeText
    = LANVEX_TR_NOOP("net", "未运行程序“%1”：组织的办公位置只能运行以完整路径给出的程序。");
constexpr const char* kNoProgramText = LANVEX_TR_NOOP("net", "程序设置有误，未运行：%1");

std::string eventName(ProgramEvent event)
{
    switch (event) {
    case ProgramEvent::Leave:
        return "leave";
    case ProgramEvent::Unknown:
        return "unknown";
    case ProgramEvent::Apply:
        break;
    }
    return "apply";
}

// Why an organisation's program may not run; nothing when it may.
const char* refusalOf(const std::string& program, SiteOrigin origin)
{
    if (origin == SiteOrigin::UnprotectedOrganisation)
        return kUnprotectedText;
    if (origin == SiteOrigin::Organisation && !std::filesystem::path(program).is_absolute())
        return kRelativeText;
    return nullptr;
}

ProgramReport reportOf(const ProgramEnd& end, const std::string& program, std::uint32_t timeoutSeconds)
{
    switch (end.kind) {
    case ProgramEnd::Kind::NotStarted:
        return { false, { kNotStartedText, { program, end.error } } };
    case ProgramEnd::Kind::TimedOut:
        return { false, { kTimedOutText, { program, std::to_string(timeoutSeconds) } } };
    case ProgramEnd::Kind::Exited:
        break;
    }
    if (end.exitCode != 0)
        return { false, { kExitedText, { program, std::to_string(end.exitCode) } } };
    return { true, { kRanText, { program } } };
}

// The adapter as a program is told it: its interface name, else its number.
std::string adapterLabel(const StepContext& context)
{
    const net::ObjectRef adapter = context.Adapter();
    std::string name;
    if (adapter)
        net::ReadText(*adapter, "InterfaceName", name);
    return name.empty() ? std::to_string(context.AdapterNumber()) : name;
}

StepOutcome stepOutcome(const char* step, const ProgramReport& report)
{
    return MakeOutcome(step, report.ok, report.ok ? 0 : kProgramFailed, { report.line });
}

} // namespace

ProgramReport RunSiteProgram(std::string_view commandText, ProgramEvent event, const std::string& siteName,
                             const std::string& adapter, std::int32_t result, SiteOrigin origin,
                             std::uint32_t timeoutSeconds, bool outputToStderr)
{
    std::vector<std::string> arguments = net::SplitCommandText(commandText);
    if (arguments.empty() || arguments.front().empty())
        return { false, { kNoProgramText, { std::string(commandText) } } };
    const std::string program = arguments.front();
    if (const char* refusal = refusalOf(program, origin))
        return { false, { refusal, { program } } };
    ProgramLaunch launch;
    launch.arguments = std::move(arguments);
    launch.environment = { { "LANVEX_EVENT", eventName(event) },
                           { "LANVEX_SITE", siteName },
                           { "LANVEX_ADAPTER", adapter },
                           { "LANVEX_RESULT", std::to_string(result) } };
    launch.timeout = std::chrono::seconds(timeoutSeconds);
    launch.outputToStderr = outputToStderr;
    return reportOf(RunProgram(launch), program, timeoutSeconds);
}

std::optional<StepOutcome> LeaveProgramStep::Run(StepContext& context)
{
    const ApplySurroundings* around = context.Surroundings();
    if (!around || !around->leaving || around->leaving->site.Extras.RunOnLeave.empty())
        return std::nullopt;
    const LeavingSite& leaving = *around->leaving;
    context.ShowStatus(kRunningText);
    const ProgramReport report = RunSiteProgram(
        leaving.site.Extras.RunOnLeave, ProgramEvent::Leave, leaving.site.Name, adapterLabel(context), 0,
        leaving.origin, net::ReadExtraSettings(leaving.site).RunTimeoutSeconds, around->programOutputToStderr);
    return stepOutcome("RunOnLeave", report);
}

std::optional<StepOutcome> ArrivalProgramStep::Run(StepContext& context)
{
    const ApplySurroundings* around = context.Surroundings();
    const std::string& command = context.Site().Extras.RunOnApply;
    if (!around || command.empty() || !SettingsApplied(context.ResultSoFar()))
        return std::nullopt;
    context.ShowStatus(kRunningText);
    const ProgramReport report = RunSiteProgram(command, ProgramEvent::Apply, context.Site().Name,
                                                adapterLabel(context), context.ResultSoFar(), around->origin,
                                                context.Extras().RunTimeoutSeconds, around->programOutputToStderr);
    return stepOutcome("RunOnApply", report);
}

std::vector<SettingChange> ArrivalProgramStep::Preview(const PreviewContext& context) const
{
    if (context.site.Extras.RunOnApply.empty())
        return {};
    return { { "RunOnApply", std::nullopt, context.site.Extras.RunOnApply } };
}

SiteOrigin OriginOf(const store::SiteListModel& model, std::int32_t index)
{
    if (!store::IsManagedEntry(model, index))
        return SiteOrigin::Own;
    return model.Managed && model.Managed->protectedFile ? SiteOrigin::Organisation
                                                         : SiteOrigin::UnprotectedOrganisation;
}

SiteOrigin OriginOfNamed(const store::SiteListModel& model, const std::string& name)
{
    for (std::int32_t i = 1; i < model.SiteCount; ++i)
        if (model.SiteProfiles[static_cast<std::size_t>(i)].Name == name)
            return OriginOf(model, i);
    return SiteOrigin::Own;
}

std::optional<LeavingSite> LeavingSiteOf(const store::SiteListModel& model, const net::AdapterEntry& adapter)
{
    const std::optional<std::size_t> live = FindSitesOnNetwork(model.SiteProfiles, adapter).live;
    if (!live || model.SiteProfiles[*live].Extras.RunOnLeave.empty())
        return std::nullopt;
    return LeavingSite { model.SiteProfiles[*live], OriginOf(model, static_cast<std::int32_t>(*live)) };
}

std::shared_ptr<const store::SiteListModel> SitesWithLeavePrograms(const store::SiteListModel& model)
{
    const auto& sites = model.SiteProfiles;
    const bool any = std::any_of(sites.begin() + std::min<std::ptrdiff_t>(1, std::ssize(sites)), sites.end(),
                                 [](const store::SiteProfile& site) { return !site.Extras.RunOnLeave.empty(); });
    return any ? std::make_shared<const store::SiteListModel>(model) : nullptr;
}

} // namespace lanvex::apply
