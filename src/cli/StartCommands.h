#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>

namespace lanvex::cli {

// --autostart on|off: writes or removes the login entry that starts `program --tray`; without a
// value, prints "on" or "off". Exit code 0, or 1 when the entry could not be changed.
int RunAutostartCommand(std::optional<bool> on, const std::string& program, std::ostream& out, std::ostream& err);

// What became of a site handed to the running copy of the program (or to the tray it started).
enum class HandOverResult
{
    Done,
    UnknownSite,
    NoCopy
};

// --switch NAME: a saved site is handed over by `handOver` to the copy that holds the settings
// file, which applies it. Exit code 0 once handed over; 1 for a name no saved site has (checked
// here first, so no copy is started for it) or when no copy took it.
int RunSwitchCommand(const std::string& siteName, std::ostream& err,
                     const std::function<HandOverResult(const std::string& siteName)>& handOver);

} // namespace lanvex::cli
