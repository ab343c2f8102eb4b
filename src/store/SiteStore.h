#pragma once

#include "store/IniDocument.h"
#include "store/SiteListModel.h"
#include "store/SiteProfile.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace lanvex::store {

// The site list as stored in Common/Sites: names joined by ",", entry 0 left out, then the names
// the list could not hold.
std::string SiteListText(const SiteListModel& model);
// The same for a changed list of entry names (entry 0 first), before the model takes the change.
std::string SiteListText(const std::vector<std::string>& siteNames, const std::optional<std::string>& unlistedSites);

// The site list as the file stores it, every name as its own bytes: a name the file's code page
// cannot decode is written back exactly as it was, and the commands change one entry of the list
// as the file holds it now, never a list remembered from earlier.
class StoredSiteList
{
public:
    static StoredSiteList Read(const IniDocument& settings);

    std::size_t size() const { return names_.size(); }
    const std::string& Bytes(std::size_t i) const { return names_[i]; }
    // The names as the window shows them, with entry 0 in front, as the editor's name rules take them.
    std::vector<std::string> EntryNames(const IniDocument& settings) const;
    // Where the entry the window shows as `name`, the `occurrence`-th (from 0) of that name in its
    // list, stands now; nullopt when it was deleted or renamed in the meantime.
    std::optional<std::size_t> Find(const IniDocument& settings, const std::string& name, std::size_t occurrence) const;

    void Append(std::string bytes) { names_.push_back(std::move(bytes)); }
    void Replace(std::size_t i, std::string bytes) { names_[i] = std::move(bytes); }
    void Erase(std::size_t i) { names_.erase(names_.begin() + static_cast<std::ptrdiff_t>(i)); }
    // Whether another entry than `i` names the same section.
    bool SectionShared(const IniDocument& settings, std::size_t i) const;

    // Writes Common/Sites.
    bool Write(IniDocument& settings) const;

private:
    std::vector<std::string> names_;
};

// How many entries before `index` of `siteNames` carry the same name: which of equal names it is.
std::size_t OccurrenceOf(const std::vector<std::string>& siteNames, std::size_t index);

// Builds the model from a parsed settings file in one pass. Entry 0 takes `currentSettings`
// (named "本机当前设置", CurSiteIndex 0) when an adapter was selected, else stays empty. The
// organisation's sites in `managed` follow the own ones, except those an own site's name hides
// (letter case ignored, as sections are found).
SiteListModel LoadSiteModel(const IniDocument& settings, const std::optional<SiteProfile>& currentSettings,
                            std::shared_ptr<const ManagedSites> managed = nullptr);

// Reads the saved sites one at a time in list order, so that a long list never has to sit in
// memory whole. `site` takes each entry's record, unless the entry shares the section of an earlier
// one (equal names, letter case ignored): then `repeat` takes its name and that earlier entry,
// counted from 0, whose record the caller already has. Returns the names past kMaxSites as stored
// text, when there are any.
std::optional<std::string> VisitSavedSites(const IniDocument& settings, const std::function<void(SiteProfile&&)>& site,
                                           const std::function<void(std::string&&, std::size_t)>& repeat);

// Reads one site's twelve keys, and the optional keys after them, from its section.
SiteProfile ReadSite(const IniDocument& settings, const std::string& name);
// The same for a section named by its stored bytes; the record's Name is `name`.
SiteProfile ReadSite(const IniDocument& settings, IniDocument::FileBytes section, const std::string& name);

// Takes the saved sites (entries 1..N) from `settings`, keeping entry 0 (its name too),
// CurSiteIndex and the organisation's sites.
void ReplaceSites(SiteListModel& model, const IniDocument& settings);

// A switch of [Common] such as ApplyPrinter or AutoSwitch: written as 1 when on, removed when off,
// so a file that never had it stays as it was.
bool WriteCommonSwitch(IniDocument& settings, const char* key, bool on);
// [Common] ConfirmApply: written as 1 or 0 once the user chooses, as either may differ from the
// default, which depends on the session.
bool WriteConfirmApply(IniDocument& settings, bool on);

// Writes Sites and then the site's keys, the twelve in the stored order and then the optional ones
// that hold a value, into `settings`.
bool WriteSite(IniDocument& settings, const std::string& siteListText, const SiteProfile& site);
// The site's keys alone, for callers that write the list once after many sites.
bool WriteSiteKeys(IniDocument& settings, const SiteProfile& site);
// Writes the keys into the section named by its stored bytes.
bool WriteSiteKeys(IniDocument& settings, IniDocument::FileBytes section, const SiteProfile& site);

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
