#include "transfer/SiteJson.h"

#include <iterator>
#include <ostream>
#include <utility>

namespace lanvex::transfer {

nlohmann::ordered_json ProfileJson(const store::SiteProfile& profile)
{
    nlohmann::ordered_json json = nlohmann::ordered_json::object();
    // The field names are distinct, so the members go straight into the ordered object's storage.
    auto& members = json.get_ref<nlohmann::ordered_json::object_t&>();
    members.reserve(15 + std::size(store::kExtraKeys));
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
    // The optional keys only where they hold a value, so a site without them prints as it always did.
    for (const store::ExtraKey& key : store::kExtraKeys)
        if (const std::string& value = profile.Extras.*key.member; !value.empty())
            text(key.name, value);
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

std::string SiteListRecord(const store::SiteProfile& profile, bool managed)
{
    nlohmann::ordered_json site = ProfileJson(profile);
    site.erase("MACAddress"); // an adapter's field, never stored with a site
    if (managed)
        site["Managed"] = true;
    return JsonText(site, -1);
}

void WriteSiteListJson(const store::SiteListModel& model, std::ostream& out)
{
    // One site per line, written as it is built, so a long list never sits in memory twice.
    out << '[';
    for (std::size_t i = 1; i < model.SiteProfiles.size(); ++i)
        out << (i > 1 ? ",\n" : "\n")
            << SiteListRecord(model.SiteProfiles[i], store::IsManagedEntry(model, static_cast<std::int32_t>(i)));
    out << (model.SiteProfiles.size() > 1 ? "\n]\n" : "]\n");
}

std::optional<store::SiteProfile> SiteFromJson(const nlohmann::json& item)
{
    if (!item.is_object())
        return std::nullopt;
    store::SiteProfile site;
    const std::pair<const char*, std::string store::SiteProfile::*> texts[] = {
        { "Name", &store::SiteProfile::Name },
        { "IP", &store::SiteProfile::IP },
        { "SubNetMask", &store::SiteProfile::SubNetMask },
        { "DefaultGateway", &store::SiteProfile::DefaultGateway },
        { "DNS", &store::SiteProfile::DNS },
        { "AuxDNS", &store::SiteProfile::AuxDNS },
        { "WINS", &store::SiteProfile::WINS },
        { "AuxWINS", &store::SiteProfile::AuxWINS },
        { "PrinterName", &store::SiteProfile::PrinterName },
    };
    const std::pair<const char*, bool store::SiteProfile::*> flags[] = {
        { "DHCPEnabled", &store::SiteProfile::DHCPEnabled },
        { "ChangeDNS", &store::SiteProfile::ChangeDNS },
        { "ChangeWINS", &store::SiteProfile::ChangeWINS },
        { "ChangePrinter", &store::SiteProfile::ChangePrinter },
    };
    const auto name = item.find("Name");
    if (name == item.end() || !name->is_string())
        return std::nullopt;
    for (const auto& [key, field] : texts) {
        const auto value = item.find(key);
        if (value == item.end() || value->is_null())
            continue;
        if (!value->is_string())
            return std::nullopt;
        site.*field = value->get<std::string>();
    }
    for (const store::ExtraKey& key : store::kExtraKeys) {
        const auto value = item.find(key.name);
        if (value == item.end() || value->is_null())
            continue;
        if (!value->is_string())
            return std::nullopt;
        site.Extras.*key.member = value->get<std::string>();
    }
    for (const auto& [key, field] : flags) {
        const auto value = item.find(key);
        if (value == item.end() || value->is_null())
            continue;
        if (value->is_boolean())
            site.*field = value->get<bool>();
        else if (value->is_number())
            site.*field = value->get<double>() > 0;
        else
            return std::nullopt;
    }
    return site;
}

} // namespace lanvex::transfer
