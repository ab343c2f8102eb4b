#pragma once

#include "store/SiteProfile.h"

#include <string>
#include <vector>

namespace lanvex::store {

// The sites an organisation hands out: a second settings file of the same form, which the program
// reads and never writes (ManagedSettingsPath). Its sites follow the user's own in the list.
// ManagedSitesFile.h reads it.
struct ManagedSites
{
    std::string path;
    std::vector<SiteProfile> sites; // in the file's list order
    // Why the file could not be read, to be said once; empty when it was read or is absent.
    std::string problem;
    // Only an administrator can change the file: its sites may run programs given by absolute path.
    bool protectedFile = false;
};

} // namespace lanvex::store
