#pragma once

#include <iosfwd>

namespace lanvex::cli {

// The program's standard output and error as C++ streams, made when first used. <iostream> would
// set up all eight standard streams, and the C++ locale with them, at every start, the window's
// included; these write through C's stdout and stderr instead.
std::ostream& StandardOutput();
std::ostream& StandardError();

} // namespace lanvex::cli
