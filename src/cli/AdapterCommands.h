#pragma once

#include "platform/Services.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace lanvex::cli {

// --adapters: the adapter list as JSON, each with its position, Index and current settings.
// A service that cannot be reached is an error (stderr, exit code 1), not an empty list.
int RunAdaptersCommand(platform::Services& services, std::ostream& out, std::ostream& err);

// --apply NAME [--adapter N]: applies a saved site and prints the summary lines. N is the adapter's
// number, counted from 1, or its interface name or MAC address; an unknown name is bad usage.
// Exit code 0 for result 0 or 32, 1 for any other result, 2 for bad usage.
int RunApplyCommand(platform::Services& services, const std::string& siteName,
                    const std::optional<std::string>& adapterText, std::ostream& out, std::ostream& err);

} // namespace lanvex::cli
