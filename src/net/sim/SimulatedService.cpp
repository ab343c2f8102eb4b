#include "net/sim/SimulatedService.h"

#include "net/AdapterConfiguration.h"
#include "net/ExtraSettings.h"
#include "net/sim/SimulationFile.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <thread>
#include <utility>

namespace lanvex::net::sim {

namespace {

// Keeps the members in the file's order, so a hand-written file stays readable after a write-back.
using json = nlohmann::ordered_json;

// Deeper nesting than any sane file has; refusing it keeps the recursive parts of the JSON
// library away from stack exhaustion on a hostile file.
constexpr int kMaxNesting = 64;

bool nestingWithinLimit(const std::string& text)
{
    int depth = 0;
    bool inString = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (inString) {
            if (c == '\\')
                ++i;
            else if (c == '"')
                inString = false;
        } else if (c == '"') {
            inString = true;
        } else if (c == '[' || c == '{') {
            if (++depth > kMaxNesting)
                return false;
        } else if (c == ']' || c == '}') {
            --depth;
        }
    }
    return true;
}

json parseText(const std::string& text)
{
    if (!nestingWithinLimit(text))
        return json();
    json doc = json::parse(text, nullptr, /*allow_exceptions=*/false);
    return doc.is_discarded() ? json() : doc;
}

// The whole file as JSON; null when it cannot be read or parsed.
json readDocument(const SimulationFile& file, SimulationFile::Stamp* stamp = nullptr)
{
    const std::optional<std::string> text = file.Read(stamp);
    return text ? parseText(*text) : json();
}

// A member of an object by name, ignoring letter case like the real service's property names.
const json* findMember(const json& object, std::string_view name)
{
    if (!object.is_object())
        return nullptr;
    if (const auto exact = object.find(std::string(name)); exact != object.end())
        return &*exact;
    for (auto it = object.begin(); it != object.end(); ++it)
        if (EqualsNoCase(it.key(), name))
            return &*it;
    return nullptr;
}

// The member name as the file spells it, or `name` when absent, so an update keeps the file's spelling.
std::string memberKey(const json& object, std::string_view name)
{
    if (object.is_object())
        for (auto it = object.begin(); it != object.end(); ++it)
            if (EqualsNoCase(it.key(), name))
                return it.key();
    return std::string(name);
}

Value toValue(const json& value)
{
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_boolean())
        return value.get<bool>();
    if (value.is_number_integer())
        return value.get<std::int64_t>();
    if (value.is_array()) {
        if (std::all_of(value.begin(), value.end(), [](const json& e) { return e.is_string(); })) {
            std::vector<std::string> texts;
            for (const json& e : value)
                texts.push_back(e.get<std::string>());
            return texts;
        }
        if (std::all_of(value.begin(), value.end(), [](const json& e) { return e.is_number_integer(); })) {
            std::vector<std::int64_t> numbers;
            for (const json& e : value)
                numbers.push_back(e.get<std::int64_t>());
            return numbers;
        }
    }
    return {};
}

json toJson(const Value& value)
{
    return std::visit(
        [](const auto& v) -> json {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, std::monostate>)
                return json();
            else
                return json(v);
        },
        value);
}

const std::vector<std::string>* textArray(const std::vector<Value>& args, std::size_t i)
{
    return i < args.size() ? std::get_if<std::vector<std::string>>(&args[i]) : nullptr;
}

const std::string* text(const std::vector<Value>& args, std::size_t i)
{
    return i < args.size() ? std::get_if<std::string>(&args[i]) : nullptr;
}

// Longer than any demo needs; a larger or negative "delayMs" is taken as this.
constexpr std::int64_t kMaxDelayMs = 60000;

// The file's "delayMs": how long every query and method call takes.
std::chrono::milliseconds delayOf(const json& doc)
{
    const json* delay = findMember(doc, "delayMs");
    if (!delay || !delay->is_number())
        return std::chrono::milliseconds(0);
    const double ms = delay->get<double>();
    if (!(ms >= 0) || ms > static_cast<double>(kMaxDelayMs))
        return std::chrono::milliseconds(kMaxDelayMs);
    return std::chrono::milliseconds(static_cast<std::int64_t>(ms));
}

