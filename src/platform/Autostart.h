#pragma once

#include <string>

namespace lanvex::platform {

// The login entry that starts this program with only its tray icon (`--tray`) each time the user
// logs in: an XDG autostart desktop entry, or the Run value "Lanvex" of the user's registry.
// It names `program`, the full path of the program to start.
struct Autostart
{
    // Whether the user's entry is there.
    static bool IsOn();
    // Writes the entry for `program`, or removes it; false with `error` saying why it failed.
    // Removing an entry that is not there succeeds.
    static bool Set(bool on, const std::string& program, std::string& error);
    // Where the entry lives, for messages and tests: a file, or the registry value's name.
    static std::string Location();
};

// The launcher of a saved site on the user's desktop, which runs `program --switch NAME`: a
// desktop entry or a shell link. Returns the file written; empty with `error` saying why not.
std::string WriteSiteLauncher(const std::string& siteName, const std::string& program, std::string& error);

} // namespace lanvex::platform
