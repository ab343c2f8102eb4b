#pragma once

#include <QtGlobal>

// Paths of the program's images: PNGs rendered from the SVGs at build time, compiled in as their
// pixels or as Qt resources (see Artwork).
#define LANVEX_ART(name) ":/" name ".png"

namespace lanvex::resources {
inline constexpr const char* kCurSiteIcon = LANVEX_ART("icons/cursite"); // "CURSITE": the live-settings entry
inline constexpr const char* kSiteIcon = LANVEX_ART("icons/site"); // "SITE": a saved site
// Drawn over the site icon of a site handed out by the organisation; 14 x 14.
inline constexpr const char* kManagedBadge = LANVEX_ART("icons/managed");
// Drawn over the site icon of a site whose network the chosen adapter is on; 14 x 14.
inline constexpr const char* kMatchBadge = LANVEX_ART("icons/matched");
inline constexpr const char* kNewIcon = LANVEX_ART("icons/new");
inline constexpr const char* kSaveIcon = LANVEX_ART("icons/save");
inline constexpr const char* kDeleteIcon = LANVEX_ART("icons/delete");
inline constexpr const char* kApplyIcon = LANVEX_ART("icons/apply");
inline constexpr const char* kExitIcon = LANVEX_ART("icons/exit");
inline constexpr const char* kAppIcon = LANVEX_ART("lanvex");
inline constexpr const char* kBanner = LANVEX_ART("banner"); // 283 x 68
} // namespace lanvex::resources

// Registers the resources. Needed when they sit in a static library that nothing else references;
// calling it more than once is harmless.
inline void lanvexInitResources()
{
#ifndef LANVEX_PACKED_ART
    Q_INIT_RESOURCE(lanvex);
#endif
}
