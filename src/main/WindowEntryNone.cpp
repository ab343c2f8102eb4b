#include "app/WindowEntry.h"

#include <iostream>

namespace lanvex::app {

int RunWindow(const CommandLine&)
{
    std::cerr << "lanvex: this build has no window; give a command\n\n" << UsageText();
    return 2;
}

void AttachParentConsole() { }

} // namespace lanvex::app
