#include "store/SettingsLocation.h"
#include "store/Utf8Path.h"

#include <cstdlib>
#include <filesystem>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

namespace lanvex::store {

bool RunsFromInstalledBin(const std::string& executablePath)
{
    // Both set by the build from the install layout.
    return IsInstalledBinFolder(Utf8Text(Utf8Path(executablePath).parent_path()), LANVEX_INSTALL_FULL_BINDIR,
                                LANVEX_DESKTOP_ENTRY_FROM_BIN);
}

std::string UserHomeFolder()
{
    if (const char* home = std::getenv("HOME"); home && *home)
        return home;
    if (const passwd* entry = ::getpwuid(::getuid()); entry && entry->pw_dir)
        return entry->pw_dir;
    return "/";
}

std::optional<std::string> UserConfigFolderSetting()
{
    const char* value = std::getenv("XDG_CONFIG_HOME");
    return value ? std::optional<std::string>(value) : std::nullopt;
}

// The XDG rules: a colon-separated list, relative entries ignored, /etc/xdg when unset or empty.
std::vector<std::string> ManagedSettingsCandidates()
{
    const char* value = std::getenv("XDG_CONFIG_DIRS");
    std::string_view dirs = value && *value ? value : "/etc/xdg";
    std::vector<std::string> candidates;
    while (!dirs.empty()) {
        const size_t colon = dirs.find(':');
        const std::string_view dir = dirs.substr(0, colon);
        if (!dir.empty() && dir.front() == '/')
            candidates.push_back((std::filesystem::path(dir) / "lanvex" / "lanvex.ini").string());
        dirs = colon == std::string_view::npos ? std::string_view() : dirs.substr(colon + 1);
    }
    if (candidates.empty())
        candidates.push_back("/etc/xdg/lanvex/lanvex.ini");
    return candidates;
}

} // namespace lanvex::store
