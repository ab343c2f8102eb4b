#include "store/SiteStore.h"

namespace lanvex::store {

namespace {

constexpr const char* kCommonSection = "Common";
constexpr const char* kSitesKey = "Sites";

} // namespace

std::string SiteListText(const std::vector<std::string>& siteNames, const std::optional<std::string>& unlistedSites)
{
    std::string text;
    for (std::size_t i = 1; i < siteNames.size(); ++i) {
        if (i > 1)
            text += ',';
        text += siteNames[i];
    }
    if (unlistedSites) {
        // The names the list could not hold follow the listed ones, as they stood in the file.
        text += ',';
        text += *unlistedSites;
    }
    return text;
}

std::string SiteListText(const SiteListModel& model)
{
    return SiteListText(model.SiteNames, model.UnlistedSites);
}

SiteProfile ReadSite(const IniDocument& settings, const std::string& name)
{
    const IniDocument::SectionReader section = settings.ReadSection(name);
    SiteProfile site;
    site.Name = name;
    site.DHCPEnabled = section.ReadInt("DHCPEnabled", 0) > 0;
    site.IP = section.ReadString("IP", "");
    site.SubNetMask = section.ReadString("SubNetMask", "");
    site.DefaultGateway = section.ReadString("DefaultGateway", "");
    site.ChangeDNS = section.ReadInt("ChangeDNS", 0) > 0;
    site.DNS = section.ReadString("DNS", "");
    site.AuxDNS = section.ReadString("AuxDNS", "");
    site.ChangeWINS = section.ReadInt("ChangeWINS", 0) > 0;
    site.WINS = section.ReadString("WINS", "");
    site.AuxWINS = section.ReadString("AuxWINS", "");
    site.ChangePrinter = section.ReadInt("ChangePrinter", 0) > 0;
    site.PrinterName = section.ReadString("PrinterName", "");
    return site;
}

SiteListModel LoadSiteModel(const IniDocument& settings, const std::optional<SiteProfile>& currentSettings)
{
    SiteListModel model;
    model.SiteNames.emplace_back(kCurrentSettingsName);
    // Read whole, not cut at 143 bytes: a save writes every name back.
    const std::string text = settings.Value(kCommonSection, kSitesKey).value_or(std::string());
    if (!text.empty()) {
        std::size_t start = 0;
        for (;;) {
            const auto comma = text.find(',', start);
            model.SiteNames.push_back(text.substr(start, comma - start));
            if (comma == std::string::npos)
                break;
            start = comma + 1;
            if (model.SiteNames.size() > kMaxSites) {
                model.UnlistedSites = text.substr(start);
                break;
            }
        }
    }
    model.SiteCount = static_cast<std::int32_t>(model.SiteNames.size());
    model.SiteProfiles.reserve(model.SiteNames.size());
    if (currentSettings) {
        model.SiteProfiles.push_back(*currentSettings);
        model.SiteProfiles.front().Name = kCurrentSettingsName;
        model.CurSiteIndex = 0;
    } else {
        model.SiteProfiles.emplace_back();
    }
    for (std::size_t i = 1; i < model.SiteNames.size(); ++i)
        model.SiteProfiles.push_back(ReadSite(settings, model.SiteNames[i]));
    return model;
}

bool WriteSite(IniDocument& settings, const std::string& siteListText, const SiteProfile& site)
{
    return settings.WriteString(kCommonSection, kSitesKey, siteListText) && WriteSiteKeys(settings, site);
}

bool WriteSiteKeys(IniDocument& settings, const SiteProfile& site)
{
    const std::string& name = site.Name;
    const auto flag = [](bool on) { return on ? 1 : 0; };
    return settings.WriteInt(name, "DHCPEnabled", flag(site.DHCPEnabled)) && settings.WriteString(name, "IP", site.IP)
        && settings.WriteString(name, "SubNetMask", site.SubNetMask)
        && settings.WriteString(name, "DefaultGateway", site.DefaultGateway)
        && settings.WriteInt(name, "ChangeDNS", flag(site.ChangeDNS)) && settings.WriteString(name, "DNS", site.DNS)
        && settings.WriteString(name, "AuxDNS", site.AuxDNS)
        && settings.WriteInt(name, "ChangeWINS", flag(site.ChangeWINS)) && settings.WriteString(name, "WINS", site.WINS)
        && settings.WriteString(name, "AuxWINS", site.AuxWINS)
        && settings.WriteInt(name, "ChangePrinter", flag(site.ChangePrinter))
        && settings.WriteString(name, "PrinterName", site.PrinterName);
}

ScrollRange ScrollRangeFor(std::int32_t siteCount)
{
    ScrollRange range;
    if (siteCount <= 7)
        return range;
    range.visible = true;
    range.minimum = 1;
    range.maximum = siteCount - 6;
    range.singleStep = 1;
    range.pageStep = range.maximum < 7 ? range.maximum : 7;
    return range;
}

} // namespace lanvex::store
