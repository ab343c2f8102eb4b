#pragma once

#include "cli/CommandLine.h"
#include "store/SettingsLocation.h"

#include <functional>
#include <iosfwd>

namespace lanvex::cli {

// Runs a command-line call other than the window: --version, --help, --list, --export, --import,
// --adapters or --apply, and returns its exit code. `beforeService` runs first for the calls that
// go beyond reading the settings file (on Linux it makes the Qt application object that D-Bus and
// the translations want).
int RunConsoleCommand(const CommandLine& line, const store::SettingsLocation& settings, std::ostream& out,
                      std::ostream& err, const std::function<void()>& beforeService = {});

} // namespace lanvex::cli
