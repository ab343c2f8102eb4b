#pragma once

#include "platform/Services.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace lanvex::cli {

// --watch: one line of JSON per adapter, with the fields of --detect, first for every adapter and
// then each time an adapter's line would read differently; a change that leaves it as it was
// prints nothing. Runs until ended. It watches what the window watches (the simulation file when
// `simulateFile` is given). Exit code 0 when stdout closes, 1 when the adapters cannot be read at
// the start.
int RunWatchCommand(platform::Services& services, const std::optional<std::string>& simulateFile, std::ostream& out,
                    std::ostream& err);

} // namespace lanvex::cli
