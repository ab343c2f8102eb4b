#include "store/SettingsLocation.h"

#include <cstdlib>

namespace lanvex::store {

bool RunsFromInstalledBin(const std::string&)
{
    return false;
}

std::string UserHomeFolder()
{
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
}

} // namespace lanvex::store
