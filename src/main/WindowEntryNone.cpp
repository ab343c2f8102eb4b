#include "main/WindowEntry.h"

#include <iostream>

namespace lanvex::entry {

int RunWindow(const cli::CommandLine&)
{
    std::cerr << "lanvex: this build has no window; give a command\n\n" << cli::UsageText();
    return 2;
}

int RunSwitch(const cli::CommandLine&)
{
    std::cerr << "lanvex: this build has no window to hand a site to\n";
    return 2;
}

void PrepareConsoleCommand() { }

} // namespace lanvex::entry
