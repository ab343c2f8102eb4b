#include "cli/RevertCommand.h"

#include "cli/AdapterCommands.h"
#include "i18n/Translate.h"
#include "net/IPInfo.h"
#include "net/RestorePoint.h"
#include "platform/ConfirmChannel.h"

#include <chrono>
#include <ostream>
#include <string>

namespace lanvex::cli {

using i18n::Arg;
using i18n::Translate;
using i18n::TranslateLines;

namespace {

constexpr const char* kWaitingText
    = LANVEX_TR_NOOP("cli", "请在%1秒内运行 lanvex --confirm 保留新设置，否则将恢复之前的设置。");
constexpr const char* kKeptText = LANVEX_TR_NOOP("cli", "已确认，保留新设置。");
constexpr const char* kTimedOutText = LANVEX_TR_NOOP("cli", "%1秒内没有确认。");
constexpr const char* kInterruptedText = LANVEX_TR_NOOP("cli", "等待确认时被中断。");

// Puts the settings from before back and prints what was put back; exit code 1.
int restoreNow(const RevertibleApply& apply, net::RestorePoint& restorePoint, std::ostream& out)
{
    const net::RestoreResult restored = restorePoint.Restore(*apply.services.connector, apply.site, apply.progress);
    PrintSummaryLines(out, net::RestoreSummary(restored, restorePoint.Before(), apply.site));
    out.flush();
    return 1;
}

// The way back for the apply; nothing, with the apply's summary printed, when the adapter can't be
// read, as the apply itself would then fail.
std::unique_ptr<net::RestorePoint> takeRestorePoint(const RevertibleApply& apply, std::ostream& out, std::ostream& err)
{
    std::unique_ptr<net::RestorePoint> restorePoint;
    std::int32_t failure = net::kAdapterNotFound;
    try {
        restorePoint = net::RestorePoint::Take(*apply.services.connector, *apply.services.printers, apply.adapterNumber,
                                               apply.seconds);
    } catch (const net::ServiceError&) {
        failure = net::kServiceUnavailable;
    }
    if (!restorePoint) {
        PrintSummaryLines(out, TranslateLines("net", net::ApplySummary(failure, apply.site)));
        return nullptr;
    }
    if (!restorePoint->CheckpointRefusal().empty())
        err << "lanvex: the network service made no checkpoint (" << restorePoint->CheckpointRefusal()
            << "); lanvex restores the settings itself, so it must keep running until then\n";
    return restorePoint;
}

} // namespace

int RunRevertibleApply(const RevertibleApply& apply, std::ostream& out, std::ostream& err)
{
    std::string error;
    std::unique_ptr<platform::ConfirmWait> wait = platform::ConfirmWait::Open(error);
    if (!wait) {
        err << "lanvex: " << error << "; nothing was changed\n";
        return 1;
    }
    const std::unique_ptr<net::RestorePoint> restorePoint = takeRestorePoint(apply, out, err);
    if (!restorePoint)
        return 1;

    const std::int32_t result
        = net::ApplySite(*apply.services.connector, apply.desktop, apply.adapterNumber, apply.site, apply.progress);
    PrintSummaryLines(out, TranslateLines("net", net::ApplySummary(result, apply.site)));
    if (!net::ApplySucceeded(result)) {
        wait.reset();
        if (net::MayHaveChanged(result))
            return restoreNow(apply, *restorePoint, out);
        restorePoint->Keep(); // nothing to take back: the service may forget its checkpoint
        return 1;
    }

    restorePoint->StartTimeout();
    err << Arg(Translate("cli", kWaitingText), { std::to_string(apply.seconds) }) << '\n';
    out.flush();
    err.flush();
    bool kept = false;
    const platform::ConfirmWait::Outcome outcome = wait->Wait(std::chrono::seconds(apply.seconds), [&] {
        kept = restorePoint->Keep();
        return kept;
    });
    // No confirmation is taken from here on: one that comes now finds no change waiting.
    wait.reset();
    if (outcome == platform::ConfirmWait::Outcome::Confirmed && kept) {
        out << Translate("cli", kKeptText) << '\n';
        return 0;
    }
    if (outcome == platform::ConfirmWait::Outcome::Confirmed) {
        // The service's own time ran out just before: it has put the settings back.
        PrintSummaryLines(out, net::RestoreSummary({ net::kApplyOk, true }, restorePoint->Before(), apply.site));
        return 1;
    }
    out << (outcome == platform::ConfirmWait::Outcome::TimedOut
                ? Arg(Translate("cli", kTimedOutText), { std::to_string(apply.seconds) })
                : Translate("cli", kInterruptedText))
        << '\n';
    return restoreNow(apply, *restorePoint, out);
}

int RunConfirmCommand(std::ostream& out, std::ostream& err)
{
    switch (platform::SendConfirm()) {
    case platform::ConfirmReply::Kept:
        out << Translate("cli", kKeptText) << '\n';
        return 0;
    case platform::ConfirmReply::NotKept:
        err << "lanvex: the change had come to its end; its previous settings are back\n";
        return 1;
    case platform::ConfirmReply::NonePending:
        break;
    }
    err << "lanvex: no change is waiting for a confirmation\n";
    return 1;
}

} // namespace lanvex::cli