// The loaded file, shared by the connections and the objects they hand out while it is unchanged.
struct Document
{
    explicit Document(SimulationFile file)
        : file(std::move(file))
    { }

    SimulationFile file;
    json doc;
    std::chrono::milliseconds delay { 0 };

    // A slow service: each query and method call takes the file's "delayMs".
    void Wait() const
    {
        if (delay.count() > 0)
            std::this_thread::sleep_for(delay);
    }

    json& adapters() { return doc[memberKey(doc, "adapters")]; }

    // Positions in "adapters" of the IP-enabled adapters, in file order: Index n is element n - 1.
    const std::vector<std::size_t>& enabledAdapters()
    {
        if (positionsKnown_)
            return positions_;
        positions_.clear();
        const json* list = findMember(doc, "adapters");
        for (std::size_t i = 0; list && list->is_array() && i < list->size(); ++i) {
            const json* enabled = findMember((*list)[i], "IPEnabled");
            if (enabled && enabled->is_boolean() && enabled->get<bool>())
                positions_.push_back(i);
        }
        positionsKnown_ = true;
        return positions_;
    }

    void replace(json fresh)
    {
        doc = std::move(fresh);
        positionsKnown_ = false;
    }

    // Under an exclusive lock on the file: takes the file as it stands now, lets `change` work on
    // it and writes it back. False, with the file unchanged, when any step fails.
    bool lockedUpdate(const std::function<bool()>& change)
    {
        return file.Update([&](const std::string& text) { return changeAndDump(text, change); });
    }

    // Takes `text` as the file's content, lets `change` work on it and gives the text to write back.
    std::optional<std::string> changeAndDump(const std::string& text, const std::function<bool()>& change)
    {
        json fresh = parseText(text);
        if (!fresh.is_object())
            return std::nullopt;
        replace(std::move(fresh));
        if (!change())
            return std::nullopt;
        return doc.dump(2, ' ', false, json::error_handler_t::replace) + "\n";
    }

    void log(std::int64_t index, const std::string& method, const std::vector<Value>& args, std::uint32_t result)
    {
        json& calls = doc[memberKey(doc, "calls")];
        if (!calls.is_array())
            calls = json::array();
        json argList = json::array();
        for (const Value& arg : args)
            argList.push_back(toJson(arg));
        calls.push_back({ { "Index", index }, { "method", method }, { "args", argList }, { "result", result } });
    }

private:
    std::vector<std::size_t> positions_;
    bool positionsKnown_ = false;
};

class SimulatedAdapter : public ManagementObject
{
public:
    SimulatedAdapter(std::shared_ptr<Document> document, std::size_t position, std::int64_t index)
        : document_(std::move(document))
        , position_(position)
        , index_(index)
    { }

    Value Property(std::string_view name) const override
    {
        if (EqualsNoCase(name, "Index"))
            return index_;
        // The computer's name is the whole file's, as it is the whole system's.
        if (EqualsNoCase(name, "DNSHostName")) {
            const json* hostname = findMember(document_->doc, "hostname");
            return hostname ? toValue(*hostname) : Value();
        }
        if (const json* value = findMember(adapter(), name))
            return toValue(*value);
        return {};
    }

    std::uint32_t ExecMethod(std::string_view method, const std::vector<Value>& args) override
    {
        const auto known = FindAdapterMethod(method);
        if (!known)
            throw ServiceError("no method " + std::string(method));
        // Logged and looked up in "results" by the name as the class spells it.
        const std::string name(MethodName(*known));
        document_->Wait();
        json before = document_->doc;
        std::uint32_t result = 0;
        // The call works on the file as it stands, so calls of other processes meanwhile stay.
        const bool written = document_->lockedUpdate([&] {
            const std::vector<std::size_t>& positions = document_->enabledAdapters();
            if (index_ < 1 || index_ > static_cast<std::int64_t>(positions.size()))
                return false;
            position_ = positions[static_cast<std::size_t>(index_ - 1)];
            const auto forced = forcedResult(name);
            result = forced ? *forced : run(*known, args);
            document_->log(index_, name, args, result);
            return true;
        });
        if (written)
            return result;
        // A change the file cannot show did not happen: undo it and report the failure.
        document_->replace(std::move(before));
        return kUnknownFailure;
    }

private:
    json& adapter() const { return document_->adapters()[position_]; }

