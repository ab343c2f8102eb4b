#include "app/ListCommand.h"

#include "app/ProfileJson.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <optional>
#include <ostream>
#include <string>

namespace lanvex::app {

int RunListCommand(std::ostream& out, std::ostream& err)
{
    const store::ReadResult read = store::IniFile(store::IniFileName).Read();
    if (!read.ok) {
        err << "lanvex: " << read.error << '\n';
        return 1;
    }
    // The same read as the window's start-up, without an adapter for entry 0.
    const store::SiteListModel model = store::LoadSiteModel(read.document, std::nullopt);
    WriteSiteListJson(model, out);
    return out ? 0 : 1;
}

void WriteSiteListJson(const store::SiteListModel& model, std::ostream& out)
{
    // One site per line, written as it is built, so a long list never sits in memory twice.
    out << '[';
    for (std::size_t i = 1; i < model.SiteProfiles.size(); ++i) {
        nlohmann::ordered_json site = ProfileJson(model.SiteProfiles[i]);
        site.erase("MACAddress"); // an adapter's field, never stored with a site
        out << (i > 1 ? ",\n" : "\n") << JsonText(site, -1);
    }
    out << (model.SiteProfiles.size() > 1 ? "\n]\n" : "]\n");
}

} // namespace lanvex::app
