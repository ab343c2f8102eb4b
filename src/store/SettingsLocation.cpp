#include "store/SettingsLocation.h"

#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/Utf8Path.h"

#include <filesystem>

namespace lanvex::store {

namespace fs = std::filesystem;

namespace {

// The XDG rules ignore a relative or empty $XDG_CONFIG_HOME.
fs::path userConfigFolder(const SettingsFacts& facts)
{
    if (facts.xdgConfigHome && Utf8Path(*facts.xdgConfigHome).is_absolute())
        return Utf8Path(*facts.xdgConfigHome);
    return Utf8Path(facts.home) / ".config";
}

bool sameFolder(const fs::path& a, const fs::path& b)
{
    std::error_code error;
    return fs::equivalent(a, b, error) && !error;
}

} // namespace

SettingsLocation ChooseSettingsLocation(const SettingsFacts& facts)
{
    if (facts.configOption) {
        std::error_code error;
        const fs::path absolute = fs::absolute(Utf8Path(*facts.configOption), error);
        return { error ? *facts.configOption : Utf8Text(absolute), SettingsSource::ConfigOption };
    }
    const std::string beside = SettingsPathForExecutable(facts.executablePath);
    if (facts.besideFileExists)
        return { beside, SettingsSource::BesideProgramExisting };
    if (!facts.runsFromInstalledBin)
        return { beside, SettingsSource::BesideProgramPortable };
    return { Utf8Text(userConfigFolder(facts) / "lanvex" / "lanvex.ini"), SettingsSource::UserConfigFolder };
}

bool IsInstalledBinFolder(const std::string& programFolder, const std::string& installBinFolder,
                          const std::string& desktopEntryFromBin)
{
    if (!installBinFolder.empty() && sameFolder(programFolder, installBinFolder))
        return true;
    std::error_code error;
    return !desktopEntryFromBin.empty() && fs::is_regular_file(fs::path(programFolder) / desktopEntryFromBin, error);
}

SettingsLocation FindSettingsLocation(const std::optional<std::string>& configOption, const std::string& executablePath)
{
    SettingsFacts facts;
    facts.configOption = configOption;
    facts.executablePath = executablePath;
    if (!configOption) {
        std::error_code error;
        // Any entry counts, a dangling symbolic link too: the user put it there.
        facts.besideFileExists = fs::symlink_status(Utf8Path(SettingsPathForExecutable(executablePath)), error).type()
            != fs::file_type::not_found;
        facts.runsFromInstalledBin = RunsFromInstalledBin(executablePath);
        facts.xdgConfigHome = UserConfigFolderSetting();
        facts.home = UserHomeFolder();
    }
    return ChooseSettingsLocation(facts);
}

std::string ManagedSettingsPath()
{
    const std::vector<std::string> candidates = ManagedSettingsCandidates();
    for (const std::string& candidate : candidates) {
        std::error_code error;
        if (fs::symlink_status(Utf8Path(candidate), error).type() != fs::file_type::not_found)
            return candidate;
    }
    return candidates.empty() ? std::string() : candidates.front();
}

void UseSettingsLocation(const SettingsLocation& location)
{
    IniFileName = location.path;
    MakeFolderOnFirstSave(location.source == SettingsSource::UserConfigFolder
                              ? Utf8Text(Utf8Path(location.path).parent_path())
                              : std::string());
}

std::string DescribeSettingsLocation(const SettingsLocation& location)
{
    std::string why;
    switch (location.source) {
    case SettingsSource::ConfigOption:
        why = "named by --config";
        break;
    case SettingsSource::BesideProgramExisting:
        why = "beside the program, named after it: the file exists there";
        break;
    case SettingsSource::BesideProgramPortable:
        why = "beside the program, named after it: the program is not installed, as in a build tree or a portable copy";
        break;
    case SettingsSource::UserConfigFolder:
        why = "the user's config folder: the program is installed and no settings file sits beside it";
        break;
    }
    return "Settings file: " + location.path + "\n  (" + why + ")\n";
}

} // namespace lanvex::store
