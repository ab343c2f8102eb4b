#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lanvex::store {

// Why the settings file is where it is.
enum class SettingsSource
{
    ConfigOption, // named on the command line with --config
    BesideProgramExisting, // a file named after the program already sits beside it
    BesideProgramPortable, // the program runs from a build tree or a portable copy
    UserConfigFolder // an installed program with no file beside it
};

struct SettingsLocation
{
    std::string path;
    SettingsSource source = SettingsSource::BesideProgramPortable;
};

// What the choice of the settings file depends on, gathered from the system by FindSettingsLocation.
struct SettingsFacts
{
    std::optional<std::string> configOption; // --config FILE, as given
    std::string executablePath; // the running program, symbolic links resolved
    bool besideFileExists = false; // the file named after the program exists beside it
    bool runsFromInstalledBin = false; // the program sits in the bin folder it was installed to
    std::optional<std::string> xdgConfigHome; // UserConfigFolderSetting(): $XDG_CONFIG_HOME on Linux
    std::string home; // the user's home folder
};

// The one rule for the settings file, in every mode: --config FILE; else the file beside the
// program (named after it) when it exists or when the program is not installed; else
// lanvex/lanvex.ini in the user's config folder ($XDG_CONFIG_HOME, or ~/.config).
SettingsLocation ChooseSettingsLocation(const SettingsFacts& facts);

// Does an installed program sit in `programFolder`? Either it is the bin folder the build was
// configured to install to, or the installed desktop entry lies at `desktopEntryFromBin`
// relative to it (an installed tree under another prefix).
bool IsInstalledBinFolder(const std::string& programFolder, const std::string& installBinFolder,
                          const std::string& desktopEntryFromBin);

// What only the system tells, one half per OS. Whether the program at `executablePath` runs from
// the bin folder it was installed to: on Windows, an install for all users under Program Files; a
// per-user or portable Windows program keeps its file beside itself, as the Windows tool does.
// The user's home folder, and the config folder the system names (on Linux $XDG_CONFIG_HOME, on
// Windows the roaming application-data folder), for the user's own file.
bool RunsFromInstalledBin(const std::string& executablePath);
std::string UserHomeFolder();
std::optional<std::string> UserConfigFolderSetting();

// The organisation's read-only site list, in order of precedence: on Linux lanvex/lanvex.ini in
// each folder of $XDG_CONFIG_DIRS (default /etc/xdg), on Windows %ProgramData%\Lanvex\lanvex.ini.
std::vector<std::string> ManagedSettingsCandidates();
// The first candidate that exists, else the first (the one --help names).
std::string ManagedSettingsPath();

// Gathers the facts for the running program at `executablePath` and applies the rule.
SettingsLocation FindSettingsLocation(const std::optional<std::string>& configOption,
                                      const std::string& executablePath);

// Makes `location` the settings file of this run (IniFileName); a save into the user's config
// folder makes that folder when it is missing.
void UseSettingsLocation(const SettingsLocation& location);

// One line for --help: the file in use and why.
std::string DescribeSettingsLocation(const SettingsLocation& location);

} // namespace lanvex::store
