// The channel between lanvex --apply --revert-after and lanvex --confirm: a named pipe of the
// user's own, one waiting end at a time; and the way back over WMI, as far as Wine's WMI answers.
#include "apply/ApplyResult.h"
#include "apply/RestorePoint.h"
#include "net/AdapterQuery.h"
#include "net/wmi/WmiConnector.h"
#include "platform/ConfirmChannel.h"
#include "printer/WinspoolPrinterSource.h"

#include <chrono>
#include <doctest/doctest.h>
#include <future>
#include <string>

using lanvex::platform::ConfirmReply;
using lanvex::platform::ConfirmWait;
using lanvex::platform::SendConfirm;
using namespace std::chrono_literals;

TEST_SUITE("confirm")
{
    TEST_CASE("a confirmation reaches the waiting end, which answers with what its keep step says")
    {
        for (const bool keep : { true, false }) {
            std::string error;
            std::unique_ptr<ConfirmWait> wait = ConfirmWait::Open(error);
            REQUIRE_MESSAGE(wait, error);
            std::future<ConfirmReply> reply = std::async(std::launch::async, [] { return SendConfirm(); });
            int keepSteps = 0;
            CHECK(wait->Wait(30s, [&] {
                ++keepSteps;
                return keep;
            }) == ConfirmWait::Outcome::Confirmed);
            CHECK(keepSteps == 1);
            CHECK(reply.get() == (keep ? ConfirmReply::Kept : ConfirmReply::NotKept));
            wait.reset();
            CHECK(SendConfirm() == ConfirmReply::NonePending);
        }
    }

    TEST_CASE("one waiting end at a time; a wait without a confirmation runs out")
    {
        std::string error;
        std::unique_ptr<ConfirmWait> wait = ConfirmWait::Open(error);
        REQUIRE_MESSAGE(wait, error);
        std::string second;
        CHECK(ConfirmWait::Open(second) == nullptr);
        CHECK(second.find("waiting") != std::string::npos);
        bool kept = false;
        CHECK(wait->Wait(300ms, [&] { return kept = true; }) == ConfirmWait::Outcome::TimedOut);
        CHECK_FALSE(kept);
    }
}

TEST_SUITE("wmi")
{
    TEST_CASE("over WMI the way back is a snapshot of the adapter, re-applied by the usual procedure")
    {
        lanvex::net::wmi::WmiConnector connector;
        lanvex::printer::WinspoolPrinterSource printers;
        const std::unique_ptr<lanvex::apply::RestorePoint> point
            = lanvex::apply::RestorePoint::Take(connector, printers, 1, 30);
        REQUIRE(point);
        CHECK_FALSE(point->RestoresWithoutProgram()); // WMI has no checkpoints
        CHECK(point->CheckpointRefusal().empty());
        const lanvex::store::SiteProfile live = lanvex::net::GetAdapterInfo(connector, printers, 1);
        CHECK(point->Before().Index == 1);
        CHECK(point->Before().Info.Description == live.Description);
        CHECK(point->Before().Info.IP == live.IP);
        CHECK(point->Before().Info.DHCPEnabled == live.DHCPEnabled);

        // A static adapter to go back to: Wine implements none of the adapter methods, so the
        // restore's apply fails at its first step, and says so.
        lanvex::net::AdapterEntry staticBefore = point->Before();
        staticBefore.Info.DHCPEnabled = false;
        staticBefore.Info.IP = "192.168.8.30";
        staticBefore.Info.SubNetMask = "255.255.255.0";
        lanvex::apply::RestorePoint back(staticBefore, nullptr, {});
        lanvex::store::SiteProfile applied;
        applied.DHCPEnabled = true;
        const lanvex::apply::RestoreResult restored = back.Restore(connector, applied, {});
        CHECK_FALSE(restored.ByCheckpoint);
        CHECK(restored.Outcome.Result == lanvex::apply::kStaticFailed);
        const std::string summary = lanvex::apply::RestoreSummary(restored, staticBefore);
        CHECK(summary.rfind("未能完全恢复网卡之前的设置：IP地址 192.168.8.30，子网掩码 255.255.255.0", 0) == 0);

        const auto beyond = static_cast<std::int32_t>(lanvex::net::ListAdapters(connector).size() + 1);
        CHECK(lanvex::apply::RestorePoint::Take(connector, printers, beyond, 30) == nullptr);
    }
}
