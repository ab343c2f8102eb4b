#pragma once

#include "store/ManagedSites.h"

#include <memory>
#include <string>

namespace lanvex::store {

// Reads the organisation's file at `path`. A file that isn't there gives no sites and no problem;
// one that can't be read gives no sites and the reason. Never null.
std::shared_ptr<const ManagedSites> ReadManagedSites(const std::string& path);

// The organisation's file where this system keeps it (ManagedSettingsPath).
std::shared_ptr<const ManagedSites> ReadManagedSites();

// One line for --help: the organisation's file.
std::string DescribeManagedSettings(const std::string& path);

} // namespace lanvex::store
