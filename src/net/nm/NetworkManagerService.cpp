#include "net/nm/NetworkManagerService.h"

#include "net/AdapterConfiguration.h"
#include "net/ExtraSettings.h"
#include "net/nm/DeviceProduct.h"
#include "net/nm/NeighbourTable.h"
#include "net/nm/NmCheckpoint.h"

#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QDeadlineTimer>
#include <QThread>
#include <QUuid>
#include <QtEndian>
#include <algorithm>
#include <functional>
#include <optional>
#include <set>
#include <utility>

namespace lanvex::net::nm {

namespace {

constexpr uint kDeviceTypeEthernet = 1;
constexpr uint kDeviceTypeWifi = 2;
constexpr uint kDeviceTypeVeth = 20;
constexpr uint kConnectionFlagExternal = 0x8;

const QString kMethodAuto = QStringLiteral("auto");
const QString kMethodManual = QStringLiteral("manual");
const QString kMethodDisabled = QStringLiteral("disabled");
const QString kMethodIgnore = QStringLiteral("ignore");

// One IPv4 address with its prefix length, as NetworkManager stores it.
struct Address
{
    std::uint32_t address = 0;
    int prefix = 0;
    auto operator<=>(const Address&) const = default;
};

// What the kernel has, as NetworkManager reports it for the device.
struct Ip4State
{
    std::vector<Address> addresses;
    std::string gateway;
    std::vector<std::string> dns;
    std::vector<std::string> wins;
    std::string leaseAddress; // the address of the current DHCP lease, if any
    std::vector<std::string> leaseDns;
    std::vector<std::pair<std::string, std::int64_t>> defaultRoutes; // next hop and metric
    std::vector<std::string> searches; // DNS search domains
    std::string networkDomain; // the DNS domain the network gave: the lease's, else the first of Domains
    // IPv6: the method the device runs, its addresses other than link-local ("address/prefix",
    // canonical), the gateway and the name servers (canonical).
    QString ipv6Method;
    std::vector<std::string> ipv6Addresses;
    std::string ipv6Gateway;
    std::vector<std::string> ipv6Dns;
};

struct DeviceInfo
{
    QString path;
    QString interfaceName;
    QString driver;
    QString udi;
    QString hardwareAddress;
    uint type = 0;
    bool managed = false;
    QString activeConnection;
    QString ip4Config;
    QString dhcp4Config;
    QString ip6Config;
};

int PathNumber(const QString& path)
{
    bool ok = false;
    const int number = path.section(QLatin1Char('/'), -1).toInt(&ok);
    return ok ? number : -1;
}

bool IsNoObject(const QString& path)
{
    return path.isEmpty() || path == QLatin1String("/");
}

std::vector<Address> AddressesOf(const QList<QVariantMap>& addressData)
{
    std::vector<Address> result;
    for (const QVariantMap& entry : addressData) {
        const auto address = ParseIPv4(entry.value(QStringLiteral("address")).toString().toStdString());
        bool ok = false;
        const uint prefix = entry.value(QStringLiteral("prefix")).toUInt(&ok);
        if (address && ok && prefix <= 32)
            result.push_back({ *address, static_cast<int>(prefix) });
    }
    return result;
}

// NetworkManager's "dns" key holds each address as a 32-bit number in network order.
uint ToNetworkOrder(std::uint32_t address)
{
    return qToBigEndian<quint32>(address);
}

// The name of the Wi-Fi network a wireless device has joined; empty for other devices, or when it
// cannot be read.
std::string ReadSsid(NmBus& bus, const DeviceInfo& device)
{
    if (device.type != kDeviceTypeWifi)
        return {};
    try {
        const QString accessPoint
            = ObjectPath(bus.Property(device.path, kWirelessInterface, QStringLiteral("ActiveAccessPoint")));
        if (IsNoObject(accessPoint))
            return {};
        const QByteArray ssid = bus.Property(accessPoint, kAccessPointInterface, QStringLiteral("Ssid")).toByteArray();
        return SsidText(std::string_view(ssid.constData(), static_cast<std::size_t>(ssid.size())));
    } catch (const BusError&) {
        return {};
    }
}

DeviceInfo ReadDevice(NmBus& bus, const QString& path)
{
    const QVariantMap properties = bus.Properties(path, kDeviceInterface);
    DeviceInfo device;
    device.path = path;
    device.interfaceName = properties.value(QStringLiteral("Interface")).toString();
    device.driver = properties.value(QStringLiteral("Driver")).toString();
    device.udi = properties.value(QStringLiteral("Udi")).toString();
    device.hardwareAddress = properties.value(QStringLiteral("HwAddress")).toString();
    device.type = properties.value(QStringLiteral("DeviceType")).toUInt();
    device.managed = properties.value(QStringLiteral("Managed")).toBool();
    device.activeConnection = ObjectPath(properties.value(QStringLiteral("ActiveConnection")));
    device.ip4Config = ObjectPath(properties.value(QStringLiteral("Ip4Config")));
    device.dhcp4Config = ObjectPath(properties.value(QStringLiteral("Dhcp4Config")));
    device.ip6Config = ObjectPath(properties.value(QStringLiteral("Ip6Config")));
    return device;
}

// An IPv6 text in the canonical form, or empty when it is none.
std::string CanonicalIPv6(const QString& text)
{
    const auto address = ParseIPv6(text.toStdString());
    return address ? FormatIPv6(*address) : std::string();
}

bool IsLinkLocal(const std::string& canonical)
{
    const auto address = ParseIPv6(canonical);
    return address && ((*address)[0] & 0xFFC0) == 0xFE80;
}

void ReadIp6Config(NmBus& bus, const QString& configPath, Ip4State& state)
{
    if (IsNoObject(configPath))
        return;
    const QVariantMap config = bus.Properties(configPath, kIp6ConfigInterface);
    for (const QVariantMap& entry : MapList(config.value(QStringLiteral("AddressData")))) {
        const std::string address = CanonicalIPv6(entry.value(QStringLiteral("address")).toString());
        if (!address.empty() && !IsLinkLocal(address))
            state.ipv6Addresses.push_back(address + "/"
                                          + std::to_string(entry.value(QStringLiteral("prefix")).toUInt()));
    }
    state.ipv6Gateway = CanonicalIPv6(config.value(QStringLiteral("Gateway")).toString());
    for (const QByteArray& server : BytesList(config.value(QStringLiteral("Nameservers")))) {
        if (server.size() != 16)
            continue;
        IPv6Groups groups {};
        for (std::size_t i = 0; i < groups.size(); ++i)
            groups[i] = static_cast<std::uint16_t>((static_cast<unsigned char>(server[int(2 * i)]) << 8)
                                                   | static_cast<unsigned char>(server[int(2 * i + 1)]));
        state.ipv6Dns.push_back(FormatIPv6(groups));
    }
}

// The connection the device runs: the applied one, else its saved profile; empty without one.
ConnectionSettings LiveSettings(NmBus& bus, const DeviceInfo& device)
{
    if (IsNoObject(device.activeConnection))
        return {};
    try {
        const QVariantList reply = bus.Call(device.path, kDeviceInterface, QStringLiteral("GetAppliedConnection"),
                                            { QVariant::fromValue(uint { 0 }) });
        if (!reply.isEmpty())
            return ToSettings(reply.front());
    } catch (const BusError&) {
        // fall through to the saved profile
    }
    const QString profile
        = ObjectPath(bus.Property(device.activeConnection, kActiveInterface, QStringLiteral("Connection")));
    const QVariantList reply = bus.Call(profile, kConnectionInterface, QStringLiteral("GetSettings"));
    return reply.isEmpty() ? ConnectionSettings() : ToSettings(reply.front());
}

// The state behind the device's configuration objects, given their paths.
Ip4State ReadIp4StateAt(NmBus& bus, const QString& configPath, const QString& dhcpPath)
{
    Ip4State state;
    if (!IsNoObject(configPath)) {
        const QVariantMap config = bus.Properties(configPath, kIp4ConfigInterface);
        state.addresses = AddressesOf(MapList(config.value(QStringLiteral("AddressData"))));
        state.gateway = config.value(QStringLiteral("Gateway")).toString().toStdString();
        for (const QVariantMap& entry : MapList(config.value(QStringLiteral("NameserverData"))))
            state.dns.push_back(entry.value(QStringLiteral("address")).toString().toStdString());
        for (const QString& server : TextList(config.value(QStringLiteral("WinsServerData"))))
            state.wins.push_back(server.toStdString());
        for (const QVariantMap& route : MapList(config.value(QStringLiteral("RouteData")))) {
            if (route.value(QStringLiteral("dest")).toString() == QLatin1String("0.0.0.0")
                && route.value(QStringLiteral("prefix")).toUInt() == 0)
                state.defaultRoutes.emplace_back(route.value(QStringLiteral("next-hop")).toString().toStdString(),
                                                 route.value(QStringLiteral("metric")).toLongLong());
        }
        for (const QString& domain : TextList(config.value(QStringLiteral("Searches"))))
            state.searches.push_back(domain.toStdString());
        const QStringList domains = TextList(config.value(QStringLiteral("Domains")));
        if (!domains.isEmpty())
            state.networkDomain = domains.front().toStdString();
    }
    if (!IsNoObject(dhcpPath)) {
        const QVariantMap options = ToMap(bus.Property(dhcpPath, kDhcp4ConfigInterface, QStringLiteral("Options")));
        state.leaseAddress = options.value(QStringLiteral("ip_address")).toString().toStdString();
        const QString servers = options.value(QStringLiteral("domain_name_servers")).toString();
        for (const QString& server : servers.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            state.leaseDns.push_back(server.toStdString());
        // Some servers send more than one name in the option; the first is the network's own.
        const QStringList domain
            = options.value(QStringLiteral("domain_name")).toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
        if (!domain.isEmpty())
            state.networkDomain = domain.front().toStdString();
    }
    return state;
}

// The device's whole state: IPv4, and IPv6 with the method it runs.
Ip4State ReadDeviceState(NmBus& bus, const DeviceInfo& device)
{
    Ip4State state = ReadIp4StateAt(bus, device.ip4Config, device.dhcp4Config);
    // IPv6 that cannot be read leaves the IPv6 part empty, and no method known, so no change that
    // sets IPv6 counts as live on it; the IPv4 changes do not depend on it.
    try {
        ReadIp6Config(bus, device.ip6Config, state);
        state.ipv6Method
            = LiveSettings(bus, device).value(QStringLiteral("ipv6")).value(QStringLiteral("method")).toString();
    } catch (const BusError&) {
        state.ipv6Addresses.clear();
        state.ipv6Gateway.clear();
        state.ipv6Dns.clear();
        state.ipv6Method.clear();
    }
    return state;
}

Ip4State ReadIp4State(NmBus& bus, const QString& devicePath)
{
    return ReadDeviceState(bus, ReadDevice(bus, devicePath));
}

// The IPv6 mode as the read-back names it; empty for a method it does not name.
std::string IPv6ModeOf(const QString& method)
{
    if (method == kMethodAuto || method == QLatin1String("dhcp"))
        return "auto";
    if (method == kMethodManual)
        return "static";
    if (method == kMethodDisabled || method == kMethodIgnore)
        return "off";
    return {};
}

std::uint32_t MapBusError(const BusError& error)
{
    const QString& name = error.name();
    if (name.contains(QLatin1String("PermissionDenied")) || name.contains(QLatin1String("AccessDenied"))
        || name.contains(QLatin1String("NotAuthorized")))
        return kAccessDenied;
    if (name.contains(QLatin1String("InvalidProperty")) || name.contains(QLatin1String("InvalidConnection"))
        || name.contains(QLatin1String("InvalidArgs")))
        return kInvalidParameter;
    return kUnknownFailure;
}

// Method arguments: a list of texts (a single text counts as a list of one); nothing for other types.
std::optional<std::vector<std::string>> TextsOf(const Value& value)
{
    if (const auto* list = std::get_if<std::vector<std::string>>(&value))
        return *list;
    if (const auto* text = std::get_if<std::string>(&value))
        return std::vector<std::string> { *text };
    if (std::holds_alternative<std::monostate>(value))
        return std::vector<std::string> {};
    return std::nullopt;
}

std::vector<std::string> WithoutEmpty(const std::vector<std::string>& texts)
{
    std::vector<std::string> result;
    for (const std::string& text : texts) {
        if (text.find_first_not_of(" \t") != std::string::npos)
            result.push_back(text);
    }
    return result;
}

QList<QVariantMap> ToAddressData(const std::vector<Address>& addresses)
{
    QList<QVariantMap> data;
    for (const Address& entry : addresses) {
        data.append(QVariantMap { { QStringLiteral("address"), QString::fromStdString(FormatIPv4(entry.address)) },
                                  { QStringLiteral("prefix"), QVariant::fromValue(uint(entry.prefix)) } });
    }
    return data;
}

// The profile's static addresses.
std::vector<Address> ProfileAddresses(const QVariantMap& ipv4)
{
    return AddressesOf(MapList(ipv4.value(QStringLiteral("address-data"))));
}

// Sorts the device's addresses as the profile lists them, so the site's own address comes first;
// addresses the profile does not hold follow in the device's order.
void InProfileOrder(std::vector<Address>& addresses, const std::vector<Address>& profile)
{
    const auto rank = [&profile](const Address& entry) {
        return std::find(profile.begin(), profile.end(), entry) - profile.begin();
    };
    std::stable_sort(addresses.begin(), addresses.end(),
                     [&rank](const Address& a, const Address& b) { return rank(a) < rank(b); });
}

// The profile's routes without its default routes: those are the gateways of a site.
QList<QVariantMap> WithoutDefaultRoutes(const QVariantMap& ipv4)
{
    QList<QVariantMap> routes;
    for (const QVariantMap& route : MapList(ipv4.value(QStringLiteral("route-data")))) {
        if (route.value(QStringLiteral("dest")).toString() != QLatin1String("0.0.0.0")
            || route.value(QStringLiteral("prefix")).toUInt() != 0)
            routes.append(route);
    }
    return routes;
}

class NmAdapterConfiguration : public ManagementObject
{
public:
    NmAdapterConfiguration(std::shared_ptr<NmBus> bus, WaitLimits limits, DeviceInfo device, std::int64_t index)
        : m_bus(std::move(bus))
        , m_limits(limits)
        , m_device(std::move(device))
    {
        ReadProperties(index);
    }

    Value Property(std::string_view name) const override
    {
        for (const auto& [key, value] : m_properties) {
            if (EqualsNoCase(key, name))
                return value;
        }
        return {};
    }

    std::uint32_t ExecMethod(std::string_view method, const std::vector<Value>& args) override
    {
        const auto known = FindAdapterMethod(method);
        if (!known)
            throw ServiceError("unknown method " + std::string(method));
        const Value none;
        const auto arg = [&](std::size_t i) -> const Value& { return i < args.size() ? args[i] : none; };
        try {
            switch (*known) {
            case AdapterMethod::EnableDHCP:
                return EnableDHCP();
            case AdapterMethod::EnableStatic:
                return EnableStatic(arg(0), arg(1));
            case AdapterMethod::SetGateways:
                return SetGateways(arg(0), arg(1));
            case AdapterMethod::SetDNSServerSearchOrder:
                return SetDNSServerSearchOrder(arg(0));
            case AdapterMethod::SetWINSServer:
                return kNotSupported; // NetworkManager has no setting for static WINS servers
            case AdapterMethod::SetDNSDomain:
                return SetDNSDomain(arg(0));
            case AdapterMethod::DisableIPv6:
                return SetIPv6Method(kMethodDisabled);
            case AdapterMethod::EnableIPv6:
                return SetIPv6Method(kMethodAuto);
            case AdapterMethod::SetIPv6Addresses:
                return SetIPv6Addresses(arg(0));
            case AdapterMethod::SetIPv6Gateway:
                return SetIPv6Gateway(arg(0));
            case AdapterMethod::SetIPv6DNSServers:
                return SetIPv6DNSServers(arg(0));
            }
        } catch (const BusError& error) {
            return MapBusError(error);
        }
        return kNotSupported;
    }

private:
    using Edit = std::function<std::uint32_t(QVariantMap& ipv4)>;
    using SettingsEdit = std::function<std::uint32_t(ConnectionSettings& settings)>;
    using Check = std::function<bool(const Ip4State&)>;

    void ReadProperties(std::int64_t index)
    {
        // The interface name, with the product where udev knows it, else the driver.
        QString description = m_device.interfaceName;
        QString product = QString::fromStdString(
            DeviceProduct("/", m_device.udi.toStdString(), m_device.interfaceName.toStdString()));
        if (product.isEmpty())
            product = m_device.driver;
        if (!product.isEmpty())
            description += QStringLiteral(" (") + product + QLatin1Char(')');
        // A half-read device still gets its line; what could not be read stays empty.
        Ip4State state;
        try {
            state = ReadIp4StateAt(*m_bus, m_device.ip4Config, m_device.dhcp4Config);
            ReadIp6Config(*m_bus, m_device.ip6Config, state);
        } catch (const BusError&) { }
        bool dhcp = false;
        try {
            const ConnectionSettings live = LiveSettings(*m_bus, m_device);
            const QVariantMap ipv4 = live.value(QStringLiteral("ipv4"));
            dhcp = ipv4.value(QStringLiteral("method")).toString() == kMethodAuto;
            state.ipv6Method = live.value(QStringLiteral("ipv6")).value(QStringLiteral("method")).toString();
            InProfileOrder(state.addresses, ProfileAddresses(ipv4));
        } catch (const BusError&) { }
        std::vector<std::string> addresses;
        std::vector<std::string> masks;
        for (const Address& entry : state.addresses) {
            addresses.push_back(FormatIPv4(entry.address));
            masks.push_back(PrefixToMask(entry.prefix));
        }
        const auto list = [](std::vector<std::string> texts) -> Value {
            if (texts.empty())
                return {};
            return texts;
        };
        const auto element = [](const std::vector<std::string>& texts, std::size_t i) -> Value {
            if (i < texts.size())
                return texts[i];
            return {};
        };
        // The default gateway first, then the other default routes, each with its metric.
        std::vector<std::string> gateways;
        std::vector<std::int64_t> metrics;
        if (!state.gateway.empty()) {
            gateways.push_back(state.gateway);
            const auto own = std::find_if(state.defaultRoutes.begin(), state.defaultRoutes.end(),
                                          [&](const auto& route) { return route.first == state.gateway; });
            metrics.push_back(own == state.defaultRoutes.end() ? 0 : own->second);
        }
        for (const auto& [nextHop, metric] : state.defaultRoutes) {
            if (nextHop == state.gateway || nextHop.empty())
                continue;
            gateways.push_back(nextHop);
            metrics.push_back(metric);
        }
        std::string searches;
        for (const std::string& domain : state.searches)
            searches += (searches.empty() ? "" : ",") + domain;
        const auto mac = FormatMACAddress(m_device.hardwareAddress.toStdString());
        const std::string gatewayMac = state.gateway.empty()
            ? std::string()
            : ReadNeighbourMAC(m_device.interfaceName.toStdString(), state.gateway);
        m_properties = {
            { "Index", index },
            { "Description", description.toStdString() },
            { "Caption", description.toStdString() },
            { "SettingID", m_device.interfaceName.toStdString() },
            { "InterfaceName", m_device.interfaceName.toStdString() },
            { "MACAddress", mac ? Value(*mac) : Value() },
            { "IPEnabled", true },
            { "DHCPEnabled", dhcp },
            { "IPAddress", list(addresses) },
            { "IPSubnet", list(masks) },
            { "DefaultIPGateway", list(gateways) },
            { "GatewayCostMetric", metrics.empty() ? Value() : Value(metrics) },
            { "DNSDomain", searches },
            { "DHCPDNSDomain", state.networkDomain },
            { "GatewayMAC", gatewayMac },
            { "SSID", ReadSsid(*m_bus, m_device) },
            { "IPv6Mode", IPv6ModeOf(state.ipv6Method) },
            { "IPv6Address", list(state.ipv6Addresses) },
            { "IPv6Gateway",
              state.ipv6Gateway.empty() ? Value() : Value(std::vector<std::string> { state.ipv6Gateway }) },
            { "IPv6DNS", list(state.ipv6Dns) },
            { "DNSServerSearchOrder", list(state.dns) },
            { "WINSPrimaryServer", element(state.wins, 0) },
            { "WINSSecondaryServer", element(state.wins, 1) },
        };
    }

    std::uint32_t EnableDHCP()
    {
        std::vector<Address> before;
        const Edit edit = [&](QVariantMap& ipv4) {
            before = ProfileAddresses(ipv4);
            ipv4.insert(QStringLiteral("method"), kMethodAuto);
            ipv4.remove(QStringLiteral("addresses"));
            ipv4.remove(QStringLiteral("address-data"));
            ipv4.remove(QStringLiteral("gateway"));
            if (ipv4.contains(QStringLiteral("route-data"))) {
                ipv4.remove(QStringLiteral("routes"));
                ipv4.insert(QStringLiteral("route-data"), QVariant::fromValue(WithoutDefaultRoutes(ipv4)));
            }
            return kSuccess;
        };
        // Live once the lease's address is on the device and the old static ones are gone.
        const Check leased = [&](const Ip4State& state) {
            const auto lease = ParseIPv4(state.leaseAddress);
            if (!lease)
                return false;
            bool hasLease = false;
            for (const Address& entry : state.addresses) {
                if (entry.address == *lease)
                    hasLease = true;
                else if (std::find(before.begin(), before.end(), entry) != before.end())
                    return false;
            }
            return hasLease;
        };
        return Change(edit, leased, m_limits.dhcpMs);
    }

    std::uint32_t EnableStatic(const Value& addressArg, const Value& maskArg)
    {
        const auto addresses = TextsOf(addressArg);
        const auto masks = TextsOf(maskArg);
        if (!addresses || !masks)
            return kInvalidParameter;
        if (addresses->empty())
            return kInvalidAddress;
        if (masks->size() != addresses->size())
            return kInvalidSubnetMask;
        std::vector<Address> wanted;
        for (std::size_t i = 0; i < addresses->size(); ++i) {
            const auto prefix = ParseSubnetMask((*masks)[i]);
            const auto address = ParseIPv4((*addresses)[i]);
            if (!address)
                return kInvalidAddress;
            if (!prefix)
                return kInvalidSubnetMask;
            if (!IsHostAddress(*address, *prefix))
                return kInvalidAddress;
            wanted.push_back({ *address, *prefix });
        }
        // What must disappear: the addresses the profile held and the address of a running lease.
        // Addresses put on the device by others are not ours to wait for.
        std::vector<Address> stale;
        try {
            const Ip4State previous = ReadIp4State(*m_bus, m_device.path);
            if (const auto lease = ParseIPv4(previous.leaseAddress)) {
                for (const Address& entry : previous.addresses) {
                    if (entry.address == *lease)
                        stale.push_back(entry);
                }
            }
        } catch (const BusError&) {
            // nothing known to be stale
        }
        const Edit edit = [&](QVariantMap& ipv4) {
            for (const Address& entry : ProfileAddresses(ipv4))
                stale.push_back(entry);
            ipv4.insert(QStringLiteral("method"), kMethodManual);
            ipv4.remove(QStringLiteral("addresses"));
            ipv4.insert(QStringLiteral("address-data"), QVariant::fromValue(ToAddressData(wanted)));
            // A gateway left from before that the new subnets cannot reach would make the change fail.
            const auto gateway = ParseIPv4(ipv4.value(QStringLiteral("gateway")).toString().toStdString());
            const bool reachable = gateway && std::any_of(wanted.begin(), wanted.end(), [&](const Address& a) {
                                       return SameSubnet(a.address, *gateway, a.prefix) && a.address != *gateway;
                                   });
            if (!reachable)
                ipv4.remove(QStringLiteral("gateway"));
            return kSuccess;
        };
        const Check live = [&](const Ip4State& state) {
            const std::set<Address> have(state.addresses.begin(), state.addresses.end());
            const std::set<Address> want(wanted.begin(), wanted.end());
            const auto present = [&](const Address& entry) { return have.count(entry) != 0; };
            const auto leftOver = [&](const Address& entry) { return want.count(entry) == 0 && present(entry); };
            return std::all_of(want.begin(), want.end(), present) && std::none_of(stale.begin(), stale.end(), leftOver);
        };
        return Change(edit, live, m_limits.staticMs);
    }

    // The first gateway is the profile's own, with its metric as the profile's route metric where
    // the site gives one (1 leaves the profile's as it is); the others are default routes of their
    // own, with their metrics.
    std::uint32_t SetGateways(const Value& gatewayArg, const Value& metricArg)
    {
        const auto texts = TextsOf(gatewayArg);
        if (!texts)
            return kInvalidParameter;
        std::vector<std::int64_t> metrics(texts->size(), 1);
        if (const auto* given = std::get_if<std::vector<std::int64_t>>(&metricArg)) {
            if (given->size() != texts->size())
                return kInvalidParameter;
            for (const std::int64_t metric : *given) {
                if (metric < kMinGatewayMetric || metric > kMaxGatewayMetric)
                    return kInvalidParameter;
            }
            metrics = *given;
        } else if (!std::holds_alternative<std::monostate>(metricArg)) {
            return kInvalidParameter;
        }
        std::vector<std::pair<std::uint32_t, std::int64_t>> gateways;
        for (std::size_t i = 0; i < texts->size(); ++i) {
            if ((*texts)[i].find_first_not_of(" \t") == std::string::npos)
                continue;
            const auto gateway = ParseIPv4((*texts)[i]);
            if (!gateway || !IsHostAddress(*gateway, 32))
                return kInvalidGateway;
            gateways.emplace_back(*gateway, metrics[i]);
        }
        if (gateways.size() > kMaxGateways)
            return kTooManyGateways;
        const Edit edit = [&](QVariantMap& ipv4) -> std::uint32_t {
            // The profile's other default routes were the gateways of an earlier site.
            QList<QVariantMap> routes = WithoutDefaultRoutes(ipv4);
            ipv4.remove(QStringLiteral("routes"));
            if (gateways.empty()) {
                ipv4.remove(QStringLiteral("gateway"));
                ipv4.insert(QStringLiteral("route-data"), QVariant::fromValue(routes));
                return kSuccess;
            }
            // With static addresses the gateway must sit in one of their subnets, else no route reaches it.
            if (ipv4.value(QStringLiteral("method")).toString() == kMethodManual) {
                const std::vector<Address> own = ProfileAddresses(ipv4);
                for (const auto& [gateway, metric] : gateways) {
                    const bool reachable = std::any_of(own.begin(), own.end(), [&](const Address& a) {
                        return SameSubnet(a.address, gateway, a.prefix) && a.address != gateway
                            && IsHostAddress(gateway, a.prefix);
                    });
                    if (!reachable)
                        return kInvalidGateway;
                }
            }
            ipv4.insert(QStringLiteral("gateway"), QString::fromStdString(FormatIPv4(gateways.front().first)));
            if (gateways.front().second != 1)
                ipv4.insert(QStringLiteral("route-metric"), QVariant::fromValue(qlonglong(gateways.front().second)));
            for (std::size_t i = 1; i < gateways.size(); ++i) {
                routes.append(
                    QVariantMap { { QStringLiteral("dest"), QStringLiteral("0.0.0.0") },
                                  { QStringLiteral("prefix"), QVariant::fromValue(uint { 0 }) },
                                  { QStringLiteral("next-hop"), QString::fromStdString(FormatIPv4(gateways[i].first)) },
                                  { QStringLiteral("metric"), QVariant::fromValue(uint(gateways[i].second)) } });
            }
            ipv4.insert(QStringLiteral("route-data"), QVariant::fromValue(routes));
            return kSuccess;
        };
        const std::string expected = gateways.empty() ? std::string() : FormatIPv4(gateways.front().first);
        const Check live = [&](const Ip4State& state) {
            if (state.gateway != expected)
                return false;
            for (std::size_t i = 0; i < gateways.size(); ++i) {
                const std::string hop = FormatIPv4(gateways[i].first);
                const bool metricKnown = i > 0 || gateways[i].second != 1;
                const bool found
                    = std::any_of(state.defaultRoutes.begin(), state.defaultRoutes.end(), [&](const auto& r) {
                          return r.first == hop && (!metricKnown || r.second == gateways[i].second);
                      });
                if (!found && (i > 0 || metricKnown))
                    return false;
            }
            return true;
        };
        return Change(edit, live, m_limits.staticMs);
    }

    std::uint32_t SetDNSDomain(const Value& suffixArg)
    {
        const auto* suffix = std::get_if<std::string>(&suffixArg);
        if (!suffix || ExtraValueProblem({}, "DNSSuffix", *suffix))
            return kInvalidParameter;
        const Edit edit = [&](QVariantMap& ipv4) {
            if (suffix->empty())
                ipv4.remove(QStringLiteral("dns-search"));
            else
                ipv4.insert(QStringLiteral("dns-search"), QStringList { QString::fromStdString(*suffix) });
            return kSuccess;
        };
        const Check live = [&](const Ip4State& state) {
            return suffix->empty()
                || std::find(state.searches.begin(), state.searches.end(), *suffix) != state.searches.end();
        };
        return Change(edit, live, m_limits.staticMs);
    }

    // The profile's manual IPv6 addresses, canonical, with their prefixes.
    static std::vector<std::string> ProfileIPv6Addresses(const QVariantMap& ipv6)
    {
        std::vector<std::string> addresses;
        for (const QVariantMap& entry : MapList(ipv6.value(QStringLiteral("address-data")))) {
            const std::string address = CanonicalIPv6(entry.value(QStringLiteral("address")).toString());
            if (!address.empty())
                addresses.push_back(address + "/" + std::to_string(entry.value(QStringLiteral("prefix")).toUInt()));
        }
        return addresses;
    }

    static bool Holds(const std::vector<std::string>& list, const std::string& item)
    {
        return std::find(list.begin(), list.end(), item) != list.end();
    }

    // IPv6 off (disabled) or automatic: the manual addresses, gateway and servers go.
    std::uint32_t SetIPv6Method(const QString& method)
    {
        std::vector<std::string> stale;
        const Edit edit = [&](QVariantMap& ipv6) {
            stale = ProfileIPv6Addresses(ipv6);
            ipv6.insert(QStringLiteral("method"), method);
            for (const char* key : { "addresses", "address-data", "gateway", "dns", "dns-data", "routes" })
                ipv6.remove(QString::fromLatin1(key));
            ipv6.insert(QStringLiteral("ignore-auto-dns"), false);
            return kSuccess;
        };
        const Check live = [&](const Ip4State& state) {
            if (state.ipv6Method != method)
                return false;
            if (method == kMethodDisabled && !state.ipv6Addresses.empty())
                return false;
            return std::none_of(stale.begin(), stale.end(),
                                [&](const std::string& a) { return Holds(state.ipv6Addresses, a); });
        };
        return ChangeSection(QStringLiteral("ipv6"), edit, live);
    }

    std::uint32_t SetIPv6Addresses(const Value& addressArg)
    {
        const auto texts = TextsOf(addressArg);
        if (!texts || texts->empty())
            return kInvalidParameter;
        std::vector<std::string> wanted;
        QList<QVariantMap> data;
        for (const std::string& text : *texts) {
            const std::size_t slash = text.find('/');
            if (slash == std::string::npos || ExtraValueProblem({}, "IPv6Address", text))
                return kInvalidAddress;
            const std::string address = FormatIPv6(*ParseIPv6(text.substr(0, slash)));
            const uint prefix = static_cast<uint>(std::stoul(text.substr(slash + 1)));
            wanted.push_back(address + "/" + std::to_string(prefix));
            data.append(QVariantMap { { QStringLiteral("address"), QString::fromStdString(address) },
                                      { QStringLiteral("prefix"), QVariant::fromValue(prefix) } });
        }
        std::vector<std::string> stale;
        const Edit edit = [&](QVariantMap& ipv6) {
            for (const std::string& before : ProfileIPv6Addresses(ipv6))
                if (!Holds(wanted, before))
                    stale.push_back(before);
            ipv6.insert(QStringLiteral("method"), kMethodManual);
            ipv6.remove(QStringLiteral("addresses"));
            ipv6.insert(QStringLiteral("address-data"), QVariant::fromValue(data));
            return kSuccess;
        };
        const Check live = [&](const Ip4State& state) {
            const auto present = [&](const std::string& a) { return Holds(state.ipv6Addresses, a); };
            return state.ipv6Method == kMethodManual && std::all_of(wanted.begin(), wanted.end(), present)
                && std::none_of(stale.begin(), stale.end(), present);
        };
        return ChangeSection(QStringLiteral("ipv6"), edit, live);
    }

    std::uint32_t SetIPv6Gateway(const Value& gatewayArg)
    {
        const auto* text = std::get_if<std::string>(&gatewayArg);
        if (!text || ExtraValueProblem({}, "IPv6Gateway", *text))
            return kInvalidGateway;
        const std::string gateway = text->empty() ? std::string() : FormatIPv6(*ParseIPv6(*text));
        const Edit edit = [&](QVariantMap& ipv6) {
            if (gateway.empty())
                ipv6.remove(QStringLiteral("gateway"));
            else
                ipv6.insert(QStringLiteral("gateway"), QString::fromStdString(gateway));
            return kSuccess;
        };
        const Check live = [&](const Ip4State& state) { return state.ipv6Gateway == gateway; };
        return ChangeSection(QStringLiteral("ipv6"), edit, live);
    }

    std::uint32_t SetIPv6DNSServers(const Value& serverArg)
    {
        const auto texts = TextsOf(serverArg);
        if (!texts || texts->size() > 2)
            return kInvalidParameter;
        std::vector<std::string> servers;
        QList<QByteArray> dns;
        for (const std::string& text : *texts) {
            const auto address = ParseIPv6(text);
            if (!address || ExtraValueProblem({}, "IPv6DNS", text))
                return kInvalidAddress;
            servers.push_back(FormatIPv6(*address));
            QByteArray bytes;
            for (const std::uint16_t group : *address) {
                bytes.append(static_cast<char>(group >> 8));
                bytes.append(static_cast<char>(group & 0xFF));
            }
            dns.append(bytes);
        }
        const Edit edit = [&](QVariantMap& ipv6) {
            ipv6.remove(QStringLiteral("dns-data")); // the newer form of the same list, which would win
            ipv6.insert(QStringLiteral("dns"), QVariant::fromValue(dns));
            ipv6.insert(QStringLiteral("ignore-auto-dns"), !servers.empty());
            return kSuccess;
        };
        const Check live = [&](const Ip4State& state) { return servers.empty() || state.ipv6Dns == servers; };
        return ChangeSection(QStringLiteral("ipv6"), edit, live);
    }

    std::uint32_t SetDNSServerSearchOrder(const Value& serverArg)
    {
        const auto texts = TextsOf(serverArg);
        if (!texts)
            return kInvalidParameter;
        std::vector<std::string> servers;
        QList<uint> dns;
        for (const std::string& text : WithoutEmpty(*texts)) {
            const auto server = ParseIPv4(text);
            if (!server || !IsServerAddress(*server))
                return kInvalidAddress;
            servers.push_back(FormatIPv4(*server));
            dns.append(ToNetworkOrder(*server));
        }
        bool manual = false;
        const Edit edit = [&](QVariantMap& ipv4) {
            manual = ipv4.value(QStringLiteral("method")).toString() == kMethodManual;
            ipv4.insert(QStringLiteral("dns"), QVariant::fromValue(dns));
            // No servers given means: use what DHCP supplies again.
            ipv4.insert(QStringLiteral("ignore-auto-dns"), !servers.empty());
            return kSuccess;
        };
        const Check live = [&](const Ip4State& state) {
            if (servers.empty() && !manual)
                return state.dns == state.leaseDns; // back to what DHCP supplies
            return state.dns == servers;
        };
        return Change(edit, live, m_limits.staticMs);
    }

    // The saved profile this device runs or would run; empty when it has none to change.
    QString ChooseProfile(const DeviceInfo& device, bool& active)
    {
        active = false;
        const auto usable = [&](const QString& profile) {
            const uint flags = m_bus->Property(profile, kConnectionInterface, QStringLiteral("Flags")).toUInt();
            return (flags & kConnectionFlagExternal) == 0;
        };
        if (!IsNoObject(device.activeConnection)) {
            const QString profile
                = ObjectPath(m_bus->Property(device.activeConnection, kActiveInterface, QStringLiteral("Connection")));
            if (!IsNoObject(profile) && usable(profile)) {
                active = true;
                return profile;
            }
        }
        QList<QString> available
            = ObjectPaths(m_bus->Property(device.path, kDeviceInterface, QStringLiteral("AvailableConnections")));
        std::sort(available.begin(), available.end(),
                  [](const QString& a, const QString& b) { return PathNumber(a) < PathNumber(b); });
        for (const QString& profile : available) {
            if (usable(profile))
                return profile;
        }
        // Without a link no profile is available; the one saved for this interface is still the one
        // to change, rather than a second one beside it.
        return ProfileForInterface(device, usable);
    }

    template <typename Usable> QString ProfileForInterface(const DeviceInfo& device, const Usable& usable)
    {
        const QVariantList reply = m_bus->Call(kNmSettingsPath, kSettingsInterface, QStringLiteral("ListConnections"));
        QList<QString> saved = reply.isEmpty() ? QList<QString>() : ObjectPaths(reply.front());
        std::sort(saved.begin(), saved.end(),
                  [](const QString& a, const QString& b) { return PathNumber(a) < PathNumber(b); });
        for (const QString& profile : saved) {
            const QVariantList settings = m_bus->Call(profile, kConnectionInterface, QStringLiteral("GetSettings"));
            const QVariantMap connection
                = settings.isEmpty() ? QVariantMap() : ToSettings(settings.front()).value(QStringLiteral("connection"));
            if (connection.value(QStringLiteral("interface-name")).toString() == device.interfaceName
                && connection.value(QStringLiteral("type")).toString() == QLatin1String("802-3-ethernet")
                && usable(profile))
                return profile;
        }
        return {};
    }

    ConnectionSettings NewProfile(const DeviceInfo& device) const
    {
        ConnectionSettings settings;
        settings.insert(QStringLiteral("connection"),
                        QVariantMap { { QStringLiteral("id"), QStringLiteral("Lanvex ") + device.interfaceName },
                                      { QStringLiteral("uuid"), QUuid::createUuid().toString(QUuid::WithoutBraces) },
                                      { QStringLiteral("type"), QStringLiteral("802-3-ethernet") },
                                      { QStringLiteral("interface-name"), device.interfaceName },
                                      { QStringLiteral("autoconnect"), true } });
        settings.insert(QStringLiteral("802-3-ethernet"), QVariantMap {});
        settings.insert(QStringLiteral("ipv4"), QVariantMap { { QStringLiteral("method"), kMethodAuto } });
        return settings;
    }

    // Changes the device's saved profile, makes the change live without taking the link down, and
    // waits until NetworkManager reports it. A change counts as done only when it is live; one that
    // NetworkManager refused is taken back from the saved profile, unless it is live after all.
    // When NetworkManager stops answering, the device's state decides, once it answers again.
    std::uint32_t Change(const Edit& edit, const Check& live, int timeoutMs)
    {
        return ChangeSettings(
            [&](ConnectionSettings& settings) { return EditSection(settings, QStringLiteral("ipv4"), edit); }, live,
            timeoutMs);
    }

    std::uint32_t ChangeSection(const QString& section, const Edit& edit, const Check& live)
    {
        return ChangeSettings([&](ConnectionSettings& settings) { return EditSection(settings, section, edit); }, live,
                              m_limits.staticMs);
    }

    static std::uint32_t EditSection(ConnectionSettings& settings, const QString& name, const Edit& edit)
    {
        QVariantMap section = settings.value(name);
        // NetworkManager prefers the legacy "addresses" key (which also carries a gateway) over
        // "address-data" and "gateway" when both come in, so it must not go back.
        if (section.contains(QStringLiteral("address-data")))
            section.remove(QStringLiteral("addresses"));
        if (const std::uint32_t refused = edit(section); refused != kSuccess)
            return refused;
        settings.insert(name, section);
        return kSuccess;
    }

    std::uint32_t ChangeSettings(const SettingsEdit& edit, const Check& live, int timeoutMs)
    {
        const DeviceInfo device = ReadDevice(*m_bus, m_device.path);
        bool active = false;
        QString profile = ChooseProfile(device, active);
        ConnectionSettings before;
        ConnectionSettings settings;
        if (!profile.isEmpty()) {
            const QVariantList reply = m_bus->Call(profile, kConnectionInterface, QStringLiteral("GetSettings"));
            if (reply.isEmpty())
                return kUnknownFailure;
            before = ToSettings(reply.front());
            if (before.isEmpty())
                return kUnknownFailure;
            settings = before;
        } else if (device.type == kDeviceTypeWifi) {
            return kNotConfigurable; // a Wi-Fi profile needs a network to join
        } else {
            settings = NewProfile(device);
        }
        if (const std::uint32_t refused = edit(settings); refused != kSuccess)
            return refused;

        const bool created = profile.isEmpty();
        if (created) {
            QVariantList reply;
            try {
                reply = m_bus->Change(kNmSettingsPath, kSettingsInterface, QStringLiteral("AddConnection"),
                                      { QVariant::fromValue(settings) });
            } catch (const BusError& error) {
                if (IsLostAnswer(error))
                    return kResultUnknown; // a profile may exist now, but where is not known
                throw;
            }
            profile = reply.isEmpty() ? QString() : ObjectPath(reply.front());
            if (profile.isEmpty())
                return kUnknownFailure;
        } else {
            try {
                m_bus->Change(profile, kConnectionInterface, QStringLiteral("Update"),
                              { QVariant::fromValue(settings) });
            } catch (const BusError& error) {
                // Refused: nothing was saved. Unanswered: making it live shows whether it was.
                if (!IsLostAnswer(error))
                    throw;
            }
        }

        try {
            MakeLive(device, profile, active);
        } catch (const BusError& error) {
            // An unanswered request may still be carried out: only the device's state can tell.
            if (!IsLostAnswer(error)) {
                if (IsLiveNow(live))
                    return kSuccess;
                return Restore(profile, created, before) ? MapBusError(error) : kResultSavedNotLive;
            }
        }
        switch (WaitUntil(live, timeoutMs)) {
        case Liveness::Live:
            return kSuccess;
        case Liveness::NotLive:
            // NetworkManager keeps the saved change and applies it when it can (a cable, a lease).
            return kResultSavedNotLive;
        case Liveness::Unknown:
            break;
        }
        return kResultUnknown;
    }

    // Takes a refused change back out of the saved profile; false when it stays saved.
    bool Restore(const QString& profile, bool created, const ConnectionSettings& before)
    {
        try {
            if (created)
                m_bus->Change(profile, kConnectionInterface, QStringLiteral("Delete"));
            else
                m_bus->Change(profile, kConnectionInterface, QStringLiteral("Update"), { QVariant::fromValue(before) });
            return true;
        } catch (const BusError&) {
            return false;
        }
    }

    void Reapply(const DeviceInfo& device)
    {
        // An empty profile makes NetworkManager take the saved one, which now holds the change.
        m_bus->Change(device.path, kDeviceInterface, QStringLiteral("Reapply"),
                      { QVariant::fromValue(ConnectionSettings {}), QVariant::fromValue(qulonglong { 0 }),
                        QVariant::fromValue(uint { 0 }) });
    }

    void MakeLive(const DeviceInfo& device, const QString& profile, bool active)
    {
        if (active) {
            try {
                Reapply(device);
                return;
            } catch (const BusError& error) {
                // Still activating: reapplying is refused, activating afresh is not.
                if (!error.name().endsWith(QLatin1String("NotActive")))
                    throw;
            }
        }
        m_bus->Change(kNmPath, kNmInterface, QStringLiteral("ActivateConnection"),
                      { QVariant::fromValue(QDBusObjectPath(profile)),
                        QVariant::fromValue(QDBusObjectPath(device.path)),
                        QVariant::fromValue(QDBusObjectPath(QStringLiteral("/"))) });
    }

    bool IsLiveNow(const Check& live)
    {
        try {
            return live(ReadIp4State(*m_bus, m_device.path));
        } catch (const BusError&) {
            return false;
        }
    }

    enum class Liveness
    {
        Live,
        NotLive,
        Unknown, // NetworkManager did not answer again within the answer limit
    };

    // Polls the live state. The time limit counts only while NetworkManager answers: after a stall
    // the change gets its full time again, since a stalled service may still carry it out.
    Liveness WaitUntil(const Check& live, int timeoutMs)
    {
        QDeadlineTimer deadline(timeoutMs);
        const QDeadlineTimer answerDeadline(m_limits.answerMs);
        while (true) {
            bool answered = true;
            try {
                if (live(ReadIp4State(*m_bus, m_device.path)))
                    return Liveness::Live;
            } catch (const BusError& error) {
                // The device's configuration objects come and go while it changes; that is an answer.
                answered = !IsLostAnswer(error);
            }
            if (!answered)
                deadline = QDeadlineTimer(timeoutMs);
            else if (deadline.hasExpired())
                return Liveness::NotLive;
            if (answerDeadline.hasExpired())
                return Liveness::Unknown;
            QThread::msleep(static_cast<unsigned long>(m_limits.pollMs));
        }
    }

    std::shared_ptr<NmBus> m_bus;
    WaitLimits m_limits;
    DeviceInfo m_device;
    std::vector<std::pair<std::string, Value>> m_properties;
};

} // namespace

NetworkManagerService::NetworkManagerService(std::shared_ptr<NmBus> bus, WaitLimits limits)
    : m_bus(std::move(bus))
    , m_limits(limits)
{ }

std::vector<ObjectRef> NetworkManagerService::ExecQuery(std::string_view query, std::string_view language,
                                                        std::int32_t /*flags*/)
{
    if (!EqualsNoCase(language, "WQL"))
        throw ServiceError("unsupported query language");
    if (!IsAdapterQuery(query))
        throw ServiceError("unsupported query: " + std::string(query));
    return Enumerate();
}

ObjectRef NetworkManagerService::Get(std::string_view objectPath, std::int32_t /*flags*/)
{
    const auto index = ParseAdapterPath(objectPath);
    if (!index)
        throw ServiceError("invalid object path: " + std::string(objectPath));
    const std::vector<ObjectRef> adapters = Enumerate();
    if (*index < 1 || *index > static_cast<std::int64_t>(adapters.size()))
        throw ServiceError("not found: " + std::string(objectPath));
    return adapters[static_cast<std::size_t>(*index - 1)];
}

ChangePermission NetworkManagerService::MayChange()
{
    QMap<QString, QString> permissions; // permission → "yes", "no" or "auth"
    try {
        const QVariantList reply = m_bus->Call(kNmPath, kNmInterface, QStringLiteral("GetPermissions"));
        if (!reply.isEmpty() && reply.front().userType() == qMetaTypeId<QDBusArgument>()) {
            const QDBusArgument argument = reply.front().value<QDBusArgument>();
            if (argument.currentSignature() == QLatin1String("a{ss}"))
                argument >> permissions;
        }
    } catch (const BusError& error) {
        throw ServiceError(error.what());
    }
    // An apply saves a system profile and makes it live.
    static const QString kNeeded[] = { QStringLiteral("org.freedesktop.NetworkManager.settings.modify.system"),
                                       QStringLiteral("org.freedesktop.NetworkManager.network-control") };
    ChangePermission result = ChangePermission::Granted;
    for (const QString& permission : kNeeded) {
        const QString answer = permissions.value(permission);
        if (answer == QLatin1String("no"))
            return ChangePermission::Denied;
        if (answer == QLatin1String("auth"))
            result = ChangePermission::NeedsAuthorization;
    }
    return result;
}

std::unique_ptr<Checkpoint> NetworkManagerService::CreateCheckpoint(std::int32_t adapterNumber,
                                                                    std::uint32_t rollbackSeconds)
{
    const std::vector<ObjectRef> adapters = Enumerate();
    if (adapterNumber < 1 || static_cast<std::size_t>(adapterNumber) > adapters.size())
        throw ServiceError("no adapter has the number " + std::to_string(adapterNumber));
    const Value name = adapters[static_cast<std::size_t>(adapterNumber - 1)]->Property("InterfaceName");
    const auto* interfaceName = std::get_if<std::string>(&name);
    if (!interfaceName)
        throw ServiceError("the adapter has no interface name");
    return CreateDeviceCheckpoint(m_bus, QString::fromStdString(*interfaceName), rollbackSeconds);
}

std::vector<ObjectRef> NetworkManagerService::Enumerate()
{
    try {
        const QVariantList reply = m_bus->Call(kNmPath, kNmInterface, QStringLiteral("GetDevices"));
        QList<QString> paths = reply.isEmpty() ? QList<QString>() : ObjectPaths(reply.front());
        std::sort(paths.begin(), paths.end(),
                  [](const QString& a, const QString& b) { return PathNumber(a) < PathNumber(b); });
        std::vector<ObjectRef> adapters;
        for (const QString& path : paths) {
            DeviceInfo device;
            try {
                device = ReadDevice(*m_bus, path);
            } catch (const BusError&) {
                continue; // removed while we looked
            }
            const bool ethernetOrWifi = device.type == kDeviceTypeEthernet || device.type == kDeviceTypeWifi
                || device.type == kDeviceTypeVeth;
            if (!ethernetOrWifi || !device.managed)
                continue;
            const auto index = static_cast<std::int64_t>(adapters.size()) + 1;
            adapters.push_back(std::make_shared<NmAdapterConfiguration>(m_bus, m_limits, std::move(device), index));
        }
        return adapters;
    } catch (const BusError& error) {
        throw ServiceError(error.what());
    }
}

} // namespace lanvex::net::nm
