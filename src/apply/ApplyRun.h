#pragma once

#include "apply/ApplyProcedure.h"
#include "apply/RestorePoint.h"
#include "net/ManagementService.h"
#include "store/SiteListModel.h"
#include "store/SiteProfile.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace lanvex::printer {
class PrinterSource;
}

// One apply from start to end, for every front end: the adapter chosen, the restore point taken
// when the change is to be confirmed, the steps run, the answer waited for, the change kept or
// taken back.
namespace lanvex::apply {

// How the user says a change stays: the window's countdown box, the command line's confirm
// channel. Called on the run's thread.
class KeepQuestion
{
public:
    enum class Answer
    {
        Kept,
        TooLate, // kept, but the service had rolled the change back already
        RestoreAsked, // the user wants the previous settings back
        TimedOut,
        Interrupted,
        Abandoned, // the front end is going away: nothing is kept or restored by the program
    };
    virtual ~KeepQuestion() = default;
    // Waits up to `seconds` for the answer. When the user says keep, `keep` is called and tells
    // whether the change could still stay (Kept) or not (TooLate).
    virtual Answer Wait(std::uint32_t seconds, const std::function<bool()>& keep) = 0;
    // No answer is taken from here on: the apply failed, or the answer came.
    virtual void Close() { }
};

// What the front end hears while a run goes on, on the run's thread, in order.
class ApplyListener
{
public:
    // What follows the steps.
    enum class Next
    {
        Done,
        AskToKeep, // the change waits for the KeepQuestion's answer
        Restore, // the apply failed after it may have changed something: the settings go back now
    };
    virtual ~ApplyListener() = default;
    // A progress text, untranslated (context "net").
    virtual void Status(const std::string& text) = 0;
    // The steps have ended (or never began: the outcome then says why).
    virtual void Applied(const ApplyOutcome& outcome, Next next) = 0;
    // The service gave no checkpoint; the program itself restores, so it must keep running.
    virtual void CheckpointRefused(const std::string& reason) { (void)reason; }
};

struct ApplyRequest
{
    store::SiteProfile site;
    // How the front end named the adapter (--adapter); it goes before the site's Adapter key.
    std::optional<std::string> adapter;
    // The adapter when neither names one: the window's chosen adapter, else the first.
    std::int32_t defaultAdapter = 1;
    DesktopTargets desktop;
    // Above 0: the change waits that long to be kept, and is taken back otherwise.
    std::uint32_t keepSeconds = 0;
    // The saved sites, to find the one live on the adapter before the apply, whose program for
    // leaving runs first (SitesWithLeavePrograms); null when no site has one.
    std::shared_ptr<const store::SiteListModel> sites;
    SiteOrigin origin = SiteOrigin::Own; // of `site`
    bool programOutputToStderr = false; // the command line shows the programs' output
};

// Why a run changed nothing before it began.
enum class Refusal
{
    None,
    NoSuchAdapterName, // --adapter named no present adapter
    BoundAdapterAbsent, // the site's Adapter key names no present adapter
};

struct ApplyRunResult
{
    Refusal refusal = Refusal::None;
    std::int32_t adapterNumber = 0; // where the apply went
    ApplyOutcome applied;
    std::string summary; // of the apply, translated
    std::optional<KeepQuestion::Answer> answer; // when one was waited for
    std::optional<RestoreResult> restored; // when the change was taken back
    std::string restoreSummary; // of the restore, translated

    // 0: applied and kept; 1: not applied, failed or taken back; 2: --adapter named nothing.
    int ExitCode() const;
};

// What a dry run found: the adapter chosen as a run would choose it, and what the steps would change.
struct ApplyPreview
{
    Refusal refusal = Refusal::None;
    std::int32_t adapterNumber = 0;
    // kServiceUnavailable or kAdapterNotFound when there is no adapter to ask; else 0.
    std::int32_t failure = 0;
    std::vector<SettingChange> changes;
};

// The dry run of RunApply: reads the adapters and asks every step, changes nothing.
ApplyPreview PreviewApply(net::ServiceConnector& connector, const printer::PrinterSource& printers,
                          const ApplyRequest& request);

ApplyRunResult RunApply(net::ServiceConnector& connector, const printer::PrinterSource& printers,
                        const ApplyRequest& request, ApplyListener& listener, KeepQuestion* question);

} // namespace lanvex::apply
