#include "store/TransferFiles.h"

#include "store/SiteStore.h"

namespace lanvex::store {

namespace {

bool canHeadSection(const std::string& name)
{
    return name.find_first_not_of(" \t") != std::string::npos;
}

} // namespace

std::optional<std::string> SettingsFileText(const std::vector<SiteProfile>& sites, std::string& unstorable)
{
    // A new document is code page 936 with CRLF line ends, as the Windows profile functions write.
    IniDocument settings = IniDocument::Parse({});
    std::vector<std::string> names { std::string(kCurrentSettingsName) };
    names.reserve(sites.size() + 1);
    for (const SiteProfile& site : sites)
        names.push_back(site.Name);
    if (!settings.WriteString("Common", "Sites", SiteListText(names, std::nullopt))) {
        unstorable = sites.empty() ? std::string() : sites.front().Name;
        for (const SiteProfile& site : sites) {
            if (!SiteFitsSettingsFile(site, false)) {
                unstorable = site.Name;
                break;
            }
        }
        return std::nullopt;
    }
    for (const SiteProfile& site : sites) {
        // An entry without a name has no section to write, in the source file as here.
        if (canHeadSection(site.Name) && !WriteSiteKeys(settings, site)) {
            unstorable = site.Name;
            return std::nullopt;
        }
    }
    return settings.Serialize();
}

bool SiteFitsSettingsFile(const SiteProfile& site, bool utf8File)
{
    // Written into an empty document of the same encoding, by the same rules as the real write.
    IniDocument scratch = IniDocument::Parse(utf8File ? std::string_view("\xEF\xBB\xBF") : std::string_view());
    return WriteSiteKeys(scratch, site);
}

} // namespace lanvex::store
