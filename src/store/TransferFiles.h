#pragma once

#include "store/SiteProfile.h"

#include <optional>
#include <string>
#include <vector>

namespace lanvex::store {

// The sites as a settings file of the Windows form: code page 936, CRLF line ends, Common/Sites
// and then one section per site with its twelve keys in their order. Nothing when a site holds
// text that code page 936 cannot store; `unstorable` then names that site.
std::optional<std::string> SettingsFileText(const std::vector<SiteProfile>& sites, std::string& unstorable);

// Whether all twelve keys of the site can be written, as they are, into a settings file of that
// encoding (UTF-8 with a byte-order mark, or code page 936).
bool SiteFitsSettingsFile(const SiteProfile& site, bool utf8File);

} // namespace lanvex::store
