#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lanvex::cli {

// What the program was asked to do on its command line.
struct CommandLine
{
    enum class Mode
    {
        Window,
        List,
        Adapters,
        Detect,
        Watch,
        Apply,
        Confirm,
        Export,
        Import,
        Switch,
        Autostart,
        Version,
        Help,
        Invalid
    };
    Mode mode = Mode::Window;
    std::optional<std::string> simulateFile; // --simulate FILE
    std::optional<std::string> configFile; // --config FILE
    std::string siteName; // --apply NAME, --switch NAME
    std::optional<bool> autostart; // --autostart on|off; nothing: print how it stands
    std::optional<std::string> adapterText; // --adapter N, as given
    std::optional<std::uint32_t> revertAfter; // --revert-after SECONDS
    bool dryRun = false; // --dry-run: --apply only shows what it would change
    bool json = false; // --json: --apply answers with JSON
    std::string transferFile; // --export FILE, --import FILE
    bool replace = false; // --replace: an import overwrites saved sites of the same name
    bool tray = false; // --tray: the window starts hidden, in the tray
    std::string error; // why the line is Invalid
};

// The longest wait --revert-after takes: an hour.
inline constexpr std::uint32_t kMaxRevertSeconds = 3600;

// Parses the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The --help text.
std::string UsageText();

} // namespace lanvex::cli
