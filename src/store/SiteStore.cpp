#include "store/SiteStore.h"

#include "store/ManagedSites.h"

#include <algorithm>
#include <functional>
#include <unordered_map>
#include <unordered_set>

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
    // The organisation's sites never enter the user's list.
    if (model.ManagedCount == 0)
        return SiteListText(model.SiteNames, model.UnlistedSites);
    const auto own = model.SiteNames.end() - model.ManagedCount;
    return SiteListText(std::vector<std::string>(model.SiteNames.begin(), own), model.UnlistedSites);
}

namespace {

SiteProfile readSite(const IniDocument::SectionReader& section, const std::string& name)
{
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
    // The optional keys are read whole: the 143-byte cut belongs to the twelve.
    for (const ExtraKey& key : kExtraKeys)
        site.Extras.*key.member = section.Value(key.name).value_or(std::string());
    return site;
}

// Calls `each` with every piece of the stored list text, split at every ",", and the text after
// the piece's comma (nullopt after the last piece). `each` returns false to stop. A "," byte is
// never part of a two-byte character.
template <typename Each> void forEachStoredName(std::string_view text, Each each)
{
    if (text.empty())
        return;
    for (std::size_t start = 0;;) {
        const std::size_t comma = text.find(',', start);
        if (comma == std::string_view::npos) {
            each(text.substr(start), std::optional<std::string_view>());
            return;
        }
        const std::string_view piece = text.substr(start, comma - start);
        start = comma + 1;
        if (!each(piece, std::optional<std::string_view>(text.substr(start))))
            return;
    }
}

// The stored list text, without a copy: valid while `settings` is unchanged.
std::string_view storedSiteList(const IniDocument& settings)
{
    return settings.ReadSection(kCommonSection).StoredView(kSitesKey).value_or(std::string_view());
}

// The optional keys after the twelve, each only when it holds a value; an emptied one is removed.
template <typename Section> bool writeExtraKeys(IniDocument& settings, const Section& name, const SiteExtras& extras)
{
    for (const ExtraKey& key : kExtraKeys) {
        const std::string& value = extras.*key.member;
        if (!(value.empty() ? settings.DeleteKey(name, key.name) : settings.WriteString(name, key.name, value)))
            return false;
    }
    return true;
}

template <typename Section> bool writeSiteKeys(IniDocument& settings, const Section& name, const SiteProfile& site)
{
    const auto flag = [](bool on) { return on ? 1 : 0; };
    return settings.WriteInt(name, "DHCPEnabled", flag(site.DHCPEnabled)) && settings.WriteString(name, "IP", site.IP)
        && settings.WriteString(name, "SubNetMask", site.SubNetMask)
        && settings.WriteString(name, "DefaultGateway", site.DefaultGateway)
        && settings.WriteInt(name, "ChangeDNS", flag(site.ChangeDNS)) && settings.WriteString(name, "DNS", site.DNS)
        && settings.WriteString(name, "AuxDNS", site.AuxDNS)
        && settings.WriteInt(name, "ChangeWINS", flag(site.ChangeWINS)) && settings.WriteString(name, "WINS", site.WINS)
        && settings.WriteString(name, "AuxWINS", site.AuxWINS)
        && settings.WriteInt(name, "ChangePrinter", flag(site.ChangePrinter))
        && settings.WriteString(name, "PrinterName", site.PrinterName) && writeExtraKeys(settings, name, site.Extras);
}

} // namespace

SiteProfile ReadSite(const IniDocument& settings, const std::string& name)
{
    return readSite(settings.ReadSection(name), name);
}

SiteProfile ReadSite(const IniDocument& settings, IniDocument::FileBytes section, const std::string& name)
{
    return readSite(settings.ReadSection(section), name);
}