    void set(std::string_view property, json value) const
    {
        adapter()[memberKey(adapter(), property)] = std::move(value);
    }

    std::optional<std::uint32_t> forcedResult(const std::string& method) const
    {
        const json* results = findMember(adapter(), "results");
        const json* forced = results ? findMember(*results, method) : nullptr;
        if (forced && forced->is_number_unsigned() && forced->get<std::uint64_t>() <= 0xFFFFFFFFu)
            return static_cast<std::uint32_t>(forced->get<std::uint64_t>());
        return std::nullopt;
    }

    std::uint32_t run(AdapterMethod method, const std::vector<Value>& args) const
    {
        switch (method) {
        case AdapterMethod::EnableDHCP:
            return enableDhcp(args);
        case AdapterMethod::EnableStatic:
            return enableStatic(args);
        case AdapterMethod::SetGateways:
            return setGateways(args);
        case AdapterMethod::SetDNSServerSearchOrder:
            return setDnsServers(args);
        case AdapterMethod::SetWINSServer:
            return setWinsServers(args);
        case AdapterMethod::SetDNSDomain:
            return setDnsDomain(args);
        case AdapterMethod::DisableIPv6:
        case AdapterMethod::EnableIPv6:
        case AdapterMethod::SetIPv6Addresses:
        case AdapterMethod::SetIPv6Gateway:
        case AdapterMethod::SetIPv6DNSServers:
            return runIPv6(method, args);
        case AdapterMethod::ConnectWiFi:
            return connectWiFi(args);
        case AdapterMethod::ActivateConnection:
            return setConnectionActive(args, true);
        case AdapterMethod::DeactivateConnection:
            return setConnectionActive(args, false);
        case AdapterMethod::SetFirewallZone:
            return setFirewallZone(args);
        case AdapterMethod::SetHostname:
            return setHostname(args);
        }
        return kInvalidParameter;
    }

    std::uint32_t setDnsDomain(const std::vector<Value>& args) const
    {
        const auto* suffix = text(args, 0);
        if (args.size() != 1 || !suffix || ExtraValueProblem({}, "DNSSuffix", *suffix))
            return kInvalidParameter;
        set("DNSDomain", *suffix);
        return 0;
    }

    // An adapter marked "IPv6Unsupported" stands for a system without the IPv6 classes.
    std::uint32_t runIPv6(AdapterMethod method, const std::vector<Value>& args) const
    {
        const json* unsupported = findMember(adapter(), "IPv6Unsupported");
        if (unsupported && unsupported->is_boolean() && unsupported->get<bool>())
            return kNotSupported;
        switch (method) {
        case AdapterMethod::DisableIPv6:
            return args.empty() ? setIPv6("off", json::array(), json::array(), json::array()) : kInvalidParameter;
        case AdapterMethod::EnableIPv6:
            return args.empty() ? enableIPv6() : kInvalidParameter;
        case AdapterMethod::SetIPv6Addresses:
            return setIPv6Addresses(args);
        case AdapterMethod::SetIPv6Gateway:
            return setIPv6Gateway(args);
        case AdapterMethod::SetIPv6DNSServers:
            return setIPv6DnsServers(args);
        default:
            return kInvalidParameter;
        }
    }

    // "WiFiProfiles" lists the networks the system holds a profile for.
    std::uint32_t connectWiFi(const std::vector<Value>& args) const
    {
        const auto* ssid = text(args, 0);
        if (args.size() != 1 || !ssid || ssid->empty())
            return kInvalidParameter;
        const json* profiles = findMember(adapter(), "WiFiProfiles");
        if (!profiles || !profiles->is_array()
            || std::find(profiles->begin(), profiles->end(), json(*ssid)) == profiles->end())
            return kProfileNotFound;
        set("SSID", *ssid);
        return 0;
    }

