#pragma once

#include "net/ManagementService.h"

#include <optional>
#include <string>
#include <vector>

namespace lanvex::net::nm {

// Method arguments: a list of texts (a single text counts as a list of one); nothing for other types.
std::optional<std::vector<std::string>> TextsOf(const Value& value);

} // namespace lanvex::net::nm
