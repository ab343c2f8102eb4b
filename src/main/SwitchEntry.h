#pragma once

#include "cli/CommandLine.h"

namespace lanvex::entry {

// --switch NAME once the Qt application object is made: the site goes to the copy that holds the
// settings file, or to the tray-only copy this starts (with the same --config and --simulate).
int HandSiteOver(const cli::CommandLine& line);

} // namespace lanvex::entry
