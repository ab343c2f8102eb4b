#include "cli/AdapterCommands.h"

#include "apply/AdapterChoice.h"
#include "apply/ApplyRun.h"
#include "apply/NetworkMatch.h"
#include "apply/SitePrograms.h"
#include "cli/ConfirmCommand.h"
#include "cli/ListCommand.h"
#include "i18n/Translate.h"
#include "net/AdapterQuery.h"
#include "store/IniFile.h"
#include "store/IniModule.h"
#include "store/SiteStore.h"
#include "transfer/SiteJson.h"

#include <ostream>

namespace lanvex::cli {

using i18n::Arg;
using i18n::Translate;

namespace {

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
    record["FirewallZone"] = adapter.FirewallZone;
    record["HostName"] = adapter.HostName;
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

} // namespace

nlohmann::ordered_json DetectRecord(const net::AdapterEntry& adapter, const store::SiteListModel& model)
{
    const net::NetworkFingerprint& network = adapter.Network;
    nlohmann::ordered_json matches = nlohmann::ordered_json::array();
    const apply::SitesOnNetwork found = apply::FindSitesOnNetwork(model.SiteProfiles, adapter);
    for (const std::size_t entry : found.matches)
        matches.push_back(model.SiteProfiles[entry].Name);
    nlohmann::ordered_json live = nullptr;
    if (found.live)
        live = model.SiteProfiles[*found.live].Name;
    return { { "Index", adapter.Index },
             { "InterfaceName", adapter.InterfaceName },
             { "Gateway", network.Gateway },
             { "GatewayMAC", network.GatewayMAC },
             { "SSID", network.SSID },
             { "DNSDomain", network.DNSDomain },
             { "FirewallZone", adapter.FirewallZone },
             { "HostName", adapter.HostName },
             { "Matches", std::move(matches) },
             { "Live", std::move(live) } };
}

namespace {

constexpr const char* kWaitingText
    = LANVEX_TR_NOOP("cli", "请在%1秒内运行 lanvex --confirm 保留新设置，否则将恢复之前的设置。");
constexpr const char* kTimedOutText = LANVEX_TR_NOOP("cli", "%1秒内没有确认。");
constexpr const char* kInterruptedText = LANVEX_TR_NOOP("cli", "等待确认时被中断。");

// Progress goes to stderr, so stdout holds only the summary.
class CommandLineListener : public apply::ApplyListener
{
public:
    // `out` takes the summary: stdout, or stderr when stdout holds JSON.
    CommandLineListener(std::ostream& out, std::ostream& err, std::uint32_t seconds)
        : m_out(out)
        , m_err(err)
        , m_seconds(seconds)
    { }
    void Status(const std::string& text) override { m_err << Translate("net", text.c_str()) << '\n'; }
    void Applied(const apply::ApplyOutcome& outcome, Next next) override
    {
        PrintSummaryLines(m_out, apply::ApplySummaryText(outcome));
        if (next != Next::AskToKeep)
            return;
        m_err << Arg(Translate("cli", kWaitingText), { std::to_string(m_seconds) }) << '\n';
        m_out.flush();
        m_err.flush();
    }
    void CheckpointRefused(const std::string& reason) override
    {
        m_err << "lanvex: the network service made no checkpoint (" << reason
              << "); lanvex restores the settings itself, so it must keep running until then\n";
    }

private:
    std::ostream& m_out;
    std::ostream& m_err;
    std::uint32_t m_seconds;
};

// After a change that waited to be kept: kept, or why and what was put back.
void PrintKeepOrRestore(const apply::ApplyRunResult& result, std::uint32_t seconds, std::ostream& out)
{
    using Answer = apply::KeepQuestion::Answer;
    if (result.answer == Answer::Kept)
        out << KeptText() << '\n';
    else if (result.answer == Answer::TimedOut)
        out << Arg(Translate("cli", kTimedOutText), { std::to_string(seconds) }) << '\n';
    else if (result.answer == Answer::Interrupted)
        out << Translate("cli", kInterruptedText) << '\n';
    if (!result.restored)
        return;
    PrintSummaryLines(out, result.restoreSummary);
    out.flush();
}

// The translated lines of a step, one per line.
std::string stepText(const apply::StepOutcome& step)
{
    std::string text;
    for (const apply::SummaryLine& line : step.lines)
        text.append(text.empty() ? "" : "\n").append(apply::TranslatedLine(line));
    return text;
}

// The outcome of --apply --json: the site, the adapter, the result bits, each step that ran and
// what was taken back.
nlohmann::ordered_json outcomeJson(const std::string& siteName, const apply::ApplyRunResult& result)
{
    nlohmann::ordered_json steps = nlohmann::ordered_json::array();
    for (const apply::StepOutcome& step : result.applied.Steps)
        steps.push_back({ { "Step", step.step }, { "Ok", step.ok }, { "Text", stepText(step) } });
    nlohmann::ordered_json restored = nullptr;
    if (result.restored)
        restored = { { "Result", result.restored->Outcome.Result },
                     { "ByCheckpoint", result.restored->ByCheckpoint },
                     { "Text", result.restoreSummary } };
    nlohmann::ordered_json adapter = nullptr;
    if (result.adapterNumber > 0)
        adapter = result.adapterNumber;
    return { { "Site", siteName },
             { "Adapter", std::move(adapter) },
             { "Result", result.applied.Result },
             { "Steps", std::move(steps) },
             { "Restored", std::move(restored) } };
}

// The saved site --apply names, or nothing when the line is bad usage, which `err` then says.
const store::SiteProfile* siteToApply(const store::SiteListModel& model, const std::string& siteName,
                                      const std::optional<std::string>& adapterText, std::ostream& err)
{
    if (adapterText && apply::ParseAdapterChoice(*adapterText).kind == apply::AdapterChoice::Kind::NotPositive) {
        err << "lanvex: the adapter number must be a positive number: " << *adapterText << '\n';
        return nullptr;
    }
    const store::SiteProfile* site = apply::FindSite(model, siteName);
    if (!site)
        err << "lanvex: no saved site is named " << siteName << '\n';
    return site;
}

// Why a run went nowhere: stderr says it.
void reportRefusal(apply::Refusal refusal, const std::string& siteName, const store::SiteProfile& site,
                   const std::optional<std::string>& adapterText, std::ostream& err)
{
    switch (refusal) {
    case apply::Refusal::NoSuchAdapterName:
        err << "lanvex: no adapter has the name, MAC address or GUID " << adapterText.value_or("") << '\n';
        break;
    case apply::Refusal::BoundAdapterAbsent:
        err << "lanvex: the site " << siteName << " is for the adapter " << site.Extras.Adapter
            << ", which is not present; nothing was changed\n";
        break;
    case apply::Refusal::None:
        break;
    }
}

std::string shownValue(const std::optional<std::string>& value)
{
    if (!value)
        return "?";
    return value->empty() ? "-" : *value;
}

void printChanges(const std::vector<apply::SettingChange>& changes, bool json, std::ostream& out)
{
    if (!json) {
        for (const apply::SettingChange& change : changes) {
            out << change.setting << ": " << shownValue(change.now) << " -> " << shownValue(change.then);
            if (change.skipped)
                out << " (" << Translate("net", change.skipped) << ')';
            out << '\n';
        }
        return;
    }
    nlohmann::ordered_json list = nlohmann::ordered_json::array();
    for (const apply::SettingChange& change : changes) {
        nlohmann::ordered_json now = nullptr;
        if (change.now)
            now = *change.now;
        nlohmann::ordered_json entry
            = { { "Setting", change.setting }, { "Now", std::move(now) }, { "Then", change.then } };
        if (change.skipped)
            entry["Skipped"] = Translate("net", change.skipped);
        list.push_back(std::move(entry));
    }
    out << transfer::JsonText(list, 2) << '\n';
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
        list.push_back(DetectRecord(adapter, model));
    out << transfer::JsonText(list, 2) << '\n';
    return out ? 0 : 1;
}

int RunApplyCommand(platform::Services& services, const std::string& siteName,
                    const std::optional<std::string>& adapterText, std::ostream& out, std::ostream& err,
                    std::optional<std::uint32_t> revertAfter, bool json)
{
    const store::SiteListModel model
        = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt, ReadManagedSitesFor(err));
    const store::SiteProfile* site = siteToApply(model, siteName, adapterText, err);
    if (!site)
        return 2;
    std::unique_ptr<ConfirmChannelQuestion> question;
    if (revertAfter) {
        std::string error;
        question = ConfirmChannelQuestion::Open(error);
        if (!question) {
            err << "lanvex: " << error << "; nothing was changed\n";
            return 1;
        }
    }

