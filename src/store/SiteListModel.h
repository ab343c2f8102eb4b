#pragma once

#include "i18n/Translatable.h"
#include "store/SiteProfile.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace lanvex::store {

struct ManagedSites;

// The in-memory site list: entry 0 is the current-settings entry, entries 1..N the saved sites
// in the order of the settings file's site list.
struct SiteListModel
{
    std::vector<std::string> SiteNames;
    std::vector<SiteProfile> SiteProfiles;
    std::int32_t SiteCount = 0;
    // The entry that shows the adapter's live settings: -1 none, 0 once entry 0 holds them.
    std::int32_t CurSiteIndex = -1;
    // Names past the most the list holds (kMaxSites), kept as stored text so that every write of
    // the site list puts them back unchanged.
    std::optional<std::string> UnlistedSites;
    // The organisation's read-only sites, shared by every model built over them; the ones no own
    // site hides by its name are the last ManagedCount entries.
    std::shared_ptr<const ManagedSites> Managed;
    std::int32_t ManagedCount = 0;
    // [Common] ApplyPrinter: an apply makes a site's printer the user's default (off by default).
    bool ApplyPrinter = false;
    // [Common] AutoSwitch: the window and the tray switch to the site of a recognised network
    // (off until the user turns it on).
    bool AutoSwitch = false;
    // [Common] ConfirmApply: a window apply waits to be kept and is taken back otherwise. Nothing
    // until the user chooses; the window then decides by the session.
    std::optional<bool> ConfirmApply;
    // [Common] RunOnUnknown: the program switching by itself runs on a network no site matches.
    std::string RunOnUnknown;
};

// Whether `index` is one of the organisation's sites, which the user can apply but not change.
inline bool IsManagedEntry(const SiteListModel& model, std::int32_t index)
{
    return index >= model.SiteCount - model.ManagedCount && index < model.SiteCount;
}

// The entries that come from the user's own file: entry 0 and the own sites.
inline std::int32_t OwnEntryCount(const SiteListModel& model)
{
    return model.SiteCount - model.ManagedCount;
}

// The most sites the list holds. A hand-made site list longer than this (millions of commas)
// would otherwise cost gigabytes of memory; the names beyond it are kept, not shown.
inline constexpr std::size_t kMaxSites = 100000;
// Whether a list of `savedSites` sites takes one more: new sites and imports alike stop here.
inline constexpr bool SiteListHasRoom(std::size_t savedSites)
{
    return savedSites < kMaxSites;
}

// Name of the current-settings entry.
inline constexpr const char* kCurrentSettingsName = LANVEX_TR_NOOP("store", "本机当前设置");

} // namespace lanvex::store