namespace {

std::string sectionKey(std::string name)
{
    for (char& c : name) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return name;
}

// Appends the organisation's sites that no own site hides. Their own list holds kMaxSites at most.
void appendManagedSites(SiteListModel& model, std::shared_ptr<const ManagedSites> managed)
{
    model.Managed = std::move(managed);
    if (!model.Managed)
        return;
    std::unordered_set<std::string> ownNames;
    for (std::size_t i = 1; i < model.SiteNames.size(); ++i)
        ownNames.insert(sectionKey(model.SiteNames[i]));
    for (const SiteProfile& site : model.Managed->sites) {
        if (ownNames.count(sectionKey(site.Name)) > 0)
            continue;
        model.SiteNames.push_back(site.Name);
        model.SiteProfiles.push_back(site);
        ++model.ManagedCount;
    }
    model.SiteCount = static_cast<std::int32_t>(model.SiteNames.size());
}

} // namespace

std::optional<std::string> VisitSavedSites(const IniDocument& settings, const std::function<void(SiteProfile&&)>& site,
                                           const std::function<void(std::string&&, std::size_t)>& repeat)
{
    // Read whole, not cut at 143 bytes: a save writes every name back. Each site's section is
    // found by the name's stored bytes, so a name that does not decode still finds its settings.
    // Equal names (letter case ignored) share a section, which is read once: a long list of one
    // name over a large section must not read that section again for every entry.
    std::optional<std::string> unlisted;
    std::unordered_map<std::size_t, std::size_t> entryOfSection;
    std::size_t entries = 0;
    forEachStoredName(storedSiteList(settings), [&](std::string_view piece, std::optional<std::string_view> rest) {
        std::string name = settings.Decode(piece);
        const IniDocument::SectionReader section = settings.ReadSection(IniDocument::FileBytes { piece });
        const auto [first, isFirst] = entryOfSection.try_emplace(section.Identity(), entries);
        if (section.Identity() == 0 || isFirst)
            site(readSite(section, name));
        else
            repeat(std::move(name), first->second);
        if (++entries >= kMaxSites && rest) {
            unlisted = settings.Decode(*rest);
            return false;
        }
        return true;
    });
    return unlisted;
}

SiteListModel LoadSiteModel(const IniDocument& settings, const std::optional<SiteProfile>& currentSettings,
                            std::shared_ptr<const ManagedSites> managed)
{
    SiteListModel model;
    model.SiteNames.emplace_back(kCurrentSettingsName);
    if (currentSettings) {
        model.SiteProfiles.push_back(*currentSettings);
        model.SiteProfiles.front().Name = kCurrentSettingsName;
        model.CurSiteIndex = 0;
    } else {
        model.SiteProfiles.emplace_back();
    }
    // One record each, reserved up front: the records are large, and a grown vector holds them twice.
    const std::string_view list = storedSiteList(settings);
    const std::size_t listed = list.empty() ? 0 : std::count(list.begin(), list.end(), ',') + 1;
    model.SiteNames.reserve(std::min(listed, kMaxSites) + 1);
    model.SiteProfiles.reserve(std::min(listed, kMaxSites) + 1);
    model.UnlistedSites = VisitSavedSites(
        settings,
        [&model](SiteProfile&& site) {
            model.SiteNames.push_back(site.Name);
            model.SiteProfiles.push_back(std::move(site));
        },
        [&model](std::string&& name, std::size_t earlier) {
            SiteProfile same = model.SiteProfiles[earlier + 1];
            same.Name = name;
            model.SiteNames.push_back(std::move(name));
            model.SiteProfiles.push_back(std::move(same));
        });
    model.SiteCount = static_cast<std::int32_t>(model.SiteNames.size());
    appendManagedSites(model, std::move(managed));
    model.ApplyPrinter = settings.ReadInt(kCommonSection, "ApplyPrinter", 0) > 0;
    model.AutoSwitch = settings.ReadInt(kCommonSection, "AutoSwitch", 0) > 0;
    if (const std::int16_t confirm = settings.ReadInt(kCommonSection, "ConfirmApply", -1); confirm >= 0)
        model.ConfirmApply = confirm > 0;
    model.RunOnUnknown = settings.ReadString(kCommonSection, "RunOnUnknown", "");
    return model;
}

