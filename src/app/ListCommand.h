#pragma once

#include <iosfwd>

namespace lanvex::app {

// --list: the saved sites as a JSON array, read the way the window's start-up reads them.
int RunListCommand(std::ostream& out);

} // namespace lanvex::app
