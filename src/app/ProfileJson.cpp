#include "app/ProfileJson.h"

namespace lanvex::app {

nlohmann::ordered_json ProfileJson(const store::SiteProfile& profile)
{
    return {
        { "Name", profile.Name },
        { "Description", profile.Description },
        { "DHCPEnabled", profile.DHCPEnabled },
        { "IP", profile.IP },
        { "SubNetMask", profile.SubNetMask },
        { "DefaultGateway", profile.DefaultGateway },
        { "ChangeDNS", profile.ChangeDNS },
        { "DNS", profile.DNS },
        { "AuxDNS", profile.AuxDNS },
        { "ChangeWINS", profile.ChangeWINS },
        { "WINS", profile.WINS },
        { "AuxWINS", profile.AuxWINS },
        { "ChangePrinter", profile.ChangePrinter },
        { "PrinterName", profile.PrinterName },
        { "MACAddress", profile.MACAddress },
    };
}

std::string JsonText(const nlohmann::ordered_json& json, int indent)
{
    return json.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace lanvex::app
