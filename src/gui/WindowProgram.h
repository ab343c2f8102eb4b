#pragma once

#include <optional>
#include <string>

namespace lanvex::platform {
class SingleInstance;
}

namespace lanvex::gui {

// Opens the main window over the services of `simulateFile` (the system's own without it), or with
// `trayOnly` only its tray icon, and runs it until the program quits. `instance` is this
// process's claim on the settings file; a later start's request brings the window to the front.
int RunMainWindow(platform::SingleInstance& instance, const std::optional<std::string>& simulateFile, bool trayOnly);

} // namespace lanvex::gui
