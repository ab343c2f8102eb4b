#pragma once

#include "store/IniFile.h"
#include "store/SiteProfile.h"

#include <functional>
#include <string>
#include <vector>

namespace lanvex::store {

// One site handed over in list order; `repeat`: its entry shares an earlier entry's section. False
// stops the visit.
using SiteVisitor = std::function<bool(const SiteProfile& site, bool repeat)>;
// Hands every site to the visitor in list order; false when the visitor stopped it.
using SiteSource = std::function<bool(const SiteVisitor& each)>;

// The sites as a settings file of the Windows form: code page 936, CRLF line ends, Common/Sites
// and then one section per site with its twelve keys in their order, made piece by piece into
// `sink`, so that the text never sits in memory whole. The list needs every name before the first
// section, so `sites` is visited twice. False when `sink` fails, or when a site holds text that
// code page 936 cannot store: `unstorable` then names that site.
bool WriteSettingsFileText(const SiteSource& sites, const ByteSink& sink, std::string& unstorable);

// Whether all twelve keys of the site can be written, as they are, into a settings file of that
// encoding (UTF-8 with a byte-order mark, or code page 936).
bool SiteFitsSettingsFile(const SiteProfile& site, bool utf8File);

} // namespace lanvex::store
