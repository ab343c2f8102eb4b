#include "apply/ApplyRun.h"

#include "apply/AdapterChoice.h"
#include "apply/ApplyResult.h"
#include "apply/SitePrograms.h"

#include <exception>

namespace lanvex::apply {

namespace {

// The adapter the run goes to: --adapter's choice, else the site's own, else the default. Reads the
// adapters only when a name must be looked up.
struct ChosenAdapter
{
    Refusal refusal = Refusal::None;
    std::optional<std::int32_t> number; // nothing: no such adapter, or the service not reached
    std::int32_t failure = kAdapterNotFound;
    // The adapter as read to find it by name, so the restore point needs no second read.
    std::optional<net::AdapterEntry> read;
};

ChosenAdapter findByName(net::ServiceConnector& connector, const printer::PrinterSource& printers,
                         std::string_view name, Refusal whenAbsent)
{
    std::vector<net::AdapterEntry> adapters;
    try {
        adapters = net::QueryAdapters(connector, printers);
    } catch (const net::ServiceError&) {
        return { Refusal::None, std::nullopt, kServiceUnavailable, std::nullopt };
    }
    const auto found = FindAdapter(name, adapters);
    if (!found)
        return { whenAbsent, std::nullopt, kAdapterNotFound, std::nullopt };
    return { Refusal::None, adapters[*found].Index, kAdapterNotFound, std::move(adapters[*found]) };
}

ChosenAdapter chooseAdapter(net::ServiceConnector& connector, const printer::PrinterSource& printers,
                            const ApplyRequest& request)
{
    if (request.adapter) {
        const AdapterChoice choice = ParseAdapterChoice(*request.adapter);
        switch (choice.kind) {
        case AdapterChoice::Kind::Number:
            return { Refusal::None, choice.number, kAdapterNotFound, std::nullopt };
        case AdapterChoice::Kind::NoSuchNumber:
        case AdapterChoice::Kind::NotPositive:
            return { Refusal::None, std::nullopt, kAdapterNotFound, std::nullopt };
        case AdapterChoice::Kind::Name:
            break;
        }
        return findByName(connector, printers, choice.name, Refusal::NoSuchAdapterName);
    }
    const std::string& binding = request.site.Extras.Adapter;
    if (binding.empty())
        return { Refusal::None, request.defaultAdapter, kAdapterNotFound, std::nullopt };
    return findByName(connector, printers, binding, Refusal::BoundAdapterAbsent);
}

// The adapter as it is before the change, read once: as found by name, else by its number. On
// failure, the result that says why nothing was applied.
std::optional<net::AdapterEntry> readBefore(net::ServiceConnector& connector, const printer::PrinterSource& printers,
                                            const ChosenAdapter& chosen, std::int32_t& failure)
{
    failure = kAdapterNotFound;
    if (chosen.read)
        return chosen.read;
    try {
        std::vector<net::AdapterEntry> adapters = net::QueryAdapters(connector, printers);
        for (net::AdapterEntry& adapter : adapters)
            if (adapter.Index == *chosen.number)
                return std::move(adapter);
    } catch (const net::ServiceError&) {
        failure = kServiceUnavailable;
    }
    return std::nullopt;
}

// How long the service's checkpoint waits before it rolls back by itself, should this program end
// first: long enough for the programs and the checks to run before the answer is asked for.
std::uint32_t rollbackSeconds(const ApplyRequest& request, const std::optional<LeavingSite>& leaving)
{
    constexpr std::uint32_t kChangeAllowance = 60, kProgramAllowance = 5;
    const net::ExtraSettings extras = net::ReadExtraSettings(request.site);
    std::uint32_t seconds = request.keepSeconds;
    if (extras.Verifies())
        seconds += extras.VerifyTimeoutSeconds + kChangeAllowance;
    if (!request.site.Extras.RunOnApply.empty())
        seconds += extras.RunTimeoutSeconds + kProgramAllowance;
    if (leaving)
        seconds += net::ReadExtraSettings(leaving->site).RunTimeoutSeconds + kProgramAllowance;
    return seconds;
}

void finishApplied(ApplyRunResult& result, ApplyOutcome outcome)
{
    result.applied = std::move(outcome);
    result.summary = ApplySummaryText(result.applied);
}

void restore(ApplyRunResult& result, RestorePoint& restorePoint, net::ServiceConnector& connector,
             const ApplyRequest& request, ApplyListener& listener)
{
    result.restored = restorePoint.Restore(connector, request.site,
                                           [&listener](const std::string& text) { listener.Status(text); });
    result.restoreSummary = RestoreSummary(*result.restored, restorePoint.Before());
}

// After a successful apply that is to be confirmed: waits for the answer and keeps or restores.
void waitToKeep(ApplyRunResult& result, RestorePoint& restorePoint, net::ServiceConnector& connector,
                const ApplyRequest& request, ApplyListener& listener, KeepQuestion& question)
{
    restorePoint.StartTimeout(request.keepSeconds);
    listener.Applied(result.applied, ApplyListener::Next::AskToKeep);
    const KeepQuestion::Answer answer = question.Wait(request.keepSeconds, [&restorePoint] {
        try {
            return restorePoint.Keep();
        } catch (const std::exception&) {
            return false;
        }
    });
    question.Close();
    result.answer = answer;
    switch (answer) {
    case KeepQuestion::Answer::Kept:
    case KeepQuestion::Answer::Abandoned:
        return;
    case KeepQuestion::Answer::TooLate:
        // The service's own time ran out just before: it has put the settings back.
        result.restored = RestoreResult { NothingApplied(kApplyOk), true };
        result.restoreSummary = RestoreSummary(*result.restored, restorePoint.Before());
        return;
    case KeepQuestion::Answer::RestoreAsked:
    case KeepQuestion::Answer::TimedOut:
    case KeepQuestion::Answer::Interrupted:
        break;
    }
    restore(result, restorePoint, connector, request, listener);
}

// After the steps of a change that is to be confirmed: ask whether it stays, take it back at once
// when it failed, or let the service forget its checkpoint when nothing changed.
void settleConfirmable(ApplyRunResult& result, RestorePoint& restorePoint, net::ServiceConnector& connector,
                       const ApplyRequest& request, ApplyListener& listener, KeepQuestion& question)
{
    if (SettingsApplied(result.applied.Result)) {
        waitToKeep(result, restorePoint, connector, request, listener, question);
        return;
    }
    question.Close();
    if (MayHaveChanged(result.applied.Result)) {
        listener.Applied(result.applied, ApplyListener::Next::Restore);
        restore(result, restorePoint, connector, request, listener);
        return;
    }
    try {
        restorePoint.Keep();
    } catch (const std::exception&) { }
    listener.Applied(result.applied, ApplyListener::Next::Done);
}

// After the steps of a change that had a way back: takes back a change that failed its checks,
// else leaves it to be confirmed, or lets the service forget its checkpoint.
void settle(ApplyRunResult& result, RestorePoint& restorePoint, net::ServiceConnector& connector,
            const ApplyRequest& request, ApplyListener& listener, KeepQuestion* question)
{
    if ((result.applied.Result & kVerifyFailed) != 0) {
        if (question)
            question->Close();
        listener.Applied(result.applied, ApplyListener::Next::Restore);
        restore(result, restorePoint, connector, request, listener);
        return;
    }
    if (question) {
        settleConfirmable(result, restorePoint, connector, request, listener, *question);
        return;
    }
    // Checked, or failed before the checks as an apply without them would: the change stays.
    try {
        restorePoint.Keep();
    } catch (const std::exception&) { }
    listener.Applied(result.applied, ApplyListener::Next::Done);
}

} // namespace

int ApplyRunResult::ExitCode() const
{
    if (refusal == Refusal::NoSuchAdapterName)
        return 2;
    if (refusal != Refusal::None || restored)
        return 1;
    return ApplySucceeded(applied.Result) ? 0 : 1;
}

ApplyPreview PreviewApply(net::ServiceConnector& connector, const printer::PrinterSource& printers,
                          const ApplyRequest& request)
{
    ApplyPreview preview;
    ChosenAdapter chosen = chooseAdapter(connector, printers, request);
    preview.refusal = chosen.refusal;
    preview.failure = chosen.failure;
    if (chosen.refusal != Refusal::None || !chosen.number)
        return preview;
    preview.adapterNumber = *chosen.number;
    if (!chosen.read) {
        try {
            for (net::AdapterEntry& adapter : net::QueryAdapters(connector, printers))
                if (adapter.Index == *chosen.number)
                    chosen.read = std::move(adapter);
        } catch (const net::ServiceError&) {
            preview.failure = kServiceUnavailable;
            return preview;
        }
        if (!chosen.read)
            return preview;
    }
    preview.failure = kApplyOk;
    preview.changes = PreviewSteps(*chosen.read, request.site, &request.desktop);
    return preview;
}

ApplyRunResult RunApply(net::ServiceConnector& connector, const printer::PrinterSource& printers,
                        const ApplyRequest& request, ApplyListener& listener, KeepQuestion* question)
{
    ApplyRunResult result;
    const ChosenAdapter chosen = chooseAdapter(connector, printers, request);
    result.refusal = chosen.refusal;
    if (chosen.refusal != Refusal::None)
        return result;
    if (!chosen.number) {
        finishApplied(result, NothingApplied(chosen.failure));
        listener.Applied(result.applied, ApplyListener::Next::Done);
        return result;
    }
    result.adapterNumber = *chosen.number;

    KeepQuestion* const confirm = request.keepSeconds > 0 ? question : nullptr;
    const bool verifies = net::ReadExtraSettings(request.site).Verifies();
    std::optional<net::AdapterEntry> before;
    if (confirm || verifies || request.sites) {
        std::int32_t failure = kAdapterNotFound;
        before = readBefore(connector, printers, chosen, failure);
        if (!before && (confirm || verifies)) {
            if (confirm)
                confirm->Close();
            finishApplied(result, NothingApplied(failure));
            listener.Applied(result.applied, ApplyListener::Next::Done);
            return result;
        }
    }

    ApplySurroundings around;
    if (request.sites && before) {
        around.leaving = LeavingSiteOf(*request.sites, *before);
        // Applied again, a site is not left.
        if (around.leaving && around.leaving->site.Name == request.site.Name)
            around.leaving.reset();
    }
    around.origin = request.origin;
    around.programOutputToStderr = request.programOutputToStderr;

    std::unique_ptr<RestorePoint> restorePoint;
    if (confirm || verifies) {
        try {
            restorePoint = RestorePoint::TakeFor(connector, *before, rollbackSeconds(request, around.leaving));
        } catch (const net::CheckpointPending&) {
            // Its rollback would take this change back too, after it may have been kept.
            if (confirm)
                confirm->Close();
            finishApplied(result, NothingApplied(kEarlierChangePending));
            listener.Applied(result.applied, ApplyListener::Next::Done);
            return result;
        }
        if (!restorePoint->CheckpointRefusal().empty())
            listener.CheckpointRefused(restorePoint->CheckpointRefusal());
        // Checked, the change no longer needs the service's way back unless the user is to confirm it.
        if (!confirm)
            around.verified = [&restorePoint] {
                try {
                    restorePoint->Keep();
                } catch (const std::exception&) { }
            };
    }

    const StatusSink status = [&listener](const std::string& text) { listener.Status(text); };
    finishApplied(result, ApplySteps(connector, result.adapterNumber, request.site, &request.desktop, status, &around));
    if (!restorePoint) {
        listener.Applied(result.applied, ApplyListener::Next::Done);
        return result;
    }
    settle(result, *restorePoint, connector, request, listener, confirm);
    return result;
}

} // namespace lanvex::apply
