#pragma once

#include "store/SiteListModel.h"
#include "store/SiteProfile.h"

#include <iosfwd>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>

namespace lanvex::transfer {

// A site record as a JSON object: the record's field names in their order, switches as booleans.
nlohmann::ordered_json ProfileJson(const store::SiteProfile& profile);

// JSON text for the console; text that is not valid UTF-8 is replaced, never thrown on.
std::string JsonText(const nlohmann::ordered_json& json, int indent);

// One saved site as its line of the JSON array --list prints.
std::string SiteListRecord(const store::SiteProfile& profile, bool managed);

// The saved sites of `model` (entries 1..N) as the JSON array --list prints.
void WriteSiteListJson(const store::SiteListModel& model, std::ostream& out);

// A site record of that JSON array: the texts as strings, the switches as booleans (or numbers,
// true above 0). Fields that are missing stay empty; a field of another type spoils the record.
std::optional<store::SiteProfile> SiteFromJson(const nlohmann::json& item);

} // namespace lanvex::transfer
