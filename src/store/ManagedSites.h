#pragma once

#include "store/SiteProfile.h"

#include <memory>
#include <string>
#include <vector>

namespace lanvex::store {

// The sites an organisation hands out: a second settings file of the same form, which the program
// reads and never writes (ManagedSettingsPath). Its sites follow the user's own in the list.
struct ManagedSites
{
    std::string path;
    std::vector<SiteProfile> sites; // in the file's list order
    // Why the file could not be read, to be said once; empty when it was read or is absent.
    std::string problem;
};

// Reads the organisation's file at `path`. A file that isn't there gives no sites and no problem;
// one that can't be read gives no sites and the reason. Never null.
std::shared_ptr<const ManagedSites> ReadManagedSites(const std::string& path);

// The organisation's file where this system keeps it (ManagedSettingsPath).
std::shared_ptr<const ManagedSites> ReadManagedSites();

// One line for --help: the organisation's file.
std::string DescribeManagedSettings(const std::string& path);

} // namespace lanvex::store
