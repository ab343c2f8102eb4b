#pragma once

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
        Apply,
        Export,
        Import,
        Version,
        Help,
        Invalid
    };
    Mode mode = Mode::Window;
    std::optional<std::string> simulateFile; // --simulate FILE
    std::optional<std::string> configFile; // --config FILE
    std::string siteName; // --apply NAME
    std::optional<std::string> adapterText; // --adapter N, as given
    std::string transferFile; // --export FILE, --import FILE
    bool replace = false; // --replace: an import overwrites saved sites of the same name
    bool tray = false; // --tray: the window starts hidden, in the tray
    std::string error; // why the line is Invalid
};

// Parses the arguments after the program name.
CommandLine ParseCommandLine(const std::vector<std::string>& args);

// The --help text.
std::string UsageText();

} // namespace lanvex::cli
