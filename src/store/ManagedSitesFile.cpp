#include "store/ManagedSitesFile.h"

#include "store/IniFile.h"
#include "store/SettingsLocation.h"
#include "store/SiteStore.h"

#include <cerrno>
#include <iterator>

namespace lanvex::store {

std::shared_ptr<const ManagedSites> ReadManagedSites(const std::string& path)
{
    auto managed = std::make_shared<ManagedSites>();
    managed->path = path;
    if (path.empty())
        return managed;
    const ReadResult read = IniFile(path).Read();
    if (!read.ok) {
        managed->problem = read.error;
        return managed;
    }
    managed->protectedFile = read.stamp.adminOnly;
    SiteListModel model = LoadSiteModel(read.document, std::nullopt);
    managed->sites.assign(std::make_move_iterator(model.SiteProfiles.begin() + 1),
                          std::make_move_iterator(model.SiteProfiles.end()));
    return managed;
}

std::shared_ptr<const ManagedSites> ReadManagedSites()
{
    return ReadManagedSites(ManagedSettingsPath());
}

std::string DescribeManagedSettings(const std::string& path)
{
    return "Sites handed out by the organisation (read-only): " + path + "\n";
}

} // namespace lanvex::store
