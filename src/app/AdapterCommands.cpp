#include "app/AdapterCommands.h"

#include "app/ProfileJson.h"
#include "app/Translate.h"
#include "net/IPInfo.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"

#include <charconv>
#include <ostream>

namespace lanvex::app {

namespace {

// A positive decimal number as the adapter number; nothing otherwise. A number too large for any
// adapter gives 0, which matches none.
std::optional<std::int32_t> parseAdapterNumber(const std::string& text)
{
    if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos
        || text.find_first_not_of('0') == std::string::npos)
        return std::nullopt;
    std::int32_t number = 0;
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    return ec == std::errc() ? number : 0;
}

nlohmann::ordered_json adapterRecord(std::size_t position, std::int32_t adapterNumber, const store::SiteProfile& info)
{
    nlohmann::ordered_json record = { { "position", position }, { "Index", adapterNumber } };
    nlohmann::ordered_json fields = ProfileJson(info);
    fields.erase("Name"); // the caller names the current-settings entry, not the adapter
    record.update(fields);
    return record;
}

// The summary as separate output lines: the message box joins them with "\r\n".
void printLines(std::ostream& out, const std::string& text)
{
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find("\r\n", start);
        out << text.substr(start, end == std::string::npos ? std::string::npos : end - start) << '\n';
        if (end == std::string::npos)
            break;
        start = end + 2;
    }
}

} // namespace

int RunAdaptersCommand(Platform& platform, std::ostream& out)
{
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    const std::vector<std::string> descriptions = net::ListAdapters(*platform.connector);
    for (std::size_t position = 0; position < descriptions.size(); ++position) {
        const auto adapterNumber = static_cast<std::int32_t>(position + 1);
        list.push_back(adapterRecord(position, adapterNumber,
                                     net::GetAdapterInfo(*platform.connector, *platform.printers, adapterNumber)));
    }
    out << JsonText(list, 2) << '\n';
    return out ? 0 : 1;
}

int RunApplyCommand(Platform& platform, const std::string& siteName, const std::optional<std::string>& adapterText,
                    std::ostream& out, std::ostream& err)
{
    std::int32_t adapterNumber = 1;
    if (adapterText) {
        const auto number = parseAdapterNumber(*adapterText);
        if (!number) {
            err << "lanvex: the adapter number must be a positive number: " << *adapterText << '\n';
            return 2;
        }
        if (*number == 0) {
            err << "lanvex: no adapter has the number " << *adapterText << '\n';
            return 1;
        }
        adapterNumber = *number;
    }

    const store::SiteListModel model = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt);
    const store::SiteProfile* site = nullptr;
    for (std::int32_t i = 1; i < model.SiteCount && static_cast<std::size_t>(i) < model.SiteNames.size()
         && static_cast<std::size_t>(i) < model.SiteProfiles.size();
         ++i) {
        if (model.SiteNames[static_cast<std::size_t>(i)] == siteName) {
            site = &model.SiteProfiles[static_cast<std::size_t>(i)];
            break;
        }
    }
    if (!site) {
        err << "lanvex: no saved site is named " << siteName << '\n';
        return 2;
    }

    // Progress goes to stderr, so stdout holds only the summary.
    const std::int32_t result
        = net::ApplyIPSettings(*platform.connector, adapterNumber, *site,
                               [&err](const std::string& text) { err << Translate("net", text.c_str()) << '\n'; });
    printLines(out, TranslateLines("net", net::ApplySummary(result, *site)));
    return result == net::kApplyOk || result == net::kAlreadyDhcp ? 0 : 1;
}

} // namespace lanvex::app
