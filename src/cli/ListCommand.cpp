#include "cli/ListCommand.h"

#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/ManagedSitesFile.h"
#include "store/SiteStore.h"
#include "transfer/SiteJson.h"

#include <optional>
#include <ostream>
#include <string>

namespace lanvex::cli {

std::shared_ptr<const store::ManagedSites> ReadManagedSitesFor(std::ostream& err)
{
    std::shared_ptr<const store::ManagedSites> managed = store::ReadManagedSites();
    if (!managed->problem.empty())
        err << "lanvex: the organisation's sites are left out: " << managed->problem << '\n';
    return managed;
}

int RunListCommand(std::ostream& out, std::ostream& err)
{
    const store::ReadResult read = store::IniFile(store::IniFileName).Read();
    if (!read.ok) {
        err << "lanvex: " << read.error << '\n';
        return 1;
    }
    // The same read as the window's start-up, without an adapter for entry 0.
    const store::SiteListModel model = store::LoadSiteModel(read.document, std::nullopt, ReadManagedSitesFor(err));
    transfer::WriteSiteListJson(model, out);
    return out ? 0 : 1;
}

} // namespace lanvex::cli
