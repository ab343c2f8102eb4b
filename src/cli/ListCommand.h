#pragma once

#include <iosfwd>
#include <memory>

namespace lanvex::store {
struct ManagedSites;
}

namespace lanvex::cli {

// The organisation's sites for one command. A file that is there but can't be read is named on
// `err`; the user's own sites work as ever.
std::shared_ptr<const store::ManagedSites> ReadManagedSitesFor(std::ostream& err);

// --list: the saved sites as a JSON array, read the way the window's start-up reads them. A
// settings file that is there but cannot be read is named on `err`, with exit code 1.
int RunListCommand(std::ostream& out, std::ostream& err);

} // namespace lanvex::cli
