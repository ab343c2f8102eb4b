#include "app/ListCommand.h"

#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <nlohmann/json.hpp>
#include <ostream>

namespace lanvex::app {

int RunListCommand(std::ostream& out)
{
    // The same read as the window's start-up, without an adapter for entry 0.
    const store::SiteListModel model = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt);
    // One site per line, written as it is made: a long list costs no more than its sites.
    out << '[';
    for (std::size_t i = 1; i < model.SiteProfiles.size(); ++i) {
        const store::SiteProfile& site = model.SiteProfiles[i];
        const nlohmann::ordered_json entry = {
            { "Name", site.Name },
            { "Description", site.Description },
            { "DHCPEnabled", site.DHCPEnabled },
            { "IP", site.IP },
            { "SubNetMask", site.SubNetMask },
            { "DefaultGateway", site.DefaultGateway },
            { "ChangeDNS", site.ChangeDNS },
            { "DNS", site.DNS },
            { "AuxDNS", site.AuxDNS },
            { "ChangeWINS", site.ChangeWINS },
            { "WINS", site.WINS },
            { "AuxWINS", site.AuxWINS },
            { "ChangePrinter", site.ChangePrinter },
            { "PrinterName", site.PrinterName },
        };
        // Text from the file is valid UTF-8 already; replacing keeps a stray byte from aborting the list.
        out << (i > 1 ? ",\n" : "\n") << entry.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    }
    out << (model.SiteProfiles.size() > 1 ? "\n]\n" : "]\n");
    return out ? 0 : 1;
}

} // namespace lanvex::app
