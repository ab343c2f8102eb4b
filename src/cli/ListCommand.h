#pragma once

#include <iosfwd>

namespace lanvex::cli {

// --list: the saved sites as a JSON array, read the way the window's start-up reads them. A
// settings file that is there but cannot be read is named on `err`, with exit code 1.
int RunListCommand(std::ostream& out, std::ostream& err);

} // namespace lanvex::cli
