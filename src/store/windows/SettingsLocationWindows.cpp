#include "store/SettingsLocation.h"
#include "store/Utf8Path.h"
#include "store/windows/WindowsText.h"

#include <filesystem>
#include <windows.h>
// The shell's headers need windows.h first.
#include <knownfolders.h>
#include <shlobj.h>

namespace lanvex::store {

namespace {

namespace fs = std::filesystem;

// A folder the shell names, or an empty path when it names none.
fs::path knownFolder(const KNOWNFOLDERID& id)
{
    PWSTR path = nullptr;
    fs::path folder;
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path)))
        folder = fs::path(path);
    CoTaskMemFree(path);
    return folder;
}

bool isInside(const fs::path& path, const fs::path& folder)
{
    if (folder.empty())
        return false;
    std::error_code error;
    const fs::path relative = fs::relative(path, folder, error);
    return !error && !relative.empty() && *relative.begin() != "..";
}

} // namespace

// An install for every user puts the program under Program Files, where a user can't write; as on
// Linux, such an installed program keeps each user's file in the user's config folder. A program
// anywhere else (a per-user install, a portable copy) keeps its file beside itself.
bool RunsFromInstalledBin(const std::string& executablePath)
{
    const fs::path folder = Utf8Path(executablePath).parent_path();
    return isInside(folder, knownFolder(FOLDERID_ProgramFiles))
        || isInside(folder, knownFolder(FOLDERID_ProgramFilesX86));
}

std::string UserHomeFolder()
{
    return Utf8Text(knownFolder(FOLDERID_Profile));
}

std::optional<std::string> UserConfigFolderSetting()
{
    const fs::path roaming = knownFolder(FOLDERID_RoamingAppData);
    return roaming.empty() ? std::nullopt : std::optional<std::string>(Utf8Text(roaming));
}

std::vector<std::string> ManagedSettingsCandidates()
{
    const fs::path programData = knownFolder(FOLDERID_ProgramData);
    if (programData.empty())
        return {};
    return { Utf8Text(programData / "Lanvex" / "lanvex.ini") };
}

} // namespace lanvex::store
