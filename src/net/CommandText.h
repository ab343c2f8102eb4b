#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lanvex::net {

// A program and its arguments as one text, split by the rules of a Windows command line, which
// the settings file shares with the Windows tool: blanks separate, double quotes group, `\"` is a
// quote and backslashes before a quote pair up. Nothing else is special: no variables, no `;`, no
// `|`, no globbing. The first item is the program; an empty list when the text holds none.
std::vector<std::string> SplitCommandText(std::string_view text);

} // namespace lanvex::net
