#include "cli/StartCommands.h"

#include "apply/AdapterChoice.h"
#include "cli/ListCommand.h"
#include "platform/Autostart.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <ostream>

namespace lanvex::cli {

int RunAutostartCommand(std::optional<bool> on, const std::string& program, std::ostream& out, std::ostream& err)
{
    if (!on) {
        out << (platform::Autostart::IsOn() ? "on" : "off") << '\n';
        return out ? 0 : 1;
    }
    std::string error;
    if (!platform::Autostart::Set(*on, program, error)) {
        err << "lanvex: the login entry could not be " << (*on ? "written" : "removed") << ": " << error << '\n';
        return 1;
    }
    return 0;
}

int RunSwitchCommand(const std::string& siteName, std::ostream& err,
                     const std::function<HandOverResult(const std::string&)>& handOver)
{
    const store::SiteListModel model
        = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt, ReadManagedSitesFor(err));
    if (apply::FindSite(model, siteName) == nullptr) {
        err << "lanvex: no saved site is named " << siteName << '\n';
        return 1;
    }
    switch (handOver(siteName)) {
    case HandOverResult::Done:
        return 0;
    case HandOverResult::UnknownSite:
        err << "lanvex: the running lanvex has no site named " << siteName << '\n';
        return 1;
    case HandOverResult::NoCopy:
        break;
    }
    err << "lanvex: no running lanvex took the site, and none could be started\n";
    return 1;
}

} // namespace lanvex::cli
