#include "cli/AdapterCommands.h"

#include "cli/ListCommand.h"
#include "cli/RevertCommand.h"
#include "i18n/Translate.h"
#include "net/DesktopSteps.h"
#include "net/IPInfo.h"
#include "net/NetworkMatch.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"
#include "transfer/SiteJson.h"

#include <algorithm>
#include <charconv>
#include <ostream>

namespace lanvex::cli {

using i18n::Translate;
using i18n::TranslateLines;

namespace {

// How --adapter names an adapter: by its number, or by its interface name or MAC address.
struct AdapterChoice
{
    enum class Kind
    {
        Number,
        NoSuchNumber, // a number too large for any adapter
        NotPositive,
        Name,
    };
    Kind kind = Kind::Number;
    std::int32_t number = 1;
};

AdapterChoice parseAdapterChoice(const std::string& text)
{
    AdapterChoice choice;
    const bool digits
        = !text.empty() && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
    if (!digits) {
        choice.kind = AdapterChoice::Kind::Name;
        return choice;
    }
    const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), choice.number);
    (void)ptr;
    if (ec == std::errc::result_out_of_range)
        choice.kind = AdapterChoice::Kind::NoSuchNumber;
    else if (choice.number < 1)
        choice.kind = AdapterChoice::Kind::NotPositive;
    return choice;
}

// A MAC address in one spelling: upper case, colons.
std::string normalMac(std::string text)
{
    for (char& c : text) {
        if (c == '-')
            c = ':';
        else if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    }
    return text;
}

// The number of the first adapter whose interface name or MAC address is `name`.
std::optional<std::int32_t> findAdapterByName(const std::vector<net::AdapterEntry>& adapters, const std::string& name)
{
    const std::string mac = normalMac(name);
    for (const net::AdapterEntry& adapter : adapters) {
        if (adapter.InterfaceName == name
            || (!adapter.Info.MACAddress.empty() && normalMac(adapter.Info.MACAddress) == mac))
            return adapter.Index;
    }
    return std::nullopt;
}

nlohmann::ordered_json adapterRecord(std::size_t position, const net::AdapterEntry& adapter)
{
    nlohmann::ordered_json record = { { "position", position }, { "Index", adapter.Index } };
    nlohmann::ordered_json fields = transfer::ProfileJson(adapter.Info);
    fields.erase("Name"); // the caller names the current-settings entry, not the adapter
    for (const store::ExtraKey& key : store::kExtraKeys)
        fields.erase(key.name); // the lists below hold them whole
    record.update(fields);
    if (!adapter.InterfaceName.empty())
        record["InterfaceName"] = adapter.InterfaceName;
    // Every address, beside the record's first ones.
    const net::AdapterAddresses& all = adapter.Addresses;
    record["IPAddress"] = all.IPAddress;
    record["IPSubnet"] = all.IPSubnet;
    record["DefaultIPGateway"] = all.DefaultIPGateway;
    record["GatewayCostMetric"] = all.GatewayCostMetric;
    record["DNSDomain"] = all.DNSDomain;
    record["IPv6Mode"] = all.IPv6Mode;
    record["IPv6Address"] = all.IPv6Address;
    record["IPv6Gateway"] = all.IPv6Gateway;
    record["IPv6DNS"] = all.IPv6DNS;
    return record;
}

// The adapters, or nothing when the service can't be reached, which `err` then says.
std::optional<std::vector<net::AdapterEntry>> queryAdapters(platform::Services& services, std::ostream& err)
{
    try {
        return net::QueryAdapters(*services.connector, *services.printers);
    } catch (const net::ServiceError& error) {
        err << "lanvex: cannot read the adapters: " << error.what() << '\n';
        return std::nullopt;
    }
}

// The adapters for an apply; when the service can't be reached, the apply's summary says so on
// `out` and there are none.
std::optional<std::vector<net::AdapterEntry>> adaptersForApply(platform::Services& services,
                                                               const store::SiteProfile& site, std::ostream& out)
{
    try {
        return net::QueryAdapters(*services.connector, *services.printers);
    } catch (const net::ServiceError&) {
        PrintSummaryLines(out, TranslateLines("net", net::ApplySummary(net::kServiceUnavailable, site)));
        return std::nullopt;
    }
}