    // The file's "connections": [{"Name", "Active"}] are the system's connections.
    std::uint32_t setConnectionActive(const std::vector<Value>& args, bool active) const
    {
        const auto* name = text(args, 0);
        if (args.size() != 1 || !name)
            return kInvalidParameter;
        json& connections = document_->doc[memberKey(document_->doc, "connections")];
        if (connections.is_array())
            for (json& connection : connections) {
                const json* itsName = findMember(connection, "Name");
                if (itsName && itsName->is_string() && itsName->get<std::string>() == *name) {
                    connection[memberKey(connection, "Active")] = active;
                    return 0;
                }
            }
        if (connections.is_null())
            document_->doc.erase(memberKey(document_->doc, "connections"));
        return kProfileNotFound;
    }

    std::uint32_t setFirewallZone(const std::vector<Value>& args) const
    {
        const auto* zone = text(args, 0);
        if (args.size() != 1 || !zone || ExtraValueProblem({}, "FirewallZone", *zone))
            return kInvalidParameter;
        set("FirewallZone", *zone);
        return 0;
    }

    std::uint32_t setHostname(const std::vector<Value>& args) const
    {
        const auto* name = text(args, 0);
        if (args.size() != 1 || !name || name->empty() || ExtraValueProblem({}, "Hostname", *name))
            return kInvalidParameter;
        document_->doc[memberKey(document_->doc, "hostname")] = *name;
        return 0;
    }

    std::uint32_t setIPv6(const char* mode, json addresses, json gateways, json servers) const
    {
        set("IPv6Mode", mode);
        set("IPv6Address", std::move(addresses));
        set("IPv6Gateway", std::move(gateways));
        set("IPv6DNS", std::move(servers));
        return 0;
    }

    // Automatic configuration takes what the lease offers ("DHCPLease": "IPv6Address", ...).
    std::uint32_t enableIPv6() const
    {
        const json* lease = findMember(adapter(), "DHCPLease");
        const auto leased = [lease](const char* property) {
            const json* value = lease ? findMember(*lease, property) : nullptr;
            return value && value->is_array() ? *value : json::array();
        };
        return setIPv6("auto", leased("IPv6Address"), leased("IPv6Gateway"), leased("IPv6DNS"));
    }

    std::uint32_t setIPv6Addresses(const std::vector<Value>& args) const
    {
        const auto* addresses = textArray(args, 0);
        if (args.size() != 1 || !addresses || addresses->empty())
            return kInvalidParameter;
        for (const std::string& address : *addresses)
            if (ExtraValueProblem({}, "IPv6Address", address))
                return kInvalidAddress;
        set("IPv6Mode", "static");
        set("IPv6Address", *addresses);
        return 0;
    }

    std::uint32_t setIPv6Gateway(const std::vector<Value>& args) const
    {
        const auto* gateway = text(args, 0);
        if (args.size() != 1 || !gateway)
            return kInvalidParameter;
        if (ExtraValueProblem({}, "IPv6Gateway", *gateway))
            return kInvalidGateway;
        set("IPv6Gateway", gateway->empty() ? json::array() : json::array({ *gateway }));
        return 0;
    }

    std::uint32_t setIPv6DnsServers(const std::vector<Value>& args) const
    {
        const auto* servers = textArray(args, 0);
        if (args.size() != 1 || !servers)
            return kInvalidParameter;
        for (const std::string& server : *servers)
            if (server.empty() || ExtraValueProblem({}, "IPv6DNS", server))
                return kInvalidAddress;
        set("IPv6DNS", *servers);
        return 0;
    }

    std::uint32_t enableDhcp(const std::vector<Value>& args) const
    {
        if (!args.empty())
            return kInvalidParameter;
        const json* lease = findMember(adapter(), "DHCPLease");
        for (const char* property : { "IPAddress", "IPSubnet", "DefaultIPGateway", "DNSServerSearchOrder" }) {
            const json* leased = lease ? findMember(*lease, property) : nullptr;
            set(property, leased && leased->is_array() ? *leased : json::array());
        }
        set("DHCPEnabled", true);
        return 0;
    }

