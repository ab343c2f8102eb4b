#pragma once

#include "store/SiteProfile.h"

#include <nlohmann/json.hpp>

namespace lanvex::app {

// A site record as a JSON object: the record's field names in their order, switches as booleans.
nlohmann::ordered_json ProfileJson(const store::SiteProfile& profile);

// JSON text for the console; text that is not valid UTF-8 is replaced, never thrown on.
std::string JsonText(const nlohmann::ordered_json& json, int indent);

} // namespace lanvex::app
