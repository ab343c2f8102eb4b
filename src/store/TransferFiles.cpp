#include "store/TransferFiles.h"

#include "store/SiteStore.h"

#include <algorithm>
#include <optional>
#include <string_view>

namespace lanvex::store {

namespace {

bool canHeadSection(const std::string& name)
{
    return name.find_first_not_of(" \t") != std::string::npos;
}

// Whether a site's section is the [Common] section, as sections are found: blanks around the name
// and the letter case of ASCII letters do not count.
bool namesCommonSection(const std::string& name)
{
    const std::size_t first = name.find_first_not_of(" \t");
    if (first == std::string::npos)
        return false;
    const std::string_view trimmed = std::string_view(name).substr(first, name.find_last_not_of(" \t") - first + 1);
    static constexpr std::string_view kCommon = "common";
    return trimmed.size() == kCommon.size()
        && std::equal(trimmed.begin(), trimmed.end(), kCommon.begin(),
                      [](char a, char b) { return (a >= 'A' && a <= 'Z' ? char(a - 'A' + 'a') : a) == b; });
}

// The first site that code page 936 cannot hold, for a list that could not be written.
std::string firstUnstorable(const SiteSource& sites)
{
    std::optional<std::string> first;
    std::optional<std::string> unstorable;
    sites([&](const SiteProfile& site, bool) {
        if (!first)
            first = site.Name;
        if (SiteFitsSettingsFile(site, false))
            return true;
        unstorable = site.Name;
        return false;
    });
    return unstorable.value_or(first.value_or(std::string()));
}

} // namespace

bool WriteSettingsFileText(const SiteSource& sites, const ByteSink& sink, std::string& unstorable)
{
    // A new document is code page 936 with CRLF line ends, as the Windows profile functions write.
    IniDocument head = IniDocument::Parse({});
    {
        std::vector<std::string> names { std::string(kCurrentSettingsName) };
        std::optional<SiteProfile> common; // a site named as [Common] has its keys in that section
        sites([&](const SiteProfile& site, bool repeat) {
            names.push_back(site.Name);
            if (!repeat && !common && namesCommonSection(site.Name))
                common = site;
            return true;
        });
        if (!head.WriteString("Common", "Sites", SiteListText(names, std::nullopt))) {
            unstorable = firstUnstorable(sites);
            return false;
        }
        if (common && !WriteSiteKeys(head, *common)) {
            unstorable = common->Name;
            return false;
        }
    }
    if (!sink(head.Serialize()))
        return false;
    bool written = true;
    sites([&](const SiteProfile& site, bool repeat) {
        // An entry without a name has no section to write, in the source file as here; an entry
        // that shares a section wrote it already.
        if (repeat || !canHeadSection(site.Name) || namesCommonSection(site.Name))
            return true;
        IniDocument section = IniDocument::Parse({});
        if (!WriteSiteKeys(section, site)) {
            unstorable = site.Name;
            return written = false;
        }
        return written = sink(section.Serialize());
    });
    return written;
}

bool SiteFitsSettingsFile(const SiteProfile& site, bool utf8File)
{
    // Written into an empty document of the same encoding, by the same rules as the real write.
    IniDocument scratch = IniDocument::Parse(utf8File ? std::string_view("\xEF\xBB\xBF") : std::string_view());
    return WriteSiteKeys(scratch, site);
}

} // namespace lanvex::store