    std::uint32_t enableStatic(const std::vector<Value>& args) const
    {
        const auto* addresses = textArray(args, 0);
        const auto* masks = textArray(args, 1);
        if (args.size() != 2 || !addresses || !masks || addresses->empty() || addresses->size() != masks->size())
            return kInvalidParameter;
        for (std::size_t i = 0; i < addresses->size(); ++i) {
            const auto prefix = ParseSubnetMask((*masks)[i]);
            if (!prefix)
                return kInvalidSubnetMask;
            const auto address = ParseIPv4((*addresses)[i]);
            if (!address || !IsHostAddress(*address, *prefix))
                return kInvalidAddress;
        }
        set("IPAddress", *addresses);
        set("IPSubnet", *masks);
        set("DHCPEnabled", false);
        return 0;
    }

    std::uint32_t setGateways(const std::vector<Value>& args) const
    {
        const auto* gateways = textArray(args, 0);
        if (args.empty() || args.size() > 2 || !gateways)
            return kInvalidParameter;
        if (gateways->size() > kMaxGateways)
            return kTooManyGateways;
        for (const std::string& text : *gateways) {
            const auto gateway = ParseIPv4(text);
            if (!gateway || !IsHostAddress(*gateway, 32))
                return kInvalidGateway;
        }
        std::vector<std::int64_t> metrics;
        if (args.size() == 2) {
            const auto* given = std::get_if<std::vector<std::int64_t>>(&args[1]);
            if (!given || given->size() != gateways->size())
                return kInvalidParameter;
            for (std::int64_t metric : *given)
                if (metric < kMinGatewayMetric || metric > kMaxGatewayMetric)
                    return kInvalidParameter;
            metrics = *given;
        }
        set("DefaultIPGateway", *gateways);
        set("GatewayCostMetric", metrics);
        return 0;
    }

    std::uint32_t setDnsServers(const std::vector<Value>& args) const
    {
        const auto* servers = textArray(args, 0);
        if (args.size() != 1 || !servers)
            return kInvalidParameter;
        // Empty entries hold no server: a list of a preferred server alone is sent with an empty second.
        std::vector<std::string> kept;
        for (const std::string& server : *servers) {
            if (server.empty())
                continue;
            const auto address = ParseIPv4(server);
            if (!address || !IsServerAddress(*address))
                return kInvalidAddress;
            kept.push_back(server);
        }
        set("DNSServerSearchOrder", kept);
        return 0;
    }

    std::uint32_t setWinsServers(const std::vector<Value>& args) const
    {
        const auto* primary = text(args, 0);
        const auto* secondary = text(args, 1);
        if (args.size() != 2 || !primary || !secondary)
            return kInvalidParameter;
        for (const std::string* server : { primary, secondary }) {
            if (server->empty())
                continue;
            const auto address = ParseIPv4(*server);
            if (!address || !IsHostAddress(*address, 32))
                return kInvalidAddress;
        }
        set("WINSPrimaryServer", *primary);
        set("WINSSecondaryServer", *secondary);
        return 0;
    }

    std::shared_ptr<Document> document_;
    std::size_t position_; // in the document as last read; found again by Index at every call
    std::int64_t index_;
};

// What the file says the network answers through one adapter: "Reachable" lists the "host:port"
// targets that accept a connection, "Resolves" maps names to addresses, and "GatewaySilent" keeps
// the gateway from answering.
bool simulatedProbe(const json& adapter, ProbeKind kind, std::string_view target)
{
    switch (kind) {
    case ProbeKind::Tcp: {
        const json* reachable = findMember(adapter, "Reachable");
        return reachable && reachable->is_array()
            && std::find(reachable->begin(), reachable->end(), json(std::string(target))) != reachable->end();
    }
    case ProbeKind::Dns: {
        const auto check = ParseNameCheck(target);
        const json* resolves = findMember(adapter, "Resolves");
        const json* address = check && resolves && resolves->is_object() ? findMember(*resolves, check->name) : nullptr;
        return address && address->is_string()
            && (check->address.empty() || address->get<std::string>() == check->address);
    }
    case ProbeKind::Gateway: {
        const json* silent = findMember(adapter, "GatewaySilent");
        return !target.empty() && !(silent && silent->is_boolean() && silent->get<bool>());
    }
    }
    return false;
}