// One adapter's network, the sites that match it in list order and the first site it holds.
nlohmann::ordered_json detectRecord(const net::AdapterEntry& adapter, const store::SiteListModel& model)
{
    const net::NetworkFingerprint& network = adapter.Network;
    nlohmann::ordered_json matches = nlohmann::ordered_json::array();
    const net::SitesOnNetwork found = net::FindSitesOnNetwork(model.SiteProfiles, adapter);
    for (const std::size_t entry : found.matches)
        matches.push_back(model.SiteProfiles[entry].Name);
    nlohmann::ordered_json live = nullptr;
    if (found.live)
        live = model.SiteProfiles[*found.live].Name;
    return { { "Index", adapter.Index },        { "InterfaceName", adapter.InterfaceName },
             { "Gateway", network.Gateway },    { "GatewayMAC", network.GatewayMAC },
             { "SSID", network.SSID },          { "DNSDomain", network.DNSDomain },
             { "Matches", std::move(matches) }, { "Live", std::move(live) } };
}

} // namespace

void PrintSummaryLines(std::ostream& out, const std::string& text)
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

int RunAdaptersCommand(platform::Services& services, std::ostream& out, std::ostream& err)
{
    const std::optional<std::vector<net::AdapterEntry>> adapters = queryAdapters(services, err);
    if (!adapters)
        return 1;
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (std::size_t position = 0; position < adapters->size(); ++position)
        list.push_back(adapterRecord(position, (*adapters)[position]));
    out << transfer::JsonText(list, 2) << '\n';
    return out ? 0 : 1;
}

int RunDetectCommand(platform::Services& services, std::ostream& out, std::ostream& err)
{
    const std::optional<std::vector<net::AdapterEntry>> adapters = queryAdapters(services, err);
    if (!adapters)
        return 1;
    const store::SiteListModel model
        = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt, ReadManagedSitesFor(err));
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const net::AdapterEntry& adapter : *adapters)
        list.push_back(detectRecord(adapter, model));
    out << transfer::JsonText(list, 2) << '\n';
    return out ? 0 : 1;
}

int RunApplyCommand(platform::Services& services, const std::string& siteName,
                    const std::optional<std::string>& adapterText, std::ostream& out, std::ostream& err,
                    std::optional<std::uint32_t> revertAfter)
{
    const AdapterChoice choice = adapterText ? parseAdapterChoice(*adapterText) : AdapterChoice {};
    if (choice.kind == AdapterChoice::Kind::NotPositive) {
        err << "lanvex: the adapter number must be a positive number: " << *adapterText << '\n';
        return 2;
    }

    const store::SiteListModel model
        = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt, ReadManagedSitesFor(err));
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

    std::int32_t adapterNumber = choice.number;
    const std::string& binding = site->Extras.Adapter;
    if (!adapterText && !binding.empty()) {
        // The site's own adapter, wherever the system lists it now.
        const std::optional<std::vector<net::AdapterEntry>> adapters = adaptersForApply(services, *site, out);
        if (!adapters)
            return 1;
        const auto bound = net::FindAdapter(binding, *adapters);
        if (!bound) {
            err << "lanvex: the site " << siteName << " is for the adapter " << binding
                << ", which is not present; nothing was changed\n";
            return 1;
        }
        adapterNumber = (*adapters)[*bound].Index;
    }
    if (choice.kind == AdapterChoice::Kind::NoSuchNumber) {
        PrintSummaryLines(out, TranslateLines("net", net::ApplySummary(net::kAdapterNotFound, *site)));
        return 1;
    }
    if (choice.kind == AdapterChoice::Kind::Name) {
        const std::optional<std::vector<net::AdapterEntry>> adapters = adaptersForApply(services, *site, out);
        if (!adapters)
            return 1;
        const auto found = findAdapterByName(*adapters, *adapterText);
        if (!found) {
            err << "lanvex: no adapter has the name or MAC address " << *adapterText << '\n';
            return 2;
        }
        adapterNumber = *found;
    }

    // Progress goes to stderr, so stdout holds only the summary.
    const net::DesktopTargets desktop { services.printers.get(), services.proxy.get(), model.ApplyPrinter };
    const net::StatusSink progress = [&err](const std::string& text) { err << Translate("net", text.c_str()) << '\n'; };
    if (revertAfter)
        return RunRevertibleApply({ services, desktop, adapterNumber, *site, *revertAfter, progress }, out, err);
    const std::int32_t result = net::ApplySite(*services.connector, desktop, adapterNumber, *site, progress);
    PrintSummaryLines(out, TranslateLines("net", net::ApplySummary(result, *site)));
    return net::ApplySucceeded(result) ? 0 : 1;
}

} // namespace lanvex::cli
