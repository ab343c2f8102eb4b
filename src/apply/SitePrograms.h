#pragma once

#include "apply/ApplyStep.h"
#include "net/AdapterQuery.h"
#include "store/SiteListModel.h"

#include <memory>
#include <optional>
#include <string>
#include <string_view>

// The programs a site runs: on leaving it (RunOnLeave) before the next site's settings, and after
// its own apply (RunOnApply); and the program of [Common] RunOnUnknown for a network no site
// knows. Each runs as the user, split by the rules of a Windows command line, never by a shell.
namespace lanvex::apply {

// What the program is told in LANVEX_EVENT.
enum class ProgramEvent
{
    Apply,
    Leave,
    Unknown,
};

class LeaveProgramStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Leave; }
    std::optional<StepOutcome> Run(StepContext& context) override;
};

// Runs only after an apply whose settings all took, and whose checks passed.
class ArrivalProgramStep : public ApplyStep
{
public:
    StepGroup Group() const override { return StepGroup::Arrive; }
    std::optional<StepOutcome> Run(StepContext& context) override;
    std::vector<SettingChange> Preview(const PreviewContext& context) const override;
};

// The site live on the adapter whose settings are `adapterSettings` (entry 0 of `model` aside),
// when it has a program for leaving; where it comes from tells whether the program may run.
std::optional<LeavingSite> LeavingSiteOf(const store::SiteListModel& model, const net::AdapterEntry& adapter);

// The sites a run needs to find the one it leaves: a copy of the model when any of its sites has a
// program for leaving, else nothing, which costs nothing to pass along.
std::shared_ptr<const store::SiteListModel> SitesWithLeavePrograms(const store::SiteListModel& model);

// Where the model's entry `index` comes from.
SiteOrigin OriginOf(const store::SiteListModel& model, std::int32_t index);
// Where the model's site of this name comes from (an own site hides an organisation's of its name).
SiteOrigin OriginOfNamed(const store::SiteListModel& model, const std::string& name);

// What became of a program run outside an apply: its summary line, and whether it worked.
struct ProgramReport
{
    bool ok = true;
    SummaryLine line;
};

// Runs `commandText` for `event` on the adapter (its interface name, else its number) with the
// site's name and the apply's result in the environment. Refuses an organisation's program that
// may not run.
ProgramReport RunSiteProgram(std::string_view commandText, ProgramEvent event, const std::string& siteName,
                             const std::string& adapter, std::int32_t result, SiteOrigin origin,
                             std::uint32_t timeoutSeconds, bool outputToStderr);

} // namespace lanvex::apply
