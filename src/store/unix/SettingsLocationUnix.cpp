#include "store/SettingsLocation.h"
#include "store/Utf8Path.h"

#include <cstdlib>
#include <pwd.h>
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

} // namespace lanvex::store
