#pragma once

#include <QtGlobal>

// Paths of the program's images inside the compiled resources.
namespace lanvex::resources {
inline constexpr const char* kCurSiteIcon = ":/icons/cursite.svg"; // "CURSITE": the live-settings entry
inline constexpr const char* kSiteIcon = ":/icons/site.svg"; // "SITE": a saved site
inline constexpr const char* kNewIcon = ":/icons/new.svg";
inline constexpr const char* kSaveIcon = ":/icons/save.svg";
inline constexpr const char* kDeleteIcon = ":/icons/delete.svg";
inline constexpr const char* kApplyIcon = ":/icons/apply.svg";
inline constexpr const char* kExitIcon = ":/icons/exit.svg";
inline constexpr const char* kAppIcon = ":/lanvex.svg";
inline constexpr const char* kBanner = ":/banner.svg"; // 283 x 68
} // namespace lanvex::resources

// Registers the resources. Needed when they sit in a static library that nothing else references;
// calling it more than once is harmless.
inline void lanvexInitResources()
{
    Q_INIT_RESOURCE(lanvex);
}
