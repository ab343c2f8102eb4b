#include "cli/WatchCommand.h"

#include <ostream>

namespace lanvex::cli {

// The console build has no event loop to wait in; the window build (lanvex.exe with Qt) watches.
int RunWatchCommand(platform::Services&, const std::optional<std::string>&, std::ostream&, std::ostream& err)
{
    err << "lanvex: --watch needs the build with the window\n";
    return 1;
}

} // namespace lanvex::cli