class SimulatedService : public ManagementService
{
public:
    explicit SimulatedService(std::shared_ptr<Document> document)
        : document_(std::move(document))
    { }

    std::vector<ObjectRef> ExecQuery(std::string_view query, std::string_view language, std::int32_t) override
    {
        if (!EqualsNoCase(language, "WQL"))
            throw ServiceError("unsupported query language");
        // Only the adapter-configuration query is known.
        if (!IsAdapterQuery(query))
            throw ServiceError("invalid query");
        document_->Wait();
        std::vector<ObjectRef> objects;
        std::int64_t index = 0;
        for (std::size_t position : document_->enabledAdapters())
            objects.push_back(std::make_shared<SimulatedAdapter>(document_, position, ++index));
        return objects;
    }

    ObjectRef Get(std::string_view objectPath, std::int32_t) override
    {
        const auto index = ParseAdapterPath(objectPath);
        if (!index)
            throw ServiceError("invalid object path");
        document_->Wait();
        const std::vector<std::size_t>& positions = document_->enabledAdapters();
        if (*index < 1 || *index > static_cast<std::int64_t>(positions.size()))
            throw ServiceError("object not found");
        return std::make_shared<SimulatedAdapter>(document_, positions[static_cast<std::size_t>(*index - 1)], *index);
    }

    // Answered from the file at once, whatever the timeout, and logged like a method call with 0
    // for a target that answered and 1 for one that did not.
    bool Probe(std::int32_t adapterNumber, ProbeKind kind, std::string_view target, std::chrono::milliseconds) override
    {
        document_->Wait();
        bool answered = false;
        const bool written = document_->lockedUpdate([&] {
            const std::vector<std::size_t>& positions = document_->enabledAdapters();
            if (adapterNumber < 1 || adapterNumber > static_cast<std::int64_t>(positions.size()))
                return false;
            answered = simulatedProbe(document_->adapters()[positions[static_cast<std::size_t>(adapterNumber - 1)]],
                                      kind, target);
            document_->log(adapterNumber, "Probe",
                           { Value(std::string(ProbeKindName(kind))), Value(std::string(target)) }, answered ? 0 : 1);
            return true;
        });
        return written && answered;
    }

    // "Taken" maps the addresses another host on the link holds to that host's MAC address. Logged
    // like a method: 0 for a free address, 1 for a taken one.
    AddressAnswer ProbeAddress(std::int32_t adapterNumber, std::string_view address, std::chrono::milliseconds) override
    {
        document_->Wait();
        AddressAnswer answer;
        const bool written = document_->lockedUpdate([&] {
            const std::vector<std::size_t>& positions = document_->enabledAdapters();
            if (adapterNumber < 1 || adapterNumber > static_cast<std::int64_t>(positions.size()))
                return false;
            const json& adapter = document_->adapters()[positions[static_cast<std::size_t>(adapterNumber - 1)]];
            const json* taken = findMember(adapter, "Taken");
            const json* holder = taken ? findMember(*taken, address) : nullptr;
            if (holder && holder->is_string())
                answer = { AddressAnswer::State::Taken, holder->get<std::string>() };
            else
                answer.state = AddressAnswer::State::Free;
            document_->log(adapterNumber, "ProbeAddress", { Value(std::string(address)) },
                           answer.state == AddressAnswer::State::Taken ? 1 : 0);
            return true;
        });
        return written ? answer : AddressAnswer {};
    }

private:
    std::shared_ptr<Document> document_;
};

} // namespace

// The last read of the file, kept while the file is unchanged.
struct SimulatedConnector::Cache
{
    SimulationFile::Stamp stamp;
    std::shared_ptr<Document> document;

    std::shared_ptr<Document> load(const std::string& path)
    {
        const SimulationFile file(path);
        if (document && file.Unchanged(stamp))
            return document;
        auto fresh = std::make_shared<Document>(file);
        fresh->doc = readDocument(file, &stamp);
        fresh->delay = delayOf(fresh->doc);
        document = fresh;
        return fresh;
    }
};

SimulatedConnector::SimulatedConnector(std::string jsonPath)
    : jsonPath_(std::move(jsonPath))
    , cache_(std::make_shared<Cache>())
{ }

