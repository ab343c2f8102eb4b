#include "app/ProfileJson.h"

namespace lanvex::app {

nlohmann::ordered_json ProfileJson(const store::SiteProfile& profile)
{
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    // The field names are distinct, so the members go straight into the ordered object's storage.
    auto& members = json.get_ref<nlohmann::ordered_json::object_t&>();
    members.reserve(15);
    const auto text = [&members](const char* key, const std::string& value) { members.emplace_back(key, value); };
    const auto flag = [&members](const char* key, bool value) { members.emplace_back(key, value); };
    text("Name", profile.Name);
    text("Description", profile.Description);
    flag("DHCPEnabled", profile.DHCPEnabled);
    text("IP", profile.IP);
    text("SubNetMask", profile.SubNetMask);
    text("DefaultGateway", profile.DefaultGateway);
    flag("ChangeDNS", profile.ChangeDNS);
    text("DNS", profile.DNS);
    text("AuxDNS", profile.AuxDNS);
    flag("ChangeWINS", profile.ChangeWINS);
    text("WINS", profile.WINS);
    text("AuxWINS", profile.AuxWINS);
    flag("ChangePrinter", profile.ChangePrinter);
    text("PrinterName", profile.PrinterName);
    text("MACAddress", profile.MACAddress);
    return json;
}

std::string JsonText(const nlohmann::ordered_json& json, int indent)
{
    return json.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

} // namespace lanvex::app
