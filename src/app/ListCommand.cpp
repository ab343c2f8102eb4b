#include "app/ListCommand.h"

#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <ostream>
#include <string>
#include <string_view>

namespace lanvex::app {

namespace {

// JSON text of a string: quotes, backslashes and control characters escaped, the rest (valid
// UTF-8, as the settings file's text is decoded) as it is.
void appendQuoted(std::string& json, std::string_view text)
{
    static constexpr char hex[] = "0123456789abcdef";
    json += '"';
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += c;
        } else if (byte < 0x20) {
            json += "\\u00";
            json += hex[byte >> 4];
            json += hex[byte & 0xF];
        } else {
            json += c;
        }
    }
    json += '"';
}

void member(std::string& json, const char* key, const std::string& text)
{
    json += json.back() == '{' ? "\"" : ",\"";
    json += key;
    json += "\":";
    appendQuoted(json, text);
}

void member(std::string& json, const char* key, bool on)
{
    json += ",\"";
    json += key;
    json += on ? "\":true" : "\":false";
}

} // namespace

int RunListCommand(std::ostream& out)
{
    // The same read as the window's start-up, without an adapter for entry 0.
    const store::SiteListModel model = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt);
    // One site per line, in the order of the record's fields.
    std::string json = "[";
    for (std::size_t i = 1; i < model.SiteProfiles.size(); ++i) {
        const store::SiteProfile& site = model.SiteProfiles[i];
        json += i > 1 ? ",\n{" : "\n{";
        member(json, "Name", site.Name);
        member(json, "Description", site.Description);
        member(json, "DHCPEnabled", site.DHCPEnabled);
        member(json, "IP", site.IP);
        member(json, "SubNetMask", site.SubNetMask);
        member(json, "DefaultGateway", site.DefaultGateway);
        member(json, "ChangeDNS", site.ChangeDNS);
        member(json, "DNS", site.DNS);
        member(json, "AuxDNS", site.AuxDNS);
        member(json, "ChangeWINS", site.ChangeWINS);
        member(json, "WINS", site.WINS);
        member(json, "AuxWINS", site.AuxWINS);
        member(json, "ChangePrinter", site.ChangePrinter);
        member(json, "PrinterName", site.PrinterName);
        json += '}';
    }
    json += model.SiteProfiles.size() > 1 ? "\n]\n" : "]\n";
    out << json;
    return out ? 0 : 1;
}

} // namespace lanvex::app