    const apply::ApplyRequest request { *site,
                                        adapterText,
                                        1,
                                        { services.printers.get(), services.proxy.get(), model.ApplyPrinter },
                                        revertAfter.value_or(0),
                                        apply::SitesWithLeavePrograms(model),
                                        apply::OriginOfNamed(model, site->Name),
                                        true };
    // With --json stdout holds the one object; what the user reads goes to stderr.
    std::ostream& text = json ? err : out;
    CommandLineListener listener(text, err, request.keepSeconds);
    const apply::ApplyRunResult result
        = apply::RunApply(*services.connector, *services.printers, request, listener, question.get());
    reportRefusal(result.refusal, siteName, *site, adapterText, err);
    if (result.refusal != apply::Refusal::None)
        return result.ExitCode();
    PrintKeepOrRestore(result, request.keepSeconds, text);
    if (json)
        out << transfer::JsonText(outcomeJson(siteName, result), 2) << '\n';
    return result.ExitCode();
}

int RunDryRunCommand(platform::Services& services, const std::string& siteName,
                     const std::optional<std::string>& adapterText, bool json, std::ostream& out, std::ostream& err)
{
    const store::SiteListModel model
        = store::LoadSiteModel(store::IniFile(store::IniFileName).Load(), std::nullopt, ReadManagedSitesFor(err));
    const store::SiteProfile* site = siteToApply(model, siteName, adapterText, err);
    if (!site)
        return 2;
    apply::ApplyRequest request;
    request.site = *site;
    request.adapter = adapterText;
    request.desktop = { services.printers.get(), services.proxy.get(), model.ApplyPrinter };
    const apply::ApplyPreview preview = apply::PreviewApply(*services.connector, *services.printers, request);
    reportRefusal(preview.refusal, siteName, *site, adapterText, err);
    if (preview.refusal != apply::Refusal::None)
        return preview.refusal == apply::Refusal::NoSuchAdapterName ? 2 : 1;
    if (preview.failure != 0) {
        PrintSummaryLines(err, apply::ApplySummaryText(apply::NothingApplied(preview.failure)));
        return 1;
    }
    printChanges(preview.changes, json, out);
    return out ? 0 : 1;
}

} // namespace lanvex::cli
