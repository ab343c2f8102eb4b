#pragma once

#include "apply/ApplyStep.h"
#include "net/ManagementService.h"
#include "store/SiteProfile.h"

#include <cstdint>
#include <string>
#include <vector>

// The apply procedure: the site's steps, run in order against one adapter.
namespace lanvex::apply {

// What an apply did: its result code (ApplyResultCode bits) and what each step that ran did.
struct ApplyOutcome
{
    std::int32_t Result = 0;
    std::vector<StepOutcome> Steps;
};

// An outcome with no step run: the service was not reached, the adapter is not there, ...
ApplyOutcome NothingApplied(std::int32_t result);

// Applies a site to the adapter whose Index is `adapterNumber`: its IPv4 steps, the steps of its
// optional keys and, unless `desktop` is null, the desktop's steps (proxy, default printer). With
// `surroundings`, first the program of the site left, and last the checks and the site's program.
ApplyOutcome ApplySteps(net::ServiceConnector& connector, std::int32_t adapterNumber, const store::SiteProfile& site,
                        const DesktopTargets* desktop, const StatusSink& showStatus,
                        const ApplySurroundings* surroundings = nullptr);

// What applying `site` to `adapter`, as read now, would change: every step of the apply is asked, in
// the order they run. Nothing is called on the service.
std::vector<SettingChange> PreviewSteps(const net::AdapterEntry& adapter, const store::SiteProfile& site,
                                        const DesktopTargets* desktop);

// The summary the user is shown for an outcome, translated, lines joined by "\r\n".
std::string ApplySummaryText(const ApplyOutcome& outcome);

} // namespace lanvex::apply