bool WriteConfirmApply(IniDocument& settings, bool on)
{
    return settings.WriteString(kCommonSection, "ConfirmApply", on ? "1" : "0");
}

bool WriteCommonSwitch(IniDocument& settings, const char* key, bool on)
{
    return on ? settings.WriteString(kCommonSection, key, "1") : settings.DeleteKey(kCommonSection, key);
}

void ReplaceSites(SiteListModel& model, const IniDocument& settings)
{
    SiteListModel fresh = LoadSiteModel(settings, std::nullopt, model.Managed);
    if (!model.SiteProfiles.empty())
        fresh.SiteProfiles.front() = std::move(model.SiteProfiles.front());
    if (!model.SiteNames.empty())
        fresh.SiteNames.front() = std::move(model.SiteNames.front()); // as the window names it
    fresh.CurSiteIndex = model.CurSiteIndex;
    model = std::move(fresh);
}

StoredSiteList StoredSiteList::Read(const IniDocument& settings)
{
    StoredSiteList list;
    forEachStoredName(storedSiteList(settings), [&](std::string_view piece, std::optional<std::string_view>) {
        list.names_.emplace_back(piece);
        return true;
    });
    return list;
}

std::vector<std::string> StoredSiteList::EntryNames(const IniDocument& settings) const
{
    std::vector<std::string> names;
    names.reserve(names_.size() + 1);
    names.emplace_back(kCurrentSettingsName);
    for (const std::string& stored : names_)
        names.push_back(settings.Decode(stored));
    return names;
}

std::optional<std::size_t> StoredSiteList::Find(const IniDocument& settings, const std::string& name,
                                                std::size_t occurrence) const
{
    // A name that encodes is compared by its bytes; one that does not came from bytes that do not
    // decode, and only decoding the stored names can find it.
    const std::optional<std::string> encoded = settings.Encode(name);
    for (std::size_t i = 0; i < names_.size(); ++i) {
        const bool same = encoded ? names_[i] == *encoded : settings.Decode(names_[i]) == name;
        if (same && occurrence-- == 0)
            return i;
    }
    return std::nullopt;
}

bool StoredSiteList::SectionShared(const IniDocument& settings, std::size_t i) const
{
    for (std::size_t j = 0; j < names_.size(); ++j) {
        if (j != i && settings.SameSectionName(names_[j], names_[i]))
            return true;
    }
    return false;
}

bool StoredSiteList::Write(IniDocument& settings) const
{
    std::size_t size = 0;
    for (const std::string& name : names_)
        size += name.size() + 1;
    std::string text;
    text.reserve(size);
    for (std::size_t i = 0; i < names_.size(); ++i) {
        if (i > 0)
            text += ',';
        text += names_[i];
    }
    return settings.WriteStoredValue(kCommonSection, kSitesKey, IniDocument::FileBytes { text });
}

std::size_t OccurrenceOf(const std::vector<std::string>& siteNames, std::size_t index)
{
    std::size_t earlier = 0;
    for (std::size_t i = 1; i < index && i < siteNames.size(); ++i)
        earlier += siteNames[i] == siteNames[index] ? 1 : 0;
    return earlier;
}

bool WriteSite(IniDocument& settings, const std::string& siteListText, const SiteProfile& site)
{
    return settings.WriteString(kCommonSection, kSitesKey, siteListText) && WriteSiteKeys(settings, site);
}

bool WriteSiteKeys(IniDocument& settings, const SiteProfile& site)
{
    return writeSiteKeys(settings, site.Name, site);
}

bool WriteSiteKeys(IniDocument& settings, IniDocument::FileBytes section, const SiteProfile& site)
{
    return writeSiteKeys(settings, section, site);
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
