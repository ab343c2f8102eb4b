#pragma once

#include "store/IniFile.h"
#include "store/SiteProfile.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lanvex::store {

// A whole file the user named, read at once, or why it could not be read.
struct FileBytes
{
    bool ok = false;
    bool missing = false; // there is no such file
    std::string bytes;
    std::string error; // with the path and the system's reason
};
FileBytes ReadFileBytes(const std::string& path);

// Replaces `path` by `bytes` through a temporary file in the same folder, so the file is never
// left half-written.
WriteResult ReplaceFile(const std::string& path, std::string_view bytes);

// The sites as a settings file of the Windows form: code page 936, CRLF line ends, Common/Sites
// and then one section per site with its twelve keys in their order. Nothing when a site holds
// text that code page 936 cannot store; `unstorable` then names that site.
std::optional<std::string> SettingsFileText(const std::vector<SiteProfile>& sites, std::string& unstorable);

// Whether all twelve keys of the site can be written, as they are, into a settings file of that
// encoding (UTF-8 with a byte-order mark, or code page 936).
bool SiteFitsSettingsFile(const SiteProfile& site, bool utf8File);

} // namespace lanvex::store