SimulatedConnector::~SimulatedConnector() = default;

std::unique_ptr<ManagementService> SimulatedConnector::Connect(std::string_view moniker)
{
    if (!IsServiceMoniker(moniker))
        throw ServiceError("invalid moniker");
    std::shared_ptr<Document> document = cache_->load(jsonPath_);
    if (!document->doc.is_object())
        throw ServiceError("cannot read the simulated service file " + jsonPath_);
    const json* unavailable = findMember(document->doc, "unavailable");
    if (unavailable && unavailable->is_boolean() && unavailable->get<bool>())
        throw ServiceError("the simulated service is unavailable");
    const json* adapters = findMember(document->doc, "adapters");
    if (adapters && !adapters->is_array())
        throw ServiceError("\"adapters\" is not a list");
    if (!adapters)
        document->doc["adapters"] = json::array();
    return std::make_unique<SimulatedService>(std::move(document));
}

SimulatedPrinters::SimulatedPrinters(std::string jsonPath)
    : jsonPath_(std::move(jsonPath))
    , cache_(std::make_shared<SimulatedConnector::Cache>())
{ }

SimulatedPrinters::~SimulatedPrinters() = default;

std::string SimulatedPrinters::DefaultPrinterEntry() const
{
    const std::shared_ptr<Document> document = cache_->load(jsonPath_);
    const json* entry = findMember(document->doc, "defaultPrinter");
    return entry && entry->is_string() ? entry->get<std::string>() : std::string();
}

std::vector<std::string> SimulatedPrinters::InstalledPrinters() const
{
    std::vector<std::string> names;
    const std::shared_ptr<Document> document = cache_->load(jsonPath_);
    const json* printers = findMember(document->doc, "printers");
    if (printers && printers->is_array())
        for (const json& name : *printers)
            if (name.is_string())
                names.push_back(name.get<std::string>());
    return names;
}

SimulatedProxy::SimulatedProxy(std::string jsonPath)
    : jsonPath_(std::move(jsonPath))
    , cache_(std::make_shared<SimulatedConnector::Cache>())
{ }

SimulatedProxy::~SimulatedProxy() = default;

ProxyChange SimulatedProxy::SetProxy(const ProxySettings& settings)
{
    const std::shared_ptr<Document> document = cache_->load(jsonPath_);
    document->Wait();
    std::string bypass;
    for (const std::string& host : settings.bypass)
        bypass += (bypass.empty() ? "" : ",") + host;
    const std::string mode(ProxyModeName(settings.mode));
    const std::string server = settings.mode == ProxyMode::Manual ? settings.Server() : std::string();
    const bool written = document->lockedUpdate([&] {
        document->doc[memberKey(document->doc, "proxy")]
            = { { "mode", mode }, { "server", server }, { "bypass", settings.bypass }, { "pac", settings.pacUrl } };
        document->log(0, "SetProxy", { Value(mode), Value(server), Value(bypass), Value(settings.pacUrl) }, 0);
        return true;
    });
    return written ? ProxyChange::Done : ProxyChange::Failed;
}

printer::DefaultPrinterChange SimulatedPrinters::SetDefaultPrinter(const std::string& name) const
{
    // What SetDefaultPrinterW's GetLastError says of a printer that isn't there.
    constexpr std::uint32_t kInvalidPrinterName = 1801;
    const std::shared_ptr<Document> document = cache_->load(jsonPath_);
    document->Wait();
    std::uint32_t result = kInvalidPrinterName;
    const bool written = document->lockedUpdate([&] {
        const json* printers = findMember(document->doc, "printers");
        const bool installed = printers && printers->is_array()
            && std::find(printers->begin(), printers->end(), json(name)) != printers->end();
        if (installed) {
            document->doc[memberKey(document->doc, "defaultPrinter")] = name + ",winspool,Ne00:";
            result = 0;
        }
        document->log(0, "SetDefaultPrinter", { Value(name) }, result);
        return true;
    });
    if (!written)
        return printer::DefaultPrinterChange::Failed;
    return result == 0 ? printer::DefaultPrinterChange::Done : printer::DefaultPrinterChange::NotInstalled;
}

} // namespace lanvex::net::sim
