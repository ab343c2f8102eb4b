#pragma once

#include "store/IniDocument.h"
#include "store/SiteListModel.h"
#include "store/SiteProfile.h"

#include <optional>
#include <string>
#include <vector>

namespace lanvex::store {

// The site list as stored in Common/Sites: names joined by ",", entry 0 left out, then the names
// the list could not hold.
std::string SiteListText(const SiteListModel& model);
// The same for a changed list of entry names (entry 0 first), before the model takes the change.
std::string SiteListText(const std::vector<std::string>& siteNames, const std::optional<std::string>& unlistedSites);

// Builds the model from a parsed settings file in one pass. Entry 0 takes `currentSettings`
// (named "本机当前设置", CurSiteIndex 0) when an adapter was selected, else stays empty.
SiteListModel LoadSiteModel(const IniDocument& settings, const std::optional<SiteProfile>& currentSettings);

// Reads one site's twelve keys from its section.
SiteProfile ReadSite(const IniDocument& settings, const std::string& name);

// Writes Sites and then the site's twelve keys, in the stored order, into `settings`.
bool WriteSite(IniDocument& settings, const std::string& siteListText, const SiteProfile& site);
// The site's twelve keys alone, for callers that write the list once after many sites.
bool WriteSiteKeys(IniDocument& settings, const SiteProfile& site);

// The scroll bar of the list for a given entry count (shown only above seven entries).
struct ScrollRange
{
    bool visible = false;
    int minimum = 1;
    int maximum = 1;
    int singleStep = 1;
    int pageStep = 1;
};
ScrollRange ScrollRangeFor(std::int32_t siteCount);

} // namespace lanvex::store
