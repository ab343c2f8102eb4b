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
    const std::string text = json.dump(indent, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    // The library escapes the controls below U+0020; DEL, the C1 controls and the two Unicode line
    // separators are escaped here too, so no control character reaches a terminal or a script raw.
    // Such bytes occur only inside strings, where an escape means the same character.
    std::string escaped;
    escaped.reserve(text.size());
    const auto escape = [&escaped](unsigned code) {
        static const char digits[] = "0123456789abcdef";
        escaped += "\\u";
        for (int shift = 12; shift >= 0; shift -= 4)
            escaped += digits[(code >> shift) & 0xF];
    };
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const auto next = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0u;
        if (byte == 0x7F) {
            escape(0x7F);
        } else if (byte == 0xC2 && next >= 0x80 && next <= 0x9F) {
            escape(next);
            ++i;
        } else if (byte == 0xE2 && next == 0x80 && i + 2 < text.size()
                   && (static_cast<unsigned char>(text[i + 2]) == 0xA8
                       || static_cast<unsigned char>(text[i + 2]) == 0xA9)) {
            escape(0x2000u + static_cast<unsigned char>(text[i + 2]) - 0xA8u + 0x28u);
            i += 2;
        } else {
            escaped += text[i];
        }
    }
    return escaped;
}

} // namespace lanvex::app
