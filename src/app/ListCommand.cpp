#include "app/ListCommand.h"

#include "app/ProfileJson.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <ostream>
#include <string>

namespace lanvex::app {

namespace {

// Why the settings file is there but cannot be read; nothing when it can be, or is missing (a
// missing file holds no sites).
std::optional<std::string> unreadableReason(const std::string& path)
{
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    if (status.type() == std::filesystem::file_type::not_found)
        return std::nullopt;
    if (error)
        return error.message();
    if (std::filesystem::is_directory(status))
        return std::strerror(EISDIR);
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::strerror(errno);
    return std::nullopt;
}

} // namespace

int RunListCommand(std::ostream& out, std::ostream& err)
{
    // "No sites" and "could not read the sites" must differ for a script.
    if (const auto reason = unreadableReason(store::IniFileName)) {
        err << "lanvex: cannot read the settings file " << store::IniFileName << ": " << *reason << '\n';
        return 1;
    }
    // The same read as the window's start-up, without an adapter for entry 0.
    const store::SiteListModel model = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt);
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
