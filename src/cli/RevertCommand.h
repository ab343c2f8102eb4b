#pragma once

#include "net/DesktopSteps.h"
#include "platform/Services.h"
#include "store/SiteProfile.h"

#include <cstdint>
#include <iosfwd>

namespace lanvex::cli {

// One --apply --revert-after: the site, the adapter it goes to and how long the change waits.
struct RevertibleApply
{
    platform::Services& services;
    const net::DesktopTargets& desktop;
    std::int32_t adapterNumber;
    const store::SiteProfile& site;
    std::uint32_t seconds;
    const net::StatusSink& progress;
};

// Applies the site as --apply does, then waits for `lanvex --confirm` of the same user. Kept: exit
// code 0. Not confirmed in time, or the wait interrupted: the adapter's previous settings are put
// back, stdout says what, exit code 1. A failed apply restores at once when it may have changed
// anything, and exits 1 without waiting.
int RunRevertibleApply(const RevertibleApply& apply, std::ostream& out, std::ostream& err);

// --confirm: keeps the change a --revert-after of this user waits for. Exit code 0 when one was
// kept, 1 (stderr says why) when none waited or it had ended.
int RunConfirmCommand(std::ostream& out, std::ostream& err);

} // namespace lanvex::cli
