#pragma once

#include "app/Platform.h"

#include <iosfwd>
#include <optional>
#include <string>

namespace lanvex::app {

// --adapters: the adapter list as JSON, each with its position, Index and current settings.
int RunAdaptersCommand(Platform& platform, std::ostream& out);

// --apply NAME [--adapter N]: applies a saved site and prints the summary lines.
// Exit code 0 for result 0 or 32, 1 for any other result, 2 for bad usage.
int RunApplyCommand(Platform& platform, const std::string& siteName, const std::optional<std::string>& adapterText,
                    std::ostream& out, std::ostream& err);

} // namespace lanvex::app
