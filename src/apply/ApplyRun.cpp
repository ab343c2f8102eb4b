#include "apply/ApplyRun.h"

#include "apply/AdapterChoice.h"
#include "apply/ApplyResult.h"

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

// The way back, taken before the change; on failure the outcome that says why nothing was applied.
std::unique_ptr<RestorePoint> takeRestorePoint(net::ServiceConnector& connector, const printer::PrinterSource& printers,
                                               const ChosenAdapter& chosen, std::uint32_t seconds,
                                               std::int32_t& failure)
{
    failure = kAdapterNotFound;
    if (chosen.read)
        return RestorePoint::TakeFor(connector, *chosen.read, seconds);
    try {
        return RestorePoint::Take(connector, printers, *chosen.number, seconds);
    } catch (const net::ServiceError&) {
        failure = kServiceUnavailable;
        return nullptr;
    }
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
    restorePoint.StartTimeout();
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
    if (ApplySucceeded(result.applied.Result)) {
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

    std::unique_ptr<RestorePoint> restorePoint;
    if (request.keepSeconds > 0 && question) {
        std::int32_t failure = kAdapterNotFound;
        restorePoint = takeRestorePoint(connector, printers, chosen, request.keepSeconds, failure);
        if (!restorePoint) {
            question->Close();
            finishApplied(result, NothingApplied(failure));
            listener.Applied(result.applied, ApplyListener::Next::Done);
            return result;
        }
        if (!restorePoint->CheckpointRefusal().empty())
            listener.CheckpointRefused(restorePoint->CheckpointRefusal());
    }

    const StatusSink status = [&listener](const std::string& text) { listener.Status(text); };
    finishApplied(result, ApplySteps(connector, result.adapterNumber, request.site, &request.desktop, status));
    if (!restorePoint) {
        listener.Applied(result.applied, ApplyListener::Next::Done);
        return result;
    }
    settleConfirmable(result, *restorePoint, connector, request, listener, *question);
    return result;
}

} // namespace lanvex::apply
